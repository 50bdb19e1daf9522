// The WhoIs and Finger pages of the real main window against loopback peers:
// scripted WHOIS servers, Debian's whois client and Debian's fingerd.
#include "FormHarness.h"
#include "LookUpPeers.h"
#include "ReplyLimit.h"
#include "ScriptedServer.h"
#include "TIPPort.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include <pwd.h>

namespace {

// A thin registry record as the registry's server sends it, CR LF line ends,
// trailing blanks and a last line without its line end.
const QByteArray kRegistryAnswer =
    "   Domain Name: EXAMPLE.COM\r\n"
    "   Registry Domain ID: 2336799_DOMAIN_COM-VRSN\r\n"
    "   Registrar WHOIS Server: \r\n"
    "   Registrar URL: http://res-dom.iana.org\r\n"
    "   Updated Date: 2024-08-14T07:01:34Z\r\n"
    "   Creation Date: 1995-08-14T04:00:00Z\r\n"
    "   Registrar: RESERVED-Internet Assigned Numbers Authority\r\n"
    "   Domain Status: clientDeleteProhibited https://icann.org/epp#clientDeleteProhibited\r\n"
    "   Name Server: A.IANA-SERVERS.NET\r\n"
    "   Name Server: B.IANA-SERVERS.NET\r\n"
    "   DNSSEC: signedDelegation\r\n"
    ">>> Last update of whois database: 2024-12-01T10:00:00Z <<<\r\n"
    "\r\n"
    "NOTICE: The expiration date displayed in this record is the date the\r\n"
    "registrar's sponsorship of the domain name registration in the registry is\r\n"
    "currently set to expire.   \r\n"
    "TERMS OF USE: You are not authorized to access or query our Whois";

// A script that expects `name` and answers `answer`, then closes.
QString answering(const QString &name, const QByteArray &answer, const QString &end = QStringLiteral("X:"))
{
    QString escaped = QString::fromLatin1(answer);
    escaped.replace(QLatin1String("\\"), QLatin1String("\\\\")).replace(QLatin1String("\r"), QLatin1String("\\r"));
    escaped.replace(QLatin1String("\n"), QLatin1String("\\n"));
    return QStringLiteral("C: %1\nR: %2\n%3\n").arg(name, escaped, end);
}

// Sockets this process holds.
int openSockets()
{
    int n = 0;
    for (const QString &fd : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::System | QDir::NoDotAndDotDot)) {
        char target[64] = {};
        const QByteArray path = "/proc/self/fd/" + fd.toLatin1();
        n += ::readlink(path.constData(), target, sizeof target - 1) > 0 && qstrncmp(target, "socket:", 7) == 0;
    }
    return n;
}

QString userName()
{
    const passwd *pw = getpwuid(getuid());
    return pw ? QString::fromLocal8Bit(pw->pw_name) : QString();
}

} // namespace

class TestLookUpPages : public QObject {
    Q_OBJECT
    WorkFolder m_work;
    ScriptedPrompter m_prompter;
    std::unique_ptr<TForm1> m_form;

