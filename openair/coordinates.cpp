#include "openair/coordinates.h"

#include "openair/readingpaths.h"
#include "model/saturating.h"

#include <QDebug>
#include <QString>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>
#include <cstdlib>

Q_LOGGING_CATEGORY(lcOpenAir, "zonvert.openair", QtInfoMsg)

namespace {

constexpr int64_t MasPerDegree = 3600000;

bool isLatitudeLetter(QChar c) { return c == u'N' || c == u'S'; }
bool isLongitudeLetter(QChar c) { return c == u'E' || c == u'W'; }

qsizetype indexOfLetter(QStringView text, bool latitude)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (latitude ? isLatitudeLetter(text[i]) : isLongitudeLetter(text[i]))
            return i;
    }
    return -1;
}

// South and west count negative, wherever the letter stands.
int hemisphereSign(QStringView text)
{
    for (QChar c : text) {
        if (c == u'S' || c == u'W')
            return -1;
    }
    return 1;
}

// Coordinate texts are short: up to this size they are worked on in stack buffers,
// without a heap allocation per line.
constexpr qsizetype ShortText = 96;
using TextBuffer = QVarLengthArray<char16_t, ShortText>;

// The text without blanks and hemisphere letters; this is also what error messages show.
QStringView cleaned(QStringView text, TextBuffer &buffer)
{
    buffer.resize(text.size());
    qsizetype size = 0;
    for (QChar c : text) {
        if (!c.isSpace() && !isLatitudeLetter(c) && !isLongitudeLetter(c))
            buffer[size++] = c.unicode();
    }
    return QStringView(buffer.constData(), size);
}

// The first pieces of text between separators, as a split keeping empty pieces gives
// them; returns the number of pieces of the whole split.
qsizetype splitInto(QStringView text, char16_t separator, QStringView *parts, qsizetype wanted)
{
    qsizetype count = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != separator)
            continue;
        if (count < wanted)
            parts[count] = text.mid(start, i - start);
        ++count;
        start = i + 1;
    }
    return count;
}

// Plain decimals ("47", "30.5", "31.") are nearly all there is. With at most 15 digits the
// value is one correctly rounded division of two exact doubles, the same result as the
// toolkit's conversion, which is much slower; everything else goes to the toolkit.
struct PlainNumber
{
    int64_t mantissa = 0;
    int digits = 0;
    int fractionDigits = -1;

    // False for a character that a plain decimal cannot hold here.
    bool add(char16_t c)
    {
        if (c >= u'0' && c <= u'9') {
            if (++digits > 15)
                return false;
            mantissa = mantissa * 10 + (c - u'0');
            if (fractionDigits >= 0)
                ++fractionDigits;
            return true;
        }
        if (c != u'.' || fractionDigits >= 0)
            return false;
        fractionDigits = 0;
        return true;
    }

    // Reads digits with at most one decimal point from i on, up to the first other
    // character, as add() would; false where add() would fail.
    bool read(const char16_t *text, qsizetype size, qsizetype &i)
    {
        const auto digitsFrom = [&](bool fraction) {
            for (; i < size && text[i] >= u'0' && text[i] <= u'9'; ++i) {
                if (++digits > 15)
                    return false;
                mantissa = mantissa * 10 + (text[i] - u'0');
                fractionDigits += fraction;
            }
            return true;
        };
        if (!digitsFrom(false))
            return false;
        if (i < size && text[i] == u'.') {
            ++i;
            fractionDigits = 0;
            return digitsFrom(true);
        }
        return true;
    }

    // Whole numbers of up to 9 digits: every step of the conversions below is then exact
    // in double precision, and plain integer arithmetic gives the same values.
    bool isSmallWholeNumber() const { return fractionDigits <= 0 && digits <= 9; }

    double value() const
    {
        static constexpr double powersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7,
                                                 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        return double(mantissa) / powersOfTen[qMax(fractionDigits, 0)];
    }
};

bool readPlainDecimal(QStringView text, double &value)
{
    PlainNumber number;
    for (QChar c : text) {
        if (!number.add(c.unicode()))
            return false;
    }
    if (number.digits == 0)
        return false;
    value = number.value();
    return true;
}

// nan and inf are numbers to the toolkit, but never a coordinate.
bool readNumber(QStringView text, double &value)
{
    if (readPlainDecimal(text, value))
        return true;
    bool ok = false;
    value = text.toDouble(&ok);
    return ok && std::isfinite(value);
}

int32_t failed(const QString &message, bool *ok)
{
    qCDebug(lcOpenAir) << message;
    if (ok)
        *ok = false;
    return 0;
}

int32_t succeeded(int32_t value, bool *ok)
{
    if (ok)
        *ok = true;
    return value;
}

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

