#pragma once
// Readiness of one non-blocking socket turned into socket messages the way the
// asynchronous select sends them: a connect result once, a read notice that
// the next receive re-arms, a close when the peer has ended, and a write
// notice after connecting and whenever a send could not take everything.
// Notifiers stay off while nobody is interested, so an idle socket costs no CPU.
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <sys/socket.h>
#include <sys/types.h>

class SocketNotices : public QObject {
    Q_OBJECT
public:
    using RecvFn = ssize_t (*)(int, void *, size_t, int);
    using GetSockOptFn = int (*)(int, int, int, void *, socklen_t *);

    SocketNotices(int fd, QObject *window, int message, int mask, RecvFn recv, GetSockOptFn getSockOpt);

    void SetTarget(QObject *window, int message, int mask);
    // A connect has started; error (Winsock) when it already failed.
    void ExpectConnect(int error);
    // After every receive: another read or close notice may come.
    void ArmRead();
    // After a send that could not take everything.
    void ArmWrite();
    // No more messages, even from inside a handler that is running now.
    void Stop();

private:
    void Readable();
    void Writable();
    void ConnectResult(int error);
    void Post(int event, int error);

    int m_fd;
    QPointer<QObject> m_window;
    int m_message;
    int m_mask;
    RecvFn m_recv;
    GetSockOptFn m_getSockOpt;
    QSocketNotifier m_read;
    QSocketNotifier m_write;
    bool m_connecting = false;
    bool m_connected = false;
    bool m_closed = false;
    bool m_stopped = false;
};
