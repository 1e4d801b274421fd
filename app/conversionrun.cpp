#include "app/conversionrun.h"

#include "app/outputfile.h"
#include "app/previewdata.h"
#include "app/workerpool.h"
#include "model/units.h"
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
constexpr std::size_t BatchSize = 64;
// ... and at most this many batches wait to be written, which bounds the memory of a run
// whatever the size of its file.
constexpr std::size_t MaxPendingBatches = 2 * MaxRecordHelpers + 2;

int warningDistanceCm(const ConversionOptions &options)
{
    return options.distanceInMetres ? Units::metresToCentimetres(options.warningDistance)
                                    : Units::warningFeetToCentimetres(options.warningDistance);
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
    QString reportLine;   // for Fitted, OverLimit and Faulty
    int baseUnitLimits = 0;      // limits without unit, read in the base unit
    int aboveGroundLimits = 0;   // limits above the ground, written as above sea level
    std::unique_ptr<PreviewAirspace> preview;   // when the run keeps one
};

// Airspaces in input order, handed to one thread for their records. The reading thread
// fills a batch and lets go of it; the thread that makes its records owns its airspaces
// from then on and frees them; the reading thread writes the records once `done`.
struct Batch
{
    std::vector<AirspacePtr> airspaces;
    std::vector<PreparedRecord> records;
    QString fileLabel;   // put before the names in report lines when there are several files
    std::exception_ptr failure;
    std::atomic<bool> done{false};
};

// One input file and where its airspaces stand among those of all files.
struct Input
{
    QString fileName;
    QByteArray bytes;
    QString label;   // "alps.txt: " when there are several files, else empty
};

QString reportText(const QString &heading, QStringList lines, bool closing = true)
{
    lines.first().prepend(heading);
    if (closing)
        lines.last().append(QObject::tr("\nbitte bereinigen Sie diese.\n"));
    return lines.join(QLatin1Char('\n'));
}

PreviewAirspace::State previewState(Kaf::Record::Kind kind)
{
    switch (kind) {
    case Kaf::Record::Written: return PreviewAirspace::State::Written;
    case Kaf::Record::Fitted: return PreviewAirspace::State::Fitted;
    case Kaf::Record::OverLimit: return PreviewAirspace::State::OverLimit;
    case Kaf::Record::Faulty: break;
    }
    return PreviewAirspace::State::Faulty;
}

// One conversion, step by step. Everything is read before anything is written, as the
// renaming needs every name: the files' bytes are read once, their airspaces twice, first
// for their names only, then one batch at a time for their records, which go out as soon
// as they are made. So a run holds the files, their names and a few batches, never all
// their airspaces.
class Run
{
public:
    Run(ConversionUi &ui, const ConversionOptions &options) : m_ui(ui), m_options(options) {}

    ConversionResult execute()
    {
        try {
            if (prepareFiles() && readInputs() && readNames() && openOutput() && writeRecords())
                report();
        } catch (const std::bad_alloc &) {
            m_output.reset();   // an unfinished output is discarded
            m_ui.error(errorTitle(), QObject::tr("Die Datei %1 konnte nicht umgewandelt werden: "
                                                 "zu wenig Arbeitsspeicher.").arg(inputNames()));
            m_result.outcome = ConversionResult::Outcome::InputError;
        }
        return m_result;
    }

private:
    static QString errorTitle() { return QObject::tr("FEHLER"); }
    QString inputNames() const { return m_options.inputFileNames.join(QLatin1String("; ")); }

