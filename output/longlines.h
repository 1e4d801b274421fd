#pragma once

#include "model/airspacesegment.h"

#include <vector>

// Straight edges longer than this (5 km) are halved before an outline is written.
constexpr int32_t LongLineCm = 500000;
// Halving never makes an outline grow beyond this many segments.
constexpr int SplitSegmentLimit = 98;

// One piece of a working outline: a given segment left whole (`original` is its index),
// or a part of a halved edge (`original` is -1) running from `start` to `end`.
struct OutlinePiece {
    GeoPoint start;
    GeoPoint end;
    int original;
};

// The working outline in which the longest straight edge (the first of equals) is halved
// again and again until none is longer than LongLineCm or the outline holds
// SplitSegmentLimit pieces. Arcs and circles are never split; `segments` is not changed.
void splitLongLines(const SegmentList &segments, std::vector<OutlinePiece> &pieces);

// The same working outline as segments: split edges become new segments.
SegmentList splitLongLines(const SegmentList &segments);
// The segments of a working outline made from `segments`.
SegmentList pieceSegments(const SegmentList &segments, const std::vector<OutlinePiece> &pieces);
