// RDAP bootstrap files: a file is refused with a reason or read; a service
// found for a name is an http or https base URL ending in "/", listed for a
// label suffix of that name.
#include "RdapBootstrap.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    const auto bootstrap = RdapBootstrap::parse(bytes, &error);
    if (bootstrap.has_value() == !error.isEmpty())
        __builtin_trap();
    if (!bootstrap)
        return 0;
    // Names made of the input's own words, so that look-ups hit as well as miss.
    QStringList names = {QStringLiteral("example.com"), QStringLiteral("."), QString()};
    for (const QByteArray &word : bytes.split('"'))
        if (names.size() < 16 && word.size() < 64)
            names << QStringLiteral("www.") + QString::fromUtf8(word);
    for (const QString &name : names) {
        const auto service = bootstrap->serviceFor(name);
        if (!service)
            continue;
        const QString scheme = service->base.scheme();
        QString suffix = name.toLower();
        if (suffix.endsWith(QLatin1Char('.')))
            suffix.chop(1);
        if ((scheme != QLatin1String("https") && scheme != QLatin1String("http")) ||
            !service->base.path().endsWith(QLatin1Char('/')) ||
            !(suffix == service->label || suffix.endsWith(QLatin1Char('.') + service->label)))
            __builtin_trap();
    }
    return 0;
}