// "dd:mm:ss.s H" or "dd:mm.m H" from position i on, added up as the general conversions
// below do; false for any other form.
bool readUsualCoordinate(QStringView text, qsizetype &i, int32_t &value, bool &isLatitude)
{
    // The numbers are filled one at a time in a local and then stored: working on them
    // through a pointer into the array keeps every digit in memory instead of registers.
    PlainNumber numbers[3];
    int count = 0;
    const qsizetype size = text.size();
    const char16_t *data = text.utf16();
    for (;;) {
        PlainNumber number;
        if (!number.read(data, size, i))
            return false;
        if (number.digits == 0)
            return false;
        numbers[count++] = number;
        if (i >= size || data[i] != u':')
            break;
        if (count == 3)
            return false;
        ++i;
    }
    if (count < 2)
        return false;
    while (i < size && isBlank(text[i]))
        ++i;
    if (i >= size)
        return false;
    // ASCII letters only: any other letter takes the general way.
    const char16_t c = text[i++].unicode();
    const char16_t letter = c >= u'a' && c <= u'z' ? char16_t(c - (u'a' - u'A')) : c;
    if (letter != u'N' && letter != u'S' && letter != u'E' && letter != u'W')
        return false;
    isLatitude = letter == u'N' || letter == u'S';
    const int sign = letter == u'S' || letter == u'W' ? -1 : 1;

    if (std::all_of(numbers, numbers + count, [](const PlainNumber &n) { return n.isSmallWholeNumber(); })) {
        int64_t total = numbers[0].mantissa * 3600000 + numbers[1].mantissa * 60000;
        if (count == 3)
            total += numbers[2].mantissa * 1000;
        value = Saturating::toInt32(total * sign);
        return true;
    }
    const double degrees = numbers[0].value();
    const double minutes = numbers[1].value();
    if (count == 2) {
        value = Saturating::truncToInt32((degrees * 3600000.0 + minutes * 60000.0) * sign);
    } else {
        const double a = std::trunc(degrees * 3600000.0);
        const double b = std::trunc(minutes * 60000.0 + a);
        const double c = std::trunc(numbers[2].value() * 1000.0 + b);
        value = Saturating::truncToInt32(c * sign);
    }
    return true;
}

} // namespace

int32_t GradMinFractionString2long(QStringView text, bool *ok)
{
    const int sign = hemisphereSign(text);
    TextBuffer buffer;
    const QStringView clean = cleaned(text, buffer);
    QStringView parts[2];
    const qsizetype count = splitInto(clean, u':', parts, 2);
    const QStringView degreesText = parts[0];
    const QStringView minutesText = parts[1];
    double degrees = 0;
    double minutes = 0;
    if (count < 2 || !readNumber(degreesText, degrees) || !readNumber(minutesText, minutes)) {
        return failed(QStringLiteral("GradMinFractionString2long: conversion error -> %1 -- %2 | %3")
                              .arg(clean.toString(), degreesText.toString(), minutesText.toString()),
                      ok);
    }
    return succeeded(Saturating::truncToInt32((degrees * 3600000.0 + minutes * 60000.0) * sign), ok);
}

int32_t GradMinSecString2long(QStringView text, bool *ok)
{
    const int sign = hemisphereSign(text);
    TextBuffer buffer;
    const QStringView clean = cleaned(text, buffer);
    QStringView parts[3];
    double degrees = 0;
    double minutes = 0;
    double seconds = 0;
    if (splitInto(clean, u':', parts, 3) < 3 || !readNumber(parts[0], degrees) || !readNumber(parts[1], minutes)
        || !readNumber(parts[2], seconds)) {
        return failed(QStringLiteral("GradMinSecString2long: conversion error -> %1").arg(clean.toString()), ok);
    }
    // Truncated after each step, as whole milli-arc-seconds are added up.
    const double a = std::trunc(degrees * 3600000.0);
    const double b = std::trunc(minutes * 60000.0 + a);
    const double c = std::trunc(seconds * 1000.0 + b);
    return succeeded(Saturating::truncToInt32(c * sign), ok);
}

int32_t GradFraction2long(QStringView text, bool *ok)
{
    const int sign = hemisphereSign(text);
    TextBuffer buffer;
    const QStringView clean = cleaned(text, buffer);
    QStringView parts[2];
    const qsizetype count = splitInto(clean, u'.', parts, 2);
    bool wholeOk = false;
    const int64_t whole = parts[0].toInt(&wholeOk);
    bool fractionOk = true;
    int64_t fraction = 0;
    qsizetype digits = 0;
    if (count > 1) {
        fraction = parts[1].toInt(&fractionOk);
        digits = parts[1].size();
    }
    if (!wholeOk || !fractionOk)
        return failed(QStringLiteral("GradFraction2long: conversion error -> %1").arg(clean.toString()), ok);

    // Leading zeros of the fraction count: 8.05 is 8 + 5/100 degrees. Beyond 18 digits
    // the fraction adds nothing (and 10^digits no longer fits 64 bits).
    int64_t fractionMas = 0;
    if (digits <= 18) {
        int64_t scale = 1;
        for (qsizetype i = 0; i < digits; ++i)
            scale *= 10;
        fractionMas = fraction * MasPerDegree / scale;
    }
    return succeeded(Saturating::toInt32(sign * (whole * MasPerDegree + fractionMas)), ok);
}

