// SMTP with STARTTLS, TLS from the first byte and a login, against a real
// server (aiosmtpd) with certificates made here by openssl.
#include "ScriptedServer.h"
#include "SmtpSink.h"
#include "SmtpTestKit.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace SmtpTestKit;

namespace {

const QStringList SuccessEvents = {"Open",     "Prepare",    "Sending", "Progress:100", "Progress:0",
                                   "MailSent", "Progress:0", "Closing", "Closed"};

// The header line `name: ...` of a message text, without its line end.
QString HeaderLine(const QByteArray &text, const char *name)
{
    const QRegularExpression rx(QStringLiteral("(?:^|\\r\\n)(%1: [^\\r\\n]*)\\r\\n").arg(QLatin1String(name)));
    const QByteArray head = text.left(text.indexOf("\r\n\r\n") + 2);
    return rx.match(QString::fromLatin1(head)).captured(1);
}

} // namespace

class TestSmtpTls : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void sendToRealServer_data();
    void sendToRealServer();
    void defaultPortFollowsSecurity_data();
    void defaultPortFollowsSecurity();
    void handshakeEndsOnCancelOrTimeOut_data();
    void handshakeEndsOnCancelOrTimeOut();
    void largeMessageOverStartTls();
    void overlongLoginRefusedBeforeConnecting_data();
    void overlongLoginRefusedBeforeConnecting();

private:
    // Makes a self-signed certificate and key for the names; returns false on failure.
    bool MakeCertificate(const QString &base, const QString &commonName, const QString &altNames);
    // The sink's arguments for a TLS mode ("starttls", "implicit" or "") with the named certificate.
    QStringList TlsOptions(const QString &mode, const QString &cert) const;
    void Trust(bool trusted);

    QTemporaryDir m_dir;
    std::unique_ptr<TmsMessage> m_message;
    std::unique_ptr<TmsSMTP> m_smtp;
    EventLog m_log;
};

bool TestSmtpTls::MakeCertificate(const QString &base, const QString &commonName, const QString &altNames)
{
    QProcess openssl;
    // Without alternative names the host stands only in the subject's common name.
    const QStringList names = altNames.isEmpty() ? QStringList() : QStringList{"-addext", "subjectAltName=" + altNames};
    openssl.start(QStringLiteral("openssl"),
                  QStringList{"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                              "-days", "2", "-subj", "/CN=" + commonName, "-keyout", m_dir.filePath(base + ".key"),
                              "-out", m_dir.filePath(base + ".pem")} +
                      names);
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
        qWarning("openssl: %s", openssl.readAllStandardError().constData());
        return false;
    }
    return true;
}

QStringList TestSmtpTls::TlsOptions(const QString &mode, const QString &cert) const
{
    if (mode.isEmpty())
        return {};
    return {"--tls", mode, "--cert", m_dir.filePath(cert + ".pem"), "--key", m_dir.filePath(cert + ".key")};
}

void TestSmtpTls::Trust(bool trusted)
{
    // OpenSSL reads the system store from these; the test's certificates stand in for it.
    qputenv("SSL_CERT_FILE", QFile::encodeName(m_dir.filePath(trusted ? "trusted.pem" : "empty.pem")));
    qputenv("SSL_CERT_DIR", QFile::encodeName(m_dir.path()));
}

void TestSmtpTls::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(MakeCertificate("good", "localhost", "DNS:localhost,IP:127.0.0.1"));
    QVERIFY(MakeCertificate("other", "other.test", "DNS:other.test"));
    QVERIFY(MakeCertificate("subject", "localhost", ""));
    QFile trusted(m_dir.filePath("trusted.pem"));
    QVERIFY(trusted.open(QIODevice::WriteOnly));
    for (const char *name : {"good.pem", "other.pem", "subject.pem"}) {
        QFile cert(m_dir.filePath(name));
        QVERIFY(cert.open(QIODevice::ReadOnly));
        trusted.write(cert.readAll());
    }
    trusted.close();
    QFile empty(m_dir.filePath("empty.pem"));
    QVERIFY(empty.open(QIODevice::WriteOnly));
}

void TestSmtpTls::init()
{
    Trust(true);
    m_message = std::make_unique<TmsMessage>();
    FillMessage(*m_message);
    m_smtp = std::make_unique<TmsSMTP>();
    m_smtp->SetMailMessage(m_message.get());
    m_smtp->SetTimeOut(30);
    m_log = EventLog();
    m_log.Attach(*m_smtp);
}

