#include "openair/openairreader.h"

#include "openair/altitude.h"
#include "openair/coordinates.h"
#include "openair/readingpaths.h"
#include "model/saturating.h"
#include "model/airspacetypes.h"
#include "model/geometry.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace {

constexpr int AltitudeError = -5000000;

// \s for all of Unicode white space, as in the toolkit's older engine; without case.
QRegularExpression pattern(const char *text)
{
    QRegularExpression re(QString::fromLatin1(text), QRegularExpression::UseUnicodePropertiesOption
                                                           | QRegularExpression::CaseInsensitiveOption);
    re.optimize();
    return re;
}

// A decimal integer with optional sign and surrounding blanks; 0 when it is not one.
// Values beyond 32 bits stick at the limits.
int decimalInteger(QStringView text)
{
    text = text.trimmed();
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    if (text.isEmpty())
        return 0;
    int64_t value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return 0;
        value = qMin<int64_t>(value * 10 + (c.unicode() - u'0'), int64_t(1) << 40);
    }
    return Saturating::toInt32(negative ? -value : value);
}

bool readNumber(QStringView text, double &value)
{
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
}

// A DC or DA radius in nautical miles: above 0 and at most 1,000 NM. A radius of 0 gives
// no outline and a huge one latitudes beyond the pole.
bool readRadius(QStringView text, double &miles)
{
    constexpr double MaxMiles = 1000;
    return readNumber(text, miles) && miles > 0 && miles <= MaxMiles;
}

// Degrees to a bearing in [0, 360) degrees of milli-arc-seconds.
int32_t bearingFromDegrees(double degrees)
{
    double mas = std::trunc(degrees * 3600000.0);
    if (!std::isfinite(mas))
        mas = std::trunc(std::fmod(degrees, 360.0) * 3600000.0);
    mas = std::fmod(mas, double(Mas::FullTurn));
    if (mas < 0)
        mas += Mas::FullTurn;
    return Saturating::truncToInt32(mas) % Mas::FullTurn;
}

// The record letters at the start of a line, without the toolkit's general string
// comparison, which costs more than the rest of telling the records apart.
bool hasKey(QStringView line, char16_t first, char16_t second)
{
    return line.size() >= 2 && line[0] == first && line[1] == second;
}

bool hasKey(QStringView line, char16_t first)
{
    return !line.isEmpty() && line[0] == first;
}

constexpr QStringConverter::Flags Utf8Flags =
    QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom;

bool isAscii(QByteArrayView bytes)
{
    unsigned char any = 0;
    for (const char c : bytes)
        any |= static_cast<unsigned char>(c);
    return any < 0x80;
}

// Whether the bytes are valid UTF-8, checked in pieces so that no decoded copy of the
// whole file is needed. Pieces end right after an ASCII byte: in valid UTF-8 that is
// always the end of a character, and invalid bytes stay invalid within their piece.
bool isUtf8Throughout(QByteArrayView body)
{
    constexpr qsizetype PieceSize = 1 << 16;
    QStringDecoder decoder(QStringConverter::Utf8, Utf8Flags);
    QString scratch;
    while (!body.isEmpty()) {
        qsizetype cut = qMin(PieceSize, body.size());
        while (cut < body.size() && static_cast<unsigned char>(body[cut - 1]) >= 0x80)
            ++cut;
        const QByteArrayView piece = body.first(cut);
        body = body.sliced(cut);
        if (isAscii(piece))
            continue;
        scratch.resize(decoder.requiredSpace(piece.size()));
        decoder.appendToBuffer(scratch.data(), piece);
        if (decoder.hasError())
            return false;
    }
    return true;
}

// The first CR or LF from `begin` on (or `end`), and whether the bytes before it are all
// ASCII, found eight bytes at a time: a file is mostly short lines, and this scan and the
// copy below are most of the cost of reading one.
const char *findLineEnd(const char *begin, const char *end, bool &ascii)
{
    constexpr uint64_t Ones = 0x0101010101010101u;
    constexpr uint64_t Highs = 0x8080808080808080u;
    uint64_t any = 0;
    const char *p = begin;
    for (; end - p >= 8; p += 8) {
        uint64_t word;
        std::memcpy(&word, p, sizeof word);
        const uint64_t lf = word ^ (Ones * '\n');
        const uint64_t cr = word ^ (Ones * '\r');
        // Set exactly when a byte of lf or cr is zero, i.e. the word holds a line end.
        if (((lf - Ones) & ~lf & Highs) | ((cr - Ones) & ~cr & Highs))
            break;
        any |= word;
    }
    for (; p < end && *p != '\n' && *p != '\r'; ++p)
        any |= static_cast<unsigned char>(*p);
    ascii = (any & Highs) == 0;
    return p;
}

