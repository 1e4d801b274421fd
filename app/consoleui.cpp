#include "app/consoleui.h"

ConsoleUi::ConsoleUi(ExistingOutput existingOutputAnswer, std::FILE *out, std::FILE *err)
    : m_answer(existingOutputAnswer), m_out(out), m_err(err)
{
}

ConversionUi::ExistingOutput ConsoleUi::askExistingOutput(const QString &)
{
    return m_answer;
}

void ConsoleUi::error(const QString &, const QString &text)
{
    print(m_err, text);
}

void ConsoleUi::warning(const QString &, const QString &text)
{
    report(text);
}

void ConsoleUi::information(const QString &, const QString &text)
{
    report(text);
}

void ConsoleUi::print(std::FILE *stream, const QString &text)
{
    QByteArray bytes = text.toLocal8Bit();
    if (!bytes.endsWith('\n'))
        bytes.append('\n');
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

// Reports follow each other with one empty line between them, as separate boxes would.
void ConsoleUi::report(const QString &text)
{
    if (m_reported)
        std::fputc('\n', m_out);
    m_reported = true;
    print(m_out, text);
}
