// RDAP domain answers: whatever the server sends, the formatter either
// refuses it with a reason and no lines, or shows lines that each stay one
// line; a related link it offers is always https.
#include "RdapAnswerFormatter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const RdapAnswer answer = RdapAnswerFormatter::format(bytes);
    if (!answer.refusal.isEmpty() && (!answer.lines.isEmpty() || !answer.related.isEmpty()))
        __builtin_trap();
    for (const QString &line : answer.lines)
        for (const QChar c : line)
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.unicode() == 0)
                __builtin_trap();
    if (!answer.related.isEmpty() && answer.related.scheme() != QLatin1String("https"))
        __builtin_trap();
    return 0;
}
