// The TCP line client against real loopback peers: line cutting, refusals,
// connect and close events, large transfers both ways, and name look-ups.
#include "ScriptedServer.h"
#include "TIPPort.h"

#include <QTcpServer>
#include <QTimer>
#include <QtTest>
#include <arpa/inet.h>
#include <atomic>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using Action = void (*)(TIPPort &);
Q_DECLARE_METATYPE(Action)

namespace {

// What the owner saw, in order: "a+" is a line, "a-" a piece, "<disc 0>" a close.
struct Recorder {
    QStringList events;
    int disconnects = 0;

    void Attach(TIPPort &port)
    {
        port.OnDataIn = [this](QObject *, const QByteArray &text, bool eol) {
            events << QString::fromLatin1(text) + (eol ? u'+' : u'-');
        };
        port.OnDisconnected = [this](QObject *, int code, const QString &) {
            events << QStringLiteral("<disc %1>").arg(code);
            ++disconnects;
        };
    }
};

void Open(TIPPort &port, quint16 remotePort, const QByteArray &eol = "\r\n")
{
    port.SetWinsockLoaded(true);
    port.SetEOL(eol);
    port.SetRemoteHost(QStringLiteral("127.0.0.1"));
    port.SetRemotePort(remotePort);
    port.SetConnected(true);
}

QString Caught(const std::function<void(TIPPort &)> &action, TIPPort &port)
{
    try {
        action(port);
    } catch (const Exception &e) {
        return e.Message();
    }
    return QStringLiteral("(nothing raised)");
}

} // namespace

class TestIPPort : public QObject {
    Q_OBJECT
private slots:
    void cutsLines_data();
    void cutsLines();
    void eolChangeRecutsBufferedBytes();
    void refusals_data();
    void refusals();
    void maxLineLength_data();
    void maxLineLength();
    void idleCloseAndAddresses();
    void copyFromTakesTheSettingsAndHandlers();
    void refusedPortReachesOnConnected();
    void closeFromInsideOnDataIn();
    void burstStaysInOneBuffer();
    void sendsEverythingToASlowReader();
    void resolverFailures_data();
    void resolverFailures();
    void slowLookupLetsEventsRunAndIsCancelled();
    void lookupEndedFromOutsideFails();
    void handlerThatLetsEventsRunMissesNothing();
};

void TestIPPort::cutsLines_data()
{
    QTest::addColumn<QByteArray>("eol");
    QTest::addColumn<int>("maxLine");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("expected");
    const QStringList end{QStringLiteral("<disc 0>")};
    QTest::newRow("held until delimiter") << QByteArray("\r\n") << 2048 << "R: abc\\r\\nde\nW: 150\nR: fg\\r\\n\nX:"
                                          << QStringList{"abc+", "defg+"} + end;
    QTest::newRow("held until close") << QByteArray("\r\n") << 2048 << "R: abc\\r\\nde\nX:"
                                      << QStringList{"abc+", "de-"} + end;
    QTest::newRow("LF keeps CR") << QByteArray("\n") << 2048 << "S: one\nS: two\nX:"
                                 << QStringList{"one\r+", "two\r+"} + end;
    QTest::newRow("empty EOL") << QByteArray() << 2048 << "R: ab\\r\\nc\nW: 150\nR: def\nX:"
                               << QStringList{"ab\r\nc+", "def+"} + end;
    QTest::newRow("split delimiter") << QByteArray("\r\n") << 2048 << "R: abc\\r\nW: 150\nR: \\ndef\\r\\n\nX:"
                                     << QStringList{"abc+", "def+"} + end;
    const QString x255(255, u'x'), y255(255, u'y');
    QTest::newRow("line over capacity")
        << QByteArray("\r\n") << 255 << QStringLiteral("R: %1%2zz\nW: 150\nR: \\r\\n\nX:").arg(x255, y255)
        << QStringList{x255 + u'-', y255 + u'-', "zz+"} + end;
}

void TestIPPort::cutsLines()
{
    QFETCH(QByteArray, eol);
    QFETCH(int, maxLine);
    QFETCH(QString, script);
    QFETCH(QStringList, expected);
    ScriptedServer server(script);
    TIPPort port;
    Recorder seen;
    seen.Attach(port);
    port.SetMaxLineLength(quint32(maxLine));
    Open(port, server.Start(), eol);
    QTRY_COMPARE(seen.disconnects, 1);
    QCOMPARE(seen.events, expected);
    QVERIFY(!port.Connected());
    QVERIFY(!port.Linger());
}

