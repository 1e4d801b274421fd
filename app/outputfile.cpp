#include "app/outputfile.h"

#include "output/devicetext.h"

#include <QFileInfo>
#include <QStringList>

// The maker lines of the banner come from the build (CMake cache variables), so a
// packager can put their own name and address there.
#ifndef ZONVERT_MAKER_NAME
#define ZONVERT_MAKER_NAME "Zonvert project"
#endif
#ifndef ZONVERT_MAKER_STREET
#define ZONVERT_MAKER_STREET "(street not set)"
#endif
#ifndef ZONVERT_MAKER_TOWN
#define ZONVERT_MAKER_TOWN "(town not set)"
#endif
#ifndef ZONVERT_MAKER_WEB
#define ZONVERT_MAKER_WEB "(web address not set)"
#endif
#ifndef ZONVERT_MAKER_EMAIL
#define ZONVERT_MAKER_EMAIL "(e-mail address not set)"
#endif

namespace OutputFile {

namespace {

bool isSeparator(QChar c)
{
#ifdef Q_OS_WIN
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
#else
    return c == QLatin1Char('/');
#endif
}

// Position just after the last directory separator (0 without one).
qsizetype fileNameStart(const QString &path)
{
    for (qsizetype i = path.size(); i > 0; --i) {
        if (isSeparator(path.at(i - 1)))
            return i;
    }
    return 0;
}

const QString KafSuffix = QStringLiteral(".kaf");

// The input's file name without its directories and with its last extension cut;
// a name without "." is kept whole.
QString stemOf(const QString &inputFileName)
{
    const QString name = inputFileName.mid(fileNameStart(inputFileName));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

} // namespace

QString completeFileName(const QString &outputText, const QString &inputFileName)
{
    // Only the file's own name loses its extension: a dot in a directory name or a
    // name without any dot must not cut the path or leave a bare ".kaf".
    if (outputText.isEmpty())
        return inputFileName.left(fileNameStart(inputFileName)) + stemOf(inputFileName) + KafSuffix;

    if (QFileInfo(outputText).isDir()) {
        QString directory = outputText;
        if (!isSeparator(directory.back()))
            directory += QLatin1Char('/');
        return directory + stemOf(inputFileName) + KafSuffix;
    }

    if (outputText.endsWith(KafSuffix, Qt::CaseSensitive))
        return outputText;
    return outputText + KafSuffix;
}

QString bannerText(const QStringList &inputFileNames, const QDate &date)
{
    const QString stars(80, QLatin1Char('*'));
    const QString star = QStringLiteral("*");
    const QString indent = QStringLiteral("*    ");
    QStringList sources;
    for (const QString &inputFileName : inputFileNames) {
        // A file name may hold any character but "/": a CR LF in it must not start a line.
        sources << QStringLiteral("*    source file   : ")
                       + withoutControlCharacters(inputFileName.mid(fileNameStart(inputFileName)));
    }

    QStringList lines = {
        stars,
        star,
        QStringLiteral("* Created by Zonvert  version %1").arg(QLatin1String(VersionText)),
        star,
        indent + QString::fromUtf8(ZONVERT_MAKER_NAME),
        indent + QString::fromUtf8(ZONVERT_MAKER_STREET),
        indent + QString::fromUtf8(ZONVERT_MAKER_TOWN),
        indent + QString::fromUtf8(ZONVERT_MAKER_WEB),
        indent + QString::fromUtf8(ZONVERT_MAKER_EMAIL),
        star,
        QStringLiteral("*    creation date : ") + date.toString(QStringLiteral("yyyy-MM-dd")),
    };
    lines << sources;
    lines << QStringList{
        star,
        stars,
        star,
        QStringLiteral("* USE AT YOUR OWN RISK"),
        star,
        QStringLiteral("* No guarantee for the accuracy and completeness of the information!"),
        QStringLiteral("* Any liability is rejected!"),
        QStringLiteral("* Always consult the relevant official publications!"),
        star,
        stars,
        QString(),
    };

    const QString crlf = QStringLiteral("\r\n");
    return lines.join(crlf) + crlf;
}

} // namespace OutputFile
