#include "output/longlines.h"

#include "model/geometry.h"

#include <algorithm>

namespace {

// A piece while splitting, with its length: 0 for arcs, circles and pieces too short to
// be split.
struct MeasuredPiece {
    GeoPoint start;
    GeoPoint end;
    DistanceBearing length;
    int original;
};

// Only pieces longer than LongLineCm are ever halved, so the exact length is needed for
// them alone. A piece whose larger flat component is at most this cannot be longer
// (the distance is at most sqrt(2) times that component, 4,950 m here) and keeps a
// length of 0, which saves the costly part of the distance for nearly every edge.
constexpr int64_t SurelyShortComponentCm = 350000;

DistanceBearing lengthToSplit(GeoPoint from, GeoPoint to)
{
    if (largerFlatComponent(from, to) <= SurelyShortComponentCm)
        return {};
    return distanceAndBearing(from, to);
}

// Halving depends on nothing but the piece itself: the middle is found from the start
// along the piece's own bearing.
void halve(const MeasuredPiece &piece, MeasuredPiece &first, MeasuredPiece &second)
{
    const GeoPoint middle = destinationPoint(piece.start, piece.length.distance / 2, piece.length.bearing);
    first = {piece.start, middle, lengthToSplit(piece.start, middle), -1};
    second = {middle, piece.end, lengthToSplit(middle, piece.end), -1};
}

// As each halving depends only on its piece, the order of the halvings does not matter
// as long as the limit is not reached: every edge can be halved on its own, depth first,
// and the leaves come out in outline order. False when the pieces would pass the limit;
// then the order matters and the caller halves longest first.
bool splitEachEdge(const std::vector<MeasuredPiece> &measured, std::vector<OutlinePiece> &pieces)
{
    const std::size_t limit = std::size_t(SplitSegmentLimit);
    MeasuredPiece stack[SplitSegmentLimit + 2];
    for (const MeasuredPiece &edge : measured) {
        if (edge.length.distance <= LongLineCm) {
            pieces.push_back({edge.start, edge.end, edge.original});
            continue;
        }
        std::size_t depth = 0;
        stack[depth++] = edge;
        while (depth > 0) {
            const MeasuredPiece piece = stack[--depth];
            if (piece.length.distance <= LongLineCm) {
                pieces.push_back({piece.start, piece.end, -1});
                continue;
            }
            // Every piece waiting on the stack still gives at least one.
            if (pieces.size() + depth + 2 > limit)
                return false;
            halve(piece, stack[depth + 1], stack[depth]);
            depth += 2;
        }
    }
    return pieces.size() <= limit;
}

// About how many pieces halving every edge on its own gives: halves are close to half as
// long. Only a guide for which way to go; both give the same pieces.
std::size_t estimatedPieces(const std::vector<MeasuredPiece> &measured)
{
    std::size_t count = 0;
    for (const MeasuredPiece &piece : measured) {
        std::size_t leaves = 1;
        for (int64_t length = piece.length.distance; length > LongLineCm && leaves <= std::size_t(SplitSegmentLimit);
             length /= 2)
            leaves *= 2;
        count += leaves;
    }
    return count;
}

// Longest first, the first of equal lengths, until none is long or the limit is reached.
void splitLongestFirst(std::vector<MeasuredPiece> measured, std::vector<OutlinePiece> &pieces)
{
    measured.reserve(SplitSegmentLimit);
    while (measured.size() < std::size_t(SplitSegmentLimit)) {
        const auto longest = std::max_element(measured.begin(), measured.end(),
                                              [](const MeasuredPiece &a, const MeasuredPiece &b) {
                                                  return a.length.distance < b.length.distance;
                                              });
        if (longest->length.distance <= LongLineCm)
            break;
        MeasuredPiece first, second;
        halve(*longest, first, second);
        *longest = first;
        measured.insert(longest + 1, second);
    }
    pieces.clear();
    for (const MeasuredPiece &piece : measured)
        pieces.push_back({piece.start, piece.end, piece.original});
}

} // namespace

void splitLongLines(const SegmentList &segments, std::vector<OutlinePiece> &pieces)
{
    pieces.clear();
    const std::size_t count = segments.size();
    pieces.reserve(std::max(count, std::size_t(SplitSegmentLimit)));
    if (count >= std::size_t(SplitSegmentLimit)) {
        for (std::size_t i = 0; i < count; ++i)
            pieces.push_back({segments[i]->startPoint(), segments[i]->endPoint(), int(i)});
        return;
    }

    std::vector<MeasuredPiece> measured;
    measured.reserve(count);
    bool anyLong = false;
    for (std::size_t i = 0; i < count; ++i) {
        const AirspaceSegment &segment = *segments[i];
        const GeoPoint start = segment.startPoint();
        const GeoPoint end = segment.endPoint();
        const DistanceBearing length = segment.kind() == Line ? lengthToSplit(start, end) : DistanceBearing{};
        anyLong = anyLong || length.distance > LongLineCm;
        measured.push_back({start, end, length, int(i)});
    }
    if (!anyLong) {
        for (const MeasuredPiece &piece : measured)
            pieces.push_back({piece.start, piece.end, piece.original});
        return;
    }

    // An outline that will clearly reach the limit goes longest first at once, instead of
    // after halving its edges until the limit shows.
    if (estimatedPieces(measured) > std::size_t(SplitSegmentLimit) || !splitEachEdge(measured, pieces))
        splitLongestFirst(std::move(measured), pieces);
}

SegmentList splitLongLines(const SegmentList &segments)
{
    std::vector<OutlinePiece> pieces;
    splitLongLines(segments, pieces);
    SegmentList result;
    result.reserve(pieces.size());
    for (const OutlinePiece &piece : pieces) {
        if (piece.original >= 0)
            result.push_back(segments[std::size_t(piece.original)]);
        else
            result.push_back(std::make_shared<AirspaceSegment>(piece.start, piece.end));
    }
    return result;
}
