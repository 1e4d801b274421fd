// Choosing what goes onto the instrument: several files in one output, and filters.

#include "app/conversionrun.h"

#include <QtTest>

namespace {

struct QuietUi : ConversionUi
{
    QStringList texts;
    ExistingOutput askExistingOutput(const QString &) override { return ExistingOutput::Overwrite; }
    void error(const QString &, const QString &text) override { texts << text; }
    void warning(const QString &, const QString &text) override { texts << text; }
    void information(const QString &, const QString &text) override { texts << text; }
};

// A small square with its south-west corner at the given degrees; `head` holds its class,
// name and limits.
QByteArray square(const QByteArray &head, double lat = 46.0, double lon = 7.0, double size = 0.1)
{
    const auto point = [](double latitude, double longitude) {
        return "DP " + QByteArray::number(latitude, 'f', 4) + " N " + QByteArray::number(longitude, 'f', 4) + " E\n";
    };
    return head + "\n" + point(lat, lon) + point(lat + size, lon) + point(lat + size, lon + size)
           + point(lat, lon + size) + point(lat, lon) + "\n";
}

QByteArray area(const QByteArray &name, const QByteArray &classLine = "AC R", const QByteArray &floor = "GND",
                double lat = 46.0, double lon = 7.0, double size = 0.1)
{
    return square(classLine + "\nAN " + name + "\nAL " + floor + "\nAH FL195", lat, lon, size);
}

// One of its points cannot be read.
QByteArray broken(const QByteArray &name, const QByteArray &classLine = "AC R")
{
    return area(name, classLine).replace("AH FL195\n", "AH FL195\nDP 46:00:00 N 0x7:00:00 E\n");
}

QStringList writtenNames(const QString &fileName)
{
    QFile file(fileName);
    QStringList names;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : file.readAll().split('\n'))
            if (line.startsWith("AN "))
                names << QString::fromLatin1(line.mid(3).chopped(1));
    }
    return names;
}

} // namespace

class SelectionTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QuietUi m_ui;

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    ConversionResult run(const QStringList &inputs, const FilterSettings &filter = {})
    {
        m_ui = QuietUi();
        ConversionOptions options;
        options.inputFileNames = inputs;
        options.outputText = m_dir.filePath(QStringLiteral("out.kaf"));
        options.filter = filter;
        return ConversionRun(m_ui).run(options);
    }

