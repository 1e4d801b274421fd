#pragma once

#include "model/geopoint.h"

#include <QString>

// Text forms used in the kaf file.

// "dd:mm.mmm N ddd:mm.mmm E": latitude first, minutes with three decimals, 0 counts as
// south / west. The minutes are not carried into the degrees (59.9998' gives "60.000").
QString deviceCoordinateText(GeoPoint point);
// Writes the same text from `out` on, without a temporary string, and returns its end;
// it takes at most this many characters.
constexpr int DeviceCoordinateTextMax = 32;
char16_t *putDeviceCoordinateText(char16_t *out, GeoPoint point);

// A height or distance in centimetres as whole metres, truncated toward zero.
QString deviceMetreText(int centimetres);

// Reduces a text to printable ASCII for the instrument: German umlauts and é, è, à lose
// their accent, anything else outside blank..tilde becomes "_". The length is kept.
QString toDeviceText(const QString &text);

// The class letters of the AC line: R, Q, P, A, B, C, D, GP, CTR, W. Special and unknown
// classes are written as restricted (R).
QString deviceClassText(int airspaceClass);
