#include "openair/altitude.h"

#include "openair/saturating.h"
#include "model/geopoint.h"

#include <QRegularExpression>

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
