// The mail socket layer: error tables, transparency, progress rounding,
// name and port resolution, line reading, waits, time-out and cancel.
#include "MailErrorText.h"
#include "ScriptedServer.h"
#include "SmtpTestKit.h"
#include "TDotStuffer.h"
#include "WinsockErrno.h"
#include "msmb.h"

#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <netdb.h>

using namespace SmtpTestKit;

namespace {

// The mail base with the protocol reduced to "connect, then read lines".
class ProbeSocket : public TmsMailBase {
public:
    QStringList checked;
    using TagSocket::CloseEvent;
    using TagSocket::Cancelled;
    using TagSocket::HostResolved;
    using TagSocket::ReceiveLine;
    using TagSocket::TimedOut;
    // One line as the protocol reads it; empty when the peer closed first.
    QString ReadLine()
    {
        QString line;
        ReceiveLine(line);
        return line;
    }

protected:
    void CheckReply(const QString &line) override { checked << line; }
    void Login() override { ConnectSocket(); }
    void Logout() override {}
};

quint16 ClosedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

QByteArray StuffInPieces(const QByteArray &text, const QList<int> &cuts)
{
    TDotStuffer stuffer;
    QByteArray all;
    QByteArray piece;
    int from = 0;
    QList<int> ends = cuts;
    ends << text.size();
    for (int end : ends) {
        stuffer.Stuff(text.constData() + from, end - from, piece);
        all += piece;
        from = end;
    }
    return all;
}

} // namespace

class TestMailSocket : public QObject {
    Q_OBJECT

private slots:
    void errorTexts_data();
    void errorTexts();
    void winsockNumbers_data();
    void winsockNumbers();
    void dotStuffing_data();
    void dotStuffing();
    void dotStuffingAcrossPieces();
    void percent_data();
    void percent();

    void portSelection_data();
    void portSelection();
    void serviceNameRequired();
    void hostResolution_data();
    void hostResolution();
    void unknownHost();
    void emptyServer();
    void refusedConnection();

    void lineEnds_data();
    void lineEnds();
    void lineInPieces();
    void overlongLineIsCutAndItsRestDropped();
    void closeBeforeCompleteLine();
    void countdown_data();
    void countdown();
    void cancelDuringWaitEndsLaterWaitsToo();
    void onErrorRewritesSocketErrorsOnly();
};

void TestMailSocket::errorTexts_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("time-out") << 57000 << "Operation timed out";
    QTest::newRow("service") << 57005 << "Service name is required";
    QTest::newRow("recipient") << 57101 << "At least one Recipient, CC or BCC must be entered";
    QTest::newRow("no error") << 10000 << "[0] No Error";
    QTest::newRow("permission, with full stop") << 10013 << "[10013] Permission denied.";
    QTest::newRow("refused") << 10061 << "[10061] Connection refused";
    QTest::newRow("remote path") << 10071 << "[10071] Too many levels of remote in path";
    QTest::newRow("host not found") << 11001 << "[11001] Host not found";
    QTest::newRow("gap in the socket range") << 10072 << "Error #10072";
    QTest::newRow("unused mail code") << 57006 << "Error #57006";
}

void TestMailSocket::errorTexts()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(MailError::Text(code), text);
}

void TestMailSocket::winsockNumbers_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("winsock");
    QTest::newRow("refused") << "errno" << ECONNREFUSED << 10061;
    QTest::newRow("timed out") << "errno" << ETIMEDOUT << 10060;
    QTest::newRow("host unreachable") << "errno" << EHOSTUNREACH << 10065;
    QTest::newRow("net unreachable") << "errno" << ENETUNREACH << 10051;
    QTest::newRow("in progress") << "errno" << EINPROGRESS << 10035;
    QTest::newRow("address in use") << "errno" << EADDRINUSE << 10048;
    QTest::newRow("unknown errno") << "errno" << EDOM << 10022;
    QTest::newRow("eai: no name") << "eai" << EAI_NONAME << 11001;
    QTest::newRow("eai: again") << "eai" << EAI_AGAIN << 11002;
    QTest::newRow("eai: no data") << "eai" << EAI_NODATA << 11004;
}

void TestMailSocket::winsockNumbers()
{
    QFETCH(QString, kind);
    QFETCH(int, value);
    QFETCH(int, winsock);
    if (kind == QLatin1String("errno"))
        QCOMPARE(WinsockErrno::FromErrno(value), winsock);
    else
        QCOMPARE(WinsockErrno::FromAddrInfo(value), winsock);
}