private slots:
    // Records in input order, file after file, names unique across the files, one banner
    // line per source, and report lines that say which file they mean.
    void filesAreMergedInOrderUnderUniqueNames()
    {
        const QString alps = write("alps.txt", area("TMA") + area("CTR"));
        const QString jura = write("jura.txt", area("TMA") + broken("Broken") + area("X"));
        const ConversionResult result = run({alps, jura});
        QCOMPARE(writtenNames(m_dir.filePath("out.kaf")), QStringList({"TMA_02", "CTR", "TMA_01", "X"}));
        QCOMPARE(result.keptCount, 5);
        QCOMPARE(result.faultyLines.size(), 1);
        QVERIFY2(result.faultyLines.first().startsWith("  - jura.txt: Broken  -- line "), qPrintable(result.faultyLines.first()));
        QFile output(m_dir.filePath("out.kaf"));
        QVERIFY(output.open(QIODevice::ReadOnly));
        const QByteArray bytes = output.readAll();
        QVERIFY(bytes.contains("\r\n*    source file   : alps.txt\r\n*    source file   : jura.txt\r\n*\r\n"));
        QVERIFY(m_ui.texts.last().startsWith("Umwandlung der Datei " + alps + "; " + jura + "\n"));

        // One file alone names no file in its report lines.
        QVERIFY(run({jura}).faultyLines.first().startsWith("  - Broken  -- line "));
    }

    void filtersLeaveAirspacesOut_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("filter");   // skip, max floor, near, box
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QList<int>>("leftOut");   // by class, by floor, by area

        const QByteArray classes = area("R1") + area("E1", "AC E") + area("FIS1", "AC UNC\nAY fis") + area("D1", "AC D");
        QTest::newRow("class words and types, any case")
            << classes << QStringList{"e,FIS", "", "", ""} << QStringList{"R1", "D1"} << QList<int>{2, 0, 0};
        const QByteArray floors = area("FL50", "AC R", "FL50") + area("FL150", "AC R", "FL150")
                                  + area("3000m", "AC R", "3000m") + area("3500", "AC R", "3500");
        QTest::newRow("floor above a flight level")
            << floors << QStringList{"", "FL100", "", ""} << QStringList{"FL50", "3000m"} << QList<int>{0, 2, 0};
        QTest::newRow("floor above 9500 ft")
            << floors << QStringList{"", "9500ft", "", ""} << QStringList{"FL50"} << QList<int>{0, 3, 0};
        // The far one starts east of the point, its nearest corner about 38 km away.
        const QByteArray places = area("Here") + area("East", "AC R", "GND", 46.0, 7.6) + area("Far", "AC R", "GND", 48, 11);
        QTest::newRow("within 50 km") << places << QStringList{"", "", "46.05,7.05,50", ""}
                                      << QStringList{"Here", "East"} << QList<int>{0, 0, 1};
        QTest::newRow("within 30 km") << places << QStringList{"", "", "46.05,7.05,30", ""}
                                      << QStringList{"Here"} << QList<int>{0, 0, 2};
        QTest::newRow("inside a large one") << area("Large", "AC R", "GND", 45, 6, 3)
                                            << QStringList{"", "", "46,7,1", ""} << QStringList{"Large"} << QList<int>{0, 0, 0};
        QTest::newRow("box overlapping") << places << QStringList{"", "", "", "46.05,7.05,47,7.65"}
                                         << QStringList{"Here", "East"} << QList<int>{0, 0, 1};
        QTest::newRow("box inside an airspace") << places << QStringList{"", "", "", "46.02,7.02,46.03,7.03"}
                                                << QStringList{"Here"} << QList<int>{0, 0, 2};
        QTest::newRow("combined") << places + area("E", "AC E") << QStringList{"E", "", "46.05,7.05,50", ""}
                                  << QStringList{"Here", "East"} << QList<int>{1, 0, 1};
        QTest::newRow("all left out") << classes << QStringList{"R,E,UNC,D", "", "", ""} << QStringList()
                                      << QList<int>{4, 0, 0};
        // A left-out airspace takes no name, and a fault of one is not reported.
        QTest::newRow("no name taken") << area("TMA", "AC E") + area("TMA") + broken("Bad", "AC E")
                                       << QStringList{"E", "", "", ""} << QStringList{"TMA"} << QList<int>{2, 0, 0};
    }
    void filtersLeaveAirspacesOut()
    {
        QFETCH(QByteArray, input);
        QFETCH(QStringList, filter);
        QFETCH(QStringList, written);
        QFETCH(QList<int>, leftOut);
        FilterSettings settings;
        settings.skipWords = FilterSettings::wordsOf(filter.at(0));
        settings.maxFloor = filter.at(1);
        settings.near = filter.at(2);
        settings.box = filter.at(3);
        QCOMPARE(settings.invalidPart(false), QString());
        const ConversionResult result = run({write("filter.txt", input)}, settings);
        QCOMPARE(result.outcome, ConversionResult::Outcome::Finished);
        QCOMPARE(writtenNames(m_dir.filePath("out.kaf")), written);
        QCOMPARE((QList<int>{result.filteredByClass, result.filteredByFloor, result.filteredByArea}), leftOut);
        QCOMPARE(result.keptCount, written.size());
        QVERIFY(result.faultyLines.isEmpty());
        const QString summary = m_ui.texts.last();
        QCOMPARE(summary.contains(QStringLiteral("%1 Lufträume durch Filter ausgelassen (").arg(result.filteredCount())),
                 result.filteredCount() > 0);
    }

    void unreadableFilterValuesAreNamed_data()
    {
        QTest::addColumn<QStringList>("filter");
        QTest::addColumn<QString>("option");
        QTest::newRow("floor without number") << QStringList{"NOTAM", "", ""} << "-max-floor";
        QTest::newRow("near with two numbers") << QStringList{"", "46,7", ""} << "-near";
        QTest::newRow("near beyond the pole") << QStringList{"", "91,7,10", ""} << "-near";
        QTest::newRow("negative distance") << QStringList{"", "46,7,-1", ""} << "-near";
        QTest::newRow("box south above north") << QStringList{"", "", "47,6,46,7"} << "-box";
        QTest::newRow("box of words") << QStringList{"", "", "a,b,c,d"} << "-box";
        QTest::newRow("all readable") << QStringList{"FL100", "46,7,10", "45,179,47,-179"} << "";
    }
    void unreadableFilterValuesAreNamed()
    {
        QFETCH(QStringList, filter);
        QFETCH(QString, option);
        FilterSettings settings;
        settings.maxFloor = filter.at(0);
        settings.near = filter.at(1);
        settings.box = filter.at(2);
        QCOMPARE(settings.invalidPart(false), option);
    }
};

QTEST_GUILESS_MAIN(SelectionTest)
#include "tst_selection.moc"
