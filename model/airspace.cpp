#include "model/airspace.h"

#include "model/geometry.h"

#include <algorithm>

namespace {
constexpr int DeviceNameLength = 16;
}

Airspace::Airspace() = default;

Airspace::Airspace(const Airspace &other) : QObject()
{
    *this = other;
}

// Attributes are copied; the outline is rebuilt by replaying the source's segments
// through the outline operations, so the copy owns segments of its own.
Airspace &Airspace::operator=(const Airspace &other)
{
    if (this == &other)
        return *this;

    m_penUp = true;
    m_hasDefinitionError = false;
    m_isFinished = false;
    m_segments.clear();
    m_subBlocks.clear();

    m_enabled = other.m_enabled;
    m_airspaceClass = other.m_airspaceClass;
    m_name = other.m_name;
    m_deviceName = other.m_deviceName;
    m_floor = other.m_floor;
    m_floorText = other.m_floorText;
    m_ceiling = other.m_ceiling;
    m_ceilingText = other.m_ceilingText;
    m_comment = other.m_comment;
    m_adText = other.m_adText;
    m_acText = other.m_acText;
    m_ayText = other.m_ayText;
    m_typeFlags = other.m_typeFlags;
    m_warningDistance = other.m_warningDistance;
    m_baseUnitLimits = other.m_baseUnitLimits;
    m_aboveGroundLimits = other.m_aboveGroundLimits;
    m_arTexts = other.m_arTexts;
    m_definitionFaults = other.m_definitionFaults;
    m_hasDefinitionError = !m_definitionFaults.isEmpty();
    m_hadSegment = other.m_hadSegment;

    // Iterate over a copy of the pointers: the source's list must not change underneath.
    const SegmentList source = other.m_segments;
    for (const SegmentPtr &segment : source) {
        if (segment->kind() == Line) {
            if (m_penUp)
                addPoint(segment->startPoint());
            addPoint(segment->endPoint());
        } else {
            SegmentPtr arc = addArc(segment->centrePoint(), segment->startPoint(), segment->endPoint(),
                                    segment->isClockwise());
            GeoPoint first, second;
            segment->auxPoints(first, second);
            arc->setAuxPoints(first, second);
        }
    }
    return *this;
}

Airspace::~Airspace() = default;

void Airspace::setName(const QString &text)
{
    m_name = text;
    m_deviceName = text.left(DeviceNameLength);
}

void Airspace::appendCommentLine(QStringView text)
{
    if (!m_comment.isEmpty())
        m_comment.append(u'\n');
    m_comment.append(text);
}

void Airspace::addDefinitionFault(const QString &text)
{
    m_definitionFaults.append(text);
    m_hasDefinitionError = true;
}

SegmentPtr Airspace::makeLine(GeoPoint from, GeoPoint to)
{
    return std::make_shared<AirspaceSegment>(from, to);
}

void Airspace::appendSegment(SegmentPtr segment)
{
    m_isFinished = false;
    m_hadSegment = true;
    m_segments.push_back(std::move(segment));
}

void Airspace::addPoint(GeoPoint point)
{
    m_isFinished = false;
    if (m_penUp) {
        m_currentPoint = point;
        m_penUp = false;
        return;
    }
    // A repeated point still draws a zero-length line; finishing removes it.
    appendSegment(makeLine(m_currentPoint, point));
    m_currentPoint = point;
}

void Airspace::addCircle(GeoPoint centre, int radiusCm)
{
    // A circle stands alone: the pen stays where it was.
    appendSegment(makeCircleSegment(centre, radiusCm));
}

SegmentPtr Airspace::addArc(GeoPoint centre, GeoPoint from, GeoPoint to, bool clockwise)
{
    m_isFinished = false;
    // Only a single point before the first arc is joined to the arc's start.
    if (m_segments.empty() && !m_penUp)
        addPoint(from);

    ArcConstruction built = makeArcSegment(centre, from, to, clockwise);
    if (built.connectingLine && built.lineBeforeArc) {
        appendSegment(built.connectingLine);
        appendSegment(built.arc);
    } else {
        appendSegment(built.arc);
        if (built.connectingLine)
            appendSegment(built.connectingLine);
    }
    m_currentPoint = to;
    m_penUp = false;
    return built.arc;
}

bool Airspace::isClosed() const
{
    if (m_segments.empty())
        return true;
    return m_segments.front()->startPoint() == m_segments.back()->endPoint();
}

void Airspace::closeOutline()
{
    if (isClosed())
        return;
    appendSegment(makeLine(m_segments.back()->endPoint(), m_segments.front()->startPoint()));
    finishDefinition();
}

void Airspace::finishDefinition()
{
    m_segments.erase(std::remove_if(m_segments.begin(), m_segments.end(),
                                    [](const SegmentPtr &s) {
                                        return s->kind() == Line && s->startPoint() == s->endPoint();
                                    }),
                     m_segments.end());
    makeClockwise();

    for (const SegmentPtr &segment : m_segments) {
        if (segment->hasError()) {
            m_hasDefinitionError = true;
            break;
        }
    }
    if (m_hasDefinitionError) {
        emit ErrorInDefinition(m_name, m_comment);
        m_isFinished = true;
        return;
    }

    // The sub-block holds the segments as they were when the outline was finished.
    m_subBlocks.clear();
    m_subBlocks.push_back(std::make_shared<AirspaceSubBlock>(m_segments));
    m_isFinished = true;
}

void Airspace::makeClockwise()
{
    if (m_segments.empty())
        return;
    if (orientation(m_segments) != -1)
        return;
    std::reverse(m_segments.begin(), m_segments.end());
    for (const SegmentPtr &segment : m_segments)
        segment->reverse();
}
