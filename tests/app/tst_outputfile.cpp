#include "app/outputfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class OutputFileTest : public QObject
{
    Q_OBJECT

private slots:
    void outputNameIsCompleted_data();
    void outputNameIsCompleted();
    void bannerHasFixedLinesDateAndBareSourceName_data();
    void bannerHasFixedLinesDateAndBareSourceName();
};

// "<dir>" stands for an existing directory that holds the file "file.txt".
void OutputFileTest::outputNameIsCompleted_data()
{
    QTest::addColumn<QString>("outputText");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty field takes input name") << "" << "C:/data/alps.txt" << "C:/data/alps.kaf";
    QTest::newRow("only the last extension goes") << "" << "/d/alps.2013.txt" << "/d/alps.2013.kaf";
    QTest::newRow("name without dot kept whole") << "" << "/d/alps" << "/d/alps.kaf";
    QTest::newRow("dot in directory is not cut") << "" << "/my.dir/alps" << "/my.dir/alps.kaf";
    QTest::newRow("relative input stays relative") << "" << "data/alps.txt" << "data/alps.kaf";
    QTest::newRow("existing directory gets the file") << "<dir>" << "C:/x/alps.txt" << "<dir>/alps.kaf";
    QTest::newRow("directory with trailing slash") << "<dir>/" << "/d/alps" << "<dir>/alps.kaf";
    QTest::newRow("directory, dotted input dir") << "<dir>" << "/my.dir/alps.2013.txt" << "<dir>/alps.2013.kaf";
    QTest::newRow("upper-case suffix is not ours") << "result.KAF" << "/d/a.txt" << "result.KAF.kaf";
    QTest::newRow("other suffix gets kaf") << "result.txt" << "/d/a.txt" << "result.txt.kaf";
    QTest::newRow("kaf suffix unchanged") << "result.kaf" << "/d/a.txt" << "result.kaf";
    QTest::newRow("existing file is no directory") << "<dir>/file.txt" << "/d/a.txt" << "<dir>/file.txt.kaf";
    QTest::newRow("missing directory is a name") << "<dir>/new" << "/d/a.txt" << "<dir>/new.kaf";
}

void OutputFileTest::outputNameIsCompleted()
{
    QFETCH(QString, outputText);
    QFETCH(QString, input);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("file.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    outputText.replace(QLatin1String("<dir>"), dir.path());
    expected.replace(QLatin1String("<dir>"), dir.path());
    QCOMPARE(OutputFile::completeFileName(outputText, input), expected);
}

void OutputFileTest::bannerHasFixedLinesDateAndBareSourceName_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("dateText");
    QTest::addColumn<QString>("sourceName");

    QTest::newRow("absolute path") << "C:/x/alps.txt" << QDate(2013, 3, 5) << "2013-03-05" << "alps.txt";
    QTest::newRow("relative directory") << "data/sub/alps.2013.txt" << QDate(1999, 12, 31) << "1999-12-31"
                                        << "alps.2013.txt";
    QTest::newRow("bare name") << "alps" << QDate(2024, 1, 9) << "2024-01-09" << "alps";
}

void OutputFileTest::bannerHasFixedLinesDateAndBareSourceName()
{
    QFETCH(QString, input);
    QFETCH(QDate, date);
    QFETCH(QString, dateText);
    QFETCH(QString, sourceName);

    const QString text = OutputFile::bannerText(input, date);
    QCOMPARE(text.count(QLatin1Char('\n')), text.count(QStringLiteral("\r\n")));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.takeLast(), QString()); // the empty 23rd line is ended, too
    QCOMPARE(lines.size(), 23);
    for (int i = 4; i <= 8; ++i) // the maker lines are set by the build
        QVERIFY2(lines.at(i).startsWith(QLatin1String("*    ")) && lines.at(i).size() > 5, qPrintable(lines.at(i)));

    const QString stars(80, QLatin1Char('*'));
    const QStringList expected = {
        stars, "*", "* Created by Zonvert  version  V 2.20", "*",
        lines.at(4), lines.at(5), lines.at(6), lines.at(7), lines.at(8), "*",
        "*    creation date : " + dateText, "*    source file   : " + sourceName, "*", stars, "*",
        "* USE AT YOUR OWN RISK", "*",
        "* No guarantee for the accuracy and completeness of the information!",
        "* Any liability is rejected!", "* Always consult the relevant official publications!", "*", stars, "",
    };
    QCOMPARE(lines, expected);
}

QTEST_GUILESS_MAIN(OutputFileTest)
#include "tst_outputfile.moc"
