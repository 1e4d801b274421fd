#include "output/devicetext.h"

#include <cstdlib>

namespace {

constexpr int32_t UnitsPerMinute = 60000;
// Enough for "ddd:mm.mmm N ddd:mm.mmm E" even with out-of-range degrees.
constexpr int CoordinateBufferSize = 40;

// Writes `value` in decimal, left-filled with '0' to at least `width` digits.
int writeNumber(QChar *out, int64_t value, int width)
{
    char16_t digits[24];
    int count = 0;
    do {
        digits[count++] = char16_t(u'0' + value % 10);
        value /= 10;
    } while (value > 0);
    int written = 0;
    for (int fill = count; fill < width; ++fill)
        out[written++] = QChar(u'0');
    while (count > 0)
        out[written++] = QChar(digits[--count]);
    return written;
}

// "d:mm.mmm" of one coordinate (degrees at least `degreeWidth` digits), without the
// hemisphere letter. Returns the number of characters written.
int writeDegreesMinutes(QChar *out, int32_t value, int degreeWidth)
{
    const int64_t wide = value;
    const int64_t degrees = wide / Mas::Degree;                   // toward zero
    const int64_t remainder = std::llabs(wide - degrees * Mas::Degree);   // 0 .. 3599999

    int written = writeNumber(out, std::llabs(degrees), degreeWidth);
    out[written++] = QChar(u':');

    // The minutes are remainder / 60000 as a double, rounded to three decimals. Away from
    // a tie the integer rounding below gives the same digits: the quotient is then at
    // least 1/60000' from the rounding boundary, far beyond the error of a double. At an
    // exact tie in thousandths the double may lie on either side of it, so the toolkit
    // formats that (rare) value itself.
    if (remainder % 60 == 30) {
        const QString minutes =
            QString::number(double(remainder) / UnitsPerMinute, 'f', 3);
        for (qsizetype fill = minutes.size(); fill < 6; ++fill)
            out[written++] = QChar(u'0');
        for (QChar c : minutes)
            out[written++] = c;
        return written;
    }
    const int64_t thousandths = (remainder + 30) / 60;   // 0 .. 60000
    written += writeNumber(out + written, thousandths / 1000, 2);
    out[written++] = QChar(u'.');
    written += writeNumber(out + written, thousandths % 1000, 3);
    return written;
}

} // namespace

void appendDeviceCoordinateText(QString &out, GeoPoint point)
{
    QChar buffer[CoordinateBufferSize];
    int length = writeDegreesMinutes(buffer, point.lat, 2);
    buffer[length++] = QChar(u' ');
    buffer[length++] = QChar(point.lat > 0 ? u'N' : u'S');
    buffer[length++] = QChar(u' ');
    length += writeDegreesMinutes(buffer + length, point.lon, 3);
    buffer[length++] = QChar(u' ');
    buffer[length++] = QChar(point.lon > 0 ? u'E' : u'W');
    out.append(buffer, length);
}

QString deviceCoordinateText(GeoPoint point)
{
    QString text;
    text.reserve(26);
    appendDeviceCoordinateText(text, point);
    return text;
}

QString deviceMetreText(int centimetres)
{
    return QString::number(centimetres / 100);
}

QString toDeviceText(const QString &text)
{
    QString result(text.size(), Qt::Uninitialized);
    const QChar *in = text.constData();
    QChar *out = result.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = in[i].unicode();
        char16_t mapped = u'_';
        if (c >= 0x20 && c <= 0x7E) {
            mapped = c;
        } else {
            switch (c) {
            case 0x00E4: mapped = u'a'; break;   // ä
            case 0x00F6: mapped = u'o'; break;   // ö
            case 0x00FC: mapped = u'u'; break;   // ü
            case 0x00C4: mapped = u'A'; break;   // Ä
            case 0x00D6: mapped = u'O'; break;   // Ö
            case 0x00DC: mapped = u'U'; break;   // Ü
            case 0x00E9:                          // é
            case 0x00E8: mapped = u'e'; break;   // è
            case 0x00E0: mapped = u'a'; break;   // à
            default: break;
            }
        }
        out[i] = QChar(mapped);
    }
    return result;
}
