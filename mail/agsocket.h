#pragma once
// TagSocket: a TCP client that callers use like a blocking, line-oriented
// connection, built on asynchronous notifications. Every wait lets the event
// loop run (without spinning) until a notification flag, the one-second
// countdown against TimeOut, or Cancel ends it.
#include "InputLimits.h"
#include "MailEvents.h"
#include "NameResolver.h"
#include "RaceConnector.h"
#include "SockAddr.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class TAsyncSelect;
class TTlsLayer;

class TagSocket : public QObject {
    Q_OBJECT
public:
    explicit TagSocket(QObject *parent = nullptr);
    ~TagSocket() override;

    bool Connected() const { return m_socket >= 0; }
    // True once a TLS handshake on the open connection has succeeded.
    bool Encrypted() const { return m_tls != nullptr; }

    // The service asked for when the server setting names no port.
    void SetServiceName(const QString &name) { m_serviceName = name; }
    // This machine's name and the server's address (dotted IPv4 or IPv6
    // text), once connecting: the first to try, then the one connected to.
    QString LocalHost() const { return m_localHost; }
    QString RemoteAddress() const { return m_remoteAddress; }
    quint16 Port() const { return m_port; }

    virtual void ResetState();
    // OnOpen, resolve host and port, create the socket.
    virtual void Connect();
    // When open: OnClosing, close, OnClosed.
    virtual void Disconnect();
    // Ends every wait in progress with ECanceledError and closes the socket.
    virtual void Cancel();

    // Sends the text (ISO-8859-1) and CR LF.
    void SendLine(const QString &text);

protected:
    // How the last wait ended.
    bool TimedOut() const { return m_timedOut; }
    bool Cancelled() const { return m_cancelled; }
    bool HostResolved() const { return m_hostResolved; }
    bool CloseEvent() const { return m_closeEvent; }

    // Settings; TmsMailBase publishes them.
    QString Server() const { return m_server; }
    void SetServer(const QString &server) { m_server = server; }
    quint16 DefaultPort() const { return m_defaultPort; }
    void SetDefaultPort(quint16 port) { m_defaultPort = port; }
    int TimeOut() const { return m_timeOut; }
    void SetTimeOut(int seconds) { m_timeOut = seconds; }

    TNotifyEvent OnOpen;
    TNotifyEvent OnClosing;
    TNotifyEvent OnClosed;
    TNotifyEvent OnCancel;
    TmsErrorEvent OnError;

    // Applied to every received line; throws to reject it.
    virtual void CheckReply(const QString &line) = 0;

    // Connects the created socket and waits for the connection.
    void ConnectSocket();
    // TLS handshake on the connected socket, with the same waits as every
    // other step; the certificate must be valid for peerName. From then on
    // every line goes through TLS.
    void StartTls(const QString &peerName);
    // Waits for one line and gives it without its line end; CheckReply runs on
    // it. False when the peer closed before a complete line (line empty, no check).
    // A line longer than maxBytes, line end included, fails as a reply too long.
    bool ReceiveLine(QString &line, qint64 maxBytes = InputLimits::MaxReplyBytes);
    // Bytes the last ReceiveLine took from the wire, the dropped tail of an
    // over-long line and the line end included.
    qint64 LastLineWireBytes() const { return m_lineWireBytes; }
    // Sends all bytes, waiting for room when the socket is full. Returns false
    // when a time-out or cancel ended it first; other failures raise. With
    // restartOnProgress every successful send restarts the countdown.
    bool SendBuffer(const char *data, qsizetype size, bool restartOnProgress);

    void StartCountdown();
    void StopCountdown();
    // Runs pending events without waiting.
    void LetEventsRun();

    // The error paths: OnError first, then the exception.
    // Stops the countdown and offers `text` to OnError; returns the text as the handler left it.
    QString OfferError(const QString &text);
    [[noreturn]] void SocketError(int code);
    [[noreturn]] void RaiseError(const QString &text);
    [[noreturn]] void TimedOutError();
    [[noreturn]] void CanceledError();
    // The connection is gone (refused, reset, closed by the peer): OnError,
    // Disconnect, then ESocketError, so no session is left half open.
    [[noreturn]] void ConnectionLostError(int code);
    [[noreturn]] void ConnectionLostError(const QString &text);
    // After a wait: the cancel, time-out or error path, whichever ended it.
    void EndOfWait();
    // A reply beyond its bound: OnError, Disconnect, ESocketError.
    [[noreturn]] void ReplyTooLongError();

private:
    void WaitUntil(const std::function<bool()> &done);
    // Position of the next line feed in the inbox, searching from `scanned`
    // (moved to the end of what was searched); -1 when there is none.
    qsizetype LineEnd(qsizetype &scanned) const;
    // Receives blocks into the inbox until a line feed arrives (its position),
    // or a close, time-out or cancel ends it (-1).
    qsizetype ReceiveUntilLineEnd(qsizetype &scanned, qint64 maxBytes);
    // Waits for the next notification after asking for readability or writability.
    void WaitForSocket(bool read);
    // recv and send, through TLS once it is on; -1 with a Winsock code in `code`.
    ssize_t Receive(char *data, size_t size, int &code);
    ssize_t Transmit(const char *data, size_t size, int &code, bool &wantRead);
    [[noreturn]] void LostWith(const QString &text);
    void ResolveHost();
    void ResolvePort();
    void HostLookupDone(const NameResolver::Answer &answer);
    void RaceDone(int fd, const SockAddr &address, int error);
    void SocketEvent(int event, int error);
    void CountdownTick();
    void CancelLookup();
    void CloseSilently();

    QString m_server;
    quint16 m_defaultPort = 0;
    qint64 m_lineWireBytes = 0;
    int m_timeOut = 60;

    int m_socket = -1;
    // Received and not yet taken as lines: m_inbox from m_inboxPos on.
    QByteArray m_inbox;
    qsizetype m_inboxPos = 0;
    std::unique_ptr<TAsyncSelect> m_select;
    std::unique_ptr<TTlsLayer> m_tls;
    QString m_serviceName;
    QString m_localHost;
    QString m_remoteAddress;
    // Every address of the server, in the order they are raced.
    QList<SockAddr> m_addresses;
    quint16 m_port = 0;
    int m_countdown = 0;
    QTimer m_timer;
    NameResolver m_resolver;
    RaceConnector m_race;
    quint64 m_notifySeq = 0;

    bool m_timedOut = false;
    bool m_cancelled = false;
    bool m_hostResolved = false;
    bool m_serviceResolved = false;
    bool m_raceDone = false;
    bool m_connectEvent = false;
    bool m_readEvent = false;
    bool m_writeEvent = false;
    bool m_closeEvent = false;
    bool m_errorEvent = false;
    int m_errorCode = 0;
};
