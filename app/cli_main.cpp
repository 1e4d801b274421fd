// zonvert-cli: the conversion without a window, for scripts and servers.

#include "app/consoleui.h"
#include "app/conversionrun.h"
#include "app/previewdata.h"
#include "app/previewrender.h"
#include "model/units.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QFileInfo>
#include <QLocale>
#include <QObject>
#include <QRegularExpression>
#include <QStringList>
#include <QTranslator>

#include <csignal>
#include <cstring>
#include <memory>

namespace {

enum ExitCode {
    AllWritten = 0,
    UsageError = 1,
    FileError = 2,
    SomeNotWritten = 3,
};

using Units::DefaultWarningMetres;
using Units::MaxWarningMetres;
constexpr int MaxWarningFeet = 32811;   // 32,811 ft are 10,000.79 m, which is 10,000 m whole

// The signal that asked the run to stop, or 0.
volatile std::sig_atomic_t stopSignal = 0;

extern "C" void requestStop(int signal)
{
    stopSignal = signal;
}

// SIGTERM and SIGINT let the run end cleanly: it cuts a running append back and drops an
// unfinished overwrite. A second such signal ends the program at once.
void handleStopSignals()
{
    for (const int signal : {SIGTERM, SIGINT}) {
#ifdef Q_OS_UNIX
        struct sigaction action{};
        action.sa_handler = requestStop;
        action.sa_flags = SA_RESETHAND | SA_RESTART;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
#else
        std::signal(signal, requestStop);
#endif
    }
}

class CliUi : public ConsoleUi
{
public:
    using ConsoleUi::ConsoleUi;
    bool stopRequested() override { return stopSignal != 0; }
};

QString helpText()
{
    return QObject::tr(
        "Aufruf: zonvert-cli -in <name> [-in <name> ...] [-out <name>] [-wm <zahl> | -wf <zahl>] [-hf]\n"
        "                   [-close] [-fit] [-append] [-skip <wörter>] [-max-floor <höhe>]\n"
        "                   [-near <breite,länge,km>] [-box <süd,west,nord,ost>] [-preview <name>] [-h]\n"
        "\n"
        "Wandelt OpenAir-Dateien in eine kaf-Luftraumdatei um.\n"
        "\n"
        "  -in <name>    Name und Pfad der umzuwandelnden Datei; mehrmals angegeben kommen alle\n"
        "                Dateien nacheinander in eine Ausgabedatei, mit eindeutigen Namen.\n"
        "  -out <name>   Name und Pfad der Ausgabedatei oder ein Verzeichnis; ohne Angabe\n"
        "                der Name der (ersten) Eingabedatei mit der Endung .kaf; - schreibt auf die\n"
        "                Standardausgabe (Meldungen dann auf die Standardfehlerausgabe).\n"
        "  -wm <zahl>    Warndistanz in Metern (0 bis 10000; ohne Angabe oder 0: 400).\n"
        "  -wf <zahl>    Warndistanz in Fuss (0 bis 32811; wird in Meter umgerechnet).\n"
        "  -hf           Höhen ohne Einheit sind Fuss (sonst Meter).\n"
        "  -close        Offene Umrisse schließen.\n"
        "  -fit          Lufträume mit mehr als 100 Segmenten nach aussen vereinfachen\n"
        "                (Wellenfenster nach innen) statt sie auszulassen.\n"
        "  -append       An eine bestehende Ausgabedatei anhängen (sonst wird sie ersetzt).\n"
        "  -skip <wörter>  Klassen (AC) und Typen (AY) auslassen, durch Kommas getrennt: E,F,G,FIS.\n"
        "  -max-floor <höhe>  Lufträume auslassen, deren Untergrenze höher liegt (wie AL: FL100).\n"
        "  -near <breite,länge,km>  Nur Lufträume bis km um den Punkt (Grad mit Punkt).\n"
        "  -box <süd,west,nord,ost>  Nur Lufträume, die das Gebiet berühren.\n"
        "  -preview <name>  Bild der geschriebenen Lufträume als .png oder .svg.\n"
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
        "Rückgabewert: 0 alle Lufträume geschrieben, 3 einige oder keine geschrieben,\n"
        "2 Dateifehler, 1 Aufruffehler, 128 + Signalnummer nach SIGTERM oder SIGINT.\n");
}

int usageError(const QString &message)
{
    ConsoleUi::print(stderr, message);
    ConsoleUi::print(stderr, helpText());
    return UsageError;
}

// A whole decimal number within 0..max, blanks around allowed; false for anything else.
bool readWarningValue(const QString &text, int max, int *value)
{
    static const QRegularExpression number(QStringLiteral("^\\s*\\+?([0-9]{1,9})\\s*$"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return false;
    *value = match.capturedView(1).toInt();
    return *value <= max;
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

// What the command line asks for, beyond the run's own options.
struct Request
{
    ConversionOptions options;
    ConversionUi::ExistingOutput answer = ConversionUi::ExistingOutput::Overwrite;
    QString previewFile;
};

// Reads one option with its value into the request; false with the reason in `error`.
bool readValue(const QString &option, const QString &value, Request &request, int &warningMetres, QString &error)
{
    ConversionOptions &options = request.options;
    if (option == QLatin1String("-in")) {
        if (!value.isEmpty())
            options.inputFileNames.append(QFileInfo(value).absoluteFilePath());
    } else if (option == QLatin1String("-out")) {
        options.toStandardOutput = value == QLatin1String("-");
        options.outputText = value.isEmpty() || options.toStandardOutput ? QString() : QFileInfo(value).absoluteFilePath();
    } else if (option == QLatin1String("-wm")) {
        if (!readWarningValue(value, MaxWarningMetres, &warningMetres))
            error = QObject::tr("-wm braucht eine ganze Zahl von 0 bis %1 (Meter), nicht: %2").arg(MaxWarningMetres).arg(value);
    } else if (option == QLatin1String("-wf")) {
        int feet = 0;
        if (!readWarningValue(value, MaxWarningFeet, &feet))
            error = QObject::tr("-wf braucht eine ganze Zahl von 0 bis %1 (Fuss), nicht: %2").arg(MaxWarningFeet).arg(value);
        warningMetres = Units::feetToWholeMetres(feet);
    } else if (option == QLatin1String("-preview")) {
        request.previewFile = QFileInfo(value).absoluteFilePath();
        if (previewFormatOf(value) == PreviewFormat::Unknown)
            error = QObject::tr("-preview braucht einen Dateinamen mit .png oder .svg, nicht: %1").arg(value);
    } else if (option == QLatin1String("-skip")) {
        options.filter.skipWords = FilterSettings::wordsOf(value);
    } else if (option == QLatin1String("-max-floor")) {
        options.filter.maxFloor = value;
    } else if (option == QLatin1String("-near")) {
        options.filter.near = value;
    } else {
        options.filter.box = value;
    }
    return error.isEmpty();
}

// Reads the command line into the request; returns -1 to go on, else the exit code.
int readArguments(const QStringList &arguments, Request &request)
{
    static const QStringList switches{"-hf", "-close", "-append", "-fit"};
    static const QStringList valued{"-in", "-out", "-wm", "-wf", "-preview", "-skip", "-max-floor", "-near", "-box"};
    ConversionOptions &options = request.options;
    int warningMetres = 0; // 0: not given
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &option = arguments.at(i);
        if (option == QLatin1String("-h") || option == QLatin1String("-help")) {
            ConsoleUi::print(stdout, helpText());
            return AllWritten;
        }
        if (switches.contains(option)) {
            options.heightsInFeet |= option == QLatin1String("-hf");
            options.closeOutlines |= option == QLatin1String("-close");
            options.fitLongOutlines |= option == QLatin1String("-fit");
            if (option == QLatin1String("-append"))
                request.answer = ConversionUi::ExistingOutput::Append;
            continue;
        }
        if (!valued.contains(option))
            return usageError(QObject::tr("Unbekannte Option: %1").arg(option));
        if (i + 1 >= arguments.size())
            return usageError(QObject::tr("Der Option %1 fehlt ihr Wert.").arg(option));
        QString error;
        if (!readValue(option, arguments.at(++i), request, warningMetres, error))
            return usageError(error);
    }
    if (options.inputFileNames.isEmpty())
        return usageError(QObject::tr("Keine Eingabedatei angegeben (-in)."));
    if (const QString wrong = options.filter.invalidPart(options.heightsInFeet); !wrong.isEmpty())
        return usageError(QObject::tr("Der Wert von %1 ist nicht lesbar.").arg(wrong));
    if (warningMetres != 0)
        options.warningDistance = warningMetres;
    options.keepPreview = !request.previewFile.isEmpty();
    return -1;
}

int exitCodeOf(const ConversionResult &result, const Request &request)
{
    switch (result.outcome) {
    case ConversionResult::Outcome::Finished:
        if (!request.previewFile.isEmpty() && !renderPreview(*result.preview, request.previewFile)) {
            ConsoleUi::print(stderr, QObject::tr("Die Datei %1 konnte nicht geschrieben werden.").arg(request.previewFile));
            return FileError;
        }
        if (result.keptCount == 0 && result.filteredCount() == 0) {
            ConsoleUi::print(stderr, QObject::tr("Keine Lufträume gefunden in %1")
                                         .arg(request.options.inputFileNames.join(QLatin1String("; "))));
            return SomeNotWritten;
        }
        return result.writtenCount == result.keptCount ? AllWritten : SomeNotWritten;
    case ConversionResult::Outcome::Stopped:
        return 128 + int(stopSignal);
    case ConversionResult::Outcome::InputError:
    case ConversionResult::Outcome::OutputError:
    case ConversionResult::Outcome::Aborted:
        break;
    }
    return FileError;
}

// The toolkit's own remarks (a missing runtime folder of the offscreen platform, say) are
// not for the pilot; what the program has to say, it prints itself.
void quietToolkit(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const bool ours = context.category && std::strncmp(context.category, "zonvert", 7) == 0;
    if (ours || type == QtCriticalMsg || type == QtFatalMsg)
        ConsoleUi::print(stderr, message);
}

// A preview picture needs the toolkit's fonts, which come with a GUI application; the
// offscreen platform gives one without a screen.
std::unique_ptr<QCoreApplication> makeApplication(int &argc, char *argv[])
{
    qInstallMessageHandler(quietToolkit);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-preview") == 0) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            return std::make_unique<QGuiApplication>(argc, argv);
        }
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace

int main(int argc, char *argv[])
{
    const std::unique_ptr<QCoreApplication> application = makeApplication(argc, argv);
    QTranslator translator;
    installTranslation(translator);

    Request request;
    request.options.distanceInMetres = true;
    request.options.warningDistance = DefaultWarningMetres;
    if (const int exitCode = readArguments(QCoreApplication::arguments(), request); exitCode >= 0)
        return exitCode;

    handleStopSignals();
    // With the kaf text on standard output, the reports go to standard error.
    CliUi ui(request.answer, request.options.toStandardOutput ? stderr : stdout);
    return exitCodeOf(ConversionRun(ui).run(request.options), request);
}
