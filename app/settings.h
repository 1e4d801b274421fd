#pragma once

#include <QString>

// Where the window keeps its settings: "zonvert.ini" beside the program when that file
// is already there or the program's folder can be written (a portable copy), otherwise
// the same name in the user's configuration folder (an installed copy).
QString settingsFileFor(const QString &programDirectory, const QString &userConfigDirectory);

// The same for this program, its folder and this user.
QString defaultSettingsFile();