    QStringList response() const { return m_form->control<QPlainTextEdit>("mResponse")->toPlainText().split('\n'); }
    QStringList items() const
    {
        QStringList out;
        auto *list = m_form->control<QListWidget>("lResponse");
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    // A fresh window whose WhoIs page asks `server` on `port`.
    void newForm(const QString &server, quint16 port, int waitMs = 15000)
    {
        m_form.reset();
        m_prompter = ScriptedPrompter();
        writeBytes(m_work.filePath("z.ini"), "[Setup]\r\nWhoIs Server=" + server.toLatin1() + "\r\n");
        m_form = makeForm(m_work.filePath("z.ini"), m_prompter);
        m_form->lookUpPorts.whois = port;
        m_form->lookUpPorts.waitMs = waitMs;
    }
    void lookUp(const QString &name)
    {
        m_form->setText("tDomain", name);
        QTest::mouseClick(m_form->control<QPushButton>("bLookUp"), Qt::LeftButton);
    }

private slots:
    void cleanup() { m_form.reset(); }

    void whoisShowsWhatTheWhoisClientPrints()
    {
        const QString script = answering("example.com", kRegistryAnswer);
        ScriptedServer reference(script);
        const QStringList expected = QStringList{"Connected. Waiting for data...", ""} + whoisClient(reference.Start(), "example.com");
        QVERIFY(reference.Mismatches().isEmpty());
        QVERIFY(expected.size() > 10);

        ScriptedServer server(script);
        newForm("127.0.0.1", server.Start());
        lookUp("example.com");
        QTRY_COMPARE(response(), expected);
        QVERIFY2(server.Mismatches().isEmpty(), qPrintable(server.Log()));

        // Enter looks up as the button does, and the new answer replaces the old.
        ScriptedServer second(answering("example.net", "No match for \"EXAMPLE.NET\".\r\n"));
        m_form->lookUpPorts.whois = second.Start();
        auto *edit = m_form->control<QLineEdit>("tDomain");
        edit->setText("example.net");
        QTest::keyClick(edit, Qt::Key_Return);
        QTRY_COMPARE(response(), (QStringList{"Connected. Waiting for data...", "", "No match for \"EXAMPLE.NET\"."}));
        QCOMPARE(edit->text(), QStringLiteral("example.net"));
        QVERIFY2(second.Mismatches().isEmpty(), qPrintable(second.Log()));

        // Nothing to look up: a beep and nothing else.
        edit->clear();
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(m_prompter.beeps, 1);
        QCOMPARE(response().size(), 3);
        QVERIFY(m_prompter.log.isEmpty());
    }

    void whoisFailures_data()
    {
        QTest::addColumn<QString>("peer");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("unknown server") << "no-such-host.invalid"
                                        << QStringList{"Looking up host no-such-host.invalid...",
                                                       "Exception: 11001: [11001] Host not found."}
                                        << QStringList{};
        // At once: the wait ends with the failure, and no time-out follows.
        QTest::newRow("refused") << "refused" << QStringList{"Connection failed: [10061] Connection refused."}
                                 << QStringList{};
        QTest::newRow("no answer") << "stalled" << QStringList{""} << QStringList{"W: Connection timed out."};
        QTest::newRow("reset mid-answer")
            << "reset" << QStringList{"Connected. Waiting for data...", "", "   Domain Name: EXAMPLE.COM"}
            << QStringList{"E: IPPort error: 10054Winsock error in recv() [10054] Connection reset by peer."};
    }
    void whoisFailures()
    {
        QFETCH(QString, peer);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, boxes);
        StalledListener stalled;
        ScriptedServer resetting(QStringLiteral("C: example.com\nS:    Domain Name: EXAMPLE.COM\nW: 200\nA:\n"));
        if (peer == "refused")
            newForm("127.0.0.1", closedPort());
        else if (peer == "stalled")
            newForm("127.0.0.1", stalled.port(), 300);
        else if (peer == "reset")
            newForm("127.0.0.1", resetting.Start());
        else
            newForm(peer, 43);
        lookUp("example.com");
        QTRY_COMPARE(m_prompter.log, boxes);
        QTRY_COMPARE(response(), lines);
    }