void TestMailSocket::dotStuffing_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("wire");
    QTest::newRow("plain") << QByteArray("a\r\nb\r\n") << QByteArray("a\r\nb\r\n");
    QTest::newRow("first line") << QByteArray(".a\r\n") << QByteArray("..a\r\n");
    QTest::newRow("lone dot") << QByteArray("x\r\n.\r\ny\r\n") << QByteArray("x\r\n..\r\ny\r\n");
    QTest::newRow("two dots") << QByteArray("..\r\n") << QByteArray("...\r\n");
    QTest::newRow("dot inside a line") << QByteArray("a.b\r\n a\r\n") << QByteArray("a.b\r\n a\r\n");
    QTest::newRow("after blank") << QByteArray(" .x\r\n") << QByteArray(" .x\r\n");
    QTest::newRow("consecutive") << QByteArray(".\r\n.\r\n.") << QByteArray("..\r\n..\r\n..");
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestMailSocket::dotStuffing()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, wire);
    QCOMPARE(StuffInPieces(text, {}), wire);
}

void TestMailSocket::dotStuffingAcrossPieces()
{
    const QByteArray text("head\r\n.one\r\n..\r\nmid.dle\r\n.\r\n.x\r\nend\r\n");
    const QByteArray whole = StuffInPieces(text, {});
    QVERIFY(whole.count('.') > text.count('.'));
    for (int a = 0; a <= text.size(); ++a) {
        QCOMPARE(StuffInPieces(text, {a}), whole);
        for (int b = a; b <= text.size(); b += 3)
            QCOMPARE(StuffInPieces(text, {a, b}), whole);
    }
}

void TestMailSocket::percent_data()
{
    QTest::addColumn<qint64>("pos");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("perc");
    QTest::newRow("start") << qint64(0) << qint64(10) << 0;
    QTest::newRow("all") << qint64(2047) << qint64(2047) << 100;
    QTest::newRow("12.5 to even 12") << qint64(1) << qint64(8) << 12;
    QTest::newRow("37.5 to even 38") << qint64(3) << qint64(8) << 38;
    QTest::newRow("0.5 to even 0") << qint64(1) << qint64(200) << 0;
    QTest::newRow("1.5 to even 2") << qint64(3) << qint64(200) << 2;
    QTest::newRow("below half") << qint64(2047) << qint64(4095) << 50;
    QTest::newRow("almost all") << qint64(4094) << qint64(4095) << 100;
    QTest::newRow("large") << qint64(2047) * 16000 << qint64(40000000) << 82;
}

void TestMailSocket::percent()
{
    QFETCH(qint64, pos);
    QFETCH(qint64, size);
    QFETCH(int, perc);
    QCOMPARE(TmsSMTP::Percent(pos, size), perc);
}

void TestMailSocket::portSelection_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("service");
    QTest::addColumn<int>("port");
    QTest::newRow("number after colon") << "127.0.0.1:2525" << "smtp" << 2525;
    QTest::newRow("zero: service") << "127.0.0.1:0" << "smtp" << 25;
    QTest::newRow("not a number: service") << "127.0.0.1:abc" << "smtp" << 25;
    QTest::newRow("empty after colon") << "127.0.0.1:" << "smtp" << 25;
    QTest::newRow("no colon") << "127.0.0.1" << "smtp" << 25;
    QTest::newRow("low 16 bits zero") << "127.0.0.1:65536" << "smtp" << 25;
    QTest::newRow("low 16 bits used") << "127.0.0.1:67061" << "smtp" << 1525;
    QTest::newRow("unknown service: default") << "127.0.0.1:0" << "no-such-service-zz" << 7;
    QTest::newRow("unknown service, no colon") << "127.0.0.1" << "no-such-service-zz" << 7;
    QTest::newRow("IPv6 and port") << "[::1]:2525" << "smtp" << 2525;
    QTest::newRow("IPv6 in brackets") << "[::1]" << "smtp" << 25;
    QTest::newRow("bare IPv6: no port") << "::1" << "smtp" << 25;
    QTest::newRow("IPv6 and a name of a port") << "[::1]:smtp" << "smtp" << 25;
}

void TestMailSocket::portSelection()
{
    QFETCH(QString, server);
    QFETCH(QString, service);
    QFETCH(int, port);
    ProbeSocket probe;
    probe.SetServer(server);
    probe.SetServiceName(service);
    probe.SetDefaultPort(7);
    const Outcome out = Run([&] { probe.Connect(); });
    QCOMPARE(out.type, QStringLiteral("ok"));
    QCOMPARE(int(probe.Port()), port);
    QVERIFY(probe.Connected()); // socket created, not yet connected
}

