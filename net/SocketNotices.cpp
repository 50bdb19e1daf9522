#include "SocketNotices.h"

#include "SocketMessageEvent.h"
#include "WinsockErrno.h"

#include <QCoreApplication>
#include <QTimer>
#include <cerrno>

SocketNotices::SocketNotices(int fd, QObject *window, int message, int mask, RecvFn recv, GetSockOptFn getSockOpt)
    : m_fd(fd), m_window(window), m_message(message), m_mask(mask), m_recv(recv), m_getSockOpt(getSockOpt),
      m_read(fd, QSocketNotifier::Read), m_write(fd, QSocketNotifier::Write)
{
    m_read.setEnabled(false);
    m_write.setEnabled(false);
    connect(&m_read, &QSocketNotifier::activated, this, &SocketNotices::Readable);
    connect(&m_write, &QSocketNotifier::activated, this, &SocketNotices::Writable);
}

void SocketNotices::SetTarget(QObject *window, int message, int mask)
{
    m_window = window;
    m_message = message;
    m_mask = mask;
}

void SocketNotices::ExpectConnect(int error)
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

void SocketNotices::ArmRead()
{
    if (m_connected && !m_closed && !m_stopped)
        m_read.setEnabled(true);
}

void SocketNotices::ArmWrite()
{
    if (m_connected && !m_stopped)
        m_write.setEnabled(true);
}

void SocketNotices::Stop()
{
    m_stopped = true;
    m_read.setEnabled(false);
    m_write.setEnabled(false);
}

void SocketNotices::Readable()
{
    m_read.setEnabled(false);
    char byte;
    const ssize_t n = m_recv(m_fd, &byte, 1, MSG_PEEK);
    if (n > 0) {
        Post(1, 0);
    } else if (n == 0) {
        m_closed = true;
        Post(32, 0);
    } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
        m_read.setEnabled(true);
    } else {
        m_closed = true;
        Post(32, WinsockErrno::FromErrno(errno));
    }
}

void SocketNotices::Writable()
{
    m_write.setEnabled(false);
    if (!m_connecting) {
        Post(2, 0);
        return;
    }
    int err = 0;
    socklen_t len = sizeof err;
    if (m_getSockOpt(m_fd, SOL_SOCKET, SO_ERROR, &err, &len) < 0)
        err = errno;
    ConnectResult(WinsockErrno::FromErrno(err));
}

void SocketNotices::ConnectResult(int error)
{
    m_connecting = false;
    if (error != 0) {
        Post(16, error);
        return;
    }
    m_connected = true;
    m_read.setEnabled(true);
    Post(16, 0);
    Post(2, 0);
}

void SocketNotices::Post(int event, int error)
{
    if (m_stopped || !m_window || !(m_mask & event))
        return;
    SocketMessageEvent message(m_message, m_fd, quint32(event) | (quint32(error) << 16));
    QCoreApplication::sendEvent(m_window, &message);
}
