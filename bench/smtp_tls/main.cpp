// Sends a large message over STARTTLS with a login to a local aiosmtpd server,
// with TmsSMTP::SendMail and with curl, and prints the time ratio (goal: at
// most 1.2). Our client checks the server's certificate; curl is told not to.
//
// Usage: bench_smtp_tls [megabytes=32] [rounds=3]
#include "SmtpSink.h"
#include "../common/TimedSend.h"
#include "TmsMessageEncoder.h"
#include "msmsg.h"
#include "mssmtp.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

const char *const User = "bench";
const char *const Password = "bench-password";

bool MakeCertificate(const QTemporaryDir &dir)
{
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-days", "1",
                   "-subj", "/CN=localhost", "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1", "-keyout",
                   dir.filePath("key.pem"), "-out", dir.filePath("cert.pem")});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
        std::printf("openssl failed: %s\n", openssl.readAllStandardError().constData());
        return false;
    }
    return true;
}

void FillMessage(TmsMessage &m, qint64 megabytes)
{
    m.Sender()->SetAddress(QStringLiteral("me@here.test"));
    m.Sender()->SetName(QStringLiteral("Bench"));
    m.Recipients()->AddAddress(QStringLiteral("you@there.test"), QString());
    m.SetSubject(QStringLiteral("Large message over TLS"));
    QStringList body;
    const QString text = QStringLiteral("%1 the quick brown fox jumps over the lazy dog; 0123456789 abcdefghijk");
    for (qint64 i = 0, bytes = 0; bytes < megabytes * 1024 * 1024; ++i) {
        QString line = text.arg(i, 8, 10, QLatin1Char('0'));
        if (i % 40 == 0)
            line.prepend(QLatin1Char('.'));
        body << line.left(78);
        bytes += body.last().size() + 2;
    }
    m.SetBody(body);
}

double SendMailSeconds(TmsMessage &m, quint16 port)
{
    TmsSMTP smtp;
    smtp.SetServer(QStringLiteral("localhost:%1").arg(port));
    smtp.SetSecurity(TSmtpSecurity::StartTls);
    smtp.SetUserName(QLatin1String(User));
    smtp.SetPassword(QLatin1String(Password));
    smtp.SetTimeOut(120);
    smtp.SetMailMessage(&m);
    return TimedSendMail(smtp);
}

double CurlSeconds(const QString &file, quint16 port)
{
    QProcess curl;
    QElapsedTimer clock;
    clock.start();
    curl.start(QStringLiteral("curl"),
               {"--silent", "--show-error", "--ssl-reqd", "-k", "--url", QStringLiteral("smtp://localhost:%1").arg(port),
                "--user", QStringLiteral("%1:%2").arg(QLatin1String(User), QLatin1String(Password)), "--mail-from",
                "me@here.test", "--mail-rcpt", "you@there.test", "--upload-file", file});
    if (!curl.waitForFinished(600000) || curl.exitCode() != 0) {
        std::printf("curl failed: %s\n", curl.readAllStandardError().constData());
        return -1;
    }
    return clock.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto number = [&](int i, int fallback) {
        if (args.size() <= i)
            return fallback;
        bool ok = false;
        const int n = args.at(i).toInt(&ok);
        if (!ok || n <= 0) {
            std::fprintf(stderr, "usage: %s [megabytes=32] [rounds=3]\n", argv[0]);
            std::exit(2);
        }
        return n;
    };
    const qint64 megabytes = number(1, 32);
    const int rounds = number(2, 3);

    QTemporaryDir dir;
    if (!MakeCertificate(dir))
        return 1;
    // The test certificate stands in for the system's store, for our client only.
    qputenv("SSL_CERT_FILE", QFile::encodeName(dir.filePath("cert.pem")));
    SmtpSink sink;
    if (!sink.Start(15000, {"--tls", "starttls", "--cert", dir.filePath("cert.pem"), "--key", dir.filePath("key.pem"),
                            "--user", User, "--password", Password})) {
        std::printf("skipped: %s\n", qPrintable(sink.ErrorText()));
        return 0;
    }

    TmsMessage message;
    FillMessage(message, megabytes);
    const QString file = dir.filePath(QStringLiteral("message.eml"));
    {
        QFile out(file);
        out.open(QIODevice::WriteOnly);
        TmsMessageEncoder(message, out).Encode();
    }
    QList<double> ours;
    QList<double> theirs;
    for (int round = 0; round < rounds; ++round) {
        ours << SendMailSeconds(message, sink.Port());
        theirs << CurlSeconds(file, sink.Port());
        if (!sink.WaitForMessages(2, 60000))
            std::printf("round %d: the server did not store both messages\n", round + 1);
        sink.Clear();
        std::printf("round %d: SendMail %.3f s, curl %.3f s\n", round + 1, ours.last(), theirs.last());
    }
    if (ours.contains(-1) || theirs.contains(-1))
        return 1;
    std::sort(ours.begin(), ours.end());
    std::sort(theirs.begin(), theirs.end());
    const double a = ours.first(), b = theirs.first();
    const double ma = ours.at(ours.size() / 2), mb = theirs.at(theirs.size() / 2);
    std::printf("message of %.1f MB over STARTTLS: SendMail best %.3f s, curl best %.3f s, ratio %.2f; "
                "medians %.3f s / %.3f s, ratio %.2f (goal <= 1.2)\n",
                QFile(file).size() / 1048576.0, a, b, a / b, ma, mb, ma / mb);
    return 0;
}
