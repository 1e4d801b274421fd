#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// What the kaf file is called and how it begins.
namespace OutputFile {

// Appended to the window title and written into the banner.
inline constexpr char VersionText[] = " V 2.20";

// The output file name for the text of the output field and the input file name:
// an empty field names the input's file with ".kaf" in place of its extension, an
// existing directory receives that file, anything else gets ".kaf" unless it ends so.
QString completeFileName(const QString &outputText, const QString &inputFileName);

// The banner block that opens every run's output, line ends CR LF, ending with the
// empty line that separates it from the first record; one source file line per input.
QString bannerText(const QStringList &inputFileNames, const QDate &date);

} // namespace OutputFile
