#include "app/conversionrun.h"
#include "app/outputfile.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using Answer = ConversionUi::ExistingOutput;
Q_DECLARE_METATYPE(Answer)

namespace {

// Answers the question as told and keeps every message, in order.
struct RecordingUi : ConversionUi
{
    Answer answer = Answer::Overwrite;
    int stopAt = -1; // asked this many times, the run is told to stop; -1: never
    int asked = 0;
    QStringList calls;
    bool stopRequested() override { return stopAt >= 0 && ++asked > stopAt; }
    Answer askExistingOutput(const QString &name) override { return calls << "question " + name, answer; }
    void error(const QString &title, const QString &text) override { calls << "error " + title + ": " + text; }
    void warning(const QString &title, const QString &text) override { calls << "warning " + title + ": " + text; }
    void information(const QString &title, const QString &text) override { calls << "info " + title + ": " + text; }
};

// A zigzag of `segments` edges; an open one does not return to its first point.
QByteArray polygon(const QByteArray &name, int segments = 4, bool closed = true)
{
    QByteArray block = "AC R\nAN " + name + "\nAD Fl\xe4" "che\nAL GND\nAH 1000 m\n";
    const int points = closed ? segments : segments + 1;
    for (int i = 0; i < points + (closed ? 1 : 0); ++i) {
        const int p = i % points;
        block += QByteArray("DP 47:0") + (p % 2 ? '5' : '0') + ":00 N 009:" + QByteArray::number(10 + p / 60) + ':'
                 + QByteArray::number(10 + p % 60 * 4 / 5) + " E\n";
    }
    return block + '\n';
}

// The two radii differ by a whole nautical mile.
QByteArray faultyArc(const QByteArray &name)
{
    return "AC Q\nAN " + name + "\nAL GND\nAH 2000 m\nV X=47:00:00 N 009:00:00 E\n"
           "DB 47:03:00 N 009:00:00 E, 46:56:00 N 009:00:00 E\n\n";
}

QByteArray readAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeAll(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(fileName));
}

} // namespace

class ConversionRunTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    // Characters beyond Latin-1 and a "%2" that must not be taken for a placeholder.
    const QString m_input = m_dir.filePath(QStringLiteral("Zürich €\U0001FA82 %2.txt"));
    const QString m_output = m_dir.filePath(QStringLiteral("Zürich €\U0001FA82 %2.kaf"));
    RecordingUi m_ui;

    ConversionResult convert(const QByteArray &openAir, ConversionOptions options = {})
    {
        if (!openAir.isNull())
            writeAll(m_input, openAir);
        if (options.inputFileNames.isEmpty())
            options.inputFileNames = QStringList{m_input};
        options.date = QDate(2013, 3, 5);
        return ConversionRun(m_ui).run(options);
    }
    // 23 lines ended by CR LF, the source file named without its folder, in Latin-1 with one "?" for
    // each character beyond it. Lines 5 to 9 name the makers, set by the build.
    QByteArray banner() const
    {
        const QByteArrayList made = OutputFile::bannerText({m_input}, QDate(2013, 3, 5)).toLatin1().split('\n');
        const QByteArray stars(80, '*');
        return stars + "\r\n*\r\n* Created by Zonvert  version  V 2.20\r\n*\r\n" + made.mid(4, 5).join('\n')
               + "\n*\r\n*    creation date : 2013-03-05\r\n*    source file   : Z\xfcrich ?? %2.txt\r\n*\r\n" + stars
               + "\r\n*\r\n* USE AT YOUR OWN RISK\r\n*\r\n* No guarantee for the accuracy and completeness of the "
                 "information!\r\n* Any liability is rejected!\r\n* Always consult the relevant official publications!"
                 "\r\n*\r\n" + stars + "\r\n\r\n";
    }
    QString summary(int written, int kept) const
    {
        return QStringLiteral("info Umwandlung abgeschlossen: Umwandlung der Datei %1\nnach %2 erfolgreich\n\n"
                              "%3/%4 Lufträume umgewandelt.")
            .arg(m_input, m_output, QString::number(written), QString::number(kept));
    }
    QStringList writtenNames() const
    {
        QStringList names;
        for (const QByteArray &line : readAll(m_output).split('\n'))
            if (line.startsWith("AN "))
                names << line.mid(3).chopped(1);
        return names;
    }
    // The output holds the banner, then the records `names`, each with its AD text and the
    // warning distance `wd`; every other one of the `read` airspaces is listed as refused.
    void verifyRecords(const ConversionResult &result, const QString &names, int read, const QByteArray &wd = "400")
    {
        const QByteArray bytes = readAll(m_output);
        const QStringList written = writtenNames();
        QCOMPARE(written, names.split(' ', Qt::SkipEmptyParts));
        QCOMPARE(result.faultyLines.size() + result.overLimitLines.size(), read - written.size());
        QCOMPARE(m_ui.calls.last(), summary(written.size(), read));
        QVERIFY(bytes.startsWith(banner()));
        QCOMPARE(bytes.count("\r\n\r\n"), 1 + written.size()); // an empty line after the banner and each record
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        QCOMPARE(bytes.count("\r\nAD Fl\xe4" "che\r\n"), written.size());
        QCOMPARE(bytes.count("\nWD " + wd + "\r\n"), written.size());
        QCOMPARE(bytes.count("\nWD "), written.size());
    }
    // Runs over the earlier output "old", from the usual input unless the options name
    // another: the messages are `calls` (of question, summary, unread, unwritten, itself)
    // and `kept` stays ahead of the new banner, or is all that is left.
    void runOverOldOutput(const ConversionOptions &options, const QString &calls, const QByteArray &kept,
                          bool sizeLimit = false)
    {
        writeAll(m_input, polygon("Alpha"));
        writeAll(m_output, "old\r\n\r\n");
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit before = limit;
        limit.rlim_cur = sizeLimit ? 64 : limit.rlim_cur; // files may not grow beyond 64 bytes
        std::signal(SIGXFSZ, SIG_IGN); // a failing write instead of the end of the process
        setrlimit(RLIMIT_FSIZE, &limit);
        const ConversionResult result = convert(QByteArray(), options);
        setrlimit(RLIMIT_FSIZE, &before);
        const QString error = "error FEHLER: Die Datei ";
        const QHash<QString, QString> texts{
            {"question", "question " + result.outputFileName}, {"summary", summary(1, 1)},
            {"unread", error + options.inputFileNames.value(0, m_input) + " konnte nicht geöffnet werden."},
            {"unwritten", error + result.outputFileName + " konnte nicht geschrieben werden."},
            {"itself", error + result.outputFileName + " ist die Eingabedatei und wird nicht überschrieben."}};
        QStringList expected;
        for (const QString &call : calls.split(' '))
            expected << texts.value(call);
        QCOMPARE(m_ui.calls, expected);
        const QByteArray bytes = readAll(m_output);
        if (calls.endsWith(QLatin1String("summary")))
            QVERIFY(bytes.startsWith(kept + banner() + "AC R\r\n") && bytes.count(banner()) == 1);
        else
            QCOMPARE(bytes, kept);
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("*.kaf?*")}, QDir::Files | QDir::Hidden), QStringList());
    }

