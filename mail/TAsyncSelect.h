#pragma once
// Readiness of a non-blocking socket turned into one-shot notifications, the
// way an asynchronous select on a window delivers them: a connect result once,
// a read (or close) notice that is re-armed by the next receive, and a write
// notice only after a send had to wait. Level-triggered notifiers stay off
// while nobody is interested, so an idle connection costs no CPU.
#include <QObject>
#include <QSocketNotifier>
#include <functional>

class TAsyncSelect : public QObject {
    Q_OBJECT
public:
    enum Event { FdRead = 1, FdWrite = 2, FdConnect = 16, FdClose = 32 };
    // event is one of Event; error a Winsock number, 0 for none.
    using Handler = std::function<void(int event, int error)>;

    TAsyncSelect(int fd, Handler handler, QObject *parent = nullptr);

    // A non-blocking connect has been started: FdConnect (and FdWrite) follow.
    void ExpectConnect();
    // Call after every receive: a further FdRead or FdClose may come.
    void ArmRead();
    // Call after a send would have blocked: FdWrite comes when there is room.
    void ArmWrite();

private:
    void Readable();
    void Writable();

    int m_fd;
    Handler m_handler;
    QSocketNotifier m_read;
    QSocketNotifier m_write;
    bool m_connecting = false;
    bool m_connected = false;
    bool m_closed = false;
};
