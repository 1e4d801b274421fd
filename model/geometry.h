#pragma once

#include "model/geopoint.h"

// Integer trigonometry on angles in milli-arc-seconds. Values are scaled by 2^31
// (1.0 would be 2^31; the largest stored value is 2^31 - 1).
int32_t sinMas(int32_t angle);      // angle in [-180, 180] degrees
int32_t cosMas(int32_t angle);      // angle in [-180, 360) degrees
int32_t atan2Mas(int32_t x, int32_t y);   // direction of (x, y) from the x axis, (-180, 180]

// The eastward step from one longitude to another the short way round: across 180
// degrees rather than all around the earth. Steps of up to 180 degrees are kept as they are.
int64_t longitudeStep(int32_t from, int32_t to);
// Flat-earth distance (cm) and bearing between two points on a sphere of 6,371 km, the
// short way round in longitude.
DistanceBearing distanceAndBearing(GeoPoint from, GeoPoint to);
// The point reached from start after distanceCm on the given bearing.
GeoPoint destinationPoint(GeoPoint start, int32_t distanceCm, int32_t bearing);

// The generated lookup tables, in steps of half a degree (exposed for their test).
constexpr int SineTableSize = 181;      // 0 .. 90 degrees
constexpr int TangentTableSize = 91;    // 0 .. 45 degrees
extern const int32_t sineTable[SineTableSize];
extern const int32_t tangentTable[TangentTableSize];

// Where a circle of the radius about centre starts and ends: due north of the centre, at
// the radius in milli-arc-seconds less one (the integer cosine of 0 falls short of 1).
GeoPoint circleStartPoint(GeoPoint centre, int32_t radiusCm);
