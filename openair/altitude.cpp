#include "openair/altitude.h"

#include "openair/saturating.h"
#include "model/geopoint.h"

#include <QRegularExpression>

#include <algorithm>

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

int32_t metresToCentimetres(int64_t metres)
{
    return Saturating::toInt32(metres * 100);
}

// Plain ASCII texts, nearly all there are, are read by hand below with the same result
// as the patterns; the patterns cost more than all the rest of reading a file's limits.
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

// "\s?(F|FT|M)" searched from `from` on: the first place where a unit letter stands,
// alone or after one blank. Returns the letter (F or M) and sets `end` behind it; 0
// when there is none.
char16_t unitFrom(QStringView text, qsizetype from, qsizetype &end)
{
    const auto isUnit = [&](qsizetype at) {
        return at < text.size() && (asciiUpper(text[at].unicode()) == u'F' || asciiUpper(text[at].unicode()) == u'M');
    };
    for (qsizetype at = from; at < text.size(); ++at) {
        const qsizetype letter = isAsciiSpace(text[at].unicode()) && isUnit(at + 1) ? at + 1 : at;
        if (isUnit(letter)) {
            end = letter + 1;
            return asciiUpper(text[letter].unicode());
        }
    }
    return 0;
}

// "\s?(STD|MSL|AMSL|AGL|SFC|ASFC)" found anywhere from `from` on.
bool referenceFrom(QStringView text, qsizetype from)
{
    static const char *const references[] = {"STD", "MSL", "AMSL", "AGL", "SFC", "ASFC"};
    for (qsizetype at = from; at < text.size(); ++at) {
        for (const char *reference : references) {
            if (wordAt(text, at, reference))
                return true;
        }
    }
    return false;
}

int32_t asciiAltitude(QStringView text, bool heightsInFeet)
{
    if (wordAt(text, 0, "UNL"))
        return UnlimitedCeilingCm;
    for (const char *ground : {"GROUND", "GND", "AGL", "SFC"}) {
        if (wordAt(text, 0, ground))
            return 0;
    }
    qsizetype end = 0;
    if (wordAt(text, 0, "FL")) {
        const qsizetype levelStart = text.size() > 2 && isAsciiSpace(text[2].unicode()) ? 3 : 2;
        const qsizetype levelEnd = digitsEnd(text, levelStart);
        const int64_t hundreds = digitsValue(text.mid(levelStart, levelEnd - levelStart));
        if (unitFrom(text, levelEnd, end) == u'M')
            return metresToCentimetres(hundreds * 100);
        return feetToCentimetres(hundreds * 100);
    }
    const qsizetype valueEnd = digitsEnd(text, 0);
    const int64_t value = digitsValue(text.left(valueEnd));
    bool metres = !heightsInFeet;
    if (const char16_t unit = unitFrom(text, valueEnd, end); unit && referenceFrom(text, end))
        metres = unit == u'M';
    return metres ? metresToCentimetres(value) : feetToCentimetres(value);
}

} // namespace

int32_t feetToCentimetres(int64_t feet)
{
    if (feet <= 0)
        return 0;
    feet = qMin<int64_t>(feet, int64_t(Saturating::Max) * 100);
    if (feet <= 9999)
        return Saturating::toInt32(feet * 62423 / 2048);
    // Above 9,999 ft the halved value keeps the product small on the device; an odd
    // foot adds the 32 cm that the halving lost.
    return Saturating::toInt32((feet / 2) * 62423 / 1024 + (feet % 2 ? 32 : 0));
}

int32_t altitudeCentimetres(const QString &text, bool heightsInFeet)
{
    if (isAscii(text))
        return asciiAltitude(text, heightsInFeet);

    static const QRegularExpression token = pattern("(^GROUND|^GND|^AGL|^SFC|^UNL|^FL|^\\d*)");
    static const QRegularExpression flightLevel = pattern("\\s?(\\d*)");
    static const QRegularExpression unit = pattern("\\s?(F|FT|M)");
    static const QRegularExpression reference = pattern("\\s?(STD|MSL|AMSL|AGL|SFC|ASFC)");

    const QRegularExpressionMatch first = token.match(text);
    const QString word = first.captured(1).toUpper();
    if (word == u"UNL")
        return UnlimitedCeilingCm;
    if (word == u"GROUND" || word == u"GND" || word == u"AGL" || word == u"SFC")
        return 0;

    if (word == u"FL") {
        const QRegularExpressionMatch level = flightLevel.match(text, first.capturedEnd(0));
        const int64_t hundreds = digitsValue(level.capturedView(1));
        const QRegularExpressionMatch levelUnit = unit.match(text, level.capturedEnd(0));
        // "FL95 M": the hundreds are metres. Base unit and reference play no part.
        if (levelUnit.hasMatch() && levelUnit.captured(1).toUpper() == u"M")
            return metresToCentimetres(hundreds * 100);
        return feetToCentimetres(hundreds * 100);
    }

    const int64_t value = digitsValue(first.capturedView(1));
    bool metres = !heightsInFeet;
    const QRegularExpressionMatch valueUnit = unit.match(text, first.capturedEnd(0));
    // A unit counts only when a reference follows it; the unanchored search otherwise
    // finds the M of "MSL" or the F of "SFC".
    if (valueUnit.hasMatch() && reference.match(text, valueUnit.capturedEnd(0)).hasMatch())
        metres = valueUnit.captured(1).toUpper() == u"M";
    return metres ? metresToCentimetres(value) : feetToCentimetres(value);
}
