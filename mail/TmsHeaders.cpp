#include "TmsHeaders.h"

static bool IsContinuation(const QString &line)
{
    return line.startsWith(QLatin1Char(' ')) || line.startsWith(QLatin1Char('\t'));
}

void TmsHeaders::RemoveHeader(const QString &name)
{
    if (isEmpty())
        return;
    const QString prefix = name.endsWith(QLatin1Char(':')) ? name : name + QLatin1Char(':');
    for (qsizetype i = 0; i < size(); ++i) {
        if (!at(i).startsWith(prefix, Qt::CaseInsensitive))
            continue;
        qsizetype end = i + 1;
        while (end < size() && IsContinuation(at(end)))
            ++end;
        remove(i, end - i);
        return;
    }
}
