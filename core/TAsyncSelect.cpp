#include "TAsyncSelect.h"

#include "WinsockErrno.h"

#include <QTimer>
#include <cerrno>

TAsyncSelect::TAsyncSelect(int fd, Handler handler, RecvFn recv, GetSockOptFn getSockOpt)
    : m_fd(fd), m_handler(std::move(handler)), m_recv(recv), m_getSockOpt(getSockOpt),
      m_read(fd, QSocketNotifier::Read), m_write(fd, QSocketNotifier::Write)
{
    m_read.setEnabled(false);
    m_write.setEnabled(false);
    connect(&m_read, &QSocketNotifier::activated, this, &TAsyncSelect::Readable);
    connect(&m_write, &QSocketNotifier::activated, this, &TAsyncSelect::Writable);
}

void TAsyncSelect::ExpectConnect(int error)
{
    m_connecting = true;
    if (error == 0) {
        m_write.setEnabled(true);
        return;
    }
    // The platform may refuse a loopback connect at once; the owner still
    // learns it from the connect notice, after the call has returned.
    QTimer::singleShot(0, this, [this, error] {
        if (m_connecting && !m_stopped)
            ConnectResult(error);
    });
}

void TAsyncSelect::ArmRead()
{
    if (m_connected && !m_closed && !m_stopped)
        m_read.setEnabled(true);
}

void TAsyncSelect::ArmWrite()
{
    if (m_connected && !m_stopped)
        m_write.setEnabled(true);
}

void TAsyncSelect::Stop()
{
    m_stopped = true;
    m_read.setEnabled(false);
    m_write.setEnabled(false);
}

void TAsyncSelect::Readable()
{
    m_read.setEnabled(false);
    char byte;
    const ssize_t n = m_recv(m_fd, &byte, 1, MSG_PEEK);
    if (n > 0) {
        Notify(FdRead, 0);
    } else if (n == 0) {
        m_closed = true;
        Notify(FdClose, 0);
    } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
        m_read.setEnabled(true);
    } else {
        m_closed = true;
        Notify(FdClose, WinsockErrno::FromErrno(errno));
    }
}

void TAsyncSelect::Writable()
{
    m_write.setEnabled(false);
    if (!m_connecting) {
        Notify(FdWrite, 0);
        return;
    }
    int err = 0;
    socklen_t len = sizeof err;
    if (m_getSockOpt(m_fd, SOL_SOCKET, SO_ERROR, &err, &len) < 0)
        err = errno;
    ConnectResult(WinsockErrno::FromErrno(err));
}

void TAsyncSelect::ConnectResult(int error)
{
    m_connecting = false;
    if (error != 0) {
        Notify(FdConnect, error);
        return;
    }
    m_connected = true;
    m_read.setEnabled(true);
    Notify(FdConnect, 0);
    Notify(FdWrite, 0);
}

void TAsyncSelect::Notify(int event, int error)
{
    if (!m_stopped)
        m_handler(event, error);
}