void TestIPPort::eolChangeRecutsBufferedBytes()
{
    ScriptedServer server(QStringLiteral("R: first\\r\\na;b;c\nW: 3000"));
    TIPPort port;
    Recorder seen;
    seen.Attach(port);
    Open(port, server.Start());
    QTRY_COMPARE(seen.events, QStringList{"first+"});
    // No more bytes are coming: only the buffered ones can be cut.
    port.SetEOL(";");
    QTRY_COMPARE(seen.events, (QStringList{"first+", "a+", "b+"}));
    QVERIFY(port.Connected());
}

void TestIPPort::refusals_data()
{
    QTest::addColumn<bool>("open");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("message");
    QTest::newRow("100") << true << Action([](TIPPort &p) { p.SetRemotePort(80); })
                         << "100: You cannot change the RemotePort at this time. A connection is in progress.";
    QTest::newRow("101") << true << Action([](TIPPort &p) { p.SetRemoteHost("10.1.2.3"); })
                         << "101: You cannot change the RemoteHost at this time. A connection is in progress.";
    QTest::newRow("104") << true << Action([](TIPPort &p) { p.SetConnected(true); })
                         << "104: Already connected. If you want to reconnect, close the current connection first.";
    QTest::newRow("106") << true << Action([](TIPPort &p) { p.SetLocalPort(4000); })
                         << "106: You cannot change the LocalPort at this time. A connection is in progress.";
    QTest::newRow("112") << true << Action([](TIPPort &p) { p.SetMaxLineLength(4096); })
                         << "112: You cannot change MaxLineSize at this time. A connection is in progress.";
    QTest::newRow("102") << false << Action([](TIPPort &p) { p.SetRemoteHost(""); p.SetConnected(true); })
                         << "102: The RemoteHost address is invalid (0.0.0.0).";
    QTest::newRow("116") << false << Action([](TIPPort &p) { p.SetRemotePort(0); p.SetConnected(true); })
                         << "116: RemotePort can't be zero. Please specify a valid service port number.";
}

void TestIPPort::refusals()
{
    QFETCH(bool, open);
    QFETCH(Action, action);
    QFETCH(QString, message);
    ScriptedServer server(QStringLiteral("W: 3000"));
    TIPPort port;
    if (open) {
        Open(port, server.Start());
        QTRY_VERIFY(port.Connected());
    } else {
        port.SetWinsockLoaded(true);
        port.SetRemoteHost("127.0.0.1");
        port.SetRemotePort(7);
    }
    const auto state = [&port] {
        return QStringList{port.RemoteHost(), QString::number(port.RemotePort()), QString::number(port.LocalPort()),
                           QString::number(port.MaxLineLength()), QString::number(port.Connected())};
    };
    const QStringList before = state();
    QCOMPARE(Caught(action, port), message);
    QCOMPARE(QString::number(port.LastErrorCode()) + ": " + port.LastErrorText(), message);
    if (open)
        QCOMPARE(state(), before);
}

void TestIPPort::maxLineLength_data()
{
    QTest::addColumn<quint32>("value");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("254") << 254u << false;
    QTest::newRow("255") << 255u << true;
    QTest::newRow("65535") << 65535u << true;
    QTest::newRow("65536") << 65536u << false;
    QTest::newRow("1 MB") << 1048576u << false;
}

void TestIPPort::maxLineLength()
{
    QFETCH(quint32, value);
    QFETCH(bool, accepted);
    TIPPort port;
    QString raised;
    try {
        port.SetMaxLineLength(value);
    } catch (const EIPPort &) {
        QFAIL("refused as a component error");
    } catch (const Exception &e) {
        raised = e.Message();
    }
    QCOMPARE(raised, accepted ? QString() : QStringLiteral("Invalid value"));
    QCOMPARE(port.MaxLineLength(), accepted ? value : 2048u);
}

