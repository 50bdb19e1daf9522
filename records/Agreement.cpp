#include "Agreement.h"

#include "Exception.h"

#include <QFile>

static void initRecordResources()
{
    // A static library's resources are registered only on request.
    Q_INIT_RESOURCE(records);
}

namespace {

QStringList load()
{
    initRecordResources();
    QFile f(QStringLiteral(":/records/agreement.txt"));
    if (!f.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("The registration agreement text is missing from this build."));
    QStringList lines = QString::fromLatin1(f.readAll()).split(QLatin1Char('\n'));
    for (QString &l : lines)
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

const QStringList &agreementLines()
{
    static const QStringList lines = load();
    return lines;
}
