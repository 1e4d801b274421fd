#pragma once

#include <QMainWindow>
#include <QString>
#include <QTranslator>

class QCloseEvent;
class QSettings;

namespace Ui {
class MainWindow;
}

// The one window: file fields, units, closing option, warning distance and the two
// command buttons. Its settings are read when it is built and saved when it closes.
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

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void selectKaf();
    void selectOpenAir();
    void convert();

private:
    void chooseLanguage();
    void loadSettings();
    void saveSettings();

    Ui::MainWindow *ui;
    QSettings *settings;
    QString language;
    QTranslator translator;
};
