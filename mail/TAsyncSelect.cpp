#include "TAsyncSelect.h"

#include "WinsockErrno.h"

#include <cerrno>
#include <sys/socket.h>

TAsyncSelect::TAsyncSelect(int fd, Handler handler, QObject *parent)
    : QObject(parent), m_fd(fd), m_handler(std::move(handler)), m_read(fd, QSocketNotifier::Read),
      m_write(fd, QSocketNotifier::Write)
{
    m_read.setEnabled(false);
    m_write.setEnabled(false);
    connect(&m_read, &QSocketNotifier::activated, this, &TAsyncSelect::Readable);
    connect(&m_write, &QSocketNotifier::activated, this, &TAsyncSelect::Writable);
}

void TAsyncSelect::ExpectConnect()
{
    m_connecting = true;
    m_write.setEnabled(true);
}

void TAsyncSelect::ArmRead()
{
    if (m_connected && !m_closed)
        m_read.setEnabled(true);
}

void TAsyncSelect::ArmWrite()
{
    if (m_connected)
        m_write.setEnabled(true);
}

void TAsyncSelect::Readable()
{
    m_read.setEnabled(false);
    char byte;
    const ssize_t n = ::recv(m_fd, &byte, 1, MSG_PEEK);
    if (n > 0) {
        m_handler(FdRead, 0);
    } else if (n == 0) {
        m_closed = true;
        m_handler(FdClose, 0);
    } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
        m_read.setEnabled(true);
    } else {
        m_closed = true;
        m_handler(FdClose, WinsockErrno::FromErrno(errno));
    }
}

void TAsyncSelect::Writable()
{
    m_write.setEnabled(false);
    if (!m_connecting) {
        m_handler(FdWrite, 0);
        return;
    }
    m_connecting = false;
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &err, &len) < 0)
        err = errno;
    if (err != 0) {
        m_handler(FdConnect, WinsockErrno::FromErrno(err));
        return;
    }
    m_connected = true;
    m_read.setEnabled(true);
    m_handler(FdConnect, 0);
    m_handler(FdWrite, 0);
}