void TestSmtpTls::sendToRealServer_data()
{
    QTest::addColumn<QString>("tls");    // how the server speaks TLS: "starttls", "implicit" or not at all
    QTest::addColumn<QString>("cert");   // the server's certificate: "good" (localhost, 127.0.0.1) or "other"
    QTest::addColumn<bool>("trusted");   // whether the certificates are in the store
    QTest::addColumn<QStringList>("serverOptions");
    QTest::addColumn<int>("security");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("failure"); // the error text; empty when the mail must arrive
    QTest::addColumn<QStringList>("logins"); // what the server saw: mechanism, user, encrypted

    const QStringList login = {"--user", "pat", "--password", "s3cret"};
    const int none = int(TSmtpSecurity::None), starttls = int(TSmtpSecurity::StartTls), tls = int(TSmtpSecurity::Tls);
    QTest::newRow("STARTTLS, PLAIN login") << "starttls" << "good" << true << login << starttls << "localhost" << "pat"
                                           << "s3cret" << "" << QStringList{"PLAIN pat 1"};
    QTest::newRow("STARTTLS, LOGIN only") << "starttls" << "good" << true << login + QStringList{"--only-login"}
                                          << starttls << "localhost" << "pat" << "s3cret" << ""
                                          << QStringList{"LOGIN pat 1"};
    QTest::newRow("TLS, login") << "implicit" << "good" << true << login << tls << "127.0.0.1" << "pat" << "s3cret" << ""
                                << QStringList{"PLAIN pat 1"};
    QTest::newRow("TLS, EHLO refused, no login") << "implicit" << "good" << true << QStringList{"--no-ehlo"} << tls
                                                 << "localhost" << "" << "" << "" << QStringList{};
    QTest::newRow("plain login on the loopback") << "" << "" << true << login << none << "127.0.0.1" << "pat"
                                                 << "s3cret" << "" << QStringList{"PLAIN pat 0"};
    QTest::newRow("wrong password") << "starttls" << "good" << true << login << starttls << "localhost" << "pat"
                                    << "guess" << "535 5.7.8 Authentication credentials invalid"
                                    << QStringList{"PLAIN pat 1"};
    QTest::newRow("STARTTLS not offered") << "" << "" << true << login << starttls << "127.0.0.1" << "pat" << "s3cret"
                                          << "The server 127.0.0.1 does not offer STARTTLS, so nothing was sent. "
                                             "Choose another security setting or another server."
                                          << QStringList{};
    QTest::newRow("EHLO refused, STARTTLS wanted") << "starttls" << "good" << true << QStringList{"--no-ehlo"}
                                                   << starttls << "localhost" << "" << "" << "502 5.5.1 EHLO is not spoken here"
                                                   << QStringList{};
    QTest::newRow("certificate for another address") << "implicit" << "other" << true << login << tls << "127.0.0.1"
                                                     << "pat" << "s3cret"
                                                     << "The certificate of 127.0.0.1 was refused: IP address mismatch"
                                                     << QStringList{};
    QTest::newRow("certificate for another name") << "starttls" << "other" << true << login << starttls << "localhost"
                                                  << "pat" << "s3cret"
                                                  << "The certificate of localhost was refused: hostname mismatch"
                                                  << QStringList{};
    QTest::newRow("name only in the certificate's subject") << "starttls" << "subject" << true << login << starttls
                                                            << "localhost" << "pat" << "s3cret"
                                                            << "The certificate of localhost was refused: hostname mismatch"
                                                            << QStringList{};
    QTest::newRow("certificate nobody vouches for") << "implicit" << "good" << false << login << tls << "localhost"
                                                    << "pat" << "s3cret"
                                                    << "The certificate of localhost was refused: self-signed certificate"
                                                    << QStringList{};
}