// One line's bytes as text, into `text`, whose room is kept from line to line. Lines end
// at ASCII bytes, so a line of a valid UTF-8 file is valid UTF-8 on its own.
void decodeLine(QByteArrayView bytes, bool utf8, bool ascii, QString &text)
{
    if (!utf8 || ascii) {
        text.resize(bytes.size());
        std::transform(bytes.begin(), bytes.end(), reinterpret_cast<char16_t *>(text.data()),
                       [](char c) { return char16_t(static_cast<unsigned char>(c)); });
        return;
    }
    QStringDecoder decoder(QStringConverter::Utf8, Utf8Flags);
    text.resize(decoder.requiredSpace(bytes.size()));
    const QChar *end = decoder.appendToBuffer(text.data(), bytes);
    text.truncate(end - text.constData());
}

} // namespace

OpenAirReader::OpenAirReader(bool heightsInFeet, QObject *parent)
    : QObject(parent), m_heightsInFeet(heightsInFeet)
{
}

OpenAirReader::~OpenAirReader() = default;

bool OpenAirReader::open(const QString &fileName)
{
    if (m_isOpen)
        return false;
    QByteArray bytes;
    m_inputError = readInput(fileName, bytes);
    return m_inputError == InputError::None && openBytes(bytes);
}

bool OpenAirReader::open(QIODevice *device)
{
    if (m_isOpen)
        return false;
    QByteArray bytes;
    m_inputError = readInput(device, bytes);
    return m_inputError == InputError::None && openBytes(bytes);
}

OpenAirReader::InputError OpenAirReader::readInput(const QString &fileName, QByteArray &bytes)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return InputError::CannotOpen;
    return readInput(&file, bytes);
}

OpenAirReader::InputError OpenAirReader::readInput(QIODevice *device, QByteArray &bytes)
{
    bytes.clear();
    if (!device->isOpen() && !device->open(QIODevice::ReadOnly))
        return InputError::CannotOpen;
    // A plain file says its size, so it is refused unread and read without a copy made
    // by growing; a device or pipe grows the buffer as it yields.
    if (!device->isSequential()) {
        const qint64 size = device->size() - device->pos();
        if (size > MaxInputBytes)
            return InputError::TooLarge;
        bytes.reserve(qsizetype(size) + 1);
    }
    constexpr qsizetype Chunk = qsizetype(1) << 20;
    for (;;) {
        const qsizetype used = bytes.size();
        if (bytes.capacity() == used)
            bytes.reserve(qMax(2 * used, used + Chunk));
        const qint64 room = qMin<qint64>(bytes.capacity() - used, MaxInputBytes + 1 - used);
        bytes.resize(used + room);
        const qint64 got = device->read(bytes.data() + used, room);
        bytes.resize(used + qMax<qint64>(got, 0));
        // A file that opens but cannot be read (an I/O error) must not pass for an empty one.
        if (got < 0)
            return InputError::ReadFailed;
        if (bytes.size() > MaxInputBytes)
            return InputError::TooLarge;
        if (got == 0)   // the end of a file or pipe
            break;
    }
    // A pipe's buffer may have grown to twice its text.
    if (bytes.capacity() - bytes.size() > Chunk)
        bytes.squeeze();
    return InputError::None;
}

bool OpenAirReader::openBytes(const QByteArray &bytes)
{
    if (m_isOpen)
        return false;
    m_isOpen = true;
    m_inputError = InputError::None;
    m_lineNumber = 0;
    m_currentLine.clear();
    m_position = 0;

    // Files come in UTF-8 (with or without byte-order mark) and in Latin-1; only a file
    // that is valid UTF-8 throughout is read as UTF-8.
    m_bytes = bytes;
    // Notepad's "Unicode" is UTF-16 with a byte-order mark: decoded once, it is read as
    // UTF-8 like any other file.
    const bool littleEndian = m_bytes.startsWith("\xFF\xFE");
    if (littleEndian || m_bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                               QStringConverter::Flag::Stateless);
        m_bytes = QString(decoder.decode(QByteArrayView(m_bytes).sliced(2))).toUtf8();
        m_isUtf8 = true;
        return true;
    }
    if (m_bytes.startsWith("\xEF\xBB\xBF"))
        m_position = 3;
    m_isUtf8 = isUtf8Throughout(QByteArrayView(m_bytes).sliced(m_position));
    return true;
}

