// zonvert-cli: the conversion without a window, for scripts and servers.

#include "app/consoleui.h"
#include "app/conversionrun.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QObject>
#include <QRegularExpression>
#include <QStringList>
#include <QTranslator>

#include <algorithm>
#include <cmath>

namespace {

enum ExitCode {
    AllWritten = 0,
    UsageError = 1,
    FileError = 2,
    SomeNotWritten = 3,
};

// The window's first-start distance and its spin box range, in metres.
constexpr int DefaultWarningMetres = 400;
constexpr int MaxWarningMetres = 10000;

QString helpText()
{
    return QObject::tr(
        "Aufruf: zonvert-cli -in <name> [-out <name>] [-wm <zahl> | -wf <zahl>] [-hf] [-close] [-append] [-h]\n"
        "\n"
        "Wandelt eine OpenAir-Datei in eine kaf-Luftraumdatei um.\n"
        "\n"
        "  -in <name>    Name und Pfad der umzuwandelnden Datei.\n"
        "  -out <name>   Name und Pfad der Ausgabedatei oder ein Verzeichnis; ohne Angabe\n"
        "                der Name der Eingabedatei mit der Endung .kaf.\n"
        "  -wm <zahl>    Warndistanz in Metern (0 bis 10000; ohne Angabe oder 0: 400).\n"
        "  -wf <zahl>    Warndistanz in Fuss (wird in Meter umgerechnet).\n"
        "  -hf           Höhen ohne Einheit sind Fuss (sonst Meter).\n"
        "  -close        Offene Umrisse schließen.\n"
        "  -append       An eine bestehende Ausgabedatei anhängen (sonst wird sie ersetzt).\n"
        "  -h, -help     Diese Hilfe anzeigen.\n"
        "\n"
        "Höhen: Eine Einheit gilt, wenn sie das Wort direkt nach der Zahl ist (ft, f, feet, m,\n"
        "meter, meters, metre, metres; 1000ft, 3500 F AMSL). Das M von MSL und das F von SFC sind\n"
        "keine Einheit: 3500MSL wird in der Grundeinheit gelesen, Meter oder mit -hf Fuss.\n"
        "Flugflächen sind Fuss (FL95), mit M danach Meter (FL95 M). Ein Text ohne Zahl (NOTAM)\n"
        "wird vermerkt und lässt die Grenze offen. Die Datei kennt nur Meter über Meer: Höhen über\n"
        "Grund (AGL, ASFC, SFC, GND nach der Zahl) werden als Höhen über Meer geschrieben. Die\n"
        "Zusammenfassung nennt, wie viele Höhen ohne Einheit und über Grund geschrieben wurden.\n"
        "\n"
        "Rückgabewert: 0 alle Lufträume geschrieben, 3 einige nicht geschrieben,\n"
        "2 Dateifehler, 1 Aufruffehler.\n");
}

int usageError(const QString &message)
{
    ConsoleUi::print(stderr, message);
    ConsoleUi::print(stderr, helpText());
    return UsageError;
}

// A decimal integer as the command line of the window reads it, but a value beyond the
// 64-bit range saturates instead of being refused: it ends in the spin box range anyway.
bool parseWholeNumber(const QString &text, qint64 *value)
{
    static const QRegularExpression number(QStringLiteral("^\\s*([+-]?)([0-9]+)\\s*$"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return false;
    constexpr qint64 Limit = qint64(1) << 60;
    qint64 magnitude = 0;
    for (const QChar digit : match.capturedView(2)) {
        if (magnitude >= Limit / 10) {
            magnitude = Limit;
            break;
        }
        magnitude = magnitude * 10 + digit.digitValue();
    }
    *value = match.capturedView(1) == QLatin1String("-") ? -magnitude : magnitude;
    return true;
}

int metresFromFeet(qint64 feet)
{
    const double metres = std::trunc(static_cast<double>(feet) * 0.3048);
    return static_cast<int>(std::clamp(metres, -1.0, double(MaxWarningMetres) + 1.0));
}

void installTranslation(QTranslator &translator)
{
    const QStringList uiLanguages = QLocale::system().uiLanguages();
    const QLocale locale = uiLanguages.isEmpty() ? QLocale::system() : QLocale(uiLanguages.first());
    // German texts are the program's own; every other language but French gets English.
    if (locale.language() == QLocale::German)
        return;
    const QString code = locale.language() == QLocale::French ? QStringLiteral("fr") : QStringLiteral("en");
    if (translator.load(QStringLiteral("zonvert_") + code, QCoreApplication::applicationDirPath()))
        QCoreApplication::installTranslator(&translator);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QTranslator translator;
    installTranslation(translator);

    ConversionOptions options;
    options.distanceInMetres = true;
    options.warningDistance = DefaultWarningMetres;
    int warningMetres = 0; // 0: not given
    auto answer = ConversionUi::ExistingOutput::Overwrite;

    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &option = arguments.at(i);
        if (option == QLatin1String("-h") || option == QLatin1String("-help")) {
            ConsoleUi::print(stdout, helpText());
            return AllWritten;
        }
        if (option == QLatin1String("-hf")) {
            options.heightsInFeet = true;
            continue;
        }
        if (option == QLatin1String("-close")) {
            options.closeOutlines = true;
            continue;
        }
        if (option == QLatin1String("-append")) {
            answer = ConversionUi::ExistingOutput::Append;
            continue;
        }
        const bool takesValue = option == QLatin1String("-in") || option == QLatin1String("-out")
                                || option == QLatin1String("-wm") || option == QLatin1String("-wf");
        if (!takesValue)
            return usageError(QObject::tr("Unbekannte Option: %1").arg(option));
        if (i + 1 >= arguments.size())
            return usageError(QObject::tr("Der Option %1 fehlt ihr Wert.").arg(option));
        const QString value = arguments.at(++i);

        if (option == QLatin1String("-in")) {
            options.inputFileName = value.isEmpty() ? QString() : QFileInfo(value).absoluteFilePath();
        } else if (option == QLatin1String("-out")) {
            options.outputText = value.isEmpty() ? QString() : QFileInfo(value).absoluteFilePath();
        } else {
            qint64 number = 0;
            if (!parseWholeNumber(value, &number))
                return usageError(QObject::tr("Keine ganze Zahl für %1: %2").arg(option, value));
            if (option == QLatin1String("-wm"))
                warningMetres = static_cast<int>(std::clamp<qint64>(number, -1, MaxWarningMetres + 1));
            else
                warningMetres = metresFromFeet(number);
        }
    }

    if (options.inputFileName.isEmpty())
        return usageError(QObject::tr("Keine Eingabedatei angegeben (-in)."));
    if (warningMetres != 0)
        options.warningDistance = std::clamp(warningMetres, 0, MaxWarningMetres);

    ConsoleUi ui(answer);
    const ConversionResult result = ConversionRun(ui).run(options);
    switch (result.outcome) {
    case ConversionResult::Outcome::Finished:
        return result.writtenCount == result.keptCount ? AllWritten : SomeNotWritten;
    case ConversionResult::Outcome::InputError:
    case ConversionResult::Outcome::OutputError:
    case ConversionResult::Outcome::Aborted:
        break;
    }
    return FileError;
}
