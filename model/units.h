#pragma once

#include <cstdint>

// The units of the system and the conversions between them. Heights, distances and the
// warning distance are whole centimetres inside; each conversion from feet keeps the rule
// of the place that uses it, as the files and the instrument already depend on them.
namespace Units {

// The warning distance of a first start, and the most the window and zonvert-cli take.
constexpr int DefaultWarningMetres = 400;
constexpr int MaxWarningMetres = 10000;

// Heights in feet by the instrument's fixed-point rule: 1,000 ft give 30,479 cm, a little
// below 30,480. Saturates at the 32-bit limit; negative values count as 0.
int32_t feetToCentimetres(int64_t feet);
// Heights and distances in metres; saturates at the 32-bit limit.
int32_t metresToCentimetres(int64_t metres);

// A warning distance given in feet on a command line, in whole metres: x 0.3048,
// truncated toward zero (1,000 ft give 304 m); saturates.
int32_t feetToWholeMetres(int64_t feet);
// The warning distance of the window's feet choice in centimetres: x 100 / 3.2808399,
// truncated toward zero (400 ft give 12,191 cm, 1,000 ft 30,479 cm); saturates.
int32_t warningFeetToCentimetres(int64_t feet);

} // namespace Units
