#pragma once
// A socket address of either family, as connect() takes it, with its text
// form: dotted for IPv4, RFC 5952 for IPv6 ("2001:db8::1", "::1").
#include <QString>
#include <optional>
#include <sys/socket.h>

class SockAddr {
public:
    SockAddr() = default;
    // From what getaddrinfo or getsockname gave; empty for other families.
    SockAddr(const sockaddr *address, socklen_t length);

    // A numeric address: IPv4 in every form inet_aton takes ("10.1.2.3",
    // "127.1"), or IPv6 without brackets. Nothing for a name.
    static std::optional<SockAddr> FromLiteral(const QString &text);

    bool IsEmpty() const { return m_length == 0; }
    int Family() const { return m_storage.ss_family; }
    quint16 Port() const;
    SockAddr WithPort(quint16 port) const;
    QString Text() const;
    // 127.0.0.0/8, ::1 and an IPv4-mapped loopback address.
    bool IsLoopback() const;

    const sockaddr *Data() const { return reinterpret_cast<const sockaddr *>(&m_storage); }
    socklen_t Length() const { return m_length; }

    // Same family, address and port.
    bool operator==(const SockAddr &other) const;

private:
    sockaddr_storage m_storage{};
    socklen_t m_length = 0;
};