    void whoisReferral_data()
    {
        QTest::addColumn<QString>("line");    // %1: the second server's port
        QTest::addColumn<QString>("second");  // the second server's address, empty for none
        QTest::addColumn<QStringList>("tail"); // lines after the first answer
        const QStringList answered{"--- 127.0.0.2 ---", "   Registrant: Example Holdings", "   Admin: hostmaster@example.com"};
        QTest::newRow("registrar server") << "Registrar WHOIS Server: 127.0.0.2" << "127.0.0.2" << answered;
        QTest::newRow("referral server") << "ReferralServer: whois://127.0.0.2:%1" << "127.0.0.2" << answered;
        QTest::newRow("unreachable") << "Registrar WHOIS Server: 127.0.0.3" << ""
                                     << QStringList{"Referral to 127.0.0.3 failed: [10061] Connection refused."};
        QTest::newRow("back to the same server") << "Registrar WHOIS Server: 127.0.0.1" << "" << QStringList{};
    }
    void whoisReferral()
    {
        QFETCH(QString, line);
        QFETCH(QString, second);
        QFETCH(QStringList, tail);
        const QByteArray registrar = "   Registrant: Example Holdings\r\n   Admin: hostmaster@example.com\r\n";
        ScriptedServer secondServer(answering("example.com", registrar));
        // "Registrar WHOIS Server" gives no port: the second server listens on the first one's.
        const quint16 port = closedPort();
        quint16 secondPort = 0;
        if (!second.isEmpty()) {
            secondPort = secondServer.Start(second, line.contains("%1") ? 0 : port);
            QVERIFY(secondPort);
        }
        if (line.contains("%1"))
            line = line.arg(secondPort);
        const QByteArray first = "   Domain Name: EXAMPLE.COM\r\n   " + line.toLatin1() + "\r\n";
        ScriptedServer firstPlayer(answering("example.com", first));
        QCOMPARE(firstPlayer.Start("127.0.0.1", port), port);
        newForm("127.0.0.1", port);
        lookUp("example.com");
        const QStringList expected = QStringList{"Connected. Waiting for data...", "", "   Domain Name: EXAMPLE.COM",
                                                 "   " + line} + tail;
        QTRY_COMPARE(response(), expected);
        QTest::qWait(200); // a second referral or a repeated answer would show by now
        QCOMPARE(response(), expected);
        QVERIFY2(firstPlayer.Mismatches().isEmpty(), qPrintable(firstPlayer.Log()));
        if (!second.isEmpty())
            QVERIFY2(secondServer.Mismatches().isEmpty(), qPrintable(secondServer.Log()));
        QVERIFY(m_prompter.log.isEmpty());
    }

    void floodIsCutAndClosed_data()
    {
        QTest::addColumn<bool>("whois");
        QTest::newRow("WhoIs") << true;
        QTest::newRow("Finger") << false;
    }
    void floodIsCutAndClosed()
    {
        QFETCH(bool, whois);
        ScriptedServer flood(whois ? "C: example.com\n" : "C: root\n");
        flood.SendRaw((QByteArray(98, 'x') + "\r\n").repeated(4 * ReplyLimit::MaxBytes / 100));
        newForm("127.0.0.1", flood.Start());
        m_form->lookUpPorts.finger = flood.Port();
        if (whois) {
            lookUp("example.com");
        } else {
            m_form->setText("tHost", "root@127.0.0.1");
            QTest::mouseClick(m_form->control<QPushButton>("fingerlookup"), Qt::LeftButton);
        }
        QTRY_VERIFY2_WITH_TIMEOUT(flood.ClientClosed(), qPrintable(flood.Log()), 20000);
        // The answer up to the bound, then one line that says it was cut.
        const QStringList shown = whois ? response() : items();
        const qsizetype answered = shown.count(QString(98, 'x'));
        QCOMPARE(shown.last(), ReplyLimit::cutText());
        QCOMPARE(shown.size(), answered + 3);
        QVERIFY(answered * 98 <= ReplyLimit::MaxBytes);
        QVERIFY(answered * 100 > ReplyLimit::MaxBytes - 200);
    }