void TestMailSocket::serviceNameRequired()
{
    ProbeSocket probe;
    EventLog log;
    log.Attach(probe);
    probe.SetServer(QStringLiteral("127.0.0.1"));
    const Outcome out = Run([&] { probe.Connect(); });
    QCOMPARE(out.type, QStringLiteral("ESocketError"));
    QCOMPARE(out.text, QStringLiteral("Service name is required"));
    QCOMPARE(log.events, QStringList({"Open", "Error:Service name is required"}));
}

void TestMailSocket::hostResolution_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<bool>("lookedUp");
    QTest::newRow("dotted address") << "127.0.0.1:25" << false;
    QTest::newRow("name") << "localhost:25" << true;
}

void TestMailSocket::hostResolution()
{
    QFETCH(QString, server);
    QFETCH(bool, lookedUp);
    ProbeSocket probe;
    probe.SetServer(server);
    const Outcome out = Run([&] { probe.Connect(); });
    QCOMPARE(out.type, QStringLiteral("ok"));
    QCOMPARE(probe.HostResolved(), lookedUp);
    // localhost is ::1 as well as 127.0.0.1 where the hosts file says so.
    QVERIFY2(QStringList({"127.0.0.1", "::1"}).contains(probe.RemoteAddress()), qPrintable(probe.RemoteAddress()));
    QVERIFY(!probe.LocalHost().isEmpty());
}

void TestMailSocket::unknownHost()
{
    ProbeSocket probe;
    EventLog log;
    log.Attach(probe);
    probe.SetServer(QStringLiteral("no-such-host.invalid:25"));
    const Outcome out = Run([&] { probe.OpenSession(); });
    QCOMPARE(out.type, QStringLiteral("ESocketError"));
    QCOMPARE(out.text, QStringLiteral("[11001] Host not found"));
    QCOMPARE(log.events, QStringList({"Open", "Error:[11001] Host not found"}));
    QVERIFY(!probe.Connected());
}

void TestMailSocket::emptyServer()
{
    ProbeSocket probe;
    EventLog log;
    log.Attach(probe);
    const Outcome out = Run([&] { probe.OpenSession(); });
    QCOMPARE(out.type, QStringLiteral("ESocketError"));
    QCOMPARE(out.text, QStringLiteral("Server property is required"));
    QCOMPARE(log.events, QStringList({"Open", "Error:Server property is required"}));
}

void TestMailSocket::refusedConnection()
{
    ProbeSocket probe;
    EventLog log;
    log.Attach(probe);
    probe.SetTimeOut(60); // a refusal must not be reported as this time-out
    probe.SetServer(QStringLiteral("127.0.0.1:%1").arg(ClosedPort()));
    const Outcome out = Run([&] { probe.OpenSession(); });
    QCOMPARE(out.type, QStringLiteral("ESocketError"));
    QCOMPARE(out.text, QStringLiteral("[10061] Connection refused"));
    QCOMPARE(log.events, QStringList({"Open", "Error:[10061] Connection refused", "Closing", "Closed"}));
    QVERIFY(!probe.Connected());
}

void TestMailSocket::lineEnds_data()
{
    QTest::addColumn<QString>("sent");
    QTest::addColumn<QString>("line");
    QTest::newRow("CR LF") << "R: abc\\r\\n" << "abc";
    QTest::newRow("LF alone") << "R: abc\\n" << "abc";
    QTest::newRow("CR CR LF") << "R: abc\\r\\r\\n" << "abc";
    QTest::newRow("empty line") << "R: \\r\\n" << "";
    QTest::newRow("inner CR kept") << "R: a\\rb\\r\\n" << "a\rb";
    QTest::newRow("Latin-1 byte") << "R: caf\\xe9\\r\\n" << QString::fromLatin1("caf\xe9");
}

void TestMailSocket::lineEnds()
{
    QFETCH(QString, sent);
    QFETCH(QString, line);
    ScriptedServer server(sent);
    server.Start();
    ProbeSocket probe;
    probe.SetServer(server.Address());
    probe.OpenSession();
    QCOMPARE(probe.ReadLine(), line);
    QCOMPARE(probe.checked, QStringList{line});
}

void TestMailSocket::lineInPieces()
{
    ScriptedServer server(QStringLiteral("R: 22\nW: 300\nR: 0 re\nW: 300\nR: ady\\r\nW: 200\nR: \\n"));
    server.Start();
    ProbeSocket probe;
    probe.SetServer(server.Address());
    probe.OpenSession();
    QCOMPARE(probe.ReadLine(), QStringLiteral("220 ready"));
}

