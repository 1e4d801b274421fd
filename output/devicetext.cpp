#include "output/devicetext.h"

namespace {

constexpr uint32_t UnitsPerDegree = Mas::Degree;
constexpr uint32_t UnitsPerMinute = 60000;

char16_t *putDigits(char16_t *out, uint32_t value, int count)
{
    for (int i = count - 1; i >= 0; --i, value /= 10)
        out[i] = char16_t(u'0' + value % 10);
    return out + count;
}

// "dd:mm.mmm" of one coordinate, degrees with at least `degreeWidth` digits, without the
// hemisphere letter.
char16_t *putDegreesMinutes(char16_t *out, int32_t value, int degreeWidth)
{
    const uint32_t magnitude = value < 0 ? 0u - uint32_t(value) : uint32_t(value);
    const uint32_t degrees = magnitude / UnitsPerDegree;     // at most 596
    const uint32_t remainder = magnitude % UnitsPerDegree;   // 0 .. 3599999
    out = putDigits(out, degrees, degrees >= 100 ? 3 : degreeWidth);
    *out++ = u':';

    // The minutes are remainder / 60000 as a double, rounded to three decimals. Away from
    // a tie the integer rounding below gives the same digits: the quotient is then at
    // least 1/60000' from the rounding boundary, far beyond the error of a double. At an
    // exact tie in thousandths the double may lie on either side of it, so the toolkit
    // formats that (rare) value itself.
    if (remainder % 60 == 30) {
        const QString minutes = QString::number(double(remainder) / UnitsPerMinute, 'f', 3);
        for (qsizetype fill = minutes.size(); fill < 6; ++fill)
            *out++ = u'0';
        for (QChar c : minutes)
            *out++ = c.unicode();
        return out;
    }
    const uint32_t thousandths = (remainder + 30) / 60;   // 0 .. 60000
    out = putDigits(out, thousandths / 1000, 2);
    *out++ = u'.';
    return putDigits(out, thousandths % 1000, 3);
}

} // namespace

char16_t *putDeviceCoordinateText(char16_t *out, GeoPoint point)
{
    out = putDegreesMinutes(out, point.lat, 2);
    *out++ = u' ';
    *out++ = point.lat > 0 ? u'N' : u'S';
    *out++ = u' ';
    out = putDegreesMinutes(out, point.lon, 3);
    *out++ = u' ';
    *out++ = point.lon > 0 ? u'E' : u'W';
    return out;
}

QString deviceCoordinateText(GeoPoint point)
{
    char16_t buffer[DeviceCoordinateTextMax];
    const char16_t *end = putDeviceCoordinateText(buffer, point);
    return QString(reinterpret_cast<const QChar *>(buffer), end - buffer);
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

QString deviceClassText(int airspaceClass)
{
    switch (airspaceClass) {
    case Restricted: return QStringLiteral("R");
    case Danger: return QStringLiteral("Q");
    case Prohibited: return QStringLiteral("P");
    case ClassA: return QStringLiteral("A");
    case ClassB: return QStringLiteral("B");
    case ClassC: return QStringLiteral("C");
    case ClassD: return QStringLiteral("D");
    case GliderProhibited: return QStringLiteral("GP");
    case CTR: return QStringLiteral("CTR");
    case WaveWindow: return QStringLiteral("W");
    default: return QStringLiteral("R");   // Special and unknown values count as restricted
    }
}
