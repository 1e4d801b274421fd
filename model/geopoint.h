#pragma once

#include <cstdint>

// Coordinates are whole milli-arc-seconds (1/3,600,000 degree): reading, geometry and
// writing then agree to the last unit, with no floating point in between.
namespace Mas {
constexpr int32_t Degree = 3600000;
constexpr int32_t Quarter = 324000000;     // 90 degrees
constexpr int32_t Half = 648000000;        // 180 degrees
constexpr int32_t FullTurn = 1296000000;   // 360 degrees
}

constexpr int32_t CentimetresPerNauticalMile = 185200;
// Ceiling of an airspace whose upper limit is unlimited or not given (50,000 m).
constexpr int32_t UnlimitedCeilingCm = 5000000;

struct GeoPoint {
    int32_t lon = 0;   // east positive
    int32_t lat = 0;   // north positive

    constexpr GeoPoint() = default;
    constexpr GeoPoint(int32_t longitude, int32_t latitude) : lon(longitude), lat(latitude) {}

    friend constexpr bool operator==(GeoPoint a, GeoPoint b) { return a.lon == b.lon && a.lat == b.lat; }
    friend constexpr bool operator!=(GeoPoint a, GeoPoint b) { return !(a == b); }
};

struct DistanceBearing {
    int32_t distance = 0;   // centimetres
    int32_t bearing = 0;    // milli-arc-seconds clockwise from true north, [0, 360 degrees)
};

enum SegmentKind : int32_t { Line = 0, Circle = 1, Arc = 2 };

enum AirspaceClass : int32_t {
    Restricted = 0,
    Danger = 1,
    Prohibited = 2,
    ClassA = 3,
    ClassB = 4,
    ClassC = 5,
    ClassD = 6,
    GliderProhibited = 7,
    CTR = 8,
    WaveWindow = 9,
    Special = 10,   // no recognised class letter
};
