#include "output/longlines.h"

#include "model/geometry.h"

#include <algorithm>

namespace {

// One piece of the outline while splitting: plain values, so that inserting a piece only
// moves a few bytes and no segment is made for a piece that is split again.
struct Piece {
    GeoPoint start;
    GeoPoint end;
    DistanceBearing length;   // 0 for arcs and circles: they are never split
    int original;             // index of the untouched given segment, or -1
};

} // namespace

SegmentList splitLongLines(SegmentList segments)
{
    const std::size_t count = segments.size();
    if (count == 0 || count >= std::size_t(SplitSegmentLimit))
        return segments;

    std::vector<Piece> pieces;
    pieces.reserve(SplitSegmentLimit);
    bool anyLong = false;
    for (std::size_t i = 0; i < count; ++i) {
        const AirspaceSegment &segment = *segments[i];
        const DistanceBearing length = segment.kind() == Line
            ? distanceAndBearing(segment.startPoint(), segment.endPoint()) : DistanceBearing{};
        anyLong = anyLong || length.distance > LongLineCm;
        pieces.push_back({segment.startPoint(), segment.endPoint(), length, int(i)});
    }
    if (!anyLong)
        return segments;

    while (pieces.size() < std::size_t(SplitSegmentLimit)) {
        // max_element gives the first of several equal maxima.
        const auto longest = std::max_element(pieces.begin(), pieces.end(), [](const Piece &a, const Piece &b) {
            return a.length.distance < b.length.distance;
        });
        if (longest->length.distance <= LongLineCm)
            break;
        const GeoPoint middle =
            destinationPoint(longest->start, longest->length.distance / 2, longest->length.bearing);
        const Piece second{middle, longest->end, distanceAndBearing(middle, longest->end), -1};
        longest->end = middle;
        longest->length = distanceAndBearing(longest->start, middle);
        longest->original = -1;
        pieces.insert(longest + 1, second);
    }

    SegmentList result;
    result.reserve(pieces.size());
    for (const Piece &piece : pieces) {
        if (piece.original >= 0)
            result.push_back(std::move(segments[std::size_t(piece.original)]));
        else
            result.push_back(std::make_shared<AirspaceSegment>(piece.start, piece.end));
    }
    return result;
}
