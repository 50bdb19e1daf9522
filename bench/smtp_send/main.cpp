// Sends a large message to a local aiosmtpd server and to Postfix's smtp-sink
// with TmsSMTP::SendMail and with curl, and prints the time ratios (goal: at
// most 1.0 against both; aiosmtpd alone is the bottleneck there). Then measures the
// CPU used to refuse a greeting line of 10 MB or one that never ends (goal:
// at most 0.5 s each) and while SendMail waits for a server that never
// answers (goal: under 1% of a core).
//
// Usage: bench_smtp_send [wait-seconds=60] [megabytes=32] [rounds=3]
#include "SmtpSink.h"
#include "../common/TimedSend.h"
#include "TmsMessageEncoder.h"
#include "msmsg.h"
#include "mssmtp.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

double Median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

void FillMessage(TmsMessage &m, qint64 megabytes)
{
    m.Sender()->SetAddress(QStringLiteral("me@here.test"));
    m.Sender()->SetName(QStringLiteral("Bench"));
    m.Recipients()->AddAddress(QStringLiteral("you@there.test"), QString());
    m.SetSubject(QStringLiteral("Large message"));
    QStringList body;
    const qint64 lines = megabytes * 1024 * 1024 / 80;
    body.reserve(lines);
    const QString text = QStringLiteral("%1 the quick brown fox jumps over the lazy dog; 0123456789 abcdefghijk");
    for (qint64 i = 0; i < lines; ++i) {
        // Every 40th line begins with a dot, so transparency is part of the work.
        QString line = text.arg(i, 8, 10, QLatin1Char('0'));
        if (i % 40 == 0)
            line.prepend(QLatin1Char('.'));
        body << line.left(78);
    }
    m.SetBody(body);
}

double SendMailSeconds(TmsMessage &m, const QString &server)
{
    TmsSMTP smtp;
    smtp.SetServer(server);
    smtp.SetMailMessage(&m);
    return TimedSendMail(smtp);
}

double CurlSeconds(const QString &file, quint16 port)
{
    QProcess curl;
    QElapsedTimer clock;
    clock.start();
    curl.start(QStringLiteral("curl"), {QStringLiteral("--silent"), QStringLiteral("--show-error"), QStringLiteral("--url"),
                                       QStringLiteral("smtp://127.0.0.1:%1").arg(port), QStringLiteral("--mail-from"),
                                       QStringLiteral("me@here.test"), QStringLiteral("--mail-rcpt"),
                                       QStringLiteral("you@there.test"), QStringLiteral("--upload-file"), file});
    if (!curl.waitForFinished(600000) || curl.exitCode() != 0) {
        std::printf("curl failed: %s\n", curl.readAllStandardError().constData());
        return -1;
    }
    return clock.nsecsElapsed() / 1e9;
}

// Postfix's smtp-sink on a free loopback port: a server in C that takes mail
// as fast as the clients can send it. Not running when it cannot be started.
class PostfixSink {
public:
    bool Start()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        m_port = probe.serverPort();
        probe.close();
        QStringList args;
        if (::geteuid() == 0)
            args << QStringLiteral("-u") << QStringLiteral("nobody"); // it refuses to run as root otherwise
        args << QStringLiteral("127.0.0.1:%1").arg(m_port) << QStringLiteral("16");
        m_process.start(QStringLiteral("/usr/sbin/smtp-sink"), args);
        if (!m_process.waitForStarted(5000))
            return false;
        for (int i = 0; i < 100; ++i) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, m_port);
            if (socket.waitForConnected(100))
                return true;
            if (m_process.state() != QProcess::Running)
                return false;
            QThread::msleep(20);
        }
        return false;
    }
    ~PostfixSink()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    quint16 Port() const { return m_port; }
    QString Address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

private:
    QProcess m_process;
    quint16 m_port = 0;
};

// Both clients send the same text `rounds` times, turn about; with an
// aiosmtpd sink each pair of stored messages is compared too.
void Throughput(const char *name, const QString &address, quint16 port, SmtpSink *stored, TmsMessage &message,
                const QString &file, int rounds)
{
    const qint64 size = QFile(file).size();
    QList<double> ours;
    QList<double> theirs;
    for (int round = 0; round < rounds; ++round) {
        ours << SendMailSeconds(message, address);
        theirs << CurlSeconds(file, port);
        if (stored) {
            if (!stored->WaitForMessages(2, 60000))
                std::printf("round %d: the server did not store both messages\n", round + 1);
            const QList<SmtpSink::Message> got = stored->Messages();
            if (got.size() == 2 && got.at(0).data.size() != got.at(1).data.size() + 2)
                std::printf("round %d: sizes differ: SendMail %lld, curl %lld bytes\n", round + 1,
                            qint64(got.at(0).data.size()), qint64(got.at(1).data.size()));
            stored->Clear();
        }
        std::printf("%s round %d: SendMail %.3f s, curl %.3f s\n", name, round + 1, ours.last(), theirs.last());
    }
    if (ours.contains(-1) || theirs.contains(-1))
        return;
    const double a = *std::min_element(ours.begin(), ours.end());
    const double b = *std::min_element(theirs.begin(), theirs.end());
    const double ma = Median(ours);
    const double mb = Median(theirs);
    std::printf("%s, message of %.1f MB: SendMail best %.3f s, curl best %.3f s, ratio %.2f; "
                "medians %.3f s / %.3f s, ratio %.2f (goal <= 1.0)\n",
                name, size / 1048576.0, a, b, a / b, ma, mb, ma / mb);
}

