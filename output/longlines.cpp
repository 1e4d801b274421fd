#include "output/longlines.h"

#include "model/geometry.h"

#include <algorithm>

namespace {

DistanceBearing lineLength(const AirspaceSegment &segment)
{
    if (segment.kind() != Line)
        return {};
    return distanceAndBearing(segment.startPoint(), segment.endPoint());
}

} // namespace

SegmentList splitLongLines(SegmentList segments)
{
    const std::size_t limit = SplitSegmentLimit;
    if (segments.empty() || segments.size() >= limit)
        return segments;

    // The lengths are kept beside the list, so a split only measures its two new pieces.
    std::vector<DistanceBearing> lengths;
    lengths.reserve(limit);
    for (const SegmentPtr &segment : segments)
        lengths.push_back(lineLength(*segment));

    while (segments.size() < limit) {
        // max_element returns the first of several equal maxima.
        const auto longest = std::max_element(
            lengths.begin(), lengths.end(),
            [](const DistanceBearing &a, const DistanceBearing &b) { return a.distance < b.distance; });
        if (longest->distance <= LongLineCm)
            break;
        const auto index = std::distance(lengths.begin(), longest);
        const SegmentPtr old = segments[index];
        const GeoPoint middle =
            destinationPoint(old->startPoint(), longest->distance / 2, longest->bearing);
        auto first = std::make_shared<AirspaceSegment>(old->startPoint(), middle);
        auto second = std::make_shared<AirspaceSegment>(middle, old->endPoint());
        const DistanceBearing firstLength = lineLength(*first);
        const DistanceBearing secondLength = lineLength(*second);

        segments[index] = std::move(first);
        segments.insert(segments.begin() + index + 1, std::move(second));
        lengths[index] = firstLength;
        lengths.insert(lengths.begin() + index + 1, secondLength);
    }
    return segments;
}
