#pragma once

#include "model/airspacesegment.h"

// Which way an outline may move when it is fitted into fewer segments.
enum class FitSide {
    Outside,   // the fitted outline contains the original: a pilot is warned early, never late
    Inside,    // the fitted outline lies inside the original: for areas a pilot may use (wave windows)
};

struct OutlineFit {
    // Closed (the last segment ends where the first starts), clockwise, without self-intersection,
    // at most the asked number of segments. Empty when the outline could not be fitted.
    SegmentList segments;
    // The largest distance (cm) of a point of the fitted outline from the original outline.
    int32_t largestDistanceCm = 0;
};

// How far (cm) a point of the original outline may lie on the wrong side of the fitted one.
constexpr int32_t FitToleranceCm = 1000;

// Fits a finished outline (zero-length lines removed, turned clockwise) into at most maxSegments
// segments, the closing line included. The outline may be open, the closing line from the last
// end to the first start then being implied; a segment that starts away from the previous end
// is joined to it by a straight line. Arcs and circles are kept where they fit. The same input
// always gives the same result.
OutlineFit fitOutline(const SegmentList &outline, int maxSegments, FitSide side);
