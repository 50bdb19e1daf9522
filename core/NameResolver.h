#pragma once
// NameResolver: a name's addresses of both families, in the order
// getaddrinfo gives them (its preferred family first), looked up on a helper
// thread so the caller's event loop keeps running. The answer comes back as
// a call on the thread that made the resolver; Abort, a newer Start or the
// resolver's end drops an answer still on its way. Both socket layers use it,
// each with its own wait, time-out and cancel around it.
#include "SockAddr.h"

#include <QByteArray>
#include <QList>
#include <functional>
#include <memory>
#include <netdb.h>

class QObject;

class NameResolver {
public:
    using GetAddrInfoFn = int (*)(const char *, const char *, const addrinfo *, addrinfo **);
    struct Answer {
        int error = 0; // a Winsock number, 0 when there are addresses
        QList<SockAddr> addresses; // port 0
    };
    using Done = std::function<void(const Answer &)>;

    // getAddrInfo: the C library's, or the entry of a socket library loaded at run time.
    explicit NameResolver(GetAddrInfoFn getAddrInfo = ::getaddrinfo);
    ~NameResolver();
    NameResolver(const NameResolver &) = delete;
    NameResolver &operator=(const NameResolver &) = delete;

    void SetGetAddrInfo(GetAddrInfoFn getAddrInfo) { m_getAddrInfo = getAddrInfo; }
    // Starts a look-up; an earlier one still running is dropped.
    void Start(const QByteArray &name, Done done);
    void Abort();

private:
    struct Gate;
    GetAddrInfoFn m_getAddrInfo;
    std::unique_ptr<QObject> m_receiver;
    std::shared_ptr<Gate> m_gate;
    quint64 m_seq = 0;
};
