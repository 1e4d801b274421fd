#include "model/airspace.h"

#include "model/geometry.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

namespace {
constexpr int DeviceNameLength = 16;
}

// Straight edges are by far the most numerous objects: an outline takes them from an
// arena of its own instead of one heap allocation each. The arena counts its users, the
// airspace and every segment in it, and goes with the last of them; memory of single
// segments is not given back before.
class SegmentArena
{
public:
    SegmentArena() = default;
    SegmentArena(const SegmentArena &) = delete;
    SegmentArena &operator=(const SegmentArena &) = delete;

    void retain() { m_users.fetch_add(1, std::memory_order_relaxed); }
    void release()
    {
        if (m_users.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }

    // `alignment` is a power of two no larger than that of max_align_t, which chunks have.
    void *allocate(std::size_t bytes, std::size_t alignment)
    {
        std::size_t offset = (m_used + alignment - 1) & ~(alignment - 1);
        if (!m_chunk || offset > m_chunk->size || m_chunk->size - offset < bytes) {
            // Chunks double, so an outline of n edges takes about log n allocations.
            m_nextSize = std::max(m_nextSize * 2, bytes);
            auto *chunk = static_cast<Chunk *>(std::malloc(sizeof(Chunk) + m_nextSize));
            if (!chunk)
                throw std::bad_alloc();
            chunk->previous = m_chunk;
            chunk->size = m_nextSize;
            m_chunk = chunk;
            offset = 0;
        }
        m_used = offset + bytes;
        return reinterpret_cast<char *>(m_chunk + 1) + offset;
    }

private:
    ~SegmentArena()
    {
        while (m_chunk) {
            Chunk *previous = m_chunk->previous;
            std::free(m_chunk);
            m_chunk = previous;
        }
    }

    struct alignas(std::max_align_t) Chunk {
        Chunk *previous;
        std::size_t size;
    };
    std::atomic<long> m_users{1};   // the airspace that made it
    Chunk *m_chunk = nullptr;
    std::size_t m_used = 0;
    std::size_t m_nextSize = 512;
};

namespace {

// Copies of the allocator are plain pointers: only a segment's allocation and its
// release count, so a segment costs the arena's counter two changes.
template <typename T>
struct ArenaAllocator {
    using value_type = T;
    SegmentArena *arena;

    explicit ArenaAllocator(SegmentArena *a) : arena(a) {}
    template <typename U>
    ArenaAllocator(const ArenaAllocator<U> &other) : arena(other.arena) {}

    T *allocate(std::size_t n)
    {
        static_assert(alignof(T) <= alignof(std::max_align_t));
        void *memory = arena->allocate(n * sizeof(T), alignof(T));
        arena->retain();
        return static_cast<T *>(memory);
    }
    void deallocate(T *, std::size_t) { arena->release(); }

    template <typename U>
    bool operator==(const ArenaAllocator<U> &other) const { return arena == other.arena; }
    template <typename U>
    bool operator!=(const ArenaAllocator<U> &other) const { return arena != other.arena; }
};

} // namespace

void Airspace::releaseArena()
{
    if (m_arena)
        m_arena->release();
    m_arena = nullptr;
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
    m_subBlockPending = false;
    // The old segments may live on elsewhere with the old arena; the copy starts a new one.
    releaseArena();

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

Airspace::~Airspace()
{
    releaseArena();
}

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
    if (!m_arena)
        m_arena = new SegmentArena;
    return std::allocate_shared<AirspaceSegment>(ArenaAllocator<AirspaceSegment>(m_arena), from, to);
}

const std::vector<SubBlockPtr> &Airspace::subBlocks() const
{
    buildPendingSubBlock();
    return m_subBlocks;
}

// The sub-block holds the segments as they were when the outline was finished.
void Airspace::buildPendingSubBlock() const
{
    if (!m_subBlockPending)
        return;
    m_subBlockPending = false;
    m_subBlocks.clear();
    m_subBlocks.push_back(std::make_shared<AirspaceSubBlock>(m_segments));
}

void Airspace::appendSegment(SegmentPtr segment)
{
    buildPendingSubBlock();
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
    buildPendingSubBlock();
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

    m_subBlockPending = true;
    m_isFinished = true;
}

void Airspace::makeClockwise()
{
    buildPendingSubBlock();
    if (m_segments.empty())
        return;
    if (orientation(m_segments) != -1)
        return;
    std::reverse(m_segments.begin(), m_segments.end());
    for (const SegmentPtr &segment : m_segments)
        segment->reverse();
}
