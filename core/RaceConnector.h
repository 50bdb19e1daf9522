#pragma once
// RaceConnector: one TCP connection to whichever of a name's addresses
// answers first, as RFC 8305 races them. The addresses alternate between the
// families, the preferred one first; the first attempt starts at once, each
// next one 250 ms later or as soon as the one before fails. The first to
// connect wins and the others are closed. It waits for nothing itself: the
// caller's event loop runs it, and the caller's time-out or cancel ends it
// with Abort.
#include "SockAddr.h"

#include <QList>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <unistd.h>
#include <vector>

class QSocketNotifier;

class RaceConnector : public QObject {
    Q_OBJECT
public:
    // The socket calls: the C library's, or those of a library loaded at run time.
    struct Calls {
        int (*socket)(int, int, int) = ::socket;
        int (*connect)(int, const sockaddr *, socklen_t) = ::connect;
        int (*close)(int) = ::close;
        int (*getsockopt)(int, int, int, void *, socklen_t *) = ::getsockopt;
    };
    // Readies a socket made here before it connects (bind, options): 0 or an errno.
    using Prepare = std::function<int(int fd, int family)>;
    // The connected socket, now the caller's, and its address; or -1 and the
    // errno of the first address's failure when none connected.
    using Done = std::function<void(int fd, const SockAddr &address, int error)>;

    static constexpr int StaggerMs = 250;

    explicit RaceConnector(QObject *parent = nullptr);
    ~RaceConnector() override;
    // For the next Start.
    void SetCalls(const Calls &calls) { m_calls = calls; }

    // The addresses in the order they are tried: families alternating, the
    // family of the first address first, each family in its given order.
    static QList<SockAddr> Interleave(const QList<SockAddr> &addresses);

    // Races the addresses (each with its port). firstFd, when not -1, is the
    // caller's non-blocking socket for the first address: used, never closed
    // here. Done comes later from the event loop, never from inside Start.
    void Start(const QList<SockAddr> &addresses, int firstFd, Prepare prepare, Done done);
    // Closes every attempt still open; Done does not come.
    void Abort();

private:
    struct Attempt;
    void StartNext();
    void Writable(int fd);
    void Failed(int error);
    void Finish(int fd, const SockAddr &address, int error);
    void CloseAttempt(Attempt &attempt);

    Calls m_calls;
    QList<SockAddr> m_addresses;
    qsizetype m_next = 0;
    int m_firstFd = -1;
    int m_firstError = 0;
    std::vector<std::unique_ptr<Attempt>> m_attempts;
    Prepare m_prepare;
    Done m_done;
    QTimer m_stagger;
    quint64 m_generation = 0;
    bool m_running = false;
    bool m_starting = false;
};
