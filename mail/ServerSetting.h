#pragma once
// The server setting: "host", "host:port", "[IPv6]:port", "[IPv6]" or a bare IPv6 address.
#include <QString>

struct ServerSetting {
    // Without brackets.
    QString host;
    // The port after the colon, 0 when none is named (the service's port
    // applies). Only its low 16 bits count, as in a Winsock port word.
    quint16 port = 0;

    static ServerSetting parse(const QString &server);
};
