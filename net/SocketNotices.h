#pragma once
// The line client's socket notices: the asynchronous select's notifications
// as socket messages to the window the socket library was given, for the
// events it asked for.
#include "TAsyncSelect.h"

#include <QPointer>

class SocketNotices : public TAsyncSelect {
    Q_OBJECT
public:
    SocketNotices(int fd, QObject *window, int message, int mask, RecvFn recv, GetSockOptFn getSockOpt);

    void SetTarget(QObject *window, int message, int mask);

private:
    void Post(int fd, int event, int error);

    QPointer<QObject> m_window;
    int m_message;
    int m_mask;
};
