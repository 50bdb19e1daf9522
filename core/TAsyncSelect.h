#pragma once
// Readiness of a non-blocking socket turned into one-shot notifications, the
// way an asynchronous select on a window delivers them: a connect result once,
// a read (or close) notice that is re-armed by the next receive, and a write
// notice after connecting and whenever a send had to wait. Level-triggered
// notifiers stay off while nobody is interested, so an idle connection costs
// no CPU. Both socket layers use it: the mail layer with the C library's
// calls, the line client with those of the socket library it loaded.
#include "SocketEvents.h"

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <sys/socket.h>
#include <sys/types.h>

class TAsyncSelect : public QObject {
    Q_OBJECT
public:
    // event is a SocketEvent; error a Winsock number, 0 for none.
    using Handler = std::function<void(int event, int error)>;
    using RecvFn = ssize_t (*)(int, void *, size_t, int);
    using GetSockOptFn = int (*)(int, int, int, void *, socklen_t *);

    TAsyncSelect(int fd, Handler handler, RecvFn recv = ::recv, GetSockOptFn getSockOpt = ::getsockopt);

    // A non-blocking connect has been started: FdConnect (and FdWrite) follow.
    // `error` (Winsock) when it already failed: FdConnect with it comes once
    // the caller has returned.
    void ExpectConnect(int error = 0);
    // Call after every receive: a further FdRead or FdClose may come.
    void ArmRead();
    // Call after a send would have blocked: FdWrite comes when there is room.
    void ArmWrite();
    // No more notifications, even from inside a handler that is running now.
    void Stop();

private:
    void Readable();
    void Writable();
    void ConnectResult(int error);
    void Notify(int event, int error);

    int m_fd;
    Handler m_handler;
    RecvFn m_recv;
    GetSockOptFn m_getSockOpt;
    QSocketNotifier m_read;
    QSocketNotifier m_write;
    bool m_connecting = false;
    bool m_connected = false;
    bool m_closed = false;
    bool m_stopped = false;
};
