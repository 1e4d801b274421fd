#pragma once

// The fast paths of the reader beside the general ways they stand in for, so that tests
// can hold the two to the same results. Not for other callers.

#include "openair/altitude.h"
#include "model/geopoint.h"

#include <QString>

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

// The kind of a V record and its value, the keys taken out: "X" for a centre
// ("V X=..."), "D" for a direction, "W" or "Z" for width and zoom (nothing to do), empty
// for none of these. The keys match in either case with up to ten blanks around.
struct VariableRecord {
    char kind = 0;
    QString value;   // for X and D: the line with every "V X=" or "V D=" key taken out
    friend bool operator==(const VariableRecord &a, const VariableRecord &b)
    {
        return a.kind == b.kind && a.value == b.value;
    }
};
// By hand, for plain ASCII lines; false for any other line.
bool readVariableByHand(QStringView line, VariableRecord &record);
// By regular expressions, for any line.
VariableRecord readVariableByPatterns(const QString &line);
