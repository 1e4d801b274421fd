#include "app/commandline.h"

#include "app/mainwindow.h"
#include "model/units.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QObject>

#include <limits>

namespace {

// Whole decimal numbers as the toolkit's integer conversion reads them (blanks around
// allowed, an optional sign), but without its 32-bit limit: a larger value is saturated
// instead of being refused or wrapped.
bool readWholeNumber(const QString &text, qint64 &value)
{
    const QString digits = text.trimmed();
    int start = 0;
    if (!digits.isEmpty() && (digits.at(0) == QLatin1Char('+') || digits.at(0) == QLatin1Char('-')))
        start = 1;
    if (digits.size() == start)
        return false;
    for (int i = start; i < digits.size(); ++i) {
        if (digits.at(i) < QLatin1Char('0') || digits.at(i) > QLatin1Char('9'))
            return false;
    }
    bool ok = false;
    value = digits.toLongLong(&ok);
    if (!ok)
        value = digits.at(0) == QLatin1Char('-') ? std::numeric_limits<qint64>::min()
                                                  : std::numeric_limits<qint64>::max();
    return true;
}

int saturatedInt(qint64 value)
{
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments, const QDir &workingDirectory)
{
    CommandLine result;
    for (int i = 1; i < arguments.size(); i += 2) {
        const QString &option = arguments.at(i);
        if (option == QLatin1String("-h") || option == QLatin1String("-help")) {
            result.action = CommandLine::Action::Help;
            return result;
        }
        const bool known = option == QLatin1String("-in") || option == QLatin1String("-out")
                || option == QLatin1String("-wm") || option == QLatin1String("-wf");
        // An option without its value is as wrong as an unknown one.
        if (!known || i + 1 >= arguments.size()) {
            result.action = CommandLine::Action::Invalid;
            return result;
        }
        const QString &value = arguments.at(i + 1);
        if (option == QLatin1String("-in") || option == QLatin1String("-out")) {
            const QString absolute = value.isEmpty()
                    ? QString()
                    : QFileInfo(workingDirectory, value).absoluteFilePath();
            (option == QLatin1String("-in") ? result.inputFileName : result.outputFileName) = absolute;
            continue;
        }
        qint64 number = 0;
        if (!readWholeNumber(value, number)) {
            result.action = CommandLine::Action::Invalid;
            return result;
        }
        result.warningDistance = option == QLatin1String("-wm") ? saturatedInt(number)
                                                                 : Units::feetToWholeMetres(number);
    }
    return result;
}

void showHelp()
{
    QMessageBox box(QMessageBox::Critical, QObject::tr("Zonvert Hilfe"),
                    QObject::tr("Die folgenden Parameter werden unterstützt:\n\n"
                                "  -in\t<name>\tName und Pfad der umzuwandelnden Datei.\n"
                                "  -out\t<name>\tName und Pfad der Ausgabedatei.\n"
                                "  -wm\t<zahl>\tWarndistanz in Metern.\n"
                                "  -wf\t<zahl>\tWarndistanz in Fuss (wird in Meter umgerechnet).\n"),
                    QMessageBox::Ok);
    box.exec();
}

int runZonvert(const QStringList &arguments, const QString &settingsFile)
{
    const CommandLine commandLine = parseCommandLine(arguments);
    if (commandLine.action != CommandLine::Action::Run) {
        showHelp();
        return commandLine.exitCode();
    }

    MainWindow window(commandLine.warningDistance, commandLine.inputFileName,
                      commandLine.outputFileName, nullptr, settingsFile);
    if (commandLine.inputFileName.isEmpty() || commandLine.outputFileName.isEmpty()) {
        window.show();
        return QApplication::exec();
    }
    // The conversion already ran inside the constructor.
    return 0;
}
