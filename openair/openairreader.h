#pragma once

#include "model/airspace.h"
#include "openair/altitude.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringView>

// Reads an OpenAir file airspace by airspace.
class OpenAirReader : public QObject
{
    Q_OBJECT

public:
    // The largest input read: a bigger file, or an endless device such as /dev/zero, is
    // refused instead of filling the memory.
    static constexpr qint64 MaxInputBytes = qint64(1) << 30;
    enum class InputError { None, CannotOpen, ReadFailed, TooLarge };

    explicit OpenAirReader(bool heightsInFeet, QObject *parent = nullptr);
    ~OpenAirReader() override;

    // Reads the whole file (at most MaxInputBytes) and opens its text.
    bool open(const QString &fileName);
    // The same for what a device yields.
    bool open(QIODevice *device);
    // Reads text already in memory; the bytes are shared, not copied.
    bool openBytes(const QByteArray &bytes);
    // Why the last open failed.
    InputError inputError() const { return m_inputError; }
    // Every byte of a file, at most MaxInputBytes of them.
    static InputError readInput(const QString &fileName, QByteArray &bytes);
    static InputError readInput(QIODevice *device, QByteArray &bytes);

    // With outlines skipped, boundary records only mark where an airspace ends: its name,
    // class and limits are read, its outline is not. The airspaces come in the same
    // blocks either way, which is all a first pass over the names needs.
    void setOutlinesSkipped(bool skipped) { m_outlinesSkipped = skipped; }
    // The next complete airspace, or an empty pointer at the end of the file.
    AirspacePtr nextAirspace();
    void close();

    // An AL/AH text (without the record letters) in centimetres, or -5,000,000 when it
    // cannot be read.
    int parseAltitude(const QString &text);

private:
    // An arc or circle is built when the centre and its text are both known: the centre
    // adds CentreKnown, a DA/DB text ArcText, a DC text CircleText. DirectionKnown is there
    // from the start, so a V D= record alone never completes anything.
    enum PendingFlag : int {
        CentreKnown = 0x01,
        DirectionKnown = 0x02,
        ArcText = 0x14,
        CircleText = 0x0E,
        TextMask = 0x1C,
        ArcReady = CentreKnown | DirectionKnown | ArcText,           // 0x17
        CircleReady = CentreKnown | CircleText,                      // 0x0F
    };

    void resetBlock();
    bool readLine(QStringView &line);
    // false for TC/TO, which end the airspace.
    bool processLine();
    void readClass();
    void readLimit(bool ceiling);
    AltitudeReading readLimitText(const QString &text);
    void readVariable();
    void readPoint();
    void buildPendingGeometry();
    void buildCircle();
    void buildArc();
    void buildArcFromAngles();
    AirspacePtr finishAirspace();
    void applyType();
    void addDefinitionNote();
    void addUnreadableCoordinates(int lineNumber, const QString &line);

    bool m_heightsInFeet;
    bool m_outlinesSkipped = false;
    bool m_isOpen = false;
    InputError m_inputError = InputError::None;
    int m_lineNumber = 0;
    QString m_currentLine;

    // The whole file as read and the read position in it. Lines are decoded one at a
    // time, as the file was found to be UTF-8 throughout or else taken as Latin-1.
    QByteArray m_bytes;
    qsizetype m_position = 0;
    bool m_isUtf8 = false;
    QString m_lineText;
    // The current line trimmed, before a trailing comment was cut off.
    QStringView m_lineAsRead;

    // State of the airspace being read; it starts afresh for every airspace.
    AirspacePtr m_airspace;
    int m_pendingFlags = DirectionKnown;
    GeoPoint m_centre;
    bool m_clockwise = true;
    QString m_typeText;   // of the last AY record, upper case
    bool m_hasClassOrName = false;   // an AC or AN record: the block defines an airspace
    AltitudeReading m_floorReading;
    AltitudeReading m_ceilingReading;
    QString m_pendingText;
    bool m_pendingIsAngles = false;   // DA: radius and two bearings instead of two points
    int m_pendingLineNumber = 0;
    QString m_pendingLine;
};
