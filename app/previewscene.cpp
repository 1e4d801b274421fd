#include "app/previewscene.h"

#include "model/airspacesegment.h"

#include <QFileInfo>
#include <QObject>

#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double DegreesPerMas = 1.0 / Mas::Degree;
// Arcs and circles are drawn as chords of at most this many degrees of their sweep.
constexpr double ArcStepRadians = 3.0 * Pi / 180.0;
// The smallest area the picture shows, in degrees of latitude (about 2 km).
constexpr double MinimumExtent = 0.02;
// Points of an outline not written that lie further from its middle than this many
// times the typical distance are taken as strays (an unreadable coordinate is read as 0).
constexpr double StrayFactor = 4.0;

// Longitude moved by whole turns to lie within half a turn of `near`.
double unwrapped(double longitude, double near)
{
    return longitude + 360.0 * std::round((near - longitude) / 360.0);
}

QPointF geoDegrees(GeoPoint point)
{
    return QPointF(point.lon * DegreesPerMas, point.lat * DegreesPerMas);
}

// The arc as the instrument draws it from its record: from the start point about the
// centre to the end point in the given direction, all the way round when they are the
// same. Distances are flat about the centre, as in the integer geometry.
void appendArc(std::vector<QPointF> &points, const AirspaceSegment &arc, QPointF start)
{
    const QPointF centre(unwrapped(arc.centrePoint().lon * DegreesPerMas, start.x()),
                         arc.centrePoint().lat * DegreesPerMas);
    const QPointF end(unwrapped(arc.endPoint().lon * DegreesPerMas, start.x()), arc.endPoint().lat * DegreesPerMas);
    const double east = std::max(std::cos(centre.y() * Pi / 180.0), 0.01);
    const double sx = (start.x() - centre.x()) * east;
    const double sy = start.y() - centre.y();
    const double ex = (end.x() - centre.x()) * east;
    const double ey = end.y() - centre.y();
    const double fromBearing = std::atan2(sx, sy);
    const double startRadius = std::hypot(sx, sy);
    const double endRadius = std::hypot(ex, ey);

    // Clockwise sweeps run through (0, 360] degrees, the others through [-360, 0): equal
    // start and end points, or bearings, go all the way round.
    double sweep = 2 * Pi;
    if (arc.startPoint() != arc.endPoint()) {
        const double turn = arc.isClockwise() ? std::atan2(ex, ey) - fromBearing : fromBearing - std::atan2(ex, ey);
        sweep = std::fmod(turn, 2 * Pi);
        if (sweep <= 0)
            sweep += 2 * Pi;
    }
    if (!arc.isClockwise())
        sweep = -sweep;

    const int steps = std::max(1, int(std::ceil(std::abs(sweep) / ArcStepRadians)));
    for (int i = 1; i < steps; ++i) {
        const double t = double(i) / steps;
        const double bearing = fromBearing + sweep * t;
        const double radius = startRadius + (endRadius - startRadius) * t;
        points.emplace_back(centre.x() + radius * std::sin(bearing) / east, centre.y() + radius * std::cos(bearing));
    }
    points.push_back(end);
}

// The corners of an outline in degrees, longitudes kept continuous from point to point,
// arcs and circles flattened. The instrument joins the elements in order and closes the
// outline back to its first point.
std::vector<QPointF> outlinePoints(const SegmentList &segments)
{
    std::vector<QPointF> points;
    points.reserve(segments.size() + 1);
    for (const SegmentPtr &segment : segments) {
        QPointF start = geoDegrees(segment->startPoint());
        if (!points.empty())
            start.setX(unwrapped(start.x(), points.back().x()));
        if (points.empty() || points.back() != start)
            points.push_back(start);
        if (segment->kind() == Line) {
            const QPointF end = geoDegrees(segment->endPoint());
            points.emplace_back(unwrapped(end.x(), start.x()), end.y());
        } else {
            appendArc(points, *segment, start);
        }
    }
    return points;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

QPointF medianPoint(const std::vector<QPointF> &points)
{
    std::vector<double> xs;
    std::vector<double> ys;
    xs.reserve(points.size());
    ys.reserve(points.size());
    for (const QPointF &p : points) {
        xs.push_back(p.x());
        ys.push_back(p.y());
    }
    return QPointF(median(std::move(xs)), median(std::move(ys)));
}

QRectF boundsOf(const std::vector<QPointF> &points)
{
    if (points.empty())
        return QRectF();
    double left = points.front().x(), right = left, top = points.front().y(), bottom = top;
    for (const QPointF &p : points) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

// The bounds of the points that lie near the others: those within StrayFactor times the
// median distance from the median point.
QRectF boundsWithoutStrays(const std::vector<QPointF> &points, QPointF middle)
{
    const double east = std::max(std::cos(middle.y() * Pi / 180.0), 0.01);
    std::vector<double> distances;
    distances.reserve(points.size());
    for (const QPointF &p : points)
        distances.push_back(std::hypot((p.x() - middle.x()) * east, p.y() - middle.y()));
    const double limit = StrayFactor * median(distances) + 1e-3;
    std::vector<QPointF> near;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (distances[i] <= limit)
            near.push_back(points[i]);
    }
    return near.empty() ? QRectF(middle, QSizeF(0, 0)) : boundsOf(near);
}

// The middle of the longitudes, across the largest gap between them, so that data on
// both sides of 180 degrees stays together.
double centreLongitude(std::vector<double> longitudes)
{
    if (longitudes.empty())
        return 0;
    std::sort(longitudes.begin(), longitudes.end());
    double gap = longitudes.front() + 360.0 - longitudes.back();
    double gapEnd = longitudes.front();
    for (std::size_t i = 1; i < longitudes.size(); ++i) {
        if (longitudes[i] - longitudes[i - 1] > gap) {
            gap = longitudes[i] - longitudes[i - 1];
            gapEnd = longitudes[i];
        }
    }
    return unwrapped(gapEnd + (360.0 - gap) / 2, 0);
}

double shoelaceArea(const std::vector<QPointF> &points)
{
    double sum = 0;
    for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++)
        sum += (points[j].x() - points[i].x()) * (points[j].y() + points[i].y());
    return std::abs(sum) / 2;
}