int32_t parseCoordinate(QStringView text, bool *ok)
{
    const QStringView trimmed = text.trimmed();
    const qsizetype colons = trimmed.count(u':');
    if (colons == 1)
        return GradMinFractionString2long(trimmed, ok);
    if (colons == 2)
        return GradMinSecString2long(trimmed, ok);
    return GradFraction2long(trimmed, ok);
}

// The usual pair in one pass: nearly every line of a real file.
bool readUsualPair(QStringView text, GeoPoint &point)
{
    const qsizetype size = text.size();
    qsizetype i = 0;
    int32_t firstValue = 0;
    int32_t secondValue = 0;
    bool firstIsLatitude = false;
    bool secondIsLatitude = false;
    while (i < size && isBlank(text[i]))
        ++i;
    if (!readUsualCoordinate(text, i, firstValue, firstIsLatitude))
        return false;
    while (i < size && isBlank(text[i]))
        ++i;
    if (!readUsualCoordinate(text, i, secondValue, secondIsLatitude) || firstIsLatitude == secondIsLatitude)
        return false;
    point = firstIsLatitude ? GeoPoint(secondValue, firstValue) : GeoPoint(firstValue, secondValue);
    return true;
}

GeoPoint readPairGenerally(QStringView text, bool *ok)
{
    // Real files write hemisphere letters in lower case too. Only these four letters are
    // folded: upper-casing everything would turn a "ß" after the N into "SS", a south.
    TextBuffer folded;
    folded.resize(text.size());
    std::transform(text.begin(), text.end(), folded.begin(), [](QChar c) {
        const char16_t u = c.unicode();
        return u == u'n' || u == u's' || u == u'e' || u == u'w' ? char16_t(u - (u'a' - u'A')) : u;
    });
    const QStringView upper(folded.constData(), folded.size());
    const qsizetype latLetter = indexOfLetter(upper, true);
    const qsizetype lonLetter = indexOfLetter(upper, false);
    if (latLetter == 0 || lonLetter == 0) {
        if (ok)
            *ok = false;
        return GeoPoint(0, 0);
    }

    // The letter that comes first closes the first coordinate. A missing letter (-1)
    // leaves the first part empty, which then fails to parse. The cut is made as if
    // an "@" stood after that letter, the whole trimmed and split at every "@".
    const bool latitudeFirst = latLetter < lonLetter;
    const qsizetype cut = (latitudeFirst ? latLetter : lonLetter) + 1;
    qsizetype begin = 0;
    while (begin < cut && upper[begin].isSpace())
        ++begin;
    qsizetype end = upper.size();
    while (end > cut && upper[end - 1].isSpace())
        --end;
    QStringView first = upper.mid(begin, cut - begin);
    QStringView second = upper.mid(cut, end - cut);
    if (const qsizetype at = first.indexOf(u'@'); at >= 0) {
        second = first.mid(at + 1);
        first = first.left(at);
    }
    if (const qsizetype at = second.indexOf(u'@'); at >= 0)
        second = second.left(at);
    // The second coordinate closes with its own letter; what follows is a remark
    // ("... 34:49.842 E ; Should follow the border") and must not change the sign.
    const qsizetype secondEnd = indexOfLetter(second, !latitudeFirst);
    if (secondEnd >= 0)
        second = second.left(secondEnd + 1);

    bool latOk = false;
    bool lonOk = false;
    const int32_t lat = parseCoordinate(latitudeFirst ? first : second, &latOk);
    const int32_t lon = parseCoordinate(latitudeFirst ? second : first, &lonOk);
    if (ok)
        *ok = latOk && lonOk;
    return GeoPoint(lon, lat);
}

GeoPoint parseCoordinatePair(QStringView text, bool *ok)
{
    bool readable = true;
    GeoPoint point;
    if (!readUsualPair(text, point))
        point = readPairGenerally(text, &readable);
    // Beyond the poles or the date line a value is no coordinate: the airspace must not
    // be written with it.
    if (std::abs(int64_t(point.lat)) > Mas::Quarter) {
        point.lat = 0;
        readable = false;
    }
    if (std::abs(int64_t(point.lon)) > Mas::Half) {
        point.lon = 0;
        readable = false;
    }
    if (ok)
        *ok = readable;
    return point;
}
