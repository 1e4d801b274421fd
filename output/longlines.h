#pragma once

#include "model/airspacesegment.h"

// Straight edges longer than this (5 km) are halved before an outline is written.
constexpr int32_t LongLineCm = 500000;
// Halving never makes an outline grow beyond this many segments.
constexpr int SplitSegmentLimit = 98;

// A working copy of `segments` in which the longest straight edge (the first of equals)
// is halved again and again until none is longer than LongLineCm or the copy holds
// SplitSegmentLimit segments. Arcs and circles are never split. The given segments
// themselves are not changed: split edges are replaced by new segments in the copy.
SegmentList splitLongLines(SegmentList segments);