QPainterPath pathOf(const std::vector<QPointF> &points)
{
    QPainterPath path;
    if (points.empty())
        return path;
    path.reserve(int(points.size()) + 1);
    path.moveTo(points.front());
    for (std::size_t i = 1; i < points.size(); ++i)
        path.lineTo(points[i]);
    path.closeSubpath();
    return path;
}

// The corners of an airspace in degrees, before they are placed in the scene.
struct Shape
{
    std::vector<QPointF> outline;
    std::vector<QPointF> original;

    void moveEast(double degrees)
    {
        for (std::vector<QPointF> *points : {&outline, &original}) {
            for (QPointF &p : *points)
                p.rx() += degrees;
        }
    }
};

// The item of an airspace with its anchor and bounds in degrees; its shape moved by whole
// turns so that the anchor lies in [-180, 180).
PreviewScene::Item itemOf(const PreviewAirspace &airspace, int index, Shape &shape)
{
    PreviewScene::Item item;
    item.index = index;
    item.state = airspace.state;
    item.writtenClass = airspace.airspaceClass >= 0 && airspace.airspaceClass <= WaveWindow ? airspace.airspaceClass
                                                                                            : Restricted;
    item.name = airspace.name;
    item.floorCm = airspace.floorCm;
    item.ceilingCm = airspace.ceilingCm;
    shape.outline = outlinePoints(airspace.outline);
    if (airspace.state == PreviewAirspace::State::Fitted)
        shape.original = outlinePoints(airspace.original);

    const QPointF middle = medianPoint(shape.outline.empty() ? shape.original : shape.outline);
    const double turn = unwrapped(middle.x(), 0) - middle.x();
    shape.moveEast(turn);
    item.anchor = middle + QPointF(turn, 0);
    item.bounds = item.isWritten() ? boundsOf(shape.outline).united(boundsOf(shape.original))
                                   : boundsWithoutStrays(shape.outline, item.anchor);
    return item;
}

QRectF atLeastMinimum(QRectF extent)
{
    if (extent.width() >= MinimumExtent && extent.height() >= MinimumExtent)
        return extent;
    const QPointF centre = extent.center();
    extent.setWidth(std::max(extent.width(), MinimumExtent));
    extent.setHeight(std::max(extent.height(), MinimumExtent));
    extent.moveCenter(centre);
    return extent;
}

QString titleOf(const PreviewData &data)
{
    QStringList names;
    for (const QString &name : data.inputFileNames)
        names.append(QFileInfo(name).fileName());
    return QObject::tr("%1, %2: %3/%4 umgewandelt")
        .arg(names.join(QStringLiteral(", ")), data.date.toString(QStringLiteral("yyyy-MM-dd")),
             QString::number(data.writtenCount), QString::number(data.keptCount));
}

} // namespace

