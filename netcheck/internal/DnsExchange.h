#pragma once
// One DNS question to one server on port 53, on the event loop: over UDP,
// again over TCP when the UDP answer comes truncated, or over TCP alone.
// `done` comes once, unless the exchange is destroyed first; the time limit
// covers each transport's try. A datagram that is no answer to the question
// is set aside and the wait goes on (RFC 5452 9.1): a forger's or a
// confused server's stray must not end it.
#include "DnsMessage.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <optional>

class QSocketNotifier;
class QTcpSocket;

class DnsExchange : public QObject {
    Q_OBJECT
public:
    enum class Transport { Udp, Tcp };
    enum class Outcome {
        Reply,     // `reply` holds the answer to the question
        Silent,    // nothing within the time limit
        Refused,   // the port is closed (ICMP unreachable, TCP reset)
        Malformed, // bytes that are no DNS reply to the question
        OtherName, // a reply about another name or type
        NoTcp,     // truncated over UDP, and TCP refused, closed or silent
    };
    struct Result {
        Outcome outcome = Outcome::Silent;
        DnsReply reply;
    };

    DnsExchange(QHostAddress server, QString asciiName, DnsType type, Transport transport, bool recursion,
                int timeoutMs, QObject *parent = nullptr);
    ~DnsExchange() override;

    void start();
    static constexpr quint16 Port = 53;

signals:
    void done(const DnsExchange::Result &result);

private:
    void send(Transport transport);
    void sendUdp();
    void closeSockets();
    void readUdp();
    void readTcp();
    void accept(const QByteArray &wire);
    void finish(Outcome outcome, const DnsReply &reply = {});

    QHostAddress m_server;
    QString m_name;
    DnsType m_type;
    Transport m_first;
    Transport m_now = Transport::Udp;
    bool m_recursion;
    int m_timeoutMs;
    quint16 m_id = 0;
    QByteArray m_question;
    // UDP on a socket of our own: a closed port's ICMP error must reach us,
    // and a connected QUdpSocket does not report it.
    int m_udp = -1;
    QSocketNotifier *m_udpReady = nullptr;
    QTcpSocket *m_tcp = nullptr;
    QByteArray m_tcpBuffer;
    std::optional<Outcome> m_setAside; // what the last stray datagram was
    QTimer m_timer;
    bool m_done = false;
};
