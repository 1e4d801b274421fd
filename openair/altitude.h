#pragma once

#include <QString>

#include <cstdint>

// Feet to centimetres by the fixed-point rule of the device (1,000 ft give 30,479 cm,
// a little below 30,480). Saturates at the 32-bit limit; negative values count as 0.
int32_t feetToCentimetres(int64_t feet);

// A limit text such as "GND", "FL95", "1000 ft MSL" or "2500" (already trimmed and not
// empty) in centimetres. Heights without a unit followed by a reference are read in the
// base unit: feet when heightsInFeet, else metres.
int32_t altitudeCentimetres(const QString &text, bool heightsInFeet);
