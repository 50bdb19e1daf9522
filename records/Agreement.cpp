#include "Agreement.h"

#include "Exception.h"
#include "Latin1.h"

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
    return Latin1::lines(f.readAll());
}

} // namespace

const QStringList &agreementLines()
{
    static const QStringList lines = load();
    return lines;
}