    bool fail(ConversionResult::Outcome outcome, const QString &text)
    {
        m_ui.error(errorTitle(), text);
        m_result.outcome = outcome;
        return false;
    }
    bool inputError(const QString &fileName)
    {
        return fail(ConversionResult::Outcome::InputError,
                    QObject::tr("Die Datei %1 konnte nicht geöffnet werden.").arg(fileName));
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

    // Names the files, makes sure every input exists and none is the output, and asks
    // about an existing output.
    bool prepareFiles()
    {
        const QStringList &inputs = m_options.inputFileNames;
        if (m_options.toStandardOutput) {
            m_result.outputFileName = QStringLiteral("-");
        } else {
            m_result.outputFileName = OutputFile::completeFileName(m_options.outputText, inputs.value(0));
            m_result.outputTextFilled = m_options.outputText.isEmpty();
            if (m_result.outputTextFilled)
                m_ui.outputNameCompleted(m_result.outputFileName);
        }
        const QString &output = m_result.outputFileName;
        for (const QString &input : inputs) {
            // A directory counts as existing here; reading it fails later.
            if (!QFileInfo::exists(input))
                return inputError(input);
            if (m_options.toStandardOutput ? isStandardOutput(input) : isSameFile(input, output)) {
                return fail(ConversionResult::Outcome::OutputError,
                            QObject::tr("Die Datei %1 ist die Eingabedatei und wird nicht überschrieben.").arg(output));
            }
        }
        if (inputs.isEmpty())
            return inputError(QString());
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

    // Every file's bytes, at most 1 GiB of them in all.
    bool readInputs()
    {
        qint64 total = 0;
        for (const QString &fileName : m_options.inputFileNames) {
            Input input;
            input.fileName = fileName;
            if (m_options.inputFileNames.size() > 1)
                input.label = QFileInfo(fileName).fileName() + QLatin1String(": ");
            const auto error = OpenAirReader::readInput(fileName, input.bytes);
            total += input.bytes.size();
            if (error == OpenAirReader::InputError::TooLarge || total > OpenAirReader::MaxInputBytes) {
                return fail(ConversionResult::Outcome::InputError,
                            QObject::tr("Die Datei %1 ist zu gross: gelesen werden höchstens %2 MiB.")
                                .arg(fileName)
                                .arg(OpenAirReader::MaxInputBytes >> 20));
            }
            if (error != OpenAirReader::InputError::None)
                return inputError(fileName);
            m_inputs.push_back(std::move(input));
        }
        return true;
    }

    // The first pass: every airspace's name, the filter's verdicts, and the names of the
    // airspaces kept made unique.
    bool readNames()
    {
        const AirspaceFilter filter(m_options.filter, m_options.heightsInFeet);
        for (const Input &input : m_inputs) {
            OpenAirReader reader(m_options.heightsInFeet);
            reader.setOutlinesSkipped(!filter.needsOutlines());
            reader.openBytes(input.bytes);
            while (AirspacePtr airspace = reader.nextAirspace()) {
                if (m_ui.stopRequested())
                    return stopped();
                const AirspaceFilter::Verdict verdict = filter.isActive() ? filter.verdict(*airspace)
                                                                          : AirspaceFilter::Verdict::Kept;
                m_leftOut.push_back(verdict != AirspaceFilter::Verdict::Kept);
                m_result.filteredByClass += verdict == AirspaceFilter::Verdict::ByClass;
                m_result.filteredByFloor += verdict == AirspaceFilter::Verdict::ByFloor;
                m_result.filteredByArea += verdict == AirspaceFilter::Verdict::ByArea;
                if (verdict == AirspaceFilter::Verdict::Kept)
                    m_names.append(airspace->deviceName());
            }
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
        if (m_options.keepPreview) {
            m_preview = std::make_shared<PreviewData>();
            m_preview->inputFileNames = m_options.inputFileNames;
            m_preview->date = date;
        }
        return m_output->write(Kaf::toLatin1(OutputFile::bannerText(m_options.inputFileNames, date)))
               || outputError();
    }

    void prepare(Airspace &airspace, PreparedRecord &prepared, const QString &fileLabel) const
    {
        Kaf::RecordOptions options;
        options.closeOutline = m_options.closeOutlines;
        options.fitLongOutline = m_options.fitLongOutlines;
        options.warningDistanceCm = m_warningCm;
        options.keepOutline = m_options.keepPreview;
        prepared.record = Kaf::makeRecord(airspace, options);
        const Kaf::Record &record = prepared.record;
        prepared.baseUnitLimits = airspace.baseUnitLimits();
        prepared.aboveGroundLimits = airspace.aboveGroundLimits();
        const QString name = fileLabel + airspace.name();
        switch (record.kind) {
        case Kaf::Record::OverLimit:
            prepared.reportLine = QObject::tr("  - %1 hat %2 Segmente").arg(name, QString::number(record.segmentCount));
            break;
        case Kaf::Record::Faulty:
            prepared.reportLine = QObject::tr("  - %1  -- %2").arg(name, airspace.errorText());
            break;
        case Kaf::Record::Fitted:
            prepared.reportLine = QObject::tr("  - %1: %2 -> %3 Segmente, bis %4 m grösser")
                                      .arg(name, QString::number(record.segmentCount),
                                           QString::number(record.fittedSegmentCount),
                                           QString::number((record.fittedDistanceCm + 99) / 100));
            break;
        case Kaf::Record::Written:
            break;
        }
        if (m_options.keepPreview) {
            auto preview = std::make_unique<PreviewAirspace>();
            preview->state = previewState(record.kind);
            preview->name = airspace.name();
            preview->airspaceClass = airspace.airspaceClass();
            preview->floorCm = airspace.floor();
            preview->ceilingCm = airspace.ceiling();
            preview->outline = record.outline;
            preview->original = record.original;
            prepared.preview = std::move(preview);
        }
    }

    void prepareBatch(Batch &batch) const
    {
        try {
            batch.records.resize(batch.airspaces.size());
            for (std::size_t i = 0; i < batch.airspaces.size(); ++i)
                prepare(*batch.airspaces[i], batch.records[i], batch.fileLabel);
            batch.airspaces.clear();
        } catch (...) {
            batch.failure = std::current_exception();
        }
        batch.done = true;
    }

    // The second pass: each airspace kept under its unique name, its record made on
    // another core, the records written in input order while the files are still being
    // read.
    bool writeRecords()
    {
        m_warningCm = warningDistanceCm(m_options);
        std::deque<std::unique_ptr<Batch>> pending;
        WorkerPool pool(MaxRecordHelpers);   // after the batches: it ends first
        const auto hand = [&](std::unique_ptr<Batch> &batch) {
            Batch *posted = batch.get();
            pending.push_back(std::exchange(batch, std::make_unique<Batch>()));
            pool.post([this, posted] { prepareBatch(*posted); });
            while (pending.size() > MaxPendingBatches) {
                if (!writeBatch(pool, *pending.front()))
                    return false;
                pending.pop_front();
            }
            return true;
        };
        std::size_t index = 0;   // of all airspaces read
        qsizetype kept = 0;      // of those kept
        for (Input &input : m_inputs) {
            OpenAirReader reader(m_options.heightsInFeet);
            reader.openBytes(input.bytes);
            auto batch = std::make_unique<Batch>();
            batch->fileLabel = input.label;
            while (AirspacePtr airspace = reader.nextAirspace()) {
                if (m_ui.stopRequested())
                    return stopped();
                if (m_leftOut[index++])
                    continue;
                airspace->setDeviceName(m_names.name(kept++));
                batch->airspaces.push_back(std::move(airspace));
                if (batch->airspaces.size() == BatchSize && !hand(batch))
                    return false;
                batch->fileLabel = input.label;
            }
            reader.close();
            input.bytes = QByteArray();
            if (!batch->airspaces.empty() && !hand(batch))
                return false;
        }
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
        for (PreparedRecord &prepared : batch.records) {
            if (m_ui.stopRequested())
                return stopped();
            if (prepared.preview)
                m_preview->airspaces.push_back(std::move(*prepared.preview));
            switch (prepared.record.kind) {
            case Kaf::Record::OverLimit:
                m_result.overLimitLines.append(prepared.reportLine);
                break;
            case Kaf::Record::Faulty:
                m_result.faultyLines.append(prepared.reportLine);
                break;
            case Kaf::Record::Fitted:
                m_result.fittedLines.append(prepared.reportLine);
                Q_FALLTHROUGH();
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
        if (!m_result.fittedLines.isEmpty())
            m_ui.information(QObject::tr("Lufträume vereinfacht"),
                             reportText(QObject::tr("Folgende Lufträume wurden vereinfacht:\n\n"), m_result.fittedLines,
                                        false));
        if (m_preview) {
            m_preview->writtenCount = m_result.writtenCount;
            m_preview->keptCount = m_result.keptCount;
            m_result.preview = std::move(m_preview);
        }
        m_ui.information(QObject::tr("Umwandlung abgeschlossen"), summaryText());
        m_result.outcome = ConversionResult::Outcome::Finished;
    }

    QString summaryText() const
    {
        QString summary = QObject::tr("Umwandlung der Datei %1\nnach %2 erfolgreich\n\n%3/%4 Lufträume umgewandelt.")
                              .arg(inputNames(), m_result.outputFileName, QString::number(m_result.writtenCount),
                                   QString::number(m_result.keptCount));
        if (m_result.filteredCount() != 0) {
            summary += QLatin1Char('\n') + QObject::tr("%1 Lufträume durch Filter ausgelassen").arg(m_result.filteredCount());
            QStringList reasons;
            if (m_result.filteredByClass != 0)
                reasons << QObject::tr("%1 nach Klasse oder Typ").arg(m_result.filteredByClass);
            if (m_result.filteredByFloor != 0)
                reasons << QObject::tr("%1 mit Untergrenze über %2").arg(m_result.filteredByFloor).arg(m_options.filter.maxFloor);
            if (m_result.filteredByArea != 0)
                reasons << QObject::tr("%1 ausserhalb des Gebiets").arg(m_result.filteredByArea);
            summary += QLatin1String(" (") + reasons.join(QLatin1String(", ")) + QLatin1String(").");
        }
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
    std::vector<Input> m_inputs;
    std::vector<bool> m_leftOut;   // by the filter, for every airspace read
    Kaf::DeviceNames m_names;      // of the airspaces kept
    std::unique_ptr<OutputTarget> m_output;
    std::shared_ptr<PreviewData> m_preview;
};

} // namespace

ConversionResult ConversionRun::run(const ConversionOptions &options)
{
    return Run(m_ui, options).execute();
}
