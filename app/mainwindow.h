#pragma once

#include "app/airspacefilter.h"

#include <QMainWindow>
#include <QString>
#include <QTranslator>

#include <memory>

class QCloseEvent;
class QSettings;
struct PreviewData;

namespace Ui {
class MainWindow;
}

// The one window: file fields, units, closing and fitting options, warning distance, filter
// and the command buttons. Its settings are read when it is built and saved when it closes.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // warningDistance in whole metres (0: not given). When both file names are given
    // the conversion runs at once and the window closes before the constructor returns.
    // settingsFile: where the settings are kept (empty: beside the program or per user).
    MainWindow(int warningDistance, const QString &inputFileName, const QString &outputFileName,
               QWidget *parent = nullptr, const QString &settingsFile = QString());
    ~MainWindow() override;

    QString languageCode() const { return language; }
    QString settingsFileName() const;

    // The input field holds one file or several separated by "; ".
    static QStringList inputFileNamesOf(const QString &fieldText);

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void selectKaf();
    void selectOpenAir();
    void convert();
    void editFilter();
    void showPreview();

private:
    void chooseLanguage();
    void loadSettings();
    void saveSettings();
    void setFilter(const FilterSettings &chosen);
    // The picture of the last finished run; none disables the preview button.
    void setPreview(std::shared_ptr<const PreviewData> preview);

    Ui::MainWindow *ui;
    QSettings *settings;
    QString language;
    QTranslator translator;
    FilterSettings filter;
    std::shared_ptr<const PreviewData> preview;
    bool batchRun = false;   // converts once and closes: nobody will look at a preview
};
