#include "app/conversionrun.h"

#include "app/outputfile.h"
#include "app/workerpool.h"
#include "openair/openairreader.h"
#include "output/kaf.h"

#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QSaveFile>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <deque>
#include <exception>
#include <limits>
#include <memory>
#include <new>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Records are made by the calling thread and up to this many more.
constexpr int MaxRecordHelpers = 3;
// Records are made in batches of this many airspaces ...
constexpr std::size_t BatchSize = 256;
// ... and at most this many batches wait to be written, which bounds the memory of a run
// whatever the size of its file.
constexpr std::size_t MaxPendingBatches = 2 * MaxRecordHelpers + 2;

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

// Whether two names lead to one file: the same canonical path, or (where the platform
// tells) the same device and inode, which also catches hard links.
bool isSameFile(const QString &first, const QString &second)
{
    const QString a = QFileInfo(first).canonicalFilePath();
    if (!a.isEmpty() && a == QFileInfo(second).canonicalFilePath())
        return true;
#ifdef Q_OS_UNIX
    struct stat x{}, y{};
    return ::stat(QFile::encodeName(first).constData(), &x) == 0
           && ::stat(QFile::encodeName(second).constData(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
#else
    return false;
#endif
}

// Whether standard output leads to the file (a shell's ">> input.txt").
bool isStandardOutput(const QString &fileName)
{
#ifdef Q_OS_UNIX
    struct stat x{}, y{};
    return ::fstat(STDOUT_FILENO, &x) == 0 && S_ISREG(x.st_mode)
           && ::stat(QFile::encodeName(fileName).constData(), &y) == 0 && x.st_dev == y.st_dev
           && x.st_ino == y.st_ino;
#else
    Q_UNUSED(fileName);
    return false;
#endif
}

// Overwriting goes through a save file, so an existing file stays whole until the new
// one is complete; appending writes unbuffered, so each failing write shows at once,
// and a failed append cuts the file back to what it held before. A target that is
// neither finished nor discarded is discarded when it goes.
class OutputTarget
{
public:
    OutputTarget() = default;
    OutputTarget(const OutputTarget &) = delete;
    OutputTarget &operator=(const OutputTarget &) = delete;
    ~OutputTarget()
    {
        if (m_open)
            discard();
    }

    bool open(const QString &fileName, bool append)
    {
        const QFileInfo existing(fileName);
        // A save file renames its new file over the target, which would put a plain file
        // in the place of a device (/dev/null, /dev/full, a terminal): those are written
        // directly, and there is nothing to restore on failure.
        const bool device = existing.exists() && !existing.isFile() && !existing.isDir();
        if (!append && !device) {
            m_saveFile = std::make_unique<QSaveFile>(fileName);
            m_open = m_saveFile->open(QIODevice::WriteOnly);
            return m_open;
        }
        m_directFile = std::make_unique<QFile>(fileName);
        // Appending means seeking to the end, which a device refuses with a warning.
        const QIODevice::OpenMode mode = append && !device ? QIODevice::Append : QIODevice::OpenMode();
        if (!m_directFile->open(QIODevice::WriteOnly | mode | QIODevice::Unbuffered))
            return false;
        m_originalSize = device ? -1 : m_directFile->size();
        m_open = true;
        return true;
    }

    bool openStandardOutput()
    {
        std::fflush(stdout);
        m_directFile = std::make_unique<QFile>();
        m_originalSize = -1;
        m_open = m_directFile->open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
        return m_open;
    }

    bool write(const QByteArray &bytes)
    {
        QFileDevice *device = m_saveFile ? static_cast<QFileDevice *>(m_saveFile.get()) : m_directFile.get();
        return device->write(bytes) == bytes.size();
    }

    // False when the file could not be completed; it is then discarded when the target goes.
    bool finish()
    {
        // The save file's commit does not notice a failing last flush: flush first.
        if (m_saveFile) {
            m_open = !(m_saveFile->flush() && m_saveFile->commit());
            return !m_open;
        }
        if (!m_directFile->flush())
            return false;
        m_directFile->close();
        m_open = m_directFile->error() != QFileDevice::NoError;
        return !m_open;
    }

    void discard()
    {
        m_open = false;
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
    bool m_open = false;
};

// What becomes of one airspace in the output: its record, or the line that reports it.
struct PreparedRecord
{
    Kaf::Record record;
    QString reportLine;   // for OverLimit and Faulty
    int baseUnitLimits = 0;      // limits without unit, read in the base unit
    int aboveGroundLimits = 0;   // limits above the ground, written as above sea level
};

// Airspaces in input order, handed to one thread for their records. The reading thread
// fills a batch and lets go of it; the thread that makes its records owns its airspaces
// from then on and frees them; the reading thread writes the records once `done`.
struct Batch
{
    std::vector<AirspacePtr> airspaces;
    std::vector<PreparedRecord> records;
    std::exception_ptr failure;
    std::atomic<bool> done{false};
};

QString reportText(const QString &heading, QStringList lines)
{
    lines.first().prepend(heading);
    lines.last().append(QObject::tr("\nbitte bereinigen Sie diese.\n"));
    return lines.join(QLatin1Char('\n'));
}

// One conversion, step by step. Everything is read before anything is written, as the
// renaming needs every name: the file's bytes are read once, its airspaces twice, first
// for their names only, then one batch at a time for their records, which go out as soon
// as they are made. So a run holds the file, its names and a few batches, never all its
// airspaces.
class Run
{
public:
    Run(ConversionUi &ui, const ConversionOptions &options) : m_ui(ui), m_options(options) {}

    ConversionResult execute()
    {
        try {
            if (prepareFiles() && readInput() && readNames() && openOutput() && writeRecords())
                report();
        } catch (const std::bad_alloc &) {
            m_output.reset();   // an unfinished output is discarded
            m_ui.error(errorTitle(), QObject::tr("Die Datei %1 konnte nicht umgewandelt werden: "
                                                 "zu wenig Arbeitsspeicher.").arg(m_options.inputFileName));
            m_result.outcome = ConversionResult::Outcome::InputError;
        }
        return m_result;
    }

private:
    static QString errorTitle() { return QObject::tr("FEHLER"); }

    bool fail(ConversionResult::Outcome outcome, const QString &text)
    {
        m_ui.error(errorTitle(), text);
        m_result.outcome = outcome;
        return false;
    }
    bool inputError()
    {
        return fail(ConversionResult::Outcome::InputError,
                    QObject::tr("Die Datei %1 konnte nicht geöffnet werden.").arg(m_options.inputFileName));
    }
    bool outputError()
    {
        m_output.reset();
        return fail(ConversionResult::Outcome::OutputError,
                    QObject::tr("Die Datei %1 konnte nicht geschrieben werden.").arg(m_result.outputFileName));
    }
    bool stopped()
    {
        m_output.reset();
        m_result.outcome = ConversionResult::Outcome::Stopped;
        return false;
    }

    // Names both files, makes sure the input exists and is not the output, and asks
    // about an existing output.
    bool prepareFiles()
    {
        const QString &input = m_options.inputFileName;
        if (m_options.toStandardOutput) {
            m_result.outputFileName = QStringLiteral("-");
        } else {
            m_result.outputFileName = OutputFile::completeFileName(m_options.outputText, input);
            m_result.outputTextFilled = m_options.outputText.isEmpty();
            if (m_result.outputTextFilled)
                m_ui.outputNameCompleted(m_result.outputFileName);
        }
        // A directory counts as existing here; reading it fails later.
        if (!QFileInfo::exists(input))
            return inputError();
        const QString &output = m_result.outputFileName;
        if (m_options.toStandardOutput ? isStandardOutput(input) : isSameFile(input, output)) {
            return fail(ConversionResult::Outcome::OutputError,
                        QObject::tr("Die Datei %1 ist die Eingabedatei und wird nicht überschrieben.").arg(output));
        }
        if (m_options.toStandardOutput || !QFileInfo::exists(output))
            return true;
        switch (m_ui.askExistingOutput(output)) {
        case ConversionUi::ExistingOutput::Abort:
            m_result.outcome = ConversionResult::Outcome::Aborted;
            return false;
        case ConversionUi::ExistingOutput::Append:
            m_append = true;
            break;
        case ConversionUi::ExistingOutput::Overwrite:
            break;
        }
        return true;
    }

    bool readInput()
    {
        const auto error = OpenAirReader::readInput(m_options.inputFileName, m_bytes);
        if (error == OpenAirReader::InputError::TooLarge) {
            return fail(ConversionResult::Outcome::InputError,
                        QObject::tr("Die Datei %1 ist zu gross: gelesen werden höchstens %2 MiB.")
                            .arg(m_options.inputFileName)
                            .arg(OpenAirReader::MaxInputBytes >> 20));
        }
        return error == OpenAirReader::InputError::None || inputError();
    }

    // The first pass: every airspace's name, and the names made unique.
    bool readNames()
    {
        OpenAirReader reader(m_options.heightsInFeet);
        reader.setOutlinesSkipped(true);
        reader.openBytes(m_bytes);
        while (AirspacePtr airspace = reader.nextAirspace()) {
            if (m_ui.stopRequested())
                return stopped();
            m_names.append(airspace->deviceName());
        }
        m_result.keptCount = int(std::min<qsizetype>(m_names.size(), std::numeric_limits<int>::max()));
        m_names.makeUnique();
        return true;
    }

    // Opens the output and writes the banner.
    bool openOutput()
    {
        m_output = std::make_unique<OutputTarget>();
        const bool opened = m_options.toStandardOutput ? m_output->openStandardOutput()
                                                       : m_output->open(m_result.outputFileName, m_append);
        if (!opened) {
            m_output.reset();   // nothing to discard
            return outputError();
        }
        const QDate date = m_options.date.isValid() ? m_options.date : QDate::currentDate();
        return m_output->write(Kaf::toLatin1(OutputFile::bannerText(m_options.inputFileName, date)))
               || outputError();
    }

    void prepare(Airspace &airspace, PreparedRecord &prepared) const
    {
        prepared.record = Kaf::makeRecord(airspace, m_options.closeOutlines, m_warningCm);
        prepared.baseUnitLimits = airspace.baseUnitLimits();
        prepared.aboveGroundLimits = airspace.aboveGroundLimits();
        switch (prepared.record.kind) {
        case Kaf::Record::OverLimit:
            prepared.reportLine = QObject::tr("  - %1 hat %2 Segmente")
                                      .arg(airspace.name(), QString::number(prepared.record.segmentCount));
            break;
        case Kaf::Record::Faulty:
            prepared.reportLine = QObject::tr("  - %1  -- %2").arg(airspace.name(), airspace.errorText());
            break;
        case Kaf::Record::Written:
            break;
        }
    }

    void prepareBatch(Batch &batch) const
    {
        try {
            batch.records.resize(batch.airspaces.size());
            for (std::size_t i = 0; i < batch.airspaces.size(); ++i)
                prepare(*batch.airspaces[i], batch.records[i]);
            batch.airspaces.clear();
        } catch (...) {
            batch.failure = std::current_exception();
        }
        batch.done = true;
    }

    // The second pass: each airspace under its unique name, its record made on another
    // core, the records written in input order while the file is still being read.
    bool writeRecords()
    {
        m_warningCm = warningDistanceCm(m_options);
        std::deque<std::unique_ptr<Batch>> pending;
        WorkerPool pool(MaxRecordHelpers);   // after the batches: it ends first
        const auto hand = [&](std::unique_ptr<Batch> batch) {
            Batch *posted = batch.get();
            pending.push_back(std::move(batch));
            pool.post([this, posted] { prepareBatch(*posted); });
        };
        OpenAirReader reader(m_options.heightsInFeet);
        reader.openBytes(m_bytes);
        auto batch = std::make_unique<Batch>();
        qsizetype index = 0;
        while (AirspacePtr airspace = reader.nextAirspace()) {
            if (m_ui.stopRequested())
                return stopped();
            airspace->setDeviceName(m_names.name(index++));
            batch->airspaces.push_back(std::move(airspace));
            if (batch->airspaces.size() == BatchSize) {
                hand(std::exchange(batch, std::make_unique<Batch>()));
                while (pending.size() > MaxPendingBatches) {
                    if (!writeBatch(pool, *pending.front()))
                        return false;
                    pending.pop_front();
                }
            }
        }
        reader.close();
        m_bytes = QByteArray();
        if (!batch->airspaces.empty())
            hand(std::move(batch));
        for (; !pending.empty(); pending.pop_front()) {
            if (!writeBatch(pool, *pending.front()))
                return false;
        }
        return m_output->finish() || outputError();
    }

    bool writeBatch(WorkerPool &pool, Batch &batch)
    {
        pool.waitUntil([&batch] { return batch.done.load(); });
        if (batch.failure)
            std::rethrow_exception(batch.failure);
        for (const PreparedRecord &prepared : batch.records) {
            if (m_ui.stopRequested())
                return stopped();
            switch (prepared.record.kind) {
            case Kaf::Record::OverLimit:
                m_result.overLimitLines.append(prepared.reportLine);
                break;
            case Kaf::Record::Faulty:
                m_result.faultyLines.append(prepared.reportLine);
                break;
            case Kaf::Record::Written:
                if (!m_output->write(prepared.record.bytes))
                    return outputError();
                ++m_result.writtenCount;
                m_result.baseUnitLimits += prepared.baseUnitLimits;
                m_result.aboveGroundLimits += prepared.aboveGroundLimits;
                break;
            }
        }
        return true;
    }

    void report()
    {
        m_output.reset();
        if (!m_result.faultyLines.isEmpty())
            m_ui.warning(errorTitle(), reportText(QObject::tr("Die folgenden Lufträume haben Fehler:\n\n"),
                                                  m_result.faultyLines));
        if (!m_result.overLimitLines.isEmpty())
            m_ui.warning(errorTitle(), reportText(QObject::tr("Die folgenden Lufträume haben zu viele Eckpunkte:\n\n"),
                                                  m_result.overLimitLines));
        m_ui.information(QObject::tr("Umwandlung abgeschlossen"), summaryText());
        m_result.outcome = ConversionResult::Outcome::Finished;
    }

    QString summaryText() const
    {
        QString summary = QObject::tr("Umwandlung der Datei %1\nnach %2 erfolgreich\n\n%3/%4 Lufträume umgewandelt.")
                              .arg(m_options.inputFileName, m_result.outputFileName,
                                   QString::number(m_result.writtenCount), QString::number(m_result.keptCount));
        // The device file holds bare metres: say where that may not mean what the input said.
        QStringList limitNotes;
        if (m_result.baseUnitLimits != 0)
            limitNotes.append(QObject::tr("%1 Höhenangaben ohne Einheit wurden in %2 gelesen.")
                                  .arg(QString::number(m_result.baseUnitLimits),
                                       m_options.heightsInFeet ? QObject::tr("Fuss") : QObject::tr("Metern")));
        if (m_result.aboveGroundLimits != 0)
            limitNotes.append(QObject::tr("%1 Höhenangaben über Grund wurden als Höhen über Meer geschrieben.")
                                  .arg(m_result.aboveGroundLimits));
        if (!limitNotes.isEmpty())
            summary += QLatin1String("\n\n") + limitNotes.join(QLatin1Char('\n'));
        return summary;
    }

    ConversionUi &m_ui;
    const ConversionOptions &m_options;
    ConversionResult m_result;
    bool m_append = false;
    int m_warningCm = 0;
    QByteArray m_bytes;
    Kaf::DeviceNames m_names;
    std::unique_ptr<OutputTarget> m_output;
};

} // namespace

ConversionResult ConversionRun::run(const ConversionOptions &options)
{
    return Run(m_ui, options).execute();
}
