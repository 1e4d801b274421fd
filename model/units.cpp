#include "model/units.h"

#include "model/saturating.h"

#include <algorithm>

namespace Units {

int32_t feetToCentimetres(int64_t feet)
{
    if (feet <= 0)
        return 0;
    feet = std::min<int64_t>(feet, int64_t(Saturating::Max) * 100);
    if (feet <= 9999)
        return Saturating::toInt32(feet * 62423 / 2048);
    // Above 9,999 ft the halved value keeps the product small on the instrument; an odd
    // foot adds the 32 cm that the halving lost.
    return Saturating::toInt32((feet / 2) * 62423 / 1024 + (feet % 2 ? 32 : 0));
}

int32_t metresToCentimetres(int64_t metres)
{
    return Saturating::toInt32(std::clamp<int64_t>(metres, -(int64_t(1) << 40), int64_t(1) << 40) * 100);
}

int32_t feetToWholeMetres(int64_t feet)
{
    // Far beyond any usable distance; keeps the product inside 64 bits.
    constexpr int64_t Limit = int64_t(1) << 40;
    return Saturating::toInt32(std::clamp(feet, -Limit, Limit) * 3048 / 10000);
}

int32_t warningFeetToCentimetres(int64_t feet)
{
    return Saturating::truncToInt32(double(feet) * 100.0 / 3.2808399);
}

} // namespace Units
