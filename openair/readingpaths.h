#pragma once

// The fast paths of the reader beside the general ways they stand in for, so that tests
// can hold the two to the same results. Not for other callers.

#include "openair/altitude.h"
#include "model/geopoint.h"

// By hand, for plain ASCII texts.
AltitudeReading readAltitudeByHand(QStringView text, bool heightsInFeet);
// By regular expressions, for any text.
AltitudeReading readAltitudeByPatterns(QStringView text, bool heightsInFeet);

// "dd:mm:ss.s N ddd:mm:ss.s E" or with minutes only, in either order and either case:
// false for anything else, which then takes the general way.
bool readUsualPair(QStringView text, GeoPoint &point);
// Any pair the reader takes, ok false when a value cannot be read. Neither way checks the
// range of the values.
GeoPoint readPairGenerally(QStringView text, bool *ok);
