#include "SocketNotices.h"

#include "SocketMessageEvent.h"

#include <QCoreApplication>

SocketNotices::SocketNotices(int fd, QObject *window, int message, int mask, RecvFn recv, GetSockOptFn getSockOpt)
    : TAsyncSelect(fd, [this, fd](int event, int error) { Post(fd, event, error); }, recv, getSockOpt),
      m_window(window), m_message(message), m_mask(mask)
{
}

void SocketNotices::SetTarget(QObject *window, int message, int mask)
{
    m_window = window;
    m_message = message;
    m_mask = mask;
}

void SocketNotices::Post(int fd, int event, int error)
{
    if (!m_window || !(m_mask & event))
        return;
    SocketMessageEvent message(m_message, fd, quint32(event) | (quint32(error) << 16));
    QCoreApplication::sendEvent(m_window, &message);
}
