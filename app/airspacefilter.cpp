#include "app/airspacefilter.h"

#include "model/airspace.h"
#include "model/geometry.h"
#include "openair/altitude.h"

#include <QObject>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double KmPerDegree = 6371.0 * M_PI / 180.0;

// Decimal numbers separated by commas, each finite; false for anything else.
bool readNumbers(const QString &text, int count, double *values)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != count)
        return false;
    for (int i = 0; i < count; ++i) {
        bool ok = false;
        values[i] = parts.at(i).trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(values[i]))
            return false;
    }
    return true;
}

bool readNear(const QString &text, double &lat, double &lon, double &km)
{
    double v[3];
    if (!readNumbers(text, 3, v) || std::abs(v[0]) > 90 || std::abs(v[1]) > 180 || v[2] < 0)
        return false;
    lat = v[0];
    lon = v[1];
    km = v[2];
    return true;
}

bool readBox(const QString &text, double &south, double &west, double &north, double &east)
{
    double v[4];
    if (!readNumbers(text, 4, v) || std::abs(v[0]) > 90 || std::abs(v[2]) > 90 || v[0] > v[2]
        || std::abs(v[1]) > 180 || std::abs(v[3]) > 180)
        return false;
    south = v[0];
    west = v[1];
    north = v[2];
    east = v[3];
    return true;
}

bool readMaxFloor(const QString &text, bool heightsInFeet, int &centimetres)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    const AltitudeReading reading = readAltitude(trimmed, heightsInFeet);
    centimetres = reading.centimetres;
    return reading.readable;
}

struct Degrees {
    double lon;
    double lat;
};

Degrees degreesOf(GeoPoint point)
{
    return {point.lon / double(Mas::Degree), point.lat / double(Mas::Degree)};
}

// The outline as a closed ring of points in degrees, arcs and circles followed in steps
// of two degrees as the instrument draws them.
std::vector<Degrees> ringOf(const Airspace &airspace)
{
    constexpr int32_t Step = 2 * Mas::Degree;
    std::vector<Degrees> ring;
    for (const SegmentPtr &segment : airspace.segments()) {
        ring.push_back(degreesOf(segment->startPoint()));
        if (segment->kind() != Line) {
            const int64_t start = segment->startAngle();
            int64_t sweep = int64_t(segment->endAngle()) - start;
            if (segment->isClockwise() ? sweep <= 0 : sweep >= 0)
                sweep += segment->isClockwise() ? Mas::FullTurn : -Mas::FullTurn;
            const int steps = int(std::abs(sweep) / Step);
            for (int i = 1; i <= steps; ++i) {
                const int64_t bearing = (start + sweep * i / (steps + 1)) % Mas::FullTurn;
                ring.push_back(degreesOf(destinationPoint(segment->centrePoint(), segment->radius(),
                                                          int32_t(bearing < 0 ? bearing + Mas::FullTurn : bearing))));
            }
        }
        ring.push_back(degreesOf(segment->endPoint()));
    }
    return ring;
}

bool inside(const std::vector<Degrees> &ring, double x, double y, double (*xOf)(const Degrees &, double), double origin)
{
    bool in = false;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        const double xi = xOf(ring[i], origin), yi = ring[i].lat;
        const double xj = xOf(ring[j], origin), yj = ring[j].lat;
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
            in = !in;
    }
    return in;
}

// Longitude as seen from `origin`, within half a turn of it.
double lonFrom(const Degrees &point, double origin)
{
    double lon = point.lon - origin;
    lon -= 360.0 * std::round(lon / 360.0);
    return lon;
}

double distanceToSegment(double px, double py, double ax, double ay, double bx, double by)
{
    const double dx = bx - ax, dy = by - ay;
    const double length = dx * dx + dy * dy;
    const double t = length > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / length, 0.0, 1.0) : 0.0;
    return std::hypot(px - ax - t * dx, py - ay - t * dy);
}

bool segmentsCross(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy)
{
    const auto side = [](double px, double py, double qx, double qy, double rx, double ry) {
        const double cross = (qx - px) * (ry - py) - (qy - py) * (rx - px);
        return (cross > 0) - (cross < 0);
    };
    return side(ax, ay, bx, by, cx, cy) * side(ax, ay, bx, by, dx, dy) <= 0
           && side(cx, cy, dx, dy, ax, ay) * side(cx, cy, dx, dy, bx, by) <= 0;
}

} // namespace

QStringList FilterSettings::wordsOf(const QString &text)
{
    QStringList words;
    for (const QString &part : text.split(QLatin1Char(','))) {
        const QString word = part.trimmed().toUpper();
        if (!word.isEmpty() && !words.contains(word))
            words.append(word);
    }
    return words;
}

