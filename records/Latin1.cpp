#include "Latin1.h"

#include <cstring>

namespace Latin1 {

LineSpan lineAt(const QByteArray &bytes, qsizetype start)
{
    const char *p = bytes.constData();
    const void *lf = std::memchr(p + start, '\n', size_t(bytes.size() - start));
    qsizetype end = lf ? static_cast<const char *>(lf) - p : bytes.size();
    const qsizetype next = lf ? end + 1 : end;
    if (end > start && p[end - 1] == '\r')
        --end;
    return {start, end, next};
}

QStringList lines(const QByteArray &bytes, EmptyLines empty)
{
    QStringList out;
    for (qsizetype start = 0; start < bytes.size();) {
        const LineSpan line = lineAt(bytes, start);
        if (line.end > line.start || empty == EmptyLines::Keep)
            out << QString::fromLatin1(bytes.constData() + line.start, line.end - line.start);
        start = line.next;
    }
    return out;
}

} // namespace Latin1