PreviewScene::PreviewScene(const PreviewData &data) : m_title(titleOf(data))
{
    std::vector<Shape> shapes(data.airspaces.size());
    m_items.reserve(data.airspaces.size());
    bool anyWritten = false;
    for (std::size_t i = 0; i < data.airspaces.size(); ++i) {
        m_items.push_back(itemOf(data.airspaces[i], int(i), shapes[i]));
        anyWritten = anyWritten || (m_items[i].isWritten() && !shapes[i].outline.empty());
    }
    // The written airspaces decide what is shown, or all of them when none was written.
    std::vector<bool> shown(m_items.size());
    for (std::size_t i = 0; i < m_items.size(); ++i)
        shown[i] = !shapes[i].outline.empty() && (!anyWritten || m_items[i].isWritten());

    chooseProjection(shown);
    QRectF extent;
    std::vector<double> areas(m_items.size(), 0.0);
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        Item &item = m_items[i];
        Shape &shape = shapes[i];
        // The whole airspace moves by the turns that bring its anchor nearest the centre.
        const double turn = unwrapped(item.anchor.x(), m_centreLongitude) - item.anchor.x();
        shape.moveEast(turn);
        const QRectF bounds = item.bounds.translated(turn, 0);
        item.anchor = toScene(item.anchor.x() + turn, item.anchor.y());
        item.bounds = QRectF(toScene(bounds.left(), bounds.bottom()), toScene(bounds.right(), bounds.top()));
        for (std::vector<QPointF> *points : {&shape.outline, &shape.original}) {
            for (QPointF &p : *points)
                p = toScene(p.x(), p.y());
        }
        item.outline = pathOf(shape.outline);
        item.original = pathOf(shape.original);
        item.pathBounds = item.outline.controlPointRect().united(item.original.controlPointRect());
        areas[i] = shape.outline.empty() ? 0.0 : shoelaceArea(shape.outline);
        if (shown[i])
            extent = extent.isNull() ? item.bounds : extent.united(item.bounds);
    }
    m_extent = atLeastMinimum(m_items.empty() ? QRectF(toScene(-180, 85), toScene(180, -85)) : extent);
    orderItems(areas);
}

void PreviewScene::chooseProjection(const std::vector<bool> &shown)
{
    std::vector<double> longitudes;
    double south = 90, north = -90;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (!shown[i])
            continue;
        longitudes.push_back(m_items[i].anchor.x());
        south = std::min(south, m_items[i].bounds.top());
        north = std::max(north, m_items[i].bounds.bottom());
    }
    m_centreLongitude = centreLongitude(longitudes);
    m_middleLatitude = south <= north ? std::clamp((south + north) / 2, -85.0, 85.0) : 0.0;
    m_cosLatitude = std::cos(m_middleLatitude * Pi / 180.0);
}

void PreviewScene::orderItems(const std::vector<double> &areas)
{
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].isWritten()) {
            m_writtenOrder.push_back(int(i));
            m_writtenClasses |= 1 << m_items[i].writtenClass;
            m_hasFitted = m_hasFitted || m_items[i].state == PreviewAirspace::State::Fitted;
        } else {
            m_notWrittenOrder.push_back(int(i));
        }
    }
    // Large written airspaces first, so that small ones lie on top of them.
    std::stable_sort(m_writtenOrder.begin(), m_writtenOrder.end(),
                     [&](int a, int b) { return areas[std::size_t(a)] > areas[std::size_t(b)]; });
}

QPointF PreviewScene::toScene(double longitude, double latitude) const
{
    return QPointF((longitude - m_centreLongitude) * m_cosLatitude, m_middleLatitude - latitude);
}

QPointF PreviewScene::toScene(GeoPoint point) const
{
    const double longitude = point.lon * DegreesPerMas;
    return toScene(unwrapped(longitude, m_centreLongitude), point.lat * DegreesPerMas);
}

QPointF PreviewScene::toGeo(QPointF scenePoint) const
{
    return QPointF(unwrapped(longitudeAt(scenePoint.x()), 0), latitudeAt(scenePoint.y()));
}

double PreviewScene::longitudeAt(double x) const
{
    return x / m_cosLatitude + m_centreLongitude;
}

double PreviewScene::latitudeAt(double y) const
{
    return m_middleLatitude - y;
}

std::vector<int> PreviewScene::itemsAt(QPointF scenePoint) const
{
    std::vector<int> found;
    for (auto it = m_notWrittenOrder.rbegin(); it != m_notWrittenOrder.rend(); ++it) {
        const Item &item = m_items[std::size_t(*it)];
        if (item.bounds.contains(scenePoint) && item.outline.contains(scenePoint))
            found.push_back(*it);
    }
    for (auto it = m_writtenOrder.rbegin(); it != m_writtenOrder.rend(); ++it) {
        const Item &item = m_items[std::size_t(*it)];
        if (item.pathBounds.contains(scenePoint) && item.outline.contains(scenePoint))
            found.push_back(*it);
    }
    return found;
}
