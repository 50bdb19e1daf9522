#pragma once
// The server setting, "host" or "host:port".
#include <QString>

struct ServerSetting {
    QString host;
    // The port after the colon, 0 when none is named (the service's port
    // applies). Only its low 16 bits count, as in a Winsock port word.
    quint16 port = 0;

    static ServerSetting parse(const QString &server);
};