void OpenAirReader::close()
{
    m_isOpen = false;
    m_bytes = QByteArray();
    m_lineText = QString();
    m_position = 0;
    m_lineAsRead = QStringView();
}

// A line of any length; LF, CR LF and a lone CR end it.
bool OpenAirReader::readLine(QStringView &line)
{
    const qsizetype size = m_bytes.size();
    if (m_position >= size)
        return false;
    const char *data = m_bytes.constData();
    bool ascii = false;
    const char *end = findLineEnd(data + m_position, data + size, ascii);
    decodeLine(QByteArrayView(data + m_position, end - (data + m_position)), m_isUtf8, ascii, m_lineText);
    line = m_lineText;
    if (end < data + size && *end == '\r' && end + 1 < data + size && end[1] == '\n')
        ++end;
    m_position = qMin(qsizetype(end - data) + 1, size);
    return true;
}

// Everything that belongs to one airspace starts afresh: nothing carries into the next.
void OpenAirReader::resetBlock()
{
    m_airspace.reset();
    m_pendingFlags = DirectionKnown;
    m_centre = GeoPoint();
    m_clockwise = true;
    m_pendingText.clear();
    m_pendingIsAngles = false;
    m_typeText.clear();
    m_hasClassOrName = false;
    m_floorReading = AltitudeReading();
    m_ceilingReading = AltitudeReading();
}

AirspacePtr OpenAirReader::nextAirspace()
{
    resetBlock();
    if (!m_isOpen)
        return nullptr;

    enum { NotStarted, Header, Boundary } stage = NotStarted;
    for (;;) {
        if (m_lineNumber < Saturating::Max)
            ++m_lineNumber;
        const qsizetype lineStart = m_position;
        QStringView line;
        if (!readLine(line))
            return finishAirspace();

        line = line.trimmed();
        m_lineAsRead = line;
        // A plain loop: the toolkit's search costs more than the short lines it searches.
        const auto found = std::find(line.begin(), line.end(), u'*');
        const qsizetype star = found == line.end() ? -1 : found - line.begin();
        if (star == 0)
            continue;
        if (star > 0)
            line = line.left(star);   // not trimmed again: "AN Name * x" keeps "Name "
        // Filled in place: a new string for every line costs an allocation per line.
        m_currentLine.resize(line.size());
        std::copy(line.begin(), line.end(), m_currentLine.begin());

        const QChar first = line.isEmpty() ? QChar() : line.front();
        if (first == u'A') {
            if (stage == NotStarted) {
                m_airspace = std::make_shared<Airspace>();
                m_airspace->setName(QStringLiteral("default"));
                stage = Header;
            } else if (stage == Boundary) {
                // The next airspace begins here: read this line again next time.
                m_position = lineStart;
                --m_lineNumber;
                return finishAirspace();
            }
        } else if (first == u'D' || first == u'V') {
            if (stage == NotStarted)
                continue;
            stage = Boundary;
            if (m_outlinesSkipped)
                continue;
        } else if (stage == NotStarted) {
            continue;
        }

        if (!processLine())
            return finishAirspace();
        buildPendingGeometry();
    }
}

AirspacePtr OpenAirReader::finishAirspace()
{
    if (!m_airspace)
        return nullptr;
    applyType();
    // A block started by a stray A record (an AT label after a terrain block, an AR) is
    // no airspace: it is listed, never written as a "default" area.
    if (!m_hasClassOrName)
        m_airspace->addDefinitionFault(QObject::tr("no AC or AN record"));
    // An arc or circle still waiting for its centre would leave a gap in the outline.
    if (m_pendingFlags & TextMask) {
        m_airspace->addDefinitionFault(QObject::tr("line %1: arc or circle without a centre: %2")
                                               .arg(QString::number(m_pendingLineNumber), m_pendingLine));
    }
    // The instrument could never warn of such an airspace.
    if (m_airspace->floor() > m_airspace->ceiling())
        m_airspace->addDefinitionFault(QObject::tr("floor above ceiling"));
    m_airspace->setLimitCounts(int(m_floorReading.inBaseUnit) + int(m_ceilingReading.inBaseUnit),
                               int(m_floorReading.aboveGround) + int(m_ceilingReading.aboveGround));
    AirspacePtr result;
    result.swap(m_airspace);
    return result;
}

