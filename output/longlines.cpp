#include "output/longlines.h"

#include "model/geometry.h"

#include <algorithm>

namespace {

// A piece while splitting, with its length: 0 for arcs and circles.
struct MeasuredPiece {
    GeoPoint start;
    GeoPoint end;
    DistanceBearing length;
    int original;
};

// The middle is found from the start along the piece's own bearing.
void halve(const MeasuredPiece &piece, MeasuredPiece &first, MeasuredPiece &second)
{
    const GeoPoint middle = destinationPoint(piece.start, piece.length.distance / 2, piece.length.bearing);
    first = {piece.start, middle, distanceAndBearing(piece.start, middle), -1};
    second = {middle, piece.end, distanceAndBearing(middle, piece.end), -1};
}

} // namespace

// Longest first, the first of equal lengths, until none is long or the limit is reached.
// A plain scan per halving (at most 98 pieces) costs no more, measured on the France
// file, than halving each edge on its own, and keeps the order rule obvious.
void splitLongLines(const SegmentList &segments, std::vector<OutlinePiece> &pieces)
{
    pieces.clear();
    // At the limit already (fitted outlines are): nothing to measure.
    if (segments.size() >= std::size_t(SplitSegmentLimit)) {
        pieces.reserve(segments.size());
        for (std::size_t i = 0; i < segments.size(); ++i)
            pieces.push_back({segments[i]->startPoint(), segments[i]->endPoint(), int(i)});
        return;
    }
    std::vector<MeasuredPiece> measured;
    measured.reserve(std::max(segments.size(), std::size_t(SplitSegmentLimit)));
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const AirspaceSegment &segment = *segments[i];
        const GeoPoint start = segment.startPoint();
        const GeoPoint end = segment.endPoint();
        const DistanceBearing length = segment.kind() == Line ? distanceAndBearing(start, end) : DistanceBearing{};
        measured.push_back({start, end, length, int(i)});
    }
    while (!measured.empty() && measured.size() < std::size_t(SplitSegmentLimit)) {
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
    pieces.reserve(measured.size());
    for (const MeasuredPiece &piece : measured)
        pieces.push_back({piece.start, piece.end, piece.original});
}

SegmentList splitLongLines(const SegmentList &segments)
{
    std::vector<OutlinePiece> pieces;
    splitLongLines(segments, pieces);
    return pieceSegments(segments, pieces);
}

SegmentList pieceSegments(const SegmentList &segments, const std::vector<OutlinePiece> &pieces)
{
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
