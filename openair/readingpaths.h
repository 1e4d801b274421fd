#pragma once

// The fast paths of the reader beside the general ways they stand in for, so that tests
// can hold the two to the same results. Not for other callers.

#include "openair/altitude.h"

// By hand, for plain ASCII texts.
AltitudeReading readAltitudeByHand(QStringView text, bool heightsInFeet);
// By regular expressions, for any text.
AltitudeReading readAltitudeByPatterns(QStringView text, bool heightsInFeet);
