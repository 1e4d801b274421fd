#include "app/settings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const QString fileName = QStringLiteral("zonvert.ini");
}

QString settingsFileFor(const QString &programDirectory, const QString &userConfigDirectory)
{
    const QString besideProgram = programDirectory + QLatin1Char('/') + fileName;
    const QFileInfo folder(programDirectory);
    if (QFileInfo::exists(besideProgram) || (folder.isDir() && folder.isWritable()))
        return besideProgram;
    return userConfigDirectory + QLatin1Char('/') + fileName;
}

QString defaultSettingsFile()
{
    return settingsFileFor(QCoreApplication::applicationDirPath(),
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}
