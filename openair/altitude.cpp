#include "openair/altitude.h"

#include "openair/readingpaths.h"
#include "model/saturating.h"
#include "model/units.h"
#include "model/geopoint.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstring>

namespace {

constexpr QRegularExpression::PatternOptions Options =
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption;

// Case-insensitive, with \s and \d for all of Unicode as in the toolkit's older engine.
QRegularExpression pattern(const char *text)
{
    QRegularExpression re(QString::fromLatin1(text), Options);
    re.optimize();
    return re;
}

// A run of digits as a non-negative number; huge values stick at the 32-bit limit.
int64_t digitsValue(QStringView digits)
{
    int64_t value = 0;
    for (QChar c : digits)
        value = Saturating::appendDigit(value, qMax(0, c.digitValue()));
    return value;
}

bool isAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

bool isAsciiSpace(char16_t c) { return c == u' ' || (c >= 0x09 && c <= 0x0D); }

char16_t asciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - (u'a' - u'A')) : c; }

// The word (upper case) stands at `at`, compared without case.
bool wordAt(QStringView text, qsizetype at, const char *word)
{
    for (; *word; ++word, ++at) {
        if (at >= text.size() || asciiUpper(text[at].unicode()) != char16_t(*word))
            return false;
    }
    return true;
}

qsizetype digitsEnd(QStringView text, qsizetype at)
{
    while (at < text.size() && text[at] >= u'0' && text[at] <= u'9')
        ++at;
    return at;
}

bool isAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// The unit word right after a number that ends at `from`, blanks allowed between: the
// whole run of letters there must be one of the words, so the M of "MSL" and the F of
// "SFC" are none. Returns F (feet) or M (metres), 0 when there is no unit.
char16_t unitAfter(QStringView text, qsizetype from)
{
    while (from < text.size() && isAsciiSpace(text[from].unicode()))
        ++from;
    qsizetype end = from;
    while (end < text.size() && isAsciiLetter(text[end].unicode()))
        ++end;
    const QStringView word = text.mid(from, end - from);
    for (const char *feet : {"F", "FT", "FEET"}) {
        if (word.size() == qsizetype(std::strlen(feet)) && wordAt(word, 0, feet))
            return u'F';
    }
    for (const char *metres : {"M", "METER", "METERS", "METRE", "METRES"}) {
        if (word.size() == qsizetype(std::strlen(metres)) && wordAt(word, 0, metres))
            return u'M';
    }
    return 0;
}

constexpr AltitudeReading Unreadable{0, false};

} // namespace

AltitudeReading readAltitudeByHand(QStringView text, bool heightsInFeet)
{
    if (wordAt(text, 0, "UNL"))
        return {UnlimitedCeilingCm};
    for (const char *ground : {"GROUND", "GND", "AGL", "SFC", "SURFACE"}) {
        if (wordAt(text, 0, ground))
            return {0};
    }
    if (wordAt(text, 0, "FL")) {
        qsizetype levelStart = 2;
        while (levelStart < text.size() && isAsciiSpace(text[levelStart].unicode()))
            ++levelStart;
        const qsizetype levelEnd = digitsEnd(text, levelStart);
        if (levelEnd == levelStart)
            return Unreadable;
        const int64_t hundreds = digitsValue(text.mid(levelStart, levelEnd - levelStart));
        // "FL95 M": the hundreds are metres. Base unit and reference play no part.
        if (unitAfter(text, levelEnd) == u'M')
            return {Units::metresToCentimetres(hundreds * 100)};
        return {Units::feetToCentimetres(hundreds * 100)};
    }
    const qsizetype valueEnd = digitsEnd(text, 0);
    if (valueEnd == 0)
        return Unreadable;
    const int64_t value = digitsValue(text.left(valueEnd));
    const char16_t unit = unitAfter(text, valueEnd);
    const bool metres = unit ? unit == u'M' : !heightsInFeet;
    bool aboveGround = false;
    for (qsizetype at = valueEnd; at < text.size() && !aboveGround; ++at)
        aboveGround = wordAt(text, at, "AGL") || wordAt(text, at, "SFC") || wordAt(text, at, "GND");
    return {metres ? Units::metresToCentimetres(value) : Units::feetToCentimetres(value), true, value != 0 && !unit,
            value != 0 && aboveGround};
}

AltitudeReading readAltitudeByPatterns(QStringView text, bool heightsInFeet)
{
    static const QRegularExpression token = pattern("(^GROUND|^GND|^AGL|^SFC|^SURFACE|^UNL|^FL|^\\d+)");
    static const QRegularExpression flightLevel = pattern("\\G\\s*(\\d+)");
    // The letters after the unit are compared with case, as "not an ASCII letter" means.
    static const QRegularExpression unit = pattern("\\G\\s*(FEET|FT|F|METRES|METRE|METERS|METER|M)(?-i:(?![A-Za-z]))");
    static const QRegularExpression groundReference = pattern("AGL|SFC|GND");

    const auto unitAfter = [&](qsizetype from) {
        const QRegularExpressionMatch match = unit.match(text, from);
        return !match.hasMatch() ? char16_t(0) : match.capturedView(1).front().toUpper() == u'M' ? u'M' : u'F';
    };

    const QRegularExpressionMatch first = token.match(text);
    if (!first.hasMatch())
        return Unreadable;
    const QString word = first.captured(1).toUpper();
    if (word == u"UNL")
        return {UnlimitedCeilingCm};
    if (word == u"GROUND" || word == u"GND" || word == u"AGL" || word == u"SFC" || word == u"SURFACE")
        return {0};

    if (word == u"FL") {
        const QRegularExpressionMatch level = flightLevel.match(text, first.capturedEnd(0));
        if (!level.hasMatch())
            return Unreadable;
        const int64_t hundreds = digitsValue(level.capturedView(1));
        if (unitAfter(level.capturedEnd(0)) == u'M')
            return {Units::metresToCentimetres(hundreds * 100)};
        return {Units::feetToCentimetres(hundreds * 100)};
    }

    const int64_t value = digitsValue(first.capturedView(1));
    const char16_t valueUnit = unitAfter(first.capturedEnd(0));
    const bool metres = valueUnit ? valueUnit == u'M' : !heightsInFeet;
    const bool aboveGround = groundReference.match(text, first.capturedEnd(0)).hasMatch();
    return {metres ? Units::metresToCentimetres(value) : Units::feetToCentimetres(value), true, value != 0 && !valueUnit,
            value != 0 && aboveGround};
}

AltitudeReading readAltitude(QStringView text, bool heightsInFeet)
{
    // Plain ASCII texts, nearly all there are, are read by hand with the same result as
    // the patterns, which cost more than all the rest of reading a file's limits.
    return isAscii(text) ? readAltitudeByHand(text, heightsInFeet) : readAltitudeByPatterns(text, heightsInFeet);
}