// OpenAir version 2 writes restricted, danger and prohibited areas as "AC UNC" with the
// kind in AY, and a control zone as "AC D" with "AY CTR": the AY type names the class
// then. A type named by AT comes first.
void OpenAirReader::applyType()
{
    m_airspace->setAyText(m_typeText);
    int airspaceClass = Special;
    if (airspaceClassFromType(m_typeText, airspaceClass))
        m_airspace->setAirspaceClass(airspaceClass);
    if (m_airspace->typeFlags() == 0)
        m_airspace->setTypeFlags(airspaceTypeFlag(m_typeText));
}

bool OpenAirReader::processLine()
{
    const QString &line = m_currentLine;
    Airspace &airspace = *m_airspace;
    if (hasKey(line, u'T', u'C') || hasKey(line, u'T', u'O'))
        return false;
    if (hasKey(line, u'A', u'C')) {
        readClass();
        m_hasClassOrName = true;
    } else if (hasKey(line, u'A', u'N')) {
        airspace.setName(line.mid(3));
        m_hasClassOrName = true;
    } else if (hasKey(line, u'A', u'T')) {
        airspace.setTypeFlags(airspaceTypeFlag(line.mid(3).trimmed().toUpper()));
    } else if (hasKey(line, u'A', u'Y')) {
        m_typeText = line.mid(2).trimmed().toUpper();
    } else if (hasKey(line, u'A', u'D')) {
        airspace.setAdText(line.mid(3).trimmed());
    } else if (hasKey(line, u'A', u'R')) {
        airspace.addArText(line.mid(3).trimmed());
    } else if (hasKey(line, u'A', u'H')) {
        readLimit(true);
    } else if (hasKey(line, u'A', u'L')) {
        readLimit(false);
    } else if (hasKey(line, u'C', u'O')) {
        // Each CO text brings its own leading blank; plain concatenation keeps any "%1".
        airspace.appendComment(QStringView(line).mid(2));
    } else if (hasKey(line, u'W', u'D')) {
        airspace.setWarningDistance(decimalInteger(QStringView(line).mid(3)));
    } else if (hasKey(line, u'D', u'P')) {
        readPoint();
    } else if (hasKey(line, u'V')) {
        readVariable();
    } else if (hasKey(line, u'D', u'A') || hasKey(line, u'D', u'B') || hasKey(line, u'D', u'C')) {
        const bool circle = hasKey(line, u'D', u'C');
        m_pendingText = line.mid(2).trimmed();
        m_pendingIsAngles = hasKey(line, u'D', u'A');
        m_pendingFlags |= circle ? CircleText : ArcText;
        m_pendingLineNumber = m_lineNumber;
        m_pendingLine = m_lineAsRead.toString();
    }
    // DY, SB, SP and unknown records carry nothing that the device uses.
    return true;
}

// The class is the word after the key, however many blanks or tabs come between: "AC  C"
// is class C, not an empty word that would make it a restricted area.
void OpenAirReader::readClass()
{
    const QStringView line(m_currentLine);
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    qsizetype start = 0;
    while (start < line.size() && !blank(line[start]))
        ++start;
    while (start < line.size() && blank(line[start]))
        ++start;
    qsizetype end = start;
    while (end < line.size() && !blank(line[end]))
        ++end;
    const QStringView word = line.mid(start, end - start);
    m_airspace->setAcText(word.isEmpty() ? QString() : word.toString());
    if (word.isEmpty()) {
        m_airspace->setAirspaceClass(Special);
        return;
    }
    int airspaceClass = Special;
    const bool known = airspaceClassFromWord(word, airspaceClass);
    m_airspace->setAirspaceClass(airspaceClass);
    if (!known)
        addDefinitionNote();
}

void OpenAirReader::readLimit(bool ceiling)
{
    const QString text = m_currentLine.mid(2);
    const AltitudeReading reading = readLimitText(text);
    (ceiling ? m_ceilingReading : m_floorReading) = reading;
    if (ceiling) {
        m_airspace->setCeiling(reading.readable ? reading.centimetres : UnlimitedCeilingCm);
        m_airspace->setCeilingText(reading.readable ? text : QString());
    } else {
        m_airspace->setFloor(reading.readable ? reading.centimetres : 0);
        m_airspace->setFloorText(reading.readable ? text : QString());
    }
}

