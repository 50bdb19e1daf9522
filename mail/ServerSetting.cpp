#include "ServerSetting.h"

#include "HostPort.h"

ServerSetting ServerSetting::parse(const QString &server)
{
    const HostPort split = HostPort::Split(server);
    if (!split.port)
        return {split.host, 0};
    bool ok = false;
    const int number = split.port->toInt(&ok);
    return {split.host, static_cast<quint16>(ok ? number & 0xFFFF : 0)};
}
