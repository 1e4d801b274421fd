#pragma once

#include "app/conversionrun.h"

class QWidget;

// The conversion run's questions and reports as modal message boxes. Errors about files
// sit on the window; the lists and the summary stand on their own.
class MessageBoxUi : public ConversionUi
{
public:
    explicit MessageBoxUi(QWidget *window) : m_window(window) {}

    ExistingOutput askExistingOutput(const QString &outputFileName) override;
    void error(const QString &title, const QString &text) override;
    void warning(const QString &title, const QString &text) override;
    void information(const QString &title, const QString &text) override;

private:
    QWidget *m_window;
};