void TestSmtpTls::sendToRealServer()
{
    QFETCH(QString, tls);
    QFETCH(QString, cert);
    QFETCH(bool, trusted);
    QFETCH(QStringList, serverOptions);
    QFETCH(int, security);
    QFETCH(QString, host);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, failure);
    QFETCH(QStringList, logins);

    SmtpSink sink;
    QVERIFY2(sink.Start(15000, TlsOptions(tls, cert) + serverOptions), qPrintable(sink.ErrorText()));
    Trust(trusted);
    m_smtp->SetServer(QStringLiteral("%1:%2").arg(host).arg(sink.Port()));
    m_smtp->SetSecurity(TSmtpSecurity(security));
    m_smtp->SetUserName(user);
    m_smtp->SetPassword(password);

    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QVERIFY(!m_smtp->Connected());
    QCOMPARE(sink.AuthAttempts(), logins);
    if (!failure.isEmpty()) {
        QCOMPARE(out.type, QStringLiteral("ESocketError"));
        QCOMPARE(out.text, failure);
        QCOMPARE(m_log.Errors(), QStringList{"Error:" + failure});
        QCOMPARE(m_log.events.last(), QStringLiteral("Closed"));
        QVERIFY(!out.text.contains(password) || password.isEmpty());
        QCOMPARE(sink.Messages().size(), 0);
        return;
    }
    QVERIFY2(out.type == QLatin1String("ok"), qPrintable(out.type + ": " + out.text));
    QCOMPARE(m_log.events, SuccessEvents);
    QVERIFY(sink.WaitForMessages(1));
    const SmtpSink::Message got = sink.Messages().at(0);
    QCOMPARE(got.mailFrom, QStringLiteral("me@here.test"));
    QCOMPARE(got.rcptTo, QStringList{"you@there.test"});
    QVERIFY(got.data.endsWith("\r\n\r\nline one\r\nline two\r\n\r\n"));
    QVERIFY(got.data.startsWith("From:     Me <me@here.test>\r\n"));

    // A submission carries the date and an ID, and the message itself is left as it was.
    const QString date = HeaderLine(got.data, "Date");
    const QDateTime sent = QDateTime::fromString(date.mid(6), Qt::RFC2822Date);
    QVERIFY2(sent.isValid(), qPrintable(date));
    QVERIFY(qAbs(sent.secsTo(QDateTime::currentDateTime())) < 600);
    QVERIFY(QRegularExpression(QStringLiteral("^Message-ID: <[0-9a-f]{16}\\.\\d+@here\\.test>$"))
                .match(HeaderLine(got.data, "Message-ID"))
                .hasMatch());
    QCOMPARE(m_message->Headers(), TmsHeaders());
}

void TestSmtpTls::overlongLoginRefusedBeforeConnecting_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<int>("passwordLength");
    QTest::addColumn<int>("lineLength"); // of "AUTH PLAIN ...", CR LF included; 0 when it may be sent
    QTest::newRow("12,285 octets") << "pat" << 9199 << 0;
    QTest::newRow("12,289 octets") << "pat" << 9200 << 12289;
    QTest::newRow("long user name") << QString(9300, QLatin1Char('u')) << 1 << 12417;
}

void TestSmtpTls::overlongLoginRefusedBeforeConnecting()
{
    QFETCH(QString, user);
    QFETCH(int, passwordLength);
    QFETCH(int, lineLength);
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    m_smtp->SetServer(QStringLiteral("127.0.0.1:%1").arg(port));
    m_smtp->SetUserName(user);
    m_smtp->SetPassword(QString(passwordLength, QLatin1Char('p')));
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QCOMPARE(out.type, QStringLiteral("ESocketError"));
    if (lineLength == 0) {
        QCOMPARE(out.text, QStringLiteral("[10061] Connection refused")); // it got as far as connecting
        return;
    }
    QCOMPARE(out.text, QStringLiteral("The user name and password are too long to log in: they make a line of %1 "
                                      "octets, and servers need take no more than 12,288. Nothing was sent.")
                           .arg(lineLength));
    QCOMPARE(m_log.events, QStringList{"Error:" + out.text});
}

void TestSmtpTls::defaultPortFollowsSecurity_data()
{
    QTest::addColumn<int>("security");
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("port");
    QTest::newRow("none") << int(TSmtpSecurity::None) << "127.0.0.1" << 25;
    QTest::newRow("STARTTLS") << int(TSmtpSecurity::StartTls) << "127.0.0.1" << 587;
    QTest::newRow("TLS") << int(TSmtpSecurity::Tls) << "127.0.0.1" << 465;
    QTest::newRow("TLS, port given") << int(TSmtpSecurity::Tls) << "127.0.0.1:2465" << 2465;
}