void Throughput(qint64 megabytes, int rounds)
{
    TmsMessage message;
    FillMessage(message, megabytes);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("message.eml"));
    {
        QFile out(file);
        out.open(QIODevice::WriteOnly);
        TmsMessageEncoder(message, out).Encode();
    }
    SmtpSink sink;
    if (sink.Start())
        Throughput("aiosmtpd", sink.Address(), sink.Port(), &sink, message, file, rounds);
    else
        std::printf("aiosmtpd: skipped, %s\n", qPrintable(sink.ErrorText()));
    PostfixSink postfix;
    if (postfix.Start())
        Throughput("smtp-sink", postfix.Address(), postfix.Port(), nullptr, message, file, rounds);
    else
        std::printf("smtp-sink: skipped, it did not start (Debian package postfix)\n");
}

// A server in its own process that greets with one 10 MB line, or with a line
// that never ends; prints the CPU SendMail spends until it gives up.
// What one send of an empty message to a local peer came to.
struct Outcome {
    double wall;
    double cpu;
    QString text;
};

Outcome SendEmpty(quint16 port, int timeOut = 0)
{
    TmsMessage message;
    FillMessage(message, 0);
    TmsSMTP smtp;
    smtp.SetServer(QStringLiteral("127.0.0.1:%1").arg(port));
    if (timeOut > 0)
        smtp.SetTimeOut(timeOut);
    smtp.SetMailMessage(&message);
    const double cpu0 = CpuSeconds();
    QElapsedTimer clock;
    clock.start();
    QString text = QStringLiteral("no error");
    try {
        smtp.SendMail();
    } catch (const Exception &e) {
        text = e.Message();
    }
    return {clock.nsecsElapsed() / 1e9, CpuSeconds() - cpu0, text};
}

void HostileLine(bool ends)
{
    const char *script = R"(import socket, sys
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(1)
print(s.getsockname()[1], flush=True)
c, _ = s.accept()
block = b"g" * 65536
try:
    c.sendall(b"220 ")
    for i in range(160 if sys.argv[1] == "ends" else 1 << 30):
        c.sendall(block)
    c.sendall(b"\r\n"); c.recv(1)
except OSError:
    pass
)";
    QProcess server;
    server.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QLatin1String(script), ends ? QStringLiteral("ends") : QStringLiteral("endless")});
    if (!server.waitForReadyRead(10000)) {
        std::printf("hostile line: skipped, no server\n");
        return;
    }
    const Outcome out = SendEmpty(quint16(server.readLine().trimmed().toInt()));
    std::printf("%s: refused after %.3f s, CPU %.3f s (goal <= 0.5 s): %s\n",
                ends ? "greeting of one 10 MB line" : "greeting that never ends", out.wall, out.cpu,
                qPrintable(out.text));
    server.kill();
    server.waitForFinished();
}

void IdleWait(int seconds)
{
    // A listener that never answers: the connection completes in its backlog,
    // and SendMail waits for the greeting until its time-out.
    QTcpServer silent;
    silent.setMaxPendingConnections(1);
    silent.listen(QHostAddress::LocalHost, 0);
    const Outcome out = SendEmpty(silent.serverPort(), seconds);
    std::printf("wait of %.1f s (%s): CPU %.1f ms, %.3f%% of a core (goal < 1%%)\n", out.wall, qPrintable(out.text),
                out.cpu * 1000, 100 * out.cpu / out.wall);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    // A time-out of 0 would wait for ever, so every argument must be a positive number.
    const auto number = [&](int i, int fallback) {
        if (args.size() <= i)
            return fallback;
        bool ok = false;
        const int n = args.at(i).toInt(&ok);
        if (!ok || n <= 0) {
            std::fprintf(stderr, "usage: %s [wait-seconds=60] [megabytes=32] [rounds=3]\n", argv[0]);
            std::exit(2);
        }
        return n;
    };
    const int wait = number(1, 60);
    const qint64 megabytes = number(2, 32);
    const int rounds = number(3, 3);
    Throughput(megabytes, rounds);
    HostileLine(true);
    HostileLine(false);
    IdleWait(wait);
    return 0;
}
