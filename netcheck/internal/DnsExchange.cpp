#include "DnsExchange.h"

#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTcpSocket>

#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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
    // A coarse timer may fire 5 % early and cut off an answer in time.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { finish(m_setAside.value_or(Outcome::Silent)); });
}

DnsExchange::~DnsExchange()
{
    m_done = true;
    closeSockets();
}

void DnsExchange::closeSockets()
{
    if (m_udpReady) {
        m_udpReady->setEnabled(false);
        m_udpReady->deleteLater();
        m_udpReady = nullptr;
    }
    if (m_udp >= 0)
        ::close(m_udp);
    m_udp = -1;
    if (m_tcp) {
        m_tcp->disconnect(this);
        m_tcp->abort();
        m_tcp->deleteLater();
        m_tcp = nullptr;
    }
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
    closeSockets();
    m_tcpBuffer.clear();
    m_setAside.reset();
    m_timer.start(m_timeoutMs);
    if (transport == Transport::Udp)
        return sendUdp();
    m_tcp = new QTcpSocket(this);
    connect(m_tcp, &QTcpSocket::connected, this, [this] {
        const qsizetype n = m_question.size();
        QByteArray framed;
        framed.append(char(n >> 8)).append(char(n & 0xff)).append(m_question);
        m_tcp->write(framed);
    });
    connect(m_tcp, &QTcpSocket::readyRead, this, &DnsExchange::readTcp);
    connect(m_tcp, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        if (e == QAbstractSocket::ConnectionRefusedError)
            finish(Outcome::Refused);
        else if (e == QAbstractSocket::RemoteHostClosedError)
            finish(m_tcpBuffer.isEmpty() ? Outcome::Silent : Outcome::Malformed);
    });
    m_tcp->connectToHost(m_server, Port);
}

void DnsExchange::sendUdp()
{
    sockaddr_storage to{};
    socklen_t size = 0;
    bool ok = false;
    if (const quint32 v4 = m_server.toIPv4Address(&ok); ok) {
        auto *in = reinterpret_cast<sockaddr_in *>(&to);
        in->sin_family = AF_INET;
        in->sin_port = htons(Port);
        in->sin_addr.s_addr = htonl(v4);
        size = sizeof(sockaddr_in);
    } else {
        auto *in6 = reinterpret_cast<sockaddr_in6 *>(&to);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(Port);
        const Q_IPV6ADDR v6 = m_server.toIPv6Address();
        memcpy(&in6->sin6_addr, &v6, sizeof v6);
        size = sizeof(sockaddr_in6);
    }
    m_udp = ::socket(to.ss_family, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    // Connected, so that only the server's datagrams arrive and its port's ICMP error is ours.
    if (m_udp < 0 || ::connect(m_udp, reinterpret_cast<sockaddr *>(&to), size) != 0 ||
        ::send(m_udp, m_question.constData(), size_t(m_question.size()), 0) < 0) {
        const Outcome outcome = errno == ECONNREFUSED ? Outcome::Refused : Outcome::Silent;
        // Reported from the event loop, as every other outcome is.
        if (outcome == Outcome::Refused)
            QTimer::singleShot(0, this, [this] { finish(Outcome::Refused); });
        return;
    }
    m_udpReady = new QSocketNotifier(m_udp, QSocketNotifier::Read, this);
    connect(m_udpReady, &QSocketNotifier::activated, this, &DnsExchange::readUdp);
}

void DnsExchange::readUdp()
{
    QByteArray datagram(MaxMessage, Qt::Uninitialized);
    // Ends when the exchange does, or goes on over TCP.
    while (!m_done && m_now == Transport::Udp && m_udp >= 0) {
        const ssize_t n = ::recv(m_udp, datagram.data(), size_t(datagram.size()), 0);
        if (n >= 0)
            accept(datagram.left(n));
        else if (errno == ECONNREFUSED)
            return finish(Outcome::Refused);
        else if (errno != EINTR)
            return;
    }
}

void DnsExchange::readTcp()
{
    m_tcpBuffer += m_tcp->read(MaxMessage + 2 - m_tcpBuffer.size());
    if (m_tcpBuffer.size() < 2)
        return;
    const qsizetype length = qsizetype(quint8(m_tcpBuffer[0])) << 8 | quint8(m_tcpBuffer[1]);
    if (m_tcpBuffer.size() >= length + 2)
        accept(m_tcpBuffer.mid(2, length));
}

void DnsExchange::accept(const QByteArray &wire)
{
    const DnsReply reply = readDnsReply(wire, m_name, m_type, m_id);
    // Over TCP the stream is the server's alone, so what it sends is its answer.
    const bool tcp = m_now == Transport::Tcp;
    switch (reply.form) {
    case DnsReply::Form::OtherId:
        if (tcp)
            finish(Outcome::Malformed);
        return;
    case DnsReply::Form::Malformed:
        if (tcp)
            return finish(Outcome::Malformed);
        m_setAside = Outcome::Malformed;
        return;
    case DnsReply::Form::OtherQuestion:
        if (tcp)
            return finish(Outcome::OtherName);
        m_setAside = Outcome::OtherName;
        return;
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
    closeSockets();
    // TCP after a truncated answer failing is not the server being silent.
    if (m_first == Transport::Udp && m_now == Transport::Tcp &&
        (outcome == Outcome::Silent || outcome == Outcome::Refused))
        outcome = Outcome::NoTcp;
    emit done(Result{outcome, reply});
}
