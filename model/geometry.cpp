#include "model/geometry.h"

#include <algorithm>
#include <array>

// Both tables follow one rule, so that every build agrees to the unit:
// entry i = round(f(i * 0.5 degree) * 2^31), half away from zero, in double precision.
// The sine's 90 degree entry is capped at 2^31 - 1; the tangent's 45 degree entry is the
// clamp that atan2Mas applies to larger ratios.
const int32_t sineTable[SineTableSize] = {
    0, 18740092, 37478757, 56214568, 74946098, 93671921,
    112390610, 131100740, 149800887, 168489625, 187165532, 205827186,
    224473166, 243102050, 261712422, 280302863, 298871959, 317418293,
    335940456, 354437035, 372906622, 391347811, 409759197, 428139379,
    446486956, 464800532, 483078711, 501320102, 519523315, 537686964,
    555809667, 573890043, 591926714, 609918309, 627863455, 645760787,
    663608942, 681406561, 699152288, 716844772, 734482665, 752064625,
    769589312, 787055391, 804461534, 821806413, 839088709, 856307105,
    873460290, 890546958, 907565806, 924515541, 941394869, 958202507,
    974937175, 991597596, 1008182504, 1024690635, 1041120732, 1057471543,
    1073741824, 1089930335, 1106035844, 1122057124, 1137992955, 1153842123,
    1169603422, 1185275651, 1200857616, 1216348132, 1231746018, 1247050102,
    1262259218, 1277372208, 1292387921, 1307305214, 1322122951, 1336840003,
    1351455249, 1365967577, 1380375881, 1394679064, 1408876037, 1422965718,
    1436947036, 1450818924, 1464580326, 1478230195, 1491767492, 1505191184,
    1518500250, 1531693676, 1544770459, 1557729600, 1570570115, 1583291025,
    1595891361, 1608370163, 1620726483, 1632959377, 1645067915, 1657051175,
    1668908244, 1680638220, 1692240208, 1703713325, 1715056699, 1726269464,
    1737350766, 1748299763, 1759115620, 1769797514, 1780344631, 1790756167,
    1801031331, 1811169339, 1821169419, 1831030811, 1840752762, 1850334533,
    1859775393, 1869074625, 1878231519, 1887245379, 1896115518, 1904841260,
    1913421941, 1921856908, 1930145517, 1938287139, 1946281153, 1954126950,
    1961823932, 1969371514, 1976769121, 1984016189, 1991112166, 1998056513,
    2004848700, 2011488210, 2017974537, 2024307188, 2030485680, 2036509543,
    2042378317, 2048091557, 2053648826, 2059049702, 2064293773, 2069380641,
    2074309917, 2079081227, 2083694206, 2088148504, 2092443781, 2096579711,
    2100555978, 2104372279, 2108028325, 2111523836, 2114858546, 2118032202,
    2121044561, 2123895394, 2126584485, 2129111628, 2131476631, 2133679313,
    2135719508, 2137597059, 2139311824, 2140863673, 2142252486, 2143478158,
    2144540596, 2145439719, 2146175459, 2146747759, 2147156576, 2147401878,
    2147483647,
};

const int32_t tangentTable[TangentTableSize] = {
    0, 18740806, 37484467, 56233838, 74991781, 93761161,
    112544849, 131345727, 150166685, 169010628, 187880474, 206779156,
    225709627, 244674856, 263677837, 282721586, 301809144, 320943582,
    340127996, 359365517, 378659308, 398012568, 417428535, 436910486,
    456461740, 476085663, 495785665, 515565209, 535427809, 555377033,
    575416509, 595549924, 615781027, 636113637, 656551639, 677098993,
    697759735, 718537977, 739437919, 760463844, 781620126, 802911235,
    824341738, 845916305, 867639713, 889516852, 911552727, 933752465,
    956121321, 978664682, 1001388071, 1024297157, 1047397759, 1070695850,
    1094197571, 1117909229, 1141837310, 1165988487, 1190369624, 1214987790,
    1239850262, 1264964541, 1290338354, 1315979672, 1341896715, 1368097968,
    1394592187, 1421388420, 1448496010, 1475924620, 1503684239, 1531785200,
    1560238198, 1589054309, 1618245000, 1647822159, 1677798107, 1708185624,
    1738997970, 1770248909, 1801952737, 1834124306, 1866779055, 1899933039,
    1933602962, 1967806212, 2002560899, 2037885890, 2073800853, 2110326303,
    2147458152,
};

