#pragma once
// Peers for the look-up pages: Debian's fingerd behind socat, Debian's whois
// client as the reference reader, and listeners that refuse or never answer.
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A loopback port that nothing listens on.
inline quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// A listener whose queue is full: a connection attempt to it never completes.
class StalledListener {
public:
    StalledListener()
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        ::bind(m_listener, reinterpret_cast<sockaddr *>(&a), len);
        ::listen(m_listener, 0);
        ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&a), &len);
        m_port = ntohs(a.sin_port);
        m_filler = ::socket(AF_INET, SOCK_STREAM, 0);
        ::connect(m_filler, reinterpret_cast<sockaddr *>(&a), len);
    }
    ~StalledListener()
    {
        ::close(m_filler);
        ::close(m_listener);
    }
    quint16 port() const { return m_port; }

private:
    int m_listener = -1;
    int m_filler = -1;
    quint16 m_port = 0;
};

// What a peer answers to one query, cut into lines at `eol`; a last piece
// without it counts as a line.
inline QStringList answerLines(const QByteArray &answer, const QByteArray &eol)
{
    QStringList lines;
    for (const QByteArray &l : answer.split(eol.back()))
        lines << QString::fromLatin1(eol.size() > 1 && l.endsWith(eol.front()) ? l.chopped(1) : l);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

inline QByteArray query(quint16 port, const QByteArray &request)
{
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!s.waitForConnected(5000))
        return "not connected: " + s.errorString().toLatin1();
    s.write(request);
    QByteArray answer;
    while (s.state() == QAbstractSocket::ConnectedState && s.waitForReadyRead(5000))
        answer += s.readAll();
    return answer + s.readAll();
}

// Debian's fingerd on a free loopback port, one daemon per connection.
class FingerDaemon {
public:
    FingerDaemon()
    {
        m_port = closedPort();
        m_socat.start(QStringLiteral("socat"),
                      {QStringLiteral("TCP-LISTEN:%1,bind=127.0.0.1,reuseaddr,fork").arg(m_port),
                       QStringLiteral("EXEC:/usr/sbin/in.fingerd,nofork")});
        m_ok = m_socat.waitForStarted() && QTest::qWaitFor([this] {
                   QTcpSocket s;
                   s.connectToHost(QHostAddress::LocalHost, m_port);
                   return s.waitForConnected(100);
               });
    }
    ~FingerDaemon()
    {
        m_socat.terminate();
        m_socat.waitForFinished();
    }
    bool ok() const { return m_ok; }
    quint16 port() const { return m_port; }
    // The daemon's answer to `request` (CR LF added), read by a plain socket.
    QStringList answer(const QString &request) const { return answerLines(query(m_port, request.toLatin1() + "\r\n"), "\r\n"); }

private:
    QProcess m_socat;
    quint16 m_port = 0;
    bool m_ok = false;
};

// Debian's whois client asking `name` at 127.0.0.1:port; its standard output as lines.
inline QStringList whoisClient(quint16 port, const QString &name)
{
    QProcess whois;
    whois.start(QStringLiteral("whois"), {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                                          QString::number(port), name});
    if (!whois.waitForFinished(10000))
        return {QStringLiteral("whois did not finish")};
    return answerLines(whois.readAllStandardOutput(), "\n");
}
