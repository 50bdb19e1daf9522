#include "Console.h"

#include <cerrno>

void Console::writeBytes(const QByteArray &bytes) const
{
    // Flushed at once, so a full disk or a closed pipe is known before the command ends.
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out) == size_t(bytes.size());
    if ((std::fflush(m_out) != 0 || !written) && *m_outputError == 0)
        *m_outputError = errno ? errno : EIO;
}

void Console::line(const QString &text) const
{
    writeBytes(text.toUtf8() + '\n');
}

void Console::error(const QString &text) const
{
    // One line each, whatever the text holds.
    QString one = text;
    one.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray bytes = one.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_err);
    std::fflush(m_err);
}

void Console::note(const QString &text) const
{
    if (!m_quiet)
        error(text);
}

bool Console::confirm(const QString &question) const
{
    const QByteArray ask = (question + QStringLiteral(" [y/N] ")).toUtf8();
    std::fwrite(ask.constData(), 1, size_t(ask.size()), m_err);
    std::fflush(m_err);
    char answer[64] = {};
    if (!std::fgets(answer, sizeof answer, stdin))
        return false;
    return answer[0] == 'y' || answer[0] == 'Y';
}