void TestIPPort::idleCloseAndAddresses()
{
    TIPPort port;
    Recorder seen;
    seen.Attach(port);
    port.SetWinsockLoaded(true);
    port.SetConnected(false);
    QCOMPARE(port.LastErrorCode(), 0);
    QVERIFY(port.Linger());
    port.SetRemoteHost(QStringLiteral("10.1.2.3"));
    QCOMPARE(port.RemoteHost(), QStringLiteral("10.1.2.3"));

    ScriptedServer server(QStringLiteral("W: 3000"));
    Open(port, server.Start());
    QTRY_VERIFY(port.Connected());
    QCOMPARE(port.LocalHost(), QStringLiteral("127.0.0.1"));
    QVERIFY(port.LocalPort() != 0);
    port.SetConnected(false);
    QCOMPARE(seen.events, QStringList{"<disc 0>"});
    QVERIFY(!port.Linger());
    QTRY_VERIFY(server.ClientClosed());
}

// A port set up from another one connects where that one would, cuts lines
// the same way and reports to the same handlers.
void TestIPPort::copyFromTakesTheSettingsAndHandlers()
{
    ScriptedServer server(QStringLiteral("R: one;two;\nX:"));
    TIPPort model;
    Recorder seen;
    seen.Attach(model);
    model.SetWinsockLoaded(true);
    model.SetEOL(";");
    model.SetRemoteHost(QStringLiteral("127.0.0.1"));
    model.SetRemotePort(server.Start());
    TIPPort copy;
    copy.CopyFrom(model);
    copy.SetConnected(true);
    QTRY_COMPARE(seen.disconnects, 1);
    QCOMPARE(seen.events, (QStringList{"one+", "two+", "<disc 0>"}));
    QVERIFY(!model.Connected());
}

void TestIPPort::refusedPortReachesOnConnected()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 closedPort = probe.serverPort();
    probe.close();

    TIPPort port;
    QStringList seen;
    port.OnConnected = [&](QObject *, int code, const QString &text) {
        seen << QStringLiteral("%1 %2 %3").arg(code).arg(text).arg(port.Connected());
    };
    port.OnDisconnected = [&](QObject *, int, const QString &) { seen << "disconnected"; };
    Open(port, closedPort);
    QTRY_COMPARE(seen, QStringList{"10061 [10061] Connection refused. 1"});
    QVERIFY(!port.Connected());
    // The socket is gone: the address may change again.
    port.SetRemotePort(closedPort + 1);
    QCOMPARE(seen.size(), 1);
}

void TestIPPort::closeFromInsideOnDataIn()
{
    ScriptedServer server(QStringLiteral("R: a\\r\\nb\\r\\nc\\r\\ntail\nW: 3000"));
    TIPPort port;
    Recorder seen;
    seen.Attach(port);
    const auto record = port.OnDataIn;
    port.OnDataIn = [&](QObject *sender, const QByteArray &text, bool eol) {
        record(sender, text, eol);
        if (text == "a") {
            port.SetConnected(false);
            QVERIFY(seen.disconnects == 0);
        }
    };
    Open(port, server.Start());
    QTRY_COMPARE(seen.disconnects, 1);
    QCOMPARE(seen.events, (QStringList{"a+", "b+", "c+", "tail-", "<disc 0>"}));
    QTRY_VERIFY(server.ClientClosed());
}

void TestIPPort::burstStaysInOneBuffer()
{
    const QByteArray burst = QByteArray(10 * 1024 * 1024 + 1000, 'q') + "\r\n";
    ScriptedServer server;
    server.SendRaw(burst);
    server.Load(QStringLiteral("X:"));
    TIPPort port;
    QByteArray received;
    int pieces = 0;
    bool oversize = false;
    bool done = false;
    port.OnDataIn = [&](QObject *, const QByteArray &text, bool eol) {
        received += text;
        oversize |= text.size() > 2048 || (!eol && text.size() != 2048);
        ++pieces;
        done = eol;
    };
    Open(port, server.Start());
    QTRY_VERIFY_WITH_TIMEOUT(done, 30000);
    QVERIFY(!oversize);
    QCOMPARE(pieces, 10 * 512 + 1);
    QCOMPARE(received.size(), burst.size() - 2);
    QVERIFY(received == burst.left(burst.size() - 2));
}

