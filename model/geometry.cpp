#include "model/geometry.h"
#include "model/airspacesegment.h"

const int32_t sineTable[SineTableSize] = {};
const int32_t tangentTable[TangentTableSize] = {};
int32_t sinMas(int32_t) { return 0; }
int32_t cosMas(int32_t) { return 0; }
int32_t atan2Mas(int32_t, int32_t) { return 0; }
DistanceBearing distanceAndBearing(GeoPoint, GeoPoint) { return {}; }
GeoPoint destinationPoint(GeoPoint start, int32_t, int32_t) { return start; }
std::shared_ptr<AirspaceSegment> makeCircleSegment(GeoPoint c, int32_t) { return std::make_shared<AirspaceSegment>(c, c); }
ArcConstruction makeArcSegment(GeoPoint, GeoPoint from, GeoPoint to, bool) { return {std::make_shared<AirspaceSegment>(from, to), {}}; }
