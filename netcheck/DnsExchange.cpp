#include "DnsExchange.h"

#include <QRandomGenerator>
#include <QTcpSocket>
#include <QUdpSocket>

namespace {
// A DNS message over TCP is at most this long, after its two-byte length.
constexpr qsizetype MaxMessage = 65535;
} // namespace

DnsExchange::DnsExchange(QHostAddress server, QString asciiName, DnsType type, Transport transport, bool recursion,
                         int timeoutMs, QObject *parent)
    : QObject(parent), m_server(std::move(server)), m_name(std::move(asciiName)), m_type(type), m_first(transport),
      m_recursion(recursion), m_timeoutMs(timeoutMs)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { finish(Outcome::Silent); });
}

DnsExchange::~DnsExchange()
{
    m_done = true;
    if (m_socket)
        m_socket->disconnect(this);
}

void DnsExchange::start()
{
    // The id is what keeps a forged or stray datagram out.
    m_id = quint16(QRandomGenerator::system()->generate());
    m_question = dnsQuestion(m_name, m_type, m_id, m_recursion);
    // Reported from the event loop, as every other outcome is.
    if (m_question.isEmpty())
        return QTimer::singleShot(0, this, [this] { finish(Outcome::Malformed); });
    send(m_first);
}

void DnsExchange::send(Transport transport)
{
    m_now = transport;
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
        m_socket->deleteLater();
    }
    m_tcpBuffer.clear();
    m_timer.start(m_timeoutMs);
    if (transport == Transport::Udp) {
        auto *udp = new QUdpSocket(this);
        m_socket = udp;
        connect(udp, &QUdpSocket::readyRead, this, &DnsExchange::readUdp);
        connect(udp, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
            if (e == QAbstractSocket::ConnectionRefusedError)
                finish(Outcome::Refused);
        });
        // A connected datagram socket takes replies from the server alone.
        udp->connectToHost(m_server, Port);
        udp->write(m_question);
        return;
    }
    auto *tcp = new QTcpSocket(this);
    m_socket = tcp;
    connect(tcp, &QTcpSocket::connected, this, [this, tcp] {
        const qsizetype n = m_question.size();
        QByteArray framed;
        framed.append(char(n >> 8)).append(char(n & 0xff)).append(m_question);
        tcp->write(framed);
    });
    connect(tcp, &QTcpSocket::readyRead, this, &DnsExchange::readTcp);
    connect(tcp, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        if (e == QAbstractSocket::ConnectionRefusedError)
            finish(Outcome::Refused);
        else if (e == QAbstractSocket::RemoteHostClosedError)
            finish(m_tcpBuffer.isEmpty() ? Outcome::Silent : Outcome::Malformed);
    });
    tcp->connectToHost(m_server, Port);
}

void DnsExchange::readUdp()
{
    auto *udp = static_cast<QUdpSocket *>(m_socket);
    // Ends when the exchange does, or goes on over TCP.
    while (!m_done && m_socket == udp && udp->hasPendingDatagrams()) {
        QByteArray datagram(qMax<qint64>(0, qMin<qint64>(udp->pendingDatagramSize(), MaxMessage)), Qt::Uninitialized);
        const qint64 n = udp->readDatagram(datagram.data(), datagram.size());
        if (n >= 0)
            accept(datagram.left(n));
    }
}

void DnsExchange::readTcp()
{
    m_tcpBuffer += m_socket->read(MaxMessage + 2 - m_tcpBuffer.size());
    if (m_tcpBuffer.size() < 2)
        return;
    const qsizetype length = qsizetype(quint8(m_tcpBuffer[0])) << 8 | quint8(m_tcpBuffer[1]);
    if (m_tcpBuffer.size() >= length + 2)
        accept(m_tcpBuffer.mid(2, length));
}

void DnsExchange::accept(const QByteArray &wire)
{
    const DnsReply reply = readDnsReply(wire, m_name, m_type, m_id);
    switch (reply.form) {
    case DnsReply::Form::OtherId:
        // Over UDP someone else's datagram is ignored; over TCP the stream is the server's.
        if (m_now == Transport::Tcp)
            finish(Outcome::Malformed);
        return;
    case DnsReply::Form::Malformed:
        return finish(Outcome::Malformed);
    case DnsReply::Form::OtherQuestion:
        return finish(Outcome::OtherName);
    case DnsReply::Form::Answer:
        break;
    }
    if (reply.truncated && m_now == Transport::Udp)
        return send(Transport::Tcp);
    finish(Outcome::Reply, reply);
}

void DnsExchange::finish(Outcome outcome, const DnsReply &reply)
{
    if (m_done)
        return;
    m_done = true;
    m_timer.stop();
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
    emit done(Result{outcome, reply, m_now});
}
