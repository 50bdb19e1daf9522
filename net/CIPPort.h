#pragma once
// CIPPort: one outgoing TCP connection at a time, sending byte strings and
// cutting what arrives into lines at EOL. Non-blocking and single-threaded:
// readiness arrives as socket messages on the owner's thread and becomes the
// component's events.
#include "CWinsock.h"
#include "LineFIFO.h"
#include "RaceConnector.h"
#include "SockAddr.h"
#include "SocketEvents.h"

#include <QByteArray>
#include <QString>

class QObject;

class CIPPort : public CWinsock {
    Q_OBJECT
public:
    // Number of the socket message and the events (SocketEvent, in its low
    // 16 bits) the component asks for.
    static constexpr int SocketMessage = 1125;
    static constexpr int EventMask = FdRead | FdWrite | FdConnect | FdClose;

    explicit CIPPort(QObject *parent = nullptr);
    ~CIPPort() override;

    void CopyFrom(CIPPort &source);

    QString GetLocalHost() override;

    bool Connected() const { return m_connected; }
    virtual void SetConnected(bool connected);

    quint16 RemotePort() const { return m_remotePort; }
    void SetRemotePort(quint16 port);
    quint16 LocalPort() const;
    void SetLocalPort(quint16 port);
    // The address in its text form (dotted IPv4 or IPv6), empty when there
    // is none: the first to try, then the one connected to.
    QString RemoteHost() const;
    // An address (dotted IPv4 or IPv6) is taken as it is; a name is looked up
    // (both families) while events keep running, and the call returns with
    // the answer. Connecting races its addresses.
    void SetRemoteHost(const QString &host);
    quint16 InBufferSize() const { return m_inBufferSize; }
    void SetInBufferSize(quint16 size);
    quint16 OutBufferSize() const { return m_outBufferSize; }
    void SetOutBufferSize(quint16 size);
    bool Linger() const { return m_linger; }
    void SetLinger(bool linger);
    bool KeepAlive() const { return m_keepAlive; }
    void SetKeepAlive(bool keepAlive);
    QByteArray EOL() const { return m_fifo.Delimiter(); }
    void SetEOL(const QByteArray &eol);
    quint32 MaxLineLength() const { return m_fifo.Capacity(); }
    // 255 to 65535; other values raise "Invalid value".
    void SetMaxLineLength(quint32 n);

    // Queues the bytes for sending; what the socket cannot take now goes out
    // in order when it can, so nothing is lost.
    void SetDataToSend(const QByteArray &data);
    void SetDataToSend(const char *buffer, qsizetype length);

    TConnectEvent OnConnected;
    TConnectEvent OnDisconnected;
    TDataInEvent OnDataIn;
    TNotifyEvent OnReadyToSend;

    // A socket message (socket, event in the low and error in the high 16 bits).
    virtual void HandleSocketMessage(int socket, quint32 message);

protected:
    // The object socket messages are delivered to; TIPPort makes it.
    void SetNotifyWindow(QObject *window) { m_window = window; }

    virtual void DoConnected(int code, const QString &text);
    virtual void DoDisconnected(int code, const QString &text);
    virtual void DoDataIn(const QByteArray &text, bool eol);
    virtual void DoReadyToSend();

private:
    void Connect();
    void RaceDone(int fd, const SockAddr &address, int error);
    // The socket bound to the local port, options applied, notices asked for: 0 or a Winsock number.
    int ReadySocket(int fd, int family, bool notices);
    int CloseConnection(quint32 reason);
    void DropSocket();
    void ReadPass(bool final);
    int SendBuffer(const char *data, qsizetype length);
    int FlushPending();
    qsizetype PendingSend() const { return m_pending.size() - m_pendingPos; }
    bool SocketOpen() const { return m_socket >= 0; }
    void ApplyOptions();
    void SetBufferSize(int option, quint16 size, quint16 &property);

    // Every address of the remote host, in the order they are raced.
    QList<SockAddr> m_remoteAddresses;
    quint16 m_remotePort = 0;
    quint16 m_localPort = 0;
    quint16 m_inBufferSize = 2048;
    quint16 m_outBufferSize = 2048;
    bool m_linger = true;
    bool m_keepAlive = false;
    int m_socket = -1;
    bool m_connected = false;
    bool m_reading = false;
    bool m_closePending = false;
    // A read notice came while a pass ran.
    bool m_readNoticeMissed = false;
    LineFIFO m_fifo;
    // Bytes accepted for sending that the socket has not taken yet.
    QByteArray m_pending;
    qsizetype m_pendingPos = 0;
    // Counts connection attempts, so a handler that reconnects is not undone.
    quint32 m_attempt = 0;
    QObject *m_window = nullptr;
    RaceConnector m_race;
};
