// The socket library loader: error texts, loading and unloading, and each way
// a load can fail, against the C library and small stand-in libraries.
#include "TIPPort.h"

#include <QSysInfo>
#include <QtTest>

class TestWinsock : public QObject {
    Q_OBJECT
private slots:
    void errorText_data();
    void errorText();
    void freshComponentIsUnloaded();
    void loadsOnceAndReloads();
    void loadFailures_data();
    void loadFailures();
};

void TestWinsock::errorText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0 << "Ok";
    QTest::newRow("first row") << 10004 << "[10004] Interrupted system call.";
    QTest::newRow("refused") << 10061 << "[10061] Connection refused.";
    QTest::newRow("kept typo") << 10066 << "[10066] Directory not empt.";
    QTest::newRow("quote") << 11002 << "[11002] Non-authoritative 'Host not found' (try again or check DNS setup).";
    QTest::newRow("last row") << 11004 << "[11004] Valid name, no data record (check DNS setup).";
    QTest::newRow("unknown") << 12345 << "[12345] (no description available).";
    QTest::newRow("low 16 bits") << 10061 + 65536 << "[10061] Connection refused.";
    QTest::newRow("only high bits") << 65536 << "Ok";
    QTest::newRow("negative") << -1 << "[65535] (no description available).";
}

void TestWinsock::errorText()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(TIPPort::ErrorText(code), text);
}

void TestWinsock::freshComponentIsUnloaded()
{
    TIPPort port;
    QVERIFY(!port.WinsockLoaded());
    QCOMPARE(port.WinsockInfo(), QString());
    QCOMPARE(port.WinsockStatus(), QStringLiteral("Down"));
    // The stubs answer: gethostname fails and WSAGetLastError says why.
    QCOMPARE(port.LocalHost(), QStringLiteral("[10093] Winsock not loaded yet (WSANOTINITIALISED)."));
}

void TestWinsock::loadsOnceAndReloads()
{
    TIPPort port;
    for (int round = 0; round < 2; ++round) {
        port.SetWinsockLoaded(true);
        port.SetWinsockLoaded(true);
        QVERIFY(port.WinsockLoaded());
        QVERIFY2(port.WinsockInfo().contains(QLatin1String("libc.so.6")), qPrintable(port.WinsockInfo()));
        QCOMPARE(port.WinsockStatus(), QStringLiteral("Running"));
        QCOMPARE(port.LocalHost(), QSysInfo::machineHostName());

        port.SetWinsockLoaded(false);
        QVERIFY(!port.WinsockLoaded());
        QCOMPARE(port.WinsockInfo(), QString());
        QCOMPARE(port.WinsockStatus(), QStringLiteral("Down"));
        QVERIFY(port.LocalHost().startsWith(QLatin1String("[10093]")));
    }
}

void TestWinsock::loadFailures_data()
{
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("info");
    QTest::addColumn<QString>("raised");
    QTest::newRow("no such library") << "libzandolet-no-such-library.so.9" << "Could not load Winsock DLL." << "";
    QTest::newRow("no entry points") << ZT_NOSOCKETS << "Failure to get Winsock functions."
                                     << "0: Failure to get Winsock functions.";
    QTest::newRow("start-up refused") << ZT_NONETWORK << "Network subsystem not ready." << "";
}

void TestWinsock::loadFailures()
{
    QFETCH(QString, library);
    QFETCH(QString, info);
    QFETCH(QString, raised);
    TIPPort port;
    port.SetLibraryName(library);
    QString caught;
    try {
        port.SetWinsockLoaded(true);
    } catch (const EIPPort &e) {
        caught = e.Message();
        QCOMPARE(e.ErrorCode, 0);
    }
    QCOMPARE(caught, raised);
    QCOMPARE(port.WinsockInfo(), info);
    QCOMPARE(port.WinsockStatus(), QStringLiteral("Down"));
    QVERIFY(!port.WinsockLoaded());

    // Everything now meets the stubs: the look-up fails quietly and the
    // connect reports the missing address.
    port.SetRemoteHost(QStringLiteral("localhost"));
    QCOMPARE(port.RemoteHost(), QString());
    port.SetRemotePort(43);
    QVERIFY_THROWS_EXCEPTION(EIPPort, port.SetConnected(true));
    QCOMPARE(port.LastErrorText(), QStringLiteral("The RemoteHost address is invalid (0.0.0.0)."));

    // A later request tries again, and the C library works.
    port.SetLibraryName(QStringLiteral("libc.so.6"));
    port.SetWinsockLoaded(true);
    QVERIFY(port.WinsockLoaded());
    QCOMPARE(port.WinsockStatus(), QStringLiteral("Running"));
}

QTEST_GUILESS_MAIN(TestWinsock)
#include "tst_winsock.moc"