namespace {

constexpr int64_t HalfDegree = 1800000;
constexpr int64_t CmPerMasTimes1e7 = 30887479;   // 3.0887479 cm per milli-arc-second
constexpr int64_t TenMillion = 10000000;
constexpr int64_t HalfCircumferenceCm = 2001508679;
constexpr int64_t TwoPow31 = int64_t(1) << 31;

// The low 32 bits of a 64-bit value, as the integer geometry keeps them.
inline int32_t low32(int64_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

// A value times a table value, shifted right by 31 (rounding toward minus infinity).
inline int32_t scaled(int64_t value, int32_t tableValue)
{
    return low32((value * tableValue) >> 31);
}

inline int64_t abs64(int64_t v) { return v < 0 ? -v : v; }

// For each range of 2^23 tangent values: the first table entry, from index 2 on, that is
// not below the range's lowest value.
constexpr int TangentBucketShift = 23;
constexpr std::size_t TangentBucketCount = (std::size_t(1) << (31 - TangentBucketShift)) + 1;

const std::array<uint8_t, TangentBucketCount> tangentBuckets = [] {
    std::array<uint8_t, TangentBucketCount> buckets{};
    for (std::size_t b = 0; b < TangentBucketCount; ++b) {
        const int64_t lowest = int64_t(b) << TangentBucketShift;
        const int32_t *first = std::lower_bound(tangentTable + 2, tangentTable + TangentTableSize, lowest);
        buckets[b] = uint8_t(std::min<std::ptrdiff_t>(first - tangentTable, TangentTableSize - 1));
    }
    return buckets;
}();

} // namespace

int32_t sinMas(int32_t angle)
{
    const bool negative = angle < 0;
    int64_t a = abs64(angle);
    // Outside [-180, 180] degrees: the same angle by whole turns.
    if (a > Mas::Half) {
        a %= Mas::FullTurn;
        if (a > Mas::Half)
            a = Mas::FullTurn - a;
    }
    if (a > Mas::Quarter - 1)
        a = Mas::Half - a;

    // An exact multiple of half a degree ends on the lower entry with a full step left.
    int64_t index = 0;
    int64_t remainder = a;
    if (a > HalfDegree) {
        index = (a - 1) / HalfDegree;
        remainder = a - index * HalfDegree;
    }
    const int64_t low = sineTable[index];
    const int64_t high = sineTable[std::min<int64_t>(index + 1, SineTableSize - 1)];
    const int32_t value = low32(low + (remainder * (high - low)) / HalfDegree);
    return negative ? -value : value;
}

int32_t cosMas(int32_t angle)
{
    if (angle < Mas::Quarter)
        return sinMas(low32(int64_t(angle) + Mas::Quarter));
    return sinMas(low32(int64_t(angle) - 3 * int64_t(Mas::Quarter)));
}

int32_t atan2Mas(int32_t x, int32_t y)
{
    if (x == 0)
        return y >= 0 ? Mas::Quarter : -Mas::Quarter;
    if (y == 0)
        return x < 0 ? Mas::Half : 0;

    const bool yNegative = y < 0;
    const int64_t ay = abs64(y);
    int64_t ax = abs64(x);
    int64_t sign = 1;
    int64_t base = 0;
    if (x < 0) {
        sign = -1;
        base = Mas::Half;
    }

    int64_t folded = 0;
    if (ax == ay) {
        folded = Mas::Quarter / 2;
    } else {
        int64_t q;
        if (ax > ay) {
            q = (ay << 31) / ax;
        } else {
            base += sign * Mas::Quarter;
            sign = -sign;
            q = (ax << 31) / ay;
        }
        q = std::min<int64_t>(q, tangentTable[TangentTableSize - 1]);
        int lower = 0;
        if (q > tangentTable[1]) {
            // The first entry not below q, from index 2 on (a binary search costs more
            // than the rest of the function): the bucket of q's top bits names the first
            // candidate, and as entries lie further apart than a bucket is wide, at most
            // one more step is needed.
            int first = tangentBuckets[std::size_t(q >> TangentBucketShift)];
            while (tangentTable[first] < q)
                ++first;
            lower = first - 1;
        }
        const int64_t t0 = tangentTable[lower];
        const int64_t t1 = tangentTable[lower + 1];
        folded = lower * HalfDegree + ((q - t0) * HalfDegree) / (t1 - t0);
    }
    const int64_t result = folded * sign + base;
    return low32(yNegative ? -result : result);
}

namespace {

// The east and north components (cm) of the flat-earth step from one point to another.
struct FlatStep {
    int32_t dx;
    int32_t dy;
};

FlatStep flatStep(GeoPoint from, GeoPoint to)
{
    const int32_t meanLat = low32((int64_t(from.lat) + to.lat) >> 1);
    const int64_t k = scaled(CmPerMasTimes1e7, cosMas(meanLat));
    return {low32((longitudeStep(from.lon, to.lon) * k) / TenMillion),
            low32(((int64_t(to.lat) - from.lat) * CmPerMasTimes1e7) / TenMillion)};
}

} // namespace

int64_t longitudeStep(int32_t from, int32_t to)
{
    int64_t step = int64_t(to) - from;
    if (step > Mas::Half || step < -Mas::Half) {
        step %= Mas::FullTurn;
        if (step > Mas::Half)
            step -= Mas::FullTurn;
        else if (step < -Mas::Half)
            step += Mas::FullTurn;
    }
    return step;
}

DistanceBearing distanceAndBearing(GeoPoint from, GeoPoint to)
{
    if (from == to)
        return {0, 0};

    const auto [dx, dy] = flatStep(from, to);

    const int32_t a = atan2Mas(dx, dy);
    const int32_t bearing = a <= Mas::Quarter ? Mas::Quarter - a : low32(int64_t(5) * Mas::Quarter - a);

    int64_t distance;
    if (abs64(dx) > abs64(dy)) {
        int64_t c = cosMas(a);
        if (c == 0)
            c = 1;
        distance = (int64_t(dx) * TwoPow31) / c;
    } else {
        int64_t s = sinMas(a);
        if (s == 0)
            s = 1;
        distance = (int64_t(dy) * TwoPow31) / s;
    }
    return {low32(distance), bearing};
}

GeoPoint destinationPoint(GeoPoint start, int32_t distanceCm, int32_t bearing)
{
    const int64_t a = bearing > 3 * int64_t(Mas::Quarter) ? int64_t(5) * Mas::Quarter - bearing
                                                          : int64_t(Mas::Quarter) - bearing;

    const int64_t t = scaled(distanceCm, sinMas(low32(a)));
    const int64_t dLat = low32((t * TenMillion) / CmPerMasTimes1e7);
    const int32_t newLat = low32(start.lat + dLat);

    const int32_t meanLat = low32((int64_t(start.lat) + newLat) >> 1);
    const int64_t k = scaled(CmPerMasTimes1e7, cosMas(meanLat));
    const int64_t u = scaled(distanceCm, cosMas(low32(a)));
    // At the poles the east scale vanishes and longitude has no meaning: keep it.
    const int64_t dLon = k == 0 ? 0 : low32((u * TenMillion) / k);
    // Across 180 degrees the longitude comes back from the other side.
    int64_t lon = start.lon + dLon;
    if (lon > Mas::Half && start.lon <= Mas::Half)
        lon -= Mas::FullTurn;
    else if (lon < -Mas::Half && start.lon >= -Mas::Half)
        lon += Mas::FullTurn;
    return {low32(lon), newLat};
}

GeoPoint circleStartPoint(GeoPoint centre, int32_t radiusCm)
{
    const int64_t rMas = low32((int64_t(radiusCm) * Mas::Half) / HalfCircumferenceCm);
    return {low32(centre.lon + int64_t(scaled(rMas, sinMas(0)))), low32(centre.lat + int64_t(scaled(rMas, cosMas(0))))};
}
