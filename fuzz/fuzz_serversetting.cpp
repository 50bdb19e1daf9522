// The server setting as read from the settings file: the host is the text
// before the first colon, the text between a leading bracket and the first
// closing one, or the whole text; a named port is never 0.
#include "ServerSetting.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    const ServerSetting s = ServerSetting::parse(text);
    const bool beforeColon = text.startsWith(s.host) && text.size() > s.host.size() && text[s.host.size()] == QLatin1Char(':');
    const QString inBrackets = QLatin1Char('[') + s.host + QLatin1Char(']');
    const bool bracketed = text == inBrackets || text.startsWith(inBrackets + QLatin1Char(':'));
    if (!beforeColon && !bracketed && s.host != text)
        __builtin_trap();
    // A port comes only after a colon, and never from inside the brackets.
    if (s.port != 0 && (!text.contains(QLatin1Char(':')) || s.host == text))
        __builtin_trap();
    if (bracketed && s.host.contains(QLatin1Char(']')))
        __builtin_trap();
    return 0;
}
