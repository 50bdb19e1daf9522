// The server setting as read from the settings file: the host is always the
// text before the first colon, and a named port is never 0.
#include "ServerSetting.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    const ServerSetting s = ServerSetting::parse(text);
    if (!text.startsWith(s.host) || (text.size() > s.host.size() && text[s.host.size()] != QLatin1Char(':')))
        __builtin_trap();
    if (s.port != 0 && !text.contains(QLatin1Char(':')))
        __builtin_trap();
    return 0;
}
