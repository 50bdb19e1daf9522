#include "ServerSetting.h"

ServerSetting ServerSetting::parse(const QString &server)
{
    const qsizetype colon = server.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return {server, 0};
    bool ok = false;
    const int number = server.mid(colon + 1).toInt(&ok);
    return {server.left(colon), static_cast<quint16>(ok ? number & 0xFFFF : 0)};
}