int OpenAirReader::parseAltitude(const QString &text)
{
    const AltitudeReading reading = readLimitText(text);
    return reading.readable ? reading.centimetres : AltitudeError;
}

// An empty text, or one that says nothing readable (`AH NOTAM`, `AH FL`), must not become
// a limit of 0: the note tells, and the limit stays open.
AltitudeReading OpenAirReader::readLimitText(const QString &text)
{
    const QString trimmed = text.trimmed();
    const AltitudeReading reading =
            trimmed.isEmpty() ? AltitudeReading{0, false} : readAltitude(trimmed, m_heightsInFeet);
    if (!reading.readable)
        addDefinitionNote();
    return reading;
}

void OpenAirReader::readPoint()
{
    bool ok = false;
    const GeoPoint point = parseCoordinatePair(QStringView(m_currentLine).mid(2), &ok);
    if (!ok)
        addUnreadableCoordinates(m_lineNumber, m_lineAsRead.toString());
    m_airspace->addPoint(point);
}

void OpenAirReader::readVariable()
{
    // Keys in any case. The coordinate text keeps its case: the pair reader folds the
    // hemisphere letters itself, and upper-casing all would turn a "ß" into "SS".
    VariableRecord record;
    if (!readVariableByHand(m_currentLine, record))
        record = readVariableByPatterns(m_currentLine);
    if (record.kind == 'X') {
        bool ok = false;
        m_centre = parseCoordinatePair(record.value, &ok);
        if (!ok)
            addUnreadableCoordinates(m_lineNumber, m_lineAsRead.toString());
        m_pendingFlags |= CentreKnown;
    } else if (record.kind == 'D') {
        m_clockwise = !record.value.contains(u'-');   // "+" and an empty value are clockwise
        m_pendingFlags |= DirectionKnown;
    } else if (record.kind == 0) {
        addDefinitionNote();
    }
}

VariableRecord readVariableByPatterns(const QString &line)
{
    static const QRegularExpression centre = pattern("X\\s{0,10}=");
    static const QRegularExpression centreKey = pattern("V\\s{0,10}X\\s{0,10}=");
    static const QRegularExpression direction = pattern("D\\s{0,10}=");
    static const QRegularExpression directionKey = pattern("V\\s{0,10}D\\s{0,10}=");
    static const QRegularExpression widthOrZoom = pattern("[WZ]\\s{0,10}=");

    VariableRecord record;
    if (line.contains(centre)) {
        record.kind = 'X';
        record.value = QString(line).remove(centreKey);
    } else if (line.contains(direction)) {
        record.kind = 'D';
        record.value = QString(line).remove(directionKey);
    } else if (line.contains(widthOrZoom)) {
        record.kind = 'W';
    }
    return record;
}

namespace {

bool isAsciiBlank(char16_t c) { return c == u' ' || (c >= 0x09 && c <= 0x0D); }
char16_t asciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - (u'a' - u'A')) : c; }

// Where "LETTER\s{0,10}=" that starts at `at` ends, or -1 (LETTER in either case).
qsizetype keyEnd(QStringView text, qsizetype at, char16_t letter)
{
    if (at >= text.size() || asciiUpper(text[at].unicode()) != letter)
        return -1;
    qsizetype end = at + 1;
    int blanks = 0;
    for (; end < text.size() && blanks <= 10 && isAsciiBlank(text[end].unicode()); ++end)
        ++blanks;
    return blanks <= 10 && end < text.size() && text[end] == u'=' ? end + 1 : -1;
}

// The text without any "V\s{0,10}LETTER\s{0,10}=".
QString withoutKeys(QStringView text, char16_t letter)
{
    QString result;
    qsizetype kept = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (asciiUpper(text[at].unicode()) != u'V')
            continue;
        qsizetype letterAt = at + 1;
        for (int blanks = 0; letterAt < text.size() && blanks < 10 && isAsciiBlank(text[letterAt].unicode()); ++blanks)
            ++letterAt;
        const qsizetype end = keyEnd(text, letterAt, letter);
        if (end < 0)
            continue;
        result += text.sliced(kept, at - kept);
        kept = end;
        at = end - 1;
    }
    result += text.sliced(kept);
    return result;
}

} // namespace