void TestMailSocket::overlongLineIsCutAndItsRestDropped()
{
    ScriptedServer server;
    server.SendRaw("220 " + QByteArray(9996, 'x') + "\r\n");
    server.Load(QStringLiteral("S: next"));
    server.Start();
    ProbeSocket probe;
    probe.SetServer(server.Address());
    probe.OpenSession();
    const QString first = probe.ReadLine();
    QCOMPARE(first.size(), 254); // a line holds 255 bytes with its LF
    QCOMPARE(first, QStringLiteral("220 ") + QString(250, QLatin1Char('x')));
    QCOMPARE(probe.ReadLine(), QStringLiteral("next"));
}

void TestMailSocket::closeBeforeCompleteLine()
{
    ScriptedServer server(QStringLiteral("R: partial\nX:"));
    server.Start();
    ProbeSocket probe;
    probe.SetTimeOut(60);
    probe.SetServer(server.Address());
    probe.OpenSession();
    QString line = QStringLiteral("unchanged");
    QVERIFY(!probe.ReceiveLine(line));
    QCOMPARE(line, QString());
    QVERIFY(probe.checked.isEmpty());
    QVERIFY(probe.CloseEvent());
}

void TestMailSocket::countdown_data()
{
    QTest::addColumn<int>("timeOut");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<bool>("expires");
    QTest::newRow("one second, answer after 2.5 s") << 1 << 2500 << true;
    QTest::newRow("zero never expires") << 0 << 1500 << false;
    QTest::newRow("negative never expires") << -1 << 1500 << false;
}

void TestMailSocket::countdown()
{
    QFETCH(int, timeOut);
    QFETCH(int, delayMs);
    QFETCH(bool, expires);
    ScriptedServer server(QStringLiteral("W: %1\nS: 220 late").arg(delayMs));
    server.Start();
    ProbeSocket probe;
    EventLog log;
    probe.SetServer(server.Address());
    probe.SetTimeOut(timeOut);
    probe.OpenSession();
    log.Attach(probe);
    QString line;
    const Outcome out = Run([&] { line = probe.ReadLine(); });
    if (expires) {
        QCOMPARE(out.type, QStringLiteral("ETimedOutError"));
        QCOMPARE(out.text, QStringLiteral("Operation timed out"));
        QCOMPARE(log.events, QStringList({"Error:Operation timed out", "Closing", "Closed"}));
        QVERIFY(!probe.Connected());
        QVERIFY(probe.TimedOut());
    } else {
        QCOMPARE(out.type, QStringLiteral("ok"));
        QCOMPARE(line, QStringLiteral("220 late"));
        QVERIFY(log.events.isEmpty());
    }
}

void TestMailSocket::cancelDuringWaitEndsLaterWaitsToo()
{
    ScriptedServer server(QStringLiteral("W: 10000\nS: 220 never seen"));
    server.Start();
    ProbeSocket probe;
    EventLog log;
    probe.SetServer(server.Address());
    probe.OpenSession();
    log.Attach(probe);
    QTimer::singleShot(200, &probe, [&] { probe.Cancel(); });
    Outcome out = Run([&] { probe.ReadLine(); });
    QCOMPARE(out.type, QStringLiteral("ECanceledError"));
    QCOMPARE(out.text, QStringLiteral("Operation has been canceled"));
    QCOMPARE(log.events, QStringList({"Cancel", "Closing", "Closed", "Error:Operation has been canceled"}));
    QVERIFY(!probe.Connected());
    // The flag stays until the next ResetState, so the next wait ends at once.
    out = Run([&] { probe.ReadLine(); });
    QCOMPARE(out.type, QStringLiteral("ECanceledError"));
    probe.ResetState();
    QVERIFY(!probe.Cancelled());
}

void TestMailSocket::onErrorRewritesSocketErrorsOnly()
{
    ProbeSocket probe;
    EventLog log;
    log.Attach(probe);
    log.rewrite = [](const QString &msg) { return QStringLiteral("Mail server: ") + msg; };
    probe.SetServer(QStringLiteral("127.0.0.1:%1").arg(ClosedPort()));
    Outcome out = Run([&] { probe.OpenSession(); });
    QCOMPARE(out.type, QStringLiteral("ESocketError"));
    QCOMPARE(out.text, QStringLiteral("Mail server: [10061] Connection refused"));

    ScriptedServer server(QStringLiteral("W: 5000"));
    server.Start();
    probe.ResetState();
    probe.SetServer(server.Address());
    probe.SetTimeOut(1);
    probe.OpenSession();
    out = Run([&] { probe.ReadLine(); });
    QCOMPARE(out.type, QStringLiteral("ETimedOutError"));
    QCOMPARE(out.text, QStringLiteral("Operation timed out"));
    QVERIFY(log.events.contains(QStringLiteral("Error:Operation timed out")));
}

QTEST_GUILESS_MAIN(TestMailSocket)
#include "tst_mailsocket.moc"
