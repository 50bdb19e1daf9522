#pragma once
// One DNS question to one server on port 53, on the event loop: over UDP,
// again over TCP when the UDP answer comes truncated, or over TCP alone.
// `done` comes once, unless the exchange is destroyed first; the time limit
// covers each transport's try.
#include "DnsMessage.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

class QAbstractSocket;

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
    };
    struct Result {
        Outcome outcome = Outcome::Silent;
        DnsReply reply;
        Transport transport = Transport::Udp; // of the last try
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
    QAbstractSocket *m_socket = nullptr;
    QByteArray m_tcpBuffer;
    QTimer m_timer;
    bool m_done = false;
};