private slots:
    void init()
    {
        QFile::remove(m_output);
        m_ui = RecordingUi();
    }

    void outputNameIsCompleted_data()
    {
        QTest::addColumn<QString>("outputText"); // "<dir>" stands for an existing directory
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty field, last extension replaced") << "" << "/d/alps.2013.txt" << "/d/alps.2013.kaf";
        QTest::newRow("empty field, name without dot") << "" << "/d/alps" << "/d/alps.kaf";
        QTest::newRow("empty field, dot only in directory") << "" << "/my.dir/alps" << "/my.dir/alps.kaf";
        QTest::newRow("directory gets the file") << "<dir>" << "/my.dir/alps.2013.txt" << "<dir>/alps.2013.kaf";
        QTest::newRow("directory with slash") << "<dir>/" << "/d/alps" << "<dir>/alps.kaf";
        QTest::newRow("other suffix gets kaf") << "out.txt" << "/d/a.txt" << "out.txt.kaf";
        QTest::newRow("kaf suffix kept") << "out.kaf" << "/d/a.txt" << "out.kaf";
    }
    void outputNameIsCompleted()
    {
        QFETCH(QString, outputText);
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(OutputFile::completeFileName(outputText.replace(QLatin1String("<dir>"), m_dir.path()), input),
                 expected.replace(QLatin1String("<dir>"), m_dir.path()));
    }

    // ---- Records: renamed, refused, listed

    // Names held several times: cut to 13 characters, counted from the last, in order of first
    // appearance, each against the names as already changed.
    void heldNamesAreNumberedFromTheLast_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("names"); // of the records; every airspace is written
        QTest::newRow("cut to 13") << polygon("ABCDEFGHIJKLMNOP").repeated(3)
                                   << "ABCDEFGHIJKLM_03 ABCDEFGHIJKLM_02 ABCDEFGHIJKLM_01";
        QTest::newRow("unique kept") << polygon("TMA").repeated(2) + polygon("CTR") << "TMA_02 TMA_01 CTR";
        QTest::newRow("nameless") << polygon("").repeated(2) << "_02 _01";
        QTest::newRow("placeholder kept") << polygon("%1").repeated(2) << "%1_02 %1_01";
        QTest::newRow("new name counted") << polygon("A").repeated(2) + polygon("A_01") << "A_02 A_01_02 A_01_01";
        QTest::newRow("old name not counted") << polygon("A_01") + polygon("A").repeated(2) << "A_01 A_02 A_01";
    }
    void heldNamesAreNumberedFromTheLast()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, names);
        verifyRecords(convert(input), names, int(names.split(' ').size()));
    }

    void outlineOfMoreThan100SegmentsIsRefused_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("close");
        QTest::addColumn<QString>("names"); // of the records
        QTest::addColumn<int>("read");
        QTest::newRow("101 refused") << polygon("Big", 101) + polygon("S") << false << "S" << 2;
        QTest::newRow("open 100 written") << polygon("Big", 100, false) << false << "Big" << 1;
        QTest::newRow("closing makes 101") << polygon("Big", 100, false) << true << "" << 1;
    }
    void outlineOfMoreThan100SegmentsIsRefused()
    {
        QFETCH(QByteArray, input);
        QFETCH(bool, close);
        QFETCH(QString, names);
        QFETCH(int, read);
        ConversionOptions options;
        options.closeOutlines = close;
        verifyRecords(convert(input, options), names, read);
    }

    void airspaceThatCannotBeWrittenIsListed_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("names"); // of the records
        QTest::addColumn<int>("read");
        QTest::newRow("all faulty") << faultyArc("F1") + faultyArc("F2") << "" << 2;
        QTest::newRow("a single point") << "AC R\nDP 47:00:00 N 009:00:00 E\n\n" + polygon("S") << "S" << 2;
        QTest::newRow("an unreadable circle")
                << "AC R\nAN C\nV X=47:00:00 N 009:00:00 E\nDC 2,5\n\n" + polygon("S") << "S" << 2;
        QTest::newRow("no airspace: banner only") << QByteArray("* a comment\n") << "" << 0;
    }
    void airspaceThatCannotBeWrittenIsListed()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, names);
        QFETCH(int, read);
        verifyRecords(convert(input), names, read);
    }

    void warningDistanceIsWrittenInWholeMetres_data()
    {
        QTest::addColumn<int>("distance");
        QTest::addColumn<bool>("metres");
        QTest::addColumn<QByteArray>("wd");
        QTest::newRow("1000 ft is 30479 cm") << 1000 << false << QByteArray("304");
        QTest::newRow("huge distance saturates") << 2147483647 << true << QByteArray("21474836");
    }
    void warningDistanceIsWrittenInWholeMetres()
    {
        QFETCH(int, distance);
        QFETCH(bool, metres);
        QFETCH(QByteArray, wd);
        ConversionOptions options;
        options.warningDistance = distance;
        options.distanceInMetres = metres;
        verifyRecords(convert(polygon("S"), options), "S", 1, wd);
    }

    // A file name may hold line breaks: it must not add a line, let alone a record, to the banner.
    void bannerNamesTheSourceOnOneLine_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("plain") << "alps.txt" << QByteArray("*    source file   : alps.txt");
        QTest::newRow("CR LF and a record") << "a\r\nAC Q\r\nAN X\r\n.txt" << QByteArray("*    source file   : a__AC Q__AN X__.txt");
        QTest::newRow("tab, DEL, C1 control, form feed") << "\t\x7f\u0085\x0c.txt" << QByteArray("*    source file   : ____.txt");
    }
    void bannerNamesTheSourceOnOneLine()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, line);
        ConversionOptions options;
        options.inputFileNames = QStringList{m_dir.filePath(name)};
        options.outputText = m_output;
        writeAll(options.inputFileNames.first(), polygon("S"));
        convert(QByteArray(), options);
        const QByteArray bytes = readAll(m_output);
        QCOMPARE(bytes.split('\n').value(11), line + '\r');
        QCOMPARE(bytes.count("\nAC "), 1);
        QCOMPARE(bytes.count('\n') + bytes.count('\r'), 2 * bytes.count("\r\n"));
    }

    // The file holds bare metres above sea level: the summary tells how many written limits
    // had no unit and how many were above the ground.
    void summaryTellsWhatTheFileCannotHold_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("feet");
        QTest::addColumn<QString>("paragraph");   // after the counts
        const auto limits = [](const QByteArray &name, const QByteArray &lines) {
            return polygon(name).replace("AL GND\nAH 1000 m\n", lines);
        };
        QTest::newRow("units, ground, flight level, 0") << limits("A", "AL 0\nAH FL95\n") + polygon("B") << false << "";
        QTest::newRow("no unit, metres") << limits("A", "AL 1000\nAH 2000 MSL\n") << false
                                         << "\n\n2 Höhenangaben ohne Einheit wurden in Metern gelesen.";
        QTest::newRow("no unit, feet") << limits("A", "AL 1000\nAH 2000 ft\n") << true
                                       << "\n\n1 Höhenangaben ohne Einheit wurden in Fuss gelesen.";
        QTest::newRow("above ground") << limits("A", "AL 500 ft AGL\nAH 1500agl\n") + limits("B", "AL 1 m SFC\nAH 9 m\n")
                                      << false
                                      << "\n\n1 Höhenangaben ohne Einheit wurden in Metern gelesen.\n"
                                         "3 Höhenangaben über Grund wurden als Höhen über Meer geschrieben.";
        QTest::newRow("only written airspaces count")
                << limits("A", "AL 500 AGL\nAH 2000 m\n") + faultyArc("F").replace("AL GND", "AL 1000 AGL") << false
                << "\n\n1 Höhenangaben ohne Einheit wurden in Metern gelesen.\n"
                   "1 Höhenangaben über Grund wurden als Höhen über Meer geschrieben.";
    }
    void summaryTellsWhatTheFileCannotHold()
    {
        QFETCH(QByteArray, input);
        QFETCH(bool, feet);
        ConversionOptions options;
        options.heightsInFeet = feet;
        const ConversionResult result = convert(input, options);
        QTEST(m_ui.calls.last().mid(summary(result.writtenCount, result.keptCount).size()), "paragraph");
        QVERIFY(m_ui.calls.last().startsWith(summary(result.writtenCount, result.keptCount)));
    }

    // Real files, converted with the window's defaults: the records mean what the file says.
    void realFilesGiveTheRecordsTheySay_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("name");       // the record's AN text
        QTest::addColumn<QString>("expected");   // its AC, AT, AL and AH lines
        if (!QDir(QStringLiteral(ZONVERT_CORPUS_DIR)).exists())
            QSKIP("no corpus folder");
        const QString swiss = "switzerland-2016-flyland-utf8bom-crlf.txt", openAip = "france-2025-openaip-export-v2.txt";
        QTest::newRow("Swiss ceiling in ft, GND-3950m") << swiss << "ALPNACH CTR 128."
                                                        << "AC D|AT |AL 0|AH 3949";
        QTest::newRow("Swiss floor in ft, 1700m-3050m") << swiss << "BERN 2 TMA 121.0"
                                                        << "AC D|AT |AL 1699|AH 3049";
        QTest::newRow("openAIP AY P area") << openAip << "LF-P2 CIVAUX" << "AC P|AT |AL 0|AH 1097";
        QTest::newRow("openAIP AY R area") << openAip << "LF-R1A LANESTER" << "AC R|AT R|AL 0|AH 91";
        QTest::newRow("openAIP AY CTR zone") << openAip << "CTR AJACCIO" << "AC CTR|AT CTR|AL 0|AH 761";
    }
    void realFilesGiveTheRecordsTheySay()
    {
        QFETCH(QString, file);
        QFETCH(QString, name);
        ConversionOptions options;
        options.inputFileNames = QStringList{QDir(QStringLiteral(ZONVERT_CORPUS_DIR)).filePath(file)};
        options.outputText = m_output;
        const ConversionResult result = convert(QByteArray(), options);
        QCOMPARE(result.outcome, ConversionResult::Outcome::Finished);
        QStringList found;
        for (const QString &record : QString::fromLatin1(readAll(m_output)).split(QStringLiteral("\r\n\r\n"))) {
            const QStringList lines = record.split(QStringLiteral("\r\n"));
            if (lines.size() > 5 && lines.at(3) == "AN " + name)
                found << QStringList{lines.at(0), lines.at(1), lines.at(4), lines.at(5)}.join(u'|');
        }
        QTEST(found.join(u'#'), "expected");
    }

    void charactersBeyondLatin1BecomeOneQuestionMarkEach()
    {
        QByteArray input = polygon("U");
        input.replace("AD Fl\xe4" "che", "AD Fl\xc3\xa4" "che \xe2\x82\xac und \xf0\x9f\xaa\x82 Ende");
        convert(input);
        QVERIFY(readAll(m_output).contains("\r\nAD Fl\xe4" "che ? und ? Ende\r\n"));
    }

    void refusedAirspacesAreReportedBeforeSummary()
    {
        const ConversionResult result = convert(faultyArc("F1") + polygon("Big", 101) + faultyArc("F2"));
        QCOMPARE(result.faultyLines.size(), 2);
        QVERIFY(result.faultyLines.at(1).startsWith(QLatin1String("  - F2  -- segment ")));
        QCOMPARE(m_ui.calls, QStringList({"warning FEHLER: Die folgenden Lufträume haben Fehler:\n\n"
                                              + result.faultyLines.join('\n') + "\nbitte bereinigen Sie diese.\n",
                                          "warning FEHLER: Die folgenden Lufträume haben zu viele Eckpunkte:\n\n"
                                          "  - Big hat 101 Segmente\nbitte bereinigen Sie diese.\n",
                                          summary(0, 3)}));
    }

    // Records are made a batch at a time: refusals at the batch edges keep their place in
    // the lists, and the records theirs in the file.
    void batchesKeepInputOrder()
    {
        QByteArray input;
        QStringList written, faulty, overLimit;
        // Four airspaces share a name across the edges; they are renamed after their
        // records were made, counting from the last.
        const QList<int> twins{254, 256 + 2, 300, 513};
        for (int i = 0; i < 600; ++i) {
            const qsizetype twin = twins.indexOf(i);
            const QByteArray name = twin >= 0 ? "Twin" : "N" + QByteArray::number(i);
            if (twin >= 0) {
                input += polygon(name);
                written << "Twin_0" + QString::number(twins.size() - twin);
            } else if (i == 255 || i == 257 || i == 512) {
                input += polygon(name).replace("AH 1000 m\n", "AH 1000 m\nDP xx N yy E\n");
                faulty << "  - " + name + "  -- line ";
            } else if (i == 256 || i == 511 || i == 599) {
                input += polygon(name, 101);
                overLimit << "  - " + name + " hat 101 Segmente";
            } else {
                input += polygon(name);
                written << name;
            }
        }
        const ConversionResult result = convert(input);
        QCOMPARE(writtenNames(), written);
        QCOMPARE(result.writtenCount, written.size());
        QCOMPARE(result.overLimitLines, overLimit);
        QCOMPARE(result.faultyLines.size(), faulty.size());
        for (int i = 0; i < faulty.size(); ++i)
            QVERIFY2(result.faultyLines.at(i).startsWith(faulty.at(i)), qPrintable(result.faultyLines.at(i)));
    }

    // ---- An existing output

    void existingOutputIsAnswered_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QByteArray>("kept"); // ahead of the new banner, or all that is left
        QTest::newRow("append") << Answer::Append << "question summary" << QByteArray("old\r\n\r\n");
        QTest::newRow("overwrite") << Answer::Overwrite << "question summary" << QByteArray();
        QTest::newRow("abort") << Answer::Abort << "question" << QByteArray("old\r\n\r\n");
    }
    void existingOutputIsAnswered()
    {
        QFETCH(Answer, answer);
        QFETCH(QString, calls);
        QFETCH(QByteArray, kept);
        m_ui.answer = answer;
        runOverOldOutput({}, calls, kept);
    }

    void failedRunKeepsTheOutput_data()
    {
        QTest::addColumn<QString>("input"); // "" for the usual one
        QTest::addColumn<QString>("output"); // "" for an empty field: the existing file
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("sizeLimit");
        QTest::addColumn<QString>("calls");
        QTest::newRow("missing input") << "missing.txt" << "" << Answer::Overwrite << false << "unread";
        QTest::newRow("directory as input") << "folder" << "" << Answer::Overwrite << false << "unread";
        QTest::newRow("missing folder") << "" << "no/out.kaf" << Answer::Overwrite << false << "unwritten";
        QTest::newRow("full device") << "" << "full.kaf" << Answer::Overwrite << false << "question unwritten";
        QTest::newRow("overwrite fails") << "" << "" << Answer::Overwrite << true << "question unwritten";
        QTest::newRow("append fails") << "" << "" << Answer::Append << true << "question unwritten";
    }
    void failedRunKeepsTheOutput()
    {
        QFETCH(QString, input);
        QFETCH(QString, output);
        QFETCH(Answer, answer);
        QFETCH(bool, sizeLimit);
        QFETCH(QString, calls);
        ConversionOptions options;
        options.inputFileNames = QStringList{input.isEmpty() ? m_input : m_dir.filePath(input)};
        options.outputText = output.isEmpty() ? QString() : m_dir.filePath(output);
        // A full device of its own where allowed, so that a fault cannot replace the system's one;
        // a link to the real one only where /dev cannot take a file (not as root).
        if (output == QLatin1String("full.kaf") && !QFile::exists(options.outputText)
            && ::mknod(QFile::encodeName(options.outputText).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0
            && (::geteuid() == 0 || !QFile::link(QStringLiteral("/dev/full"), options.outputText)))
            QSKIP("no full device to write to");
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder")));
        m_ui.answer = answer;
        runOverOldOutput(options, calls, "old\r\n\r\n", sizeLimit);
        if (output == QLatin1String("full.kaf")) // a device is not replaced by a file
            QVERIFY(!QFileInfo(options.outputText).isFile());
    }

    // The output named the input itself and replaced or extended it without a word.
    void outputThatIsTheInputIsRefused_data()
    {
        QTest::addColumn<QString>("output"); // "" for an empty field
        QTest::newRow("output is a hard link to the input") << "hard.kaf";
        QTest::newRow("input is the completed output") << "";
    }
    void outputThatIsTheInputIsRefused()
    {
        QFETCH(QString, output);
        ConversionOptions options;
        options.inputFileNames = QStringList{m_output};
        if (!output.isEmpty()) {
            options.outputText = m_dir.filePath(output);
            QFile::remove(options.outputText);
            writeAll(m_output, "old\r\n\r\n");
            QVERIFY(::link(QFile::encodeName(m_output).constData(), QFile::encodeName(options.outputText).constData()) == 0);
        }
        m_ui.answer = Answer::Append;
        runOverOldOutput(options, "itself", "old\r\n\r\n");
    }

    // A stopped run leaves the output as it stood: an append is cut back, an overwrite dropped.
    void stopLeavesTheOutputAsItWas_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<int>("stopAt"); // the run asks once per airspace of each pass and once per record
        for (const auto &[answer, name] : {std::pair{Answer::Append, "append"}, std::pair{Answer::Overwrite, "overwrite"}}) {
            QTest::addRow("%s, reading the names", name) << answer << 10;
            QTest::addRow("%s, writing the records", name) << answer << 1000 + 700;
            QTest::addRow("%s, last record", name) << answer << 3 * 1000 - 1;
        }
    }
    void stopLeavesTheOutputAsItWas()
    {
        QFETCH(Answer, answer);
        QFETCH(int, stopAt);
        writeAll(m_output, "old\r\n\r\n");
        m_ui.answer = answer;
        m_ui.stopAt = stopAt;
        QByteArray input;
        for (int i = 0; i < 1000; ++i)
            input += polygon("N" + QByteArray::number(i));
        QCOMPARE(convert(input).outcome, ConversionResult::Outcome::Stopped);
        QCOMPARE(m_ui.calls, QStringList({"question " + m_output}));
        QCOMPARE(readAll(m_output), QByteArray("old\r\n\r\n"));
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("*.kaf?*")}, QDir::Files | QDir::Hidden), QStringList());
    }
};

QTEST_GUILESS_MAIN(ConversionRunTest)
#include "tst_conversionrun.moc"