void TestSmtpTls::defaultPortFollowsSecurity()
{
    QFETCH(int, security);
    QFETCH(QString, server);
    QFETCH(int, port);
    // Connect resolves the address and port and makes the socket, without connecting it.
    m_smtp->SetServer(server);
    m_smtp->SetSecurity(TSmtpSecurity(security));
    const Outcome out = Run([&] { m_smtp->Connect(); });
    QCOMPARE(out.type, QStringLiteral("ok"));
    QCOMPARE(int(m_smtp->Port()), port);
    m_smtp->Disconnect();
}

void TestSmtpTls::handshakeEndsOnCancelOrTimeOut_data()
{
    QTest::addColumn<int>("security");
    QTest::addColumn<int>("timeOut");
    QTest::addColumn<QString>("outcome");
    QTest::newRow("TLS, cancel") << int(TSmtpSecurity::Tls) << 60 << "ECanceledError";
    QTest::newRow("STARTTLS, cancel") << int(TSmtpSecurity::StartTls) << 60 << "ECanceledError";
    QTest::newRow("TLS, time-out") << int(TSmtpSecurity::Tls) << 2 << "ETimedOutError";
}

void TestSmtpTls::handshakeEndsOnCancelOrTimeOut()
{
    QFETCH(int, security);
    QFETCH(int, timeOut);
    QFETCH(QString, outcome);
    // Either peer takes the connection and then never answers the client's hello.
    QTcpServer silent;
    ScriptedServer scripted(QStringLiteral("S: 220 fake.test ready\nC: EHLO %1\nS: 250-fake.test\nS: 250 STARTTLS\n"
                                           "C: STARTTLS\nS: 220 go ahead\nW: 90000\n")
                                .arg(LocalHost()));
    quint16 port = 0;
    if (TSmtpSecurity(security) == TSmtpSecurity::Tls) {
        QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
        port = silent.serverPort();
    } else {
        port = scripted.Start();
    }
    m_smtp->SetServer(QStringLiteral("127.0.0.1:%1").arg(port));
    m_smtp->SetSecurity(TSmtpSecurity(security));
    m_smtp->SetTimeOut(timeOut);
    if (outcome == QLatin1String("ECanceledError"))
        QTimer::singleShot(1500, m_smtp.get(), [this] { m_smtp->Cancel(); });
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QCOMPARE(out.type, outcome);
    QVERIFY(!m_smtp->Connected());
    QVERIFY(!m_log.events.contains(QStringLiteral("Sending")));
    QCOMPARE(scripted.Mismatches(), QStringList());
}

void TestSmtpTls::largeMessageOverStartTls()
{
    SmtpSink sink;
    QVERIFY2(sink.Start(15000, TlsOptions("starttls", "good") + QStringList{"--user", "pat", "--password", "pw"}),
             qPrintable(sink.ErrorText()));
    QStringList body;
    const QString text = QStringLiteral("%1 over TLS, with a dot now and then to keep the stuffing honest .");
    for (qsizetype i = 0, bytes = 0; bytes < 32 * 1024 * 1024; ++i) {
        body << (i % 33 == 0 ? QStringLiteral(".") : QString()) + text.arg(i, 9, 10, QLatin1Char('0'));
        bytes += body.last().size() + 2;
    }
    m_message->SetBody(body);
    m_smtp->SetServer(QStringLiteral("localhost:%1").arg(sink.Port()));
    m_smtp->SetSecurity(TSmtpSecurity::StartTls);
    m_smtp->SetUserName(QStringLiteral("pat"));
    m_smtp->SetPassword(QStringLiteral("pw"));
    m_smtp->SetTimeOut(120);
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QVERIFY2(out.type == QLatin1String("ok"), qPrintable(out.type + ": " + out.text));
    QVERIFY(sink.WaitForMessages(1, 60000));
    const QByteArray got = sink.Messages().at(0).data;
    const QByteArray expected = "\r\n\r\n" + body.join(QStringLiteral("\r\n")).toLatin1() + "\r\n\r\n";
    QVERIFY(got.size() > 32 * 1024 * 1024);
    QVERIFY(got.endsWith(expected));
}

QTEST_GUILESS_MAIN(TestSmtpTls)
#include "tst_smtp_tls.moc"
