#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Values read from a file can be anything; they are clamped to the 32-bit range instead
// of overflowing.
namespace Saturating {

constexpr int32_t Min = std::numeric_limits<int32_t>::min();
constexpr int32_t Max = std::numeric_limits<int32_t>::max();

inline int32_t toInt32(int64_t value)
{
    return value < Min ? Min : value > Max ? Max : static_cast<int32_t>(value);
}

// Truncates toward zero. NaN counts as 0; it is filtered out by the callers before.
inline int32_t truncToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value <= double(Min))
        return Min;
    if (value >= double(Max))
        return Max;
    return static_cast<int32_t>(value);
}

// Appends one decimal digit to a non-negative value, sticking at Max once it is reached.
inline int64_t appendDigit(int64_t value, int digit)
{
    const int64_t next = value * 10 + digit;
    return next > Max ? Max : next;
}

} // namespace Saturating
