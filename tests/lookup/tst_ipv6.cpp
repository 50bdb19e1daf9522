// WHOIS, Finger and mail reaching servers over IPv6: at ::1 itself, at a name
// that has ::1 alone, and at a name whose ::1 never answers while its
// 127.0.0.1 does, where the connection must not wait for the IPv6 attempt.
// Runs in a network of its own whose hosts file names v6only.test and dual.test.
#include "FingerPage.h"
#include "FormHarness.h"
#include "LookUpPeers.h"
#include "RaceConnector.h"
#include "ScriptedServer.h"
#include "SmtpSink.h"
#include "TIPPort.h"
#include "WhoisPage.h"
#include "tests/smtp/SmtpTestKit.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <optional>

using namespace SmtpTestKit;

namespace {

// Every wait, in milliseconds: far longer than a race needs.
constexpr int WaitMs = 10000;

// Whether this kernel has IPv6: a socket can be bound to ::1.
bool ipv6Here()
{
    const int fd = ::socket(AF_INET6, SOCK_STREAM, 0);
    const SockAddr loopback = *SockAddr::FromLiteral(QStringLiteral("::1"));
    const bool ok = fd >= 0 && ::bind(fd, loopback.Data(), loopback.Length()) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

} // namespace

class TestIpv6 : public QObject {
    Q_OBJECT

private slots:
    // The order addresses are raced in: families alternate, the first one's family leads.
    void interleave_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("tried");
        QTest::newRow("IPv6 first") << "::1 ::2 10.0.0.1 10.0.0.2" << "::1 10.0.0.1 ::2 10.0.0.2";
        QTest::newRow("IPv4 first") << "10.0.0.1 ::1 ::2 ::3" << "10.0.0.1 ::1 ::2 ::3";
        QTest::newRow("mixed") << "::1 10.0.0.1 10.0.0.2 ::2 10.0.0.3" << "::1 10.0.0.1 ::2 10.0.0.2 10.0.0.3";
        QTest::newRow("one family") << "10.0.0.2 10.0.0.1" << "10.0.0.2 10.0.0.1";
    }
    void interleave()
    {
        QFETCH(QString, given);
        QFETCH(QString, tried);
        QList<SockAddr> addresses;
        for (const QString &text : given.split(' '))
            addresses << *SockAddr::FromLiteral(text);
        QStringList order;
        for (const SockAddr &a : RaceConnector::Interleave(addresses))
            order << a.Text();
        QCOMPARE(order.join(' '), tried);
    }

    void arrives_data()
    {
        QTest::addColumn<QString>("kind");   // whois, finger or mail
        QTest::addColumn<QString>("host");   // as the setting or the edit names it
        QTest::addColumn<QString>("live");   // where the server listens
        QTest::addColumn<bool>("deadIpv6"); // ::1 at the same port never answers
        for (const QString kind : {"whois", "finger", "mail"}) {
            const QByteArray k = kind.toLatin1();
            QTest::newRow(k + " at [::1]") << kind << "[::1]" << "::1" << false;
            QTest::newRow(k + " at a name of ::1 alone") << kind << "v6only.test" << "::1" << false;
            QTest::newRow(k + " at a name whose IPv6 is dead") << kind << "dual.test" << "127.0.0.1" << true;
        }
    }

    void arrives()
    {
        QFETCH(QString, kind);
        QFETCH(QString, host);
        QFETCH(QString, live);
        QFETCH(bool, deadIpv6);
        if (!ipv6Here())
            QSKIP("no IPv6 here");

        SmtpSink sink;
        ScriptedServer line(kind == "whois" ? "C: example.com\nS: Domain Name: EXAMPLE.COM\nX:"
                                            : "C: someone\nS: Login: someone\nX:");
        quint16 port = 0;
        if (kind == "mail") {
            QVERIFY2(sink.Start(15000, {"--bind", live}), qPrintable(sink.ErrorText()));
            port = sink.Port();
        } else {
            port = line.Start(live, 0);
        }
        QVERIFY(port != 0);
        std::optional<StalledListener> stalled;
        if (deadIpv6) {
            stalled.emplace("::1", port);
            QCOMPARE(stalled->port(), port);
        }
        const QString server = host + ':' + QString::number(port);

        QElapsedTimer clock;
        clock.start();
        QString connectedTo;
        if (kind == "mail") {
            TmsSMTP smtp;
            TmsMessage message;
            FillMessage(message);
            smtp.SetServer(server);
            smtp.SetTimeOut(WaitMs / 1000);
            smtp.SetMailMessage(&message);
            const Outcome out = Run([&] { smtp.SendMail(); });
            QCOMPARE(out.type + out.text, QStringLiteral("ok"));
            QVERIFY(sink.WaitForMessages(1));
            QCOMPARE(sink.Messages().at(0).rcptTo, QStringList{"you@there.test"});
            connectedTo = smtp.RemoteAddress();
        } else {
            ScriptedPrompter prompter;
            QWidget window;
            const LookUpOptions options{port, port, WaitMs, 60000, 120000};
            WhoisPage whois(prompter, options, &window);
            FingerPage finger(prompter, options, &window);
            const bool w = kind == "whois";
            const auto shown = [&] {
                if (w)
                    return whois.mResponse->toPlainText().split('\n');
                QStringList items;
                for (int i = 0; i < finger.lResponse->count(); ++i)
                    items << finger.lResponse->item(i)->text();
                return items;
            };
            whois.setServer(server);
            (w ? whois.tDomain : finger.tHost)->setText(w ? "example.com" : "someone@" + host);
            QTest::mouseClick(w ? whois.bLookUp : finger.fingerlookup, Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(shown().contains(w ? "Domain Name: EXAMPLE.COM" : "Login: someone"), WaitMs * 2);
            QVERIFY2(line.WaitFinished(), qPrintable(line.Log()));
            QCOMPARE(line.Mismatches(), QStringList());
            QCOMPARE(prompter.warnings + prompter.errors, QStringList());
            // IPv6 comes first, as the resolver orders it, and shows in its text form.
            if (!w)
                QVERIFY(shown().contains(QStringLiteral("Connecting to ::1...   Will time out in %1 seconds").arg(WaitMs / 1000)));
            const QWidget &page = w ? static_cast<QWidget &>(whois) : finger;
            connectedTo = page.findChild<TIPPort *>()->RemoteHost();
        }
        QCOMPARE(connectedTo, live);
        // The IPv6 attempt never ends by itself: only a race reaches IPv4 before the wait is over.
        if (deadIpv6)
            QVERIFY2(clock.elapsed() < WaitMs / 2, qPrintable(QString::number(clock.elapsed()) + " ms"));
    }
};

QTEST_MAIN(TestIpv6)
#include "tst_ipv6.moc"
