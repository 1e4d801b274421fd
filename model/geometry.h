#pragma once

#include "model/geopoint.h"

#include <memory>

class AirspaceSegment;

// Integer trigonometry on angles in milli-arc-seconds. Values are scaled by 2^31
// (1.0 would be 2^31; the largest stored value is 2^31 - 1).
int32_t sinMas(int32_t angle);      // angle in [-180, 180] degrees
int32_t cosMas(int32_t angle);      // angle in [-180, 360) degrees
int32_t atan2Mas(int32_t x, int32_t y);   // direction of (x, y) from the x axis, (-180, 180]

// Flat-earth distance (cm) and bearing between two points on a sphere of 6,371 km.
DistanceBearing distanceAndBearing(GeoPoint from, GeoPoint to);
// The point reached from start after distanceCm on the given bearing.
GeoPoint destinationPoint(GeoPoint start, int32_t distanceCm, int32_t bearing);

// The generated lookup tables, in steps of half a degree (exposed for their test).
constexpr int SineTableSize = 181;      // 0 .. 90 degrees
constexpr int TangentTableSize = 91;    // 0 .. 45 degrees
extern const int32_t sineTable[SineTableSize];
extern const int32_t tangentTable[TangentTableSize];

// A full circle about centre: start and end due north of the centre, clockwise.
std::shared_ptr<AirspaceSegment> makeCircleSegment(GeoPoint centre, int32_t radiusCm);

struct ArcConstruction {
    std::shared_ptr<AirspaceSegment> arc;
    // Set when one end was moved out to the larger radius: the line that joins the given
    // point to the moved one. It starts at the given start point when the start was moved.
    std::shared_ptr<AirspaceSegment> connectingLine;
    // The start was moved: the connecting line leads from the given start to the arc.
    // Otherwise it leads from the moved end on to the given end.
    bool lineBeforeArc = false;
};

// An arc from `from` to `to` about centre. Radii that differ by 0.2 NM or more mark the
// arc faulty; a difference above one metre moves the nearer end out to the larger radius.
ArcConstruction makeArcSegment(GeoPoint centre, GeoPoint from, GeoPoint to, bool clockwise);
