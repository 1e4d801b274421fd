#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

// What the desktop program was asked to do on its command line.
struct CommandLine
{
    enum class Action {
        Run,      // open the window, or convert at once when both files are named
        Help,     // -h or -help: help box, exit code 0
        Invalid,  // unknown option, bad number or missing value: help box, exit code 1
    };

    Action action = Action::Run;
    QString inputFileName;   // absolute, or empty when not given
    QString outputFileName;  // absolute, or empty when not given
    int warningDistance = 0; // whole metres; 0 means not given

    int exitCode() const { return action == Action::Invalid ? 1 : 0; }
};

// Reads option/value pairs after the program name (arguments[0]). Relative file names
// are resolved against workingDirectory.
CommandLine parseCommandLine(const QStringList &arguments,
                             const QDir &workingDirectory = QDir::current());

// The modal help box listing the options.
void showHelp();

// Everything the program does after the application object exists: reads the command
// line, then converts at once (both files named) or runs the window. settingsFile
// overrides where the window keeps its settings (empty: the usual place).
int runZonvert(const QStringList &arguments, const QString &settingsFile = QString());
