#include "app/conversionrun.h"

#include "app/outputfile.h"
#include "app/workerpool.h"
#include "openair/openairreader.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QObject>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <limits>
#include <memory>
#include <vector>

namespace {

// The instrument refuses outlines with more corner points than this.
constexpr int MaxSegments = 100;
// Records are made by the calling thread and up to this many more.
constexpr int MaxRecordHelpers = 3;
// Room for "_NN" within the instrument's 16 characters.
constexpr int DeviceNameBaseLength = 13;


// Latin-1 bytes; every character that Latin-1 cannot hold becomes one "?", also a
// character written as a surrogate pair. Written through a plain pointer: appending byte
// by byte costs more than the rest of the writing together. Returns the end.
char *putLatin1(char *out, QStringView text)
{
    const qsizetype size = text.size();
    const char16_t *in = text.utf16();
    qsizetype i = 0;
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    // Four characters at a time while all are below 256, as nearly all are.
    for (; i + 4 <= size; i += 4) {
        uint64_t word;
        std::memcpy(&word, in + i, sizeof word);
        if (word & 0xFF00FF00FF00FF00u)
            break;
        word = (word | (word >> 8)) & 0x0000FFFF0000FFFFu;
        const uint32_t bytes = uint32_t(word | (word >> 16));
        std::memcpy(out, &bytes, sizeof bytes);
        out += 4;
    }
#endif
    for (; i < size; ++i) {
        const char16_t c = in[i];
        if (c < 0x100) {
            *out++ = static_cast<char>(c);
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(in[i + 1]))
            ++i;
        *out++ = '?';
    }
    return out;
}

QByteArray toLatin1Text(const QString &text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    bytes.truncate(putLatin1(bytes.data(), text) - bytes.constData());
    return bytes;
}

// The record's lines, each ended by CR LF, and the empty line after the record, into
// `bytes`.
void putRecord(const QStringList &record, QByteArray &bytes)
{
    qsizetype size = 2;
    for (const QString &line : record)
        size += line.size() + 2;
    bytes.resize(size);
    char *out = bytes.data();
    for (const QString &line : record) {
        out = putLatin1(out, line);
        *out++ = '\r';
        *out++ = '\n';
    }
    *out++ = '\r';
    *out++ = '\n';
    bytes.truncate(out - bytes.constData());
}

int saturatedInt(double value)
{
    if (value >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (value <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(value); // truncates toward zero
}

int warningDistanceCm(const ConversionOptions &options)
{
    if (options.distanceInMetres) {
        const qint64 cm = static_cast<qint64>(options.warningDistance) * 100;
        return static_cast<int>(std::clamp<qint64>(cm, std::numeric_limits<int>::min(),
                                                    std::numeric_limits<int>::max()));
    }
    return saturatedInt(options.warningDistance * 100.0 / 3.2808399);
}

// Overwriting goes through a save file, so an existing file stays whole until the new
// one is complete; appending writes unbuffered, so each failing write shows at once,
// and a failed append cuts the file back to what it held before.
class OutputTarget
{
public:
    bool open(const QString &fileName, bool append)
    {
        const QFileInfo existing(fileName);
        // A save file renames its new file over the target, which would put a plain file
        // in the place of a device (/dev/null, /dev/full, a terminal): those are written
        // directly, and there is nothing to restore on failure.
        const bool device = existing.exists() && !existing.isFile() && !existing.isDir();
        if (!append && !device) {
            m_saveFile = std::make_unique<QSaveFile>(fileName);
            return m_saveFile->open(QIODevice::WriteOnly);
        }
        m_directFile = std::make_unique<QFile>(fileName);
        // Appending means seeking to the end, which a device refuses with a warning.
        const QIODevice::OpenMode mode = append && !device ? QIODevice::Append : QIODevice::OpenMode();
        if (!m_directFile->open(QIODevice::WriteOnly | mode | QIODevice::Unbuffered))
            return false;
        m_originalSize = device ? -1 : m_directFile->size();
        return true;
    }

    bool write(const QByteArray &bytes)
    {
        QFileDevice *device = m_saveFile ? static_cast<QFileDevice *>(m_saveFile.get()) : m_directFile.get();
        return device->write(bytes) == bytes.size();
    }

    bool finish()
    {
        // The save file's commit does not notice a failing last flush: flush first.
        if (m_saveFile)
            return m_saveFile->flush() && m_saveFile->commit();
        if (!m_directFile->flush())
            return false;
        m_directFile->close();
        return m_directFile->error() == QFileDevice::NoError;
    }

    void discard()
    {
        if (m_saveFile) {
            m_saveFile->cancelWriting();
            return;
        }
        if (m_directFile->isOpen() || m_directFile->open(QIODevice::ReadWrite)) {
            if (m_originalSize >= 0 && !m_directFile->isSequential())
                m_directFile->resize(m_originalSize);
        }
        m_directFile->close();
    }

private:
    std::unique_ptr<QSaveFile> m_saveFile;
    std::unique_ptr<QFile> m_directFile;
    qint64 m_originalSize = 0;
};

// What becomes of one airspace in the output: its record, or the line that reports it.
struct PreparedRecord
{
    enum Kind { Written, OverLimit, Faulty } kind = Written;
    QByteArray bytes;     // the record, for Written
    QString reportLine;   // for OverLimit and Faulty
};

// Airspaces in input order, handed out for their records together.
struct Batch
{
    std::vector<AirspacePtr> airspaces;
    std::vector<PreparedRecord> records;
};

// Records are made in batches of this many airspaces.
constexpr std::size_t BatchSize = 256;

QString reportText(const QString &heading, QStringList lines)
{
    lines.first().prepend(heading);
    lines.last().append(QObject::tr("\nbitte bereinigen Sie diese.\n"));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

void makeDeviceNamesUnique(QStringList &deviceNames)
{
    // The positions holding each name, as a chain through `next`, so that every name is
    // counted without a scan of all airspaces and without a list of its own; renamed
    // positions move to the chain of their new name at once.
    struct Holders {
        qsizetype head = -1;
        qsizetype tail = -1;
        qsizetype count = 0;
    };
    struct NameHash {
        std::size_t operator()(const QString &name) const { return qHash(name); }
    };
    std::vector<qsizetype> next(std::size_t(deviceNames.size()), -1);
    // The standard map: the toolkit's own takes several times as long to fill here.
    std::unordered_map<QString, Holders, NameHash> holders;
    holders.reserve(std::size_t(deviceNames.size()));
    const auto hold = [&](const QString &name, qsizetype position) {
        Holders &chain = holders[name];
        if (chain.tail >= 0)
            next[std::size_t(chain.tail)] = position;
        else
            chain.head = position;
        chain.tail = position;
        next[std::size_t(position)] = -1;
        ++chain.count;
        return chain.count == 1;
    };
    QStringList distinct;
    for (qsizetype i = 0; i < deviceNames.size(); ++i) {
        if (hold(deviceNames.at(i), i))
            distinct.append(deviceNames.at(i));
    }

    std::vector<qsizetype> positions;
    for (const QString &name : std::as_const(distinct)) {
        const auto it = holders.find(name);
        if (it == holders.end() || it->second.count < 2)
            continue;
        positions.clear();
        for (qsizetype p = it->second.head; p >= 0; p = next[std::size_t(p)])
            positions.push_back(p);
        holders.erase(it);
        std::sort(positions.begin(), positions.end());

        const QString base = name.left(DeviceNameBaseLength);
        int counter = 1;
        for (auto p = positions.rbegin(); p != positions.rend(); ++p, ++counter) {
            // The counter has at least two digits.
            QString newName = base;
            newName += counter < 10 ? QLatin1String("_0") : QLatin1String("_");
            newName += QString::number(counter);
            hold(newName, *p);
            deviceNames[*p] = std::move(newName);
        }
    }
}

ConversionResult ConversionRun::run(const ConversionOptions &options)
{
    ConversionResult result;
    const QString &inputFileName = options.inputFileName;
    result.outputFileName = OutputFile::completeFileName(options.outputText, inputFileName);
    result.outputTextFilled = options.outputText.isEmpty();
    if (result.outputTextFilled)
        m_ui.outputNameCompleted(result.outputFileName);
    const QString &outputFileName = result.outputFileName;
    const QString errorTitle = QObject::tr("FEHLER");

    const auto inputError = [&] {
        m_ui.error(errorTitle, QObject::tr("Die Datei %1 konnte nicht geöffnet werden.").arg(inputFileName));
        result.outcome = ConversionResult::Outcome::InputError;
        return result;
    };
    const auto outputError = [&] {
        m_ui.error(errorTitle, QObject::tr("Die Datei %1 konnte nicht geschrieben werden.").arg(outputFileName));
        result.outcome = ConversionResult::Outcome::OutputError;
        return result;
    };

    // A directory counts as existing here; the reader then fails to open it.
    if (!QFileInfo::exists(inputFileName))
        return inputError();

    bool append = false;
    if (QFileInfo::exists(outputFileName)) {
        switch (m_ui.askExistingOutput(outputFileName)) {
        case ConversionUi::ExistingOutput::Abort:
            result.outcome = ConversionResult::Outcome::Aborted;
            return result;
        case ConversionUi::ExistingOutput::Append:
            append = true;
            break;
        case ConversionUi::ExistingOutput::Overwrite:
            break;
        }
    }

    const int warningCm = warningDistanceCm(options);
    // What becomes of one airspace: closing comes first, so the closing line counts
    // against the limit. The record does not change the airspace's name.
    const auto prepare = [&](Airspace &airspace, PreparedRecord &record) {
        if (options.closeOutlines && !airspace.isClosed())
            airspace.closeOutline();
        const int segmentCount = airspace.segmentCount();
        if (segmentCount > MaxSegments) {
            record.kind = PreparedRecord::OverLimit;
            record.reportLine = QObject::tr("  - %1 hat %2 Segmente").arg(airspace.name(), QString::number(segmentCount));
        } else if (const QStringList lines = airspace.deviceRecord(warningCm); lines.size() == 1) {
            record.kind = PreparedRecord::Faulty;
            record.reportLine = QObject::tr("  - %1  -- %2").arg(airspace.name(), airspace.errorText());
        } else {
            record.kind = PreparedRecord::Written;
            putRecord(lines, record.bytes);
        }
    };
    const auto prepareBatch = [&](Batch &batch) {
        batch.records.resize(batch.airspaces.size());
        for (std::size_t i = 0; i < batch.airspaces.size(); ++i)
            prepare(*batch.airspaces[i], batch.records[i]);
    };

    // Everything is read before anything is written: the renaming needs every name. The
    // records are made meanwhile on the other cores, a batch at a time, as they do not
    // depend on the name but for the one line that the few renamed airspaces make anew.
    std::vector<std::unique_ptr<Batch>> batches;
    WorkerPool pool(MaxRecordHelpers);   // after the batches: its end waits for their work
    {
        OpenAirReader reader(options.heightsInFeet);
        if (!reader.open(inputFileName))
            return inputError();
        auto batch = std::make_unique<Batch>();
        const auto hand = [&] {
            Batch *full = batch.get();
            batches.push_back(std::move(batch));
            pool.post([&prepareBatch, full] { prepareBatch(*full); });
            batch = std::make_unique<Batch>();
        };
        // Every airspace is written or listed, also one without any boundary.
        while (AirspacePtr airspace = reader.nextAirspace()) {
            batch->airspaces.push_back(std::move(airspace));
            if (batch->airspaces.size() == BatchSize)
                hand();
        }
        if (!batch->airspaces.empty())
            hand();
        reader.close();
    }
    pool.wait();

    QStringList deviceNames;
    for (const auto &batch : batches) {
        for (const AirspacePtr &airspace : batch->airspaces)
            deviceNames.append(airspace->deviceName());
    }
    result.keptCount = static_cast<int>(deviceNames.size());
    makeDeviceNamesUnique(deviceNames);
    std::vector<std::pair<Airspace *, PreparedRecord *>> renamed;
    qsizetype position = 0;
    for (const auto &batch : batches) {
        for (std::size_t i = 0; i < batch->airspaces.size(); ++i) {
            const QString &name = deviceNames.at(position++);
            Airspace &airspace = *batch->airspaces[i];
            if (airspace.deviceName() == name)
                continue;
            airspace.setDeviceName(name);
            if (batch->records[i].kind == PreparedRecord::Written)
                renamed.emplace_back(&airspace, &batch->records[i]);
        }
    }
    pool.run(renamed.size(), [&](std::size_t i) { prepare(*renamed[i].first, *renamed[i].second); });

    OutputTarget output;
    if (!output.open(outputFileName, append))
        return outputError();

    const QDate date = options.date.isValid() ? options.date : QDate::currentDate();
    bool written = output.write(toLatin1Text(OutputFile::bannerText(inputFileName, date)));
    for (auto &batch : batches) {
        for (std::size_t i = 0; i < batch->records.size() && written; ++i) {
            const PreparedRecord &record = batch->records[i];
            switch (record.kind) {
            case PreparedRecord::OverLimit:
                result.overLimitLines.append(record.reportLine);
                break;
            case PreparedRecord::Faulty:
                result.faultyLines.append(record.reportLine);
                break;
            case PreparedRecord::Written:
                written = output.write(record.bytes);
                if (written) {
                    ++result.writtenCount;
                    result.baseUnitLimits += batch->airspaces[i]->baseUnitLimits();
                    result.aboveGroundLimits += batch->airspaces[i]->aboveGroundLimits();
                }
                break;
            }
        }
        // The airspaces are let go on the other cores while the next batch is written.
        Batch *done = batch.release();
        pool.post([done] { delete done; });
        if (!written)
            break;
    }

    if (!written || !output.finish()) {
        output.discard();
        return outputError();
    }

    if (!result.faultyLines.isEmpty())
        m_ui.warning(errorTitle,
                     reportText(QObject::tr("Die folgenden Lufträume haben Fehler:\n\n"), result.faultyLines));
    if (!result.overLimitLines.isEmpty())
        m_ui.warning(errorTitle, reportText(QObject::tr("Die folgenden Lufträume haben zu viele Eckpunkte:\n\n"),
                                            result.overLimitLines));

    QString summary = QObject::tr("Umwandlung der Datei %1\nnach %2 erfolgreich\n\n%3/%4 Lufträume umgewandelt.")
                          .arg(inputFileName, outputFileName, QString::number(result.writtenCount),
                               QString::number(result.keptCount));
    // The device file holds bare metres: say where that may not mean what the input said.
    QStringList limitNotes;
    if (result.baseUnitLimits != 0)
        limitNotes.append(QObject::tr("%1 Höhenangaben ohne Einheit wurden in %2 gelesen.")
                              .arg(QString::number(result.baseUnitLimits),
                                   options.heightsInFeet ? QObject::tr("Fuss") : QObject::tr("Metern")));
    if (result.aboveGroundLimits != 0)
        limitNotes.append(QObject::tr("%1 Höhenangaben über Grund wurden als Höhen über Meer geschrieben.")
                              .arg(result.aboveGroundLimits));
    if (!limitNotes.isEmpty())
        summary += QLatin1String("\n\n") + limitNotes.join(QLatin1Char('\n'));
    m_ui.information(QObject::tr("Umwandlung abgeschlossen"), summary);
    result.outcome = ConversionResult::Outcome::Finished;
    return result;
}
