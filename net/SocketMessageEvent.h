#pragma once
// A socket message as the asynchronous select delivers it: the socket, and
// the event in the low and the Winsock error in the high 16 bits.
#include <QEvent>

class SocketMessageEvent : public QEvent {
public:
    static QEvent::Type EventType()
    {
        static const int type = QEvent::registerEventType();
        return QEvent::Type(type);
    }

    SocketMessageEvent(int message, int socket, quint32 lParam)
        : QEvent(EventType()), Message(message), Socket(socket), LParam(lParam)
    {
    }

    int Message;
    int Socket;
    quint32 LParam;
};
