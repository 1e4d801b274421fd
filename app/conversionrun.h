#pragma once

#include "app/airspacefilter.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <memory>

struct PreviewData;

// How a conversion run talks to the person who started it. The window shows message
// boxes, the command-line program prints, tests answer directly.
class ConversionUi
{
public:
    enum class ExistingOutput { Append, Overwrite, Abort };

    virtual ~ConversionUi() = default;
    // The output file exists: append to it, overwrite it, or stop.
    virtual ExistingOutput askExistingOutput(const QString &outputFileName) = 0;
    // A file could not be opened or written (the run stops).
    virtual void error(const QString &title, const QString &text) = 0;
    // Airspaces that were not written.
    virtual void warning(const QString &title, const QString &text) = 0;
    // The summary at the end of a run.
    virtual void information(const QString &title, const QString &text) = 0;
    // The output field was empty and the run completed the name from the input: the
    // window shows it at once, before any question about an existing file.
    virtual void outputNameCompleted(const QString &outputFileName) { Q_UNUSED(outputFileName); }
    // Asked between airspaces: true ends the run at once, leaving the output as it was
    // (the command-line program answers true after SIGTERM or SIGINT).
    virtual bool stopRequested() { return false; }
};

struct ConversionOptions
{
    // As typed; may be relative to the working directory. Several files go into one
    // output, in this order; the first names the output when the field is empty.
    QStringList inputFileNames;
    QString outputText;          // the output field; completed by the naming rules
    bool toStandardOutput = false;  // write the kaf text to standard output instead
    bool heightsInFeet = false;  // heights without unit are feet
    bool closeOutlines = false;  // close open outlines before writing
    bool fitLongOutlines = false;   // fit outlines of more than 100 segments outwards instead of listing them
    FilterSettings filter;       // airspaces to leave out; must be valid
    bool keepPreview = false;    // hand back what was written, for the preview picture
    bool distanceInMetres = true;
    int warningDistance = 400;   // in metres or feet, as distanceInMetres says
    QDate date;                  // banner date; today when null
};

struct ConversionResult
{
    enum class Outcome {
        Finished,     // reached the end; the summary was shown
        InputError,   // input missing or unreadable
        OutputError,  // output could not be opened or written, or is the input itself
        Aborted,      // the user chose not to touch an existing output
        Stopped,      // stopRequested() said so; the output is as it was
    };

    Outcome outcome = Outcome::Aborted;
    QString outputFileName;      // the completed output name
    bool outputTextFilled = false;  // the output field was empty and now holds outputFileName
    int keptCount = 0;           // every airspace read and not left out by the filter
    int writtenCount = 0;
    int baseUnitLimits = 0;      // of the written airspaces: limits without unit, read in the base unit
    int aboveGroundLimits = 0;   // and limits above the ground, written as above sea level
    QStringList faultyLines;     // "  - name  -- error" lines
    QStringList overLimitLines;  // "  - name hat N Segmente" lines
    QStringList fittedLines;     // "  - name: N -> M Segmente, bis D m grösser" lines
    int filteredByClass = 0;     // left out by the filter, not counted in keptCount
    int filteredByFloor = 0;
    int filteredByArea = 0;
    std::shared_ptr<const PreviewData> preview;   // with keepPreview, after a finished run

    int filteredCount() const { return filteredByClass + filteredByFloor + filteredByArea; }
};

// One complete conversion of an OpenAir file into a kaf file.
class ConversionRun
{
public:
    explicit ConversionRun(ConversionUi &ui) : m_ui(ui) {}
    ConversionResult run(const ConversionOptions &options);

private:
    ConversionUi &m_ui;
};