    void closingOrANewLookUpEndsAWait_data()
    {
        QTest::addColumn<bool>("close");
        QTest::newRow("window closed") << true;
        QTest::newRow("newer look-up") << false;
    }
    void closingOrANewLookUpEndsAWait()
    {
        QFETCH(bool, close);
        StalledListener stalled;
        ScriptedServer answering(QStringLiteral("C: \nS: No one logged on.\nX:\n"));
        const quint16 answeringPort = answering.Start();
        const int sockets = openSockets();
        newForm("127.0.0.1", 43);
        m_form->lookUpPorts.finger = stalled.port();
        auto *edit = m_form->control<QLineEdit>("tHost");
        edit->setText("root@127.0.0.1");
        QTimer::singleShot(100, m_form.get(), [&] {
            if (close) {
                m_form->close();
                return;
            }
            m_form->lookUpPorts.finger = answeringPort;
            edit->setText("127.0.0.1");
            QTest::keyClick(edit, Qt::Key_Return);
        });
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(m_form->control<QPushButton>("fingerlookup"), Qt::LeftButton);
        // Both waits have ended long before the first one's 15 seconds.
        QVERIFY(clock.elapsed() < 10000);
        if (!close) {
            QTRY_COMPARE(items().last(), QStringLiteral("No one logged on."));
            QVERIFY2(answering.Mismatches().isEmpty(), qPrintable(answering.Log()));
            QCOMPARE(answering.Received(), QStringList{""});
        }
        // No socket is left behind, and neither wait ended in a time-out.
        QTRY_COMPARE(openSockets(), sockets);
        QCOMPARE(m_prompter.log, QStringList{});
    }

    void fingerAgainstFingerd()
    {
        FingerDaemon fingerd;
        QVERIFY2(fingerd.ok(), "socat and fingerd are needed (scripts/deps.sh)");
        newForm("127.0.0.1", 43);
        m_form->lookUpPorts.finger = fingerd.port();
        const QString user = userName();
        const QString requesting = QStringLiteral("Requesting 127.0.0.1...");
        const QString connecting = QStringLiteral("Connecting to 127.0.0.1...   Will time out in 15 seconds");
        const struct {
            QString typed;
            QStringList added;
        } steps[] = {
            {user + "@127.0.0.1", QStringList{requesting, connecting} + fingerd.answer(user)},
            {"127.0.0.1", QStringList{requesting, connecting} + fingerd.answer("")},
            {"@127.0.0.1", QStringList{requesting, connecting} + fingerd.answer("")},
        };
        QStringList expected;
        auto *edit = m_form->control<QLineEdit>("tHost");
        for (const auto &step : steps) {
            edit->setText(step.typed);
            QTest::keyClick(edit, Qt::Key_Return);
            expected += step.added; // the list keeps every earlier answer
            QTRY_COMPARE(items(), expected);
            QCOMPARE(edit->text(), step.typed);
        }
        QVERIFY(expected.join('\n').contains("Login: " + user));

        // Double-click with nothing selected: nothing happens.
        auto *list = m_form->control<QListWidget>("lResponse");
        m_form->lResponseDblClick();
        QCOMPARE(items(), expected);
        // A line's first word is fingered at the last host.
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        QTabWidget *pages = m_form->findChild<QTabWidget *>("PageControl1");
        pages->setCurrentIndex(pages->count() - 1);
        const int row = expected.indexOf(QRegularExpression("^Login: .*"));
        list->scrollToItem(list->item(row));
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(edit->text(), QStringLiteral("Login:@127.0.0.1"));
        expected += QStringList{requesting, connecting} + fingerd.answer("Login:");
        QTRY_COMPARE(items(), expected);
        // Double-clicking the edit asks the host for its users.
        edit->setText(user + "@127.0.0.1");
        QTest::mouseDClick(edit, Qt::LeftButton);
        QCOMPARE(edit->text(), QStringLiteral("127.0.0.1"));
        expected += QStringList{requesting, connecting} + fingerd.answer("");
        QTRY_COMPARE(items(), expected);
        // A text ending in "@" leaves no host to ask.
        edit->setText(user + "@");
        QTest::keyClick(edit, Qt::Key_Return);
        expected += QStringList{"Requesting ...", "Connecting to ...   Will time out in 15 seconds",
                                "Exception: 102: The RemoteHost address is invalid (0.0.0.0)."};
        QCOMPARE(items(), expected);
        QCOMPARE(m_prompter.log, QStringList{});
    }
};

QTEST_MAIN(TestLookUpPages)
#include "tst_lookuppages.moc"