bool readVariableByHand(QStringView line, VariableRecord &record)
{
    if (!std::all_of(line.begin(), line.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return false;
    // One pass finds every key; a centre counts before a direction, and both before a
    // width or zoom.
    bool centre = false, direction = false, widthOrZoom = false;
    for (qsizetype at = 0; at < line.size(); ++at) {
        const char16_t letter = asciiUpper(line[at].unicode());
        if ((letter == u'X' || letter == u'D' || letter == u'W' || letter == u'Z') && keyEnd(line, at, letter) >= 0) {
            centre |= letter == u'X';
            direction |= letter == u'D';
            widthOrZoom |= letter == u'W' || letter == u'Z';
        }
    }
    record = VariableRecord();
    if (centre || direction) {
        record.kind = centre ? 'X' : 'D';
        record.value = withoutKeys(line, centre ? u'X' : u'D');
    } else if (widthOrZoom) {
        record.kind = 'W';
    }
    return true;
}

void OpenAirReader::buildPendingGeometry()
{
    if (m_pendingFlags == ArcReady) {
        if (m_pendingIsAngles)
            buildArcFromAngles();
        else
            buildArc();
    } else if (m_pendingFlags == CircleReady) {
        buildCircle();
    } else {
        return;
    }
    // Centre and direction stay for the next arc or circle of this airspace: real files
    // give one centre for several arcs around it.
    m_pendingFlags = DirectionKnown | CentreKnown;
}

void OpenAirReader::buildCircle()
{
    double miles = 0;
    const int32_t radius =
            readRadius(m_pendingText, miles) ? Saturating::truncToInt32(miles * 1.852 * 1000 * 100) : 0;
    if (radius <= 0) {
        addDefinitionNote();
        return;
    }
    m_airspace->addCircle(m_centre, radius);
}

void OpenAirReader::buildArc()
{
    const QList<QStringView> points = QStringView(m_pendingText).split(u',');
    if (points.size() != 2) {
        addDefinitionNote();
        return;
    }
    bool fromOk = false;
    bool toOk = false;
    const GeoPoint from = parseCoordinatePair(points.at(0), &fromOk);
    const GeoPoint to = parseCoordinatePair(points.at(1), &toOk);
    if (!fromOk || !toOk)
        addUnreadableCoordinates(m_pendingLineNumber, m_pendingLine);
    m_airspace->addArc(m_centre, from, to, m_clockwise);
}

// DA radius, start bearing, end bearing: nautical miles and degrees.
void OpenAirReader::buildArcFromAngles()
{
    const QList<QStringView> parts = QStringView(m_pendingText).split(u',');
    double miles = 0;
    double startDegrees = 0;
    double endDegrees = 0;
    const bool readable = parts.size() == 3 && readRadius(parts.at(0), miles) && readNumber(parts.at(1), startDegrees)
                          && readNumber(parts.at(2), endDegrees);
    const int32_t radius = readable ? Saturating::truncToInt32(miles * CentimetresPerNauticalMile) : 0;
    if (radius <= 0) {
        addDefinitionNote();
        return;
    }
    const GeoPoint from = destinationPoint(m_centre, radius, bearingFromDegrees(startDegrees));
    const GeoPoint to = destinationPoint(m_centre, radius, bearingFromDegrees(endDegrees));
    m_airspace->addArc(m_centre, from, to, m_clockwise);
}

// The note names the line: "   12::AC X", below any earlier comment.
void OpenAirReader::addDefinitionNote()
{
    if (!m_airspace)
        return;
    // Put together on the stack: a file may hold a note on every line.
    char16_t number[16];
    char16_t *start = std::end(number);
    for (int64_t n = m_lineNumber < 0 ? -int64_t(m_lineNumber) : m_lineNumber; n > 0 || start == std::end(number); n /= 10)
        *--start = char16_t(u'0' + n % 10);
    if (m_lineNumber < 0)
        *--start = u'-';
    while (std::end(number) - start < 5)
        *--start = u' ';
    QVarLengthArray<char16_t, 128> where(start, std::end(number));
    where.append(u':');
    where.append(u':');
    where.append(reinterpret_cast<const char16_t *>(m_currentLine.constData()), m_currentLine.size());
    m_airspace->appendCommentLine(QStringView(where.constData(), where.size()));
}

// A vertex at 0/0 must never reach the device: the airspace is marked faulty and listed
// instead of being written.
void OpenAirReader::addUnreadableCoordinates(int lineNumber, const QString &line)
{
    addDefinitionNote();
    m_airspace->addDefinitionFault(QObject::tr("line %1: coordinates not readable: %2")
                                           .arg(QString::number(lineNumber), line));
}