QString FilterSettings::invalidPart(bool heightsInFeet) const
{
    int floor = 0;
    double a, b, c, d;
    if (!maxFloor.isEmpty() && !readMaxFloor(maxFloor, heightsInFeet, floor))
        return QStringLiteral("-max-floor");
    if (!near.isEmpty() && !readNear(near, a, b, c))
        return QStringLiteral("-near");
    if (!box.isEmpty() && !readBox(box, a, b, c, d))
        return QStringLiteral("-box");
    return QString();
}

QString FilterSettings::summary() const
{
    QStringList parts;
    if (!skipWords.isEmpty())
        parts << QObject::tr("ohne %1").arg(skipWords.join(QLatin1String(", ")));
    if (!maxFloor.isEmpty())
        parts << QObject::tr("Untergrenze bis %1").arg(maxFloor.trimmed());
    double lat, lon, km;
    if (readNear(near, lat, lon, km))
        parts << QObject::tr("%1 km um %2, %3").arg(km).arg(lat).arg(lon);
    if (!box.isEmpty())
        parts << QObject::tr("Gebiet %1").arg(box);
    return parts.isEmpty() ? QObject::tr("kein Filter") : parts.join(QLatin1String("; "));
}

AirspaceFilter::AirspaceFilter(const FilterSettings &settings, bool heightsInFeet)
    : m_active(settings.isActive()), m_skipWords(settings.skipWords)
{
    for (QString &word : m_skipWords)
        word = word.toUpper();
    m_hasMaxFloor = readMaxFloor(settings.maxFloor, heightsInFeet, m_maxFloorCm);
    m_near = readNear(settings.near, m_nearLat, m_nearLon, m_nearKm);
    m_box = readBox(settings.box, m_south, m_west, m_north, m_east);
}

AirspaceFilter::Verdict AirspaceFilter::verdict(const Airspace &airspace) const
{
    if (!m_skipWords.isEmpty()
        && (m_skipWords.contains(airspace.acText().toUpper()) || m_skipWords.contains(airspace.ayText().toUpper())))
        return Verdict::ByClass;
    if (m_hasMaxFloor && airspace.floor() > m_maxFloorCm)
        return Verdict::ByFloor;
    if ((m_near || m_box) && airspace.segmentCount() > 0
        && ((m_near && !isNear(airspace)) || (m_box && !overlapsBox(airspace))))
        return Verdict::ByArea;
    return Verdict::Kept;
}

// Within the distance of the point, or around it; measured in a plane that is true to
// scale at the point, which is close enough for choosing what to carry.
bool AirspaceFilter::isNear(const Airspace &airspace) const
{
    const std::vector<Degrees> ring = ringOf(airspace);
    if (inside(ring, 0, m_nearLat, lonFrom, m_nearLon))
        return true;
    const double east = std::cos(m_nearLat * M_PI / 180.0) * KmPerDegree;
    const auto x = [&](const Degrees &p) { return lonFrom(p, m_nearLon) * east; };
    const auto y = [&](const Degrees &p) { return (p.lat - m_nearLat) * KmPerDegree; };
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        if (distanceToSegment(0, 0, x(ring[j]), y(ring[j]), x(ring[i]), y(ring[i])) <= m_nearKm)
            return true;
    }
    return false;
}

bool AirspaceFilter::overlapsBox(const Airspace &airspace) const
{
    const std::vector<Degrees> ring = ringOf(airspace);
    // A box across 180 degrees is seen from its middle, like the outline.
    const double middle = m_west <= m_east ? (m_west + m_east) / 2 : (m_west + m_east + 360.0) / 2;
    const double halfWidth = (m_west <= m_east ? m_east - m_west : m_east + 360.0 - m_west) / 2;
    const double corners[4][2] = {{-halfWidth, m_south}, {halfWidth, m_south}, {halfWidth, m_north}, {-halfWidth, m_north}};
    for (const Degrees &point : ring) {
        const double x = lonFrom(point, middle);
        if (x >= -halfWidth && x <= halfWidth && point.lat >= m_south && point.lat <= m_north)
            return true;
    }
    for (const auto &corner : corners) {
        if (inside(ring, corner[0], corner[1], lonFrom, middle))
            return true;
    }
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        for (int k = 0; k < 4; ++k) {
            const double *c = corners[k];
            const double *d = corners[(k + 1) % 4];
            if (segmentsCross(lonFrom(ring[j], middle), ring[j].lat, lonFrom(ring[i], middle), ring[i].lat, c[0], c[1],
                              d[0], d[1]))
                return true;
        }
    }
    return false;
}
