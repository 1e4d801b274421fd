#include "model/airspace.h"
#include "output/devicetext.h"
#include "output/longlines.h"

#include <algorithm>

namespace {

// A warning distance of 0 is written as 200 m.
constexpr int DefaultWarningMetres = 200;

// Lines are made in a stack buffer and copied once: nearly every line of a record is
// one of these.
char16_t *putText(char16_t *out, QLatin1String text)
{
    return std::copy(text.begin(), text.end(), out);
}

QString pointLine(QLatin1String keyword, GeoPoint point)
{
    char16_t buffer[8 + DeviceCoordinateTextMax];
    const char16_t *end = putDeviceCoordinateText(putText(buffer, keyword), point);
    return QString(reinterpret_cast<const QChar *>(buffer), end - buffer);
}

// A straight edge: its start point only when it opens the outline, so that consecutive
// edges do not repeat a shared corner.
void appendLineLines(QStringList &lines, GeoPoint from, GeoPoint to, bool isFirst)
{
    if (isFirst)
        lines.append(pointLine(QLatin1String("DP "), from));
    lines.append(pointLine(QLatin1String("DP "), to));
}

// The outline keeps at least one segment once zero-length lines are gone.
bool hasExtent(const SegmentList &segments)
{
    return std::any_of(segments.begin(), segments.end(), [](const SegmentPtr &segment) {
        return segment->kind() != Line || segment->startPoint() != segment->endPoint();
    });
}

} // namespace

QStringList Airspace::deviceRecord(int warningDistanceCm)
{
    if (!isFinished())
        finishDefinition();
    // An outline without extent would give a record without any boundary.
    if (hasDefinitionError() || !hasExtent(m_segments))
        return QStringList{QString()};

    std::vector<OutlinePiece> working;
    splitLongLines(m_segments, working);

    QStringList lines;
    lines.reserve(qsizetype(9 + m_arTexts.size() + 3 * working.size()));
    lines.append(QStringLiteral("AC ") + deviceClassText(m_airspaceClass));
    lines.append(QStringLiteral("AT ") + deviceTypeText());
    lines.append(QStringLiteral("AD ") + m_adText);
    lines.append(QStringLiteral("AN ") + toDeviceText(m_deviceName));
    lines.append(QStringLiteral("AL ") + deviceMetreText(m_floor));
    lines.append(QStringLiteral("AH ") + deviceMetreText(m_ceiling));
    if (m_arTexts.isEmpty()) {
        lines.append(QStringLiteral("AR1 "));
    } else {
        for (qsizetype i = 0; i < m_arTexts.size(); ++i)
            lines.append(QStringLiteral("AR") + QString::number(i + 1) + QLatin1Char(' ') + m_arTexts.at(i));
    }
    lines.append(QStringLiteral("WD ")
                 + (warningDistanceCm == 0 ? QString::number(DefaultWarningMetres)
                                           : deviceMetreText(warningDistanceCm)));
    lines.append(QStringLiteral("CO ") + toDeviceText(m_comment));

    bool isFirst = true;
    for (const OutlinePiece &piece : working) {
        if (piece.original >= 0)
            lines.append(m_segments[std::size_t(piece.original)]->deviceLines(isFirst));   // moves the strings in
        else
            appendLineLines(lines, piece.start, piece.end, isFirst);
        isFirst = false;
    }
    return lines;
}

QString Airspace::errorText() const
{
    QStringList pieces = m_definitionFaults;
    if (!hasExtent(m_segments))
        pieces.append(QObject::tr("outline has no extent: all its points are the same"));
    if (m_hasDefinitionError) {
        for (std::size_t i = 0; i < m_segments.size(); ++i) {
            const QString text = m_segments[i]->errorText();
            if (!text.isEmpty())
                pieces.append(QObject::tr("segment %1 : ").arg(i + 1) + text);
        }
    }
    return pieces.join(QStringLiteral(" - "));
}

QString Airspace::deviceTypeText() const
{
    switch (m_typeFlags) {
    case 0x0001: return QStringLiteral("D");
    case 0x0002: return QStringLiteral("AWY");
    case 0x0004: return QStringLiteral("FIZ");
    case 0x0008: return QStringLiteral("CTR");
    case 0x0010: return QStringLiteral("TMA");
    case 0x0020: return QStringLiteral("R");
    case 0x0040: return QStringLiteral("TSA");
    case 0x0080: return QStringLiteral("VZ");
    case 0x0100: return QStringLiteral("FLF");
    case 0x0200: return QStringLiteral("HPO");
    case 0x0400: return QStringLiteral("GG");
    case 0x0800: return QStringLiteral("HI");
    case 0x1000: return QStringLiteral("SZ");
    case 0x2000: return QStringLiteral("BB");
    case 0x4000: return QStringLiteral("W");
    default: return QString();   // none, or several types at once
    }
}

QStringList AirspaceSegment::deviceLines(bool isFirst) const
{
    if (m_kind == Line) {
        QStringList lines;
        lines.reserve(isFirst ? 2 : 1);
        appendLineLines(lines, m_startPoint, m_endPoint, isFirst);
        return lines;
    }
    char16_t buffer[16 + 2 * DeviceCoordinateTextMax];
    char16_t *end = putDeviceCoordinateText(putText(buffer, QLatin1String("DB ")), m_startPoint);
    end = putDeviceCoordinateText(putText(end, QLatin1String(" , ")), m_endPoint);
    const QString ends(reinterpret_cast<const QChar *>(buffer), end - buffer);
    return {m_clockwise ? QStringLiteral("V D=+") : QStringLiteral("V D=-"),
            pointLine(QLatin1String("V X="), m_centrePoint), ends};
}
