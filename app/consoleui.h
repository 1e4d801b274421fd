#pragma once

#include "app/conversionrun.h"

#include <cstdio>

// Reports of a conversion run as plain text for scripts: reports on standard output,
// errors on standard error. An existing output is never asked about: the answer is
// fixed when the program starts.
class ConsoleUi : public ConversionUi
{
public:
    explicit ConsoleUi(ExistingOutput existingOutputAnswer, std::FILE *out = stdout, std::FILE *err = stderr);

    ExistingOutput askExistingOutput(const QString &outputFileName) override;
    void error(const QString &title, const QString &text) override;
    void warning(const QString &title, const QString &text) override;
    void information(const QString &title, const QString &text) override;

    // Writes text to the stream, ending it with a line break when it has none.
    static void print(std::FILE *stream, const QString &text);

private:
    void report(const QString &text);

    ExistingOutput m_answer;
    std::FILE *m_out;
    std::FILE *m_err;
    bool m_reported = false;
};
