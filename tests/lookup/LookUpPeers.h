#pragma once
// Peers for the look-up pages: Debian's fingerd behind socat, Debian's whois
// client as the reference reader, and listeners that refuse or never answer.
#include "SockAddr.h"

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <optional>
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
// The address is a numeric one of either family.
class StalledListener {
public:
    explicit StalledListener(const char *address = "127.0.0.1", quint16 port = 0)
    {
        const std::optional<SockAddr> at = SockAddr::FromLiteral(QString::fromLatin1(address));
        const SockAddr a = at ? at->WithPort(port) : SockAddr();
        m_fd[0] = ::socket(a.Family(), SOCK_STREAM, 0);
        m_fd[1] = ::socket(a.Family(), SOCK_STREAM, 0);
        ::bind(m_fd[0], a.Data(), a.Length());
        ::listen(m_fd[0], 0);
        sockaddr_storage bound{};
        socklen_t len = sizeof bound;
        ::getsockname(m_fd[0], reinterpret_cast<sockaddr *>(&bound), &len);
        ::connect(m_fd[1], reinterpret_cast<sockaddr *>(&bound), len);
        m_port = SockAddr(reinterpret_cast<sockaddr *>(&bound), len).Port();
    }
    ~StalledListener() { ::close(m_fd[0]), ::close(m_fd[1]); }
    quint16 port() const { return m_port; }

private:
    int m_fd[2] = {-1, -1};
    quint16 m_port = 0;
};

// An answer cut into lines at LF, without CRs; a last piece without LF is a line.
inline QStringList answerLines(QByteArray answer)
{
    answer.replace('\r', "");
    if (answer.endsWith('\n'))
        answer.chop(1);
    return answer.isEmpty() ? QStringList() : QString::fromLatin1(answer).split('\n');
}

// Debian's fingerd on a free loopback port, one daemon per connection.
class FingerDaemon {
public:
    FingerDaemon() : m_port(closedPort())
    {
        m_socat.start("socat", {QStringLiteral("TCP-LISTEN:%1,bind=127.0.0.1,reuseaddr,fork").arg(m_port),
                                "EXEC:/usr/sbin/in.fingerd,nofork"});
        m_ok = m_socat.waitForStarted() && QTest::qWaitFor([this] { return !answer("").isEmpty(); });
    }
    ~FingerDaemon()
    {
        m_socat.terminate();
        m_socat.waitForFinished();
    }
    bool ok() const { return m_ok; }
    quint16 port() const { return m_port; }
    // The daemon's answer to `request`, read by a plain socket.
    QStringList answer(const QString &request) const
    {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, m_port);
        if (!s.waitForConnected(1000))
            return {};
        s.write(request.toLatin1() + "\r\n");
        while (s.waitForReadyRead(5000))
            ;
        return answerLines(s.readAll());
    }

private:
    QProcess m_socat;
    quint16 m_port;
    bool m_ok = false;
};

// Debian's whois client asking `name` at 127.0.0.1:port; what it prints.
inline QStringList whoisClient(quint16 port, const QString &name)
{
    QProcess whois;
    whois.start("whois", {"-h", "127.0.0.1", "-p", QString::number(port), name});
    return whois.waitForFinished(10000) ? answerLines(whois.readAllStandardOutput()) : QStringList{"whois hung"};
}