void TestIPPort::sendsEverythingToASlowReader()
{
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    QVERIFY(bind(listener, reinterpret_cast<sockaddr *>(&address), length) == 0);
    QVERIFY(listen(listener, 1) == 0);
    QVERIFY(getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) == 0);

    TIPPort port;
    int readyToSend = 0;
    port.OnReadyToSend = [&](QObject *) { ++readyToSend; };
    Open(port, ntohs(address.sin_port));
    QTRY_VERIFY(port.Connected());
    QTRY_COMPARE(readyToSend, 1);
    const int peer = accept(listener, nullptr, nullptr);
    QVERIFY(peer >= 0);

    QByteArray data(8 * 1024 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = char(i * 7 + i / 4093);
    // Nobody reads yet: both halves must be taken without waiting, in order.
    port.SetDataToSend(data.left(data.size() / 2));
    port.SetDataToSend(data.mid(data.size() / 2));
    QCOMPARE(port.LastErrorCode(), 0);

    QByteArray received;
    std::atomic<bool> finished = false;
    std::thread reader([&] {
        char buffer[65536];
        ssize_t n;
        while (received.size() < data.size() && (n = read(peer, buffer, sizeof buffer)) > 0)
            received.append(buffer, n);
        finished = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(finished.load(), 30000);
    reader.join();
    QVERIFY(received == data);
    QTRY_COMPARE(readyToSend, 2);
    close(peer);
    close(listener);
}

void TestIPPort::resolverFailures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("no such name") << "noname.test" << "11001: [11001] Host not found.";
    QTest::newRow("try again") << "again.test"
                               << "11002: [11002] Non-authoritative 'Host not found' (try again or check DNS setup).";
    QTest::newRow("failure") << "fail.test" << "11003: [11003] Non-recoverable errors: FORMERR, REFUSED, NOTIMP.";
    QTest::newRow("no address") << "nodata.test" << "11004: [11004] Valid name, no data record (check DNS setup).";
}

void TestIPPort::resolverFailures()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    TIPPort port;
    port.SetLibraryName(ZT_FAKERESOLVER);
    port.SetWinsockLoaded(true);
    port.SetRemoteHost(QStringLiteral("10.1.2.3"));
    QCOMPARE(Caught([&name](TIPPort &p) { p.SetRemoteHost(name); }, port), message);
    QCOMPARE(port.RemoteHost(), QString());
}

void TestIPPort::slowLookupLetsEventsRunAndIsCancelled()
{
    TIPPort port;
    port.SetLibraryName(ZT_FAKERESOLVER);
    port.SetWinsockLoaded(true);

    // A look-up started while another waits cancels it; the first writer
    // returns interrupted and the second one's answer stands.
    QTimer::singleShot(50, &port, [&port] { port.SetRemoteHost(QStringLiteral("localhost")); });
    QCOMPARE(Caught([](TIPPort &p) { p.SetRemoteHost(QStringLiteral("slow.test")); }, port),
             QStringLiteral("10004: [10004] Interrupted system call."));
    // localhost is ::1 as well as 127.0.0.1 where the hosts file says so.
    QVERIFY2(QStringList({"127.0.0.1", "::1"}).contains(port.RemoteHost()), qPrintable(port.RemoteHost()));

    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(20);
    port.SetRemoteHost(QStringLiteral("slow.test"));
    QCOMPARE(port.RemoteHost(), QStringLiteral("127.0.0.3"));
    QVERIFY(ticks > 0);
}

void TestIPPort::lookupEndedFromOutsideFails()
{
    TIPPort port;
    port.SetLibraryName(ZT_FAKERESOLVER);
    port.SetWinsockLoaded(true);
    // The application quitting ends every event loop, the look-up's wait too.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCOMPARE(Caught([](TIPPort &p) { p.SetRemoteHost(QStringLiteral("slow.test")); }, port),
             QStringLiteral("10004: [10004] Interrupted system call."));
    QCOMPARE(port.RemoteHost(), QString());
}

void TestIPPort::handlerThatLetsEventsRunMissesNothing()
{
    // The handler outlasts the read slice and lets events run meanwhile, when
    // the rest of the answer and the close are already waiting.
    ScriptedServer server(QStringLiteral("S: one\nS: two\nW: 10\nS: three\nX:"));
    TIPPort port;
    Recorder seen;
    seen.Attach(port);
    const auto record = port.OnDataIn;
    port.OnDataIn = [&](QObject *sender, const QByteArray &text, bool eol) {
        record(sender, text, eol);
        if (text == "one") {
            QThread::msleep(60);
            QCoreApplication::processEvents();
        }
    };
    Open(port, server.Start());
    QTRY_COMPARE(seen.disconnects, 1);
    QCOMPARE(seen.events, (QStringList{"one+", "two+", "three+", "<disc 0>"}));
}

QTEST_GUILESS_MAIN(TestIPPort)
#include "tst_ipport.moc"
