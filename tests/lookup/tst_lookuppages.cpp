// The WhoIs and Finger pages of the real main window against loopback peers:
// scripted WHOIS servers, Debian's whois client and Debian's fingerd.
#include "FormHarness.h"
#include "LookUpPeers.h"
#include "ReplyLimit.h"
#include "ScriptedServer.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include <pwd.h>

namespace {

const QStringList kConnected{"Connected. Waiting for data...", ""};

// A script that expects the query `name`, answers `answer` and closes.
QString answering(const QString &name, const QByteArray &answer)
{
    QString raw = QString::fromLatin1(answer);
    raw.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n");
    return QStringLiteral("C: %1\nR: %2\nX:\n").arg(name, raw);
}

// Sockets this process holds.
int openSockets()
{
    int n = 0;
    for (const QString &fd : QDir("/proc/self/fd").entryList(QDir::System | QDir::NoDotAndDotDot)) {
        char target[64] = {};
        n += ::readlink(qPrintable("/proc/self/fd/" + fd), target, sizeof target - 1) > 0 && !qstrncmp(target, "socket:", 7);
    }
    return n;
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
    // A fresh window whose WhoIs page asks `server` (from the settings) on `port`.
    void newForm(const QString &server, quint16 port, int waitMs = 15000)
    {
        m_form.reset();
        m_prompter = ScriptedPrompter();
        writeBytes(m_work.filePath("z.ini"), "[Setup]\r\nWhoIs Server=" + server.toLatin1() + "\r\n");
        m_form = makeForm(m_work.filePath("z.ini"), m_prompter);
        m_form->lookUpPorts = {port, port, waitMs};
    }
    void lookUp(const char *edit, const QString &text, bool enter = false)
    {
        m_form->setText(edit, text);
        if (enter)
            QTest::keyClick(m_form->control(edit), Qt::Key_Return);
        else
            QTest::mouseClick(m_form->control(qstrcmp(edit, "tDomain") ? "fingerlookup" : "bLookUp"), Qt::LeftButton);
    }

private slots:
    void cleanup() { m_form.reset(); }

    void whoisShowsWhatTheWhoisClientPrints()
    {
        const QString script = answering("example.com", readBytes(ZANDOLET_TEST_DATA "/lookup/registry-answer.txt"));
        ScriptedServer reference(script), server(script);
        const QStringList printed = whoisClient(reference.Start(), "example.com");
        QVERIFY(printed.size() > 10);
        newForm("127.0.0.1", server.Start());
        lookUp("tDomain", "example.com");
        QTRY_COMPARE(response(), kConnected + printed);
        QVERIFY2(server.Mismatches().isEmpty(), qPrintable(server.Log()));

        // Enter looks up as the button does, and the new answer replaces the old.
        ScriptedServer second(answering("example.net", "No match for \"EXAMPLE.NET\".\r\n"));
        m_form->lookUpPorts.whois = second.Start();
        lookUp("tDomain", "example.net", true);
        QTRY_COMPARE(response(), kConnected + QStringList{"No match for \"EXAMPLE.NET\"."});
        QVERIFY2(second.Mismatches().isEmpty(), qPrintable(second.Log()));
        // Nothing to look up: a beep and nothing else.
        lookUp("tDomain", "", true);
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
            << "reset" << kConnected + QStringList{"   Domain Name: EXAMPLE.COM"}
            << QStringList{"E: IPPort error: 10054Winsock error in recv() [10054] Connection reset by peer."};
    }
    void whoisFailures()
    {
        QFETCH(QString, peer);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, boxes);
        StalledListener stalled;
        ScriptedServer resetting("C: example.com\nS:    Domain Name: EXAMPLE.COM\nW: 200\nA:\n");
        if (peer == "refused")
            newForm("127.0.0.1", closedPort());
        else if (peer == "stalled")
            newForm("127.0.0.1", stalled.port(), 300);
        else if (peer == "reset")
            newForm("127.0.0.1", resetting.Start());
        else
            newForm(peer, 43);
        lookUp("tDomain", "example.com");
        QTRY_COMPARE(m_prompter.log, boxes);
        QCOMPARE(response(), lines);
    }

    void whoisReferral_data()
    {
        QTest::addColumn<QString>("line");     // %1: the second server's port
        QTest::addColumn<QString>("second");   // where the second server listens, empty for nowhere
        QTest::addColumn<QStringList>("tail"); // lines after the first answer
        const QStringList answered{"--- 127.0.0.2 ---", "   Registrant: Example Holdings"};
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
        // Without a port in the line, the second server listens on the first one's.
        const quint16 port = closedPort();
        ScriptedServer secondServer(answering("example.com", "   Registrant: Example Holdings\r\n"));
        if (!second.isEmpty())
            QVERIFY(secondServer.Start(second, line.contains("%1") ? 0 : port));
        if (line.contains("%1"))
            line = line.arg(secondServer.Port());
        ScriptedServer first(answering("example.com", "   Domain Name: EXAMPLE.COM\r\n   " + line.toLatin1() + "\r\n"));
        QCOMPARE(first.Start("127.0.0.1", port), port);
        newForm("127.0.0.1", port);
        lookUp("tDomain", "example.com");
        const QStringList expected = kConnected + QStringList{"   Domain Name: EXAMPLE.COM", "   " + line} + tail;
        QTRY_COMPARE(response(), expected);
        QTest::qWait(200); // a second referral or a repeated answer would show by now
        QCOMPARE(response(), expected);
        QVERIFY2(first.Mismatches().isEmpty() && secondServer.Mismatches().isEmpty(),
                 qPrintable(first.Log() + "\n" + secondServer.Log()));
        QVERIFY(m_prompter.log.isEmpty());
    }

    void floodIsCutAndClosed_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("typed");
        QTest::newRow("WhoIs") << "tDomain" << "root";
        QTest::newRow("Finger") << "tHost" << "root@127.0.0.1";
    }
    void floodIsCutAndClosed()
    {
        QFETCH(QString, page);
        QFETCH(QString, typed);
        ScriptedServer flood("C: root\n");
        flood.SendRaw((QByteArray(98, 'x') + "\r\n").repeated(4 * ReplyLimit::MaxBytes / 100));
        newForm("127.0.0.1", flood.Start());
        lookUp(qPrintable(page), typed);
        QTRY_VERIFY2_WITH_TIMEOUT(flood.ClientClosed(), qPrintable(flood.Log()), 20000);
        // The answer up to the bound, then one line that says it was cut.
        const QStringList shown = page == "tDomain" ? response() : items();
        const qsizetype answered = shown.count(QString(98, 'x'));
        QCOMPARE(shown.last(), ReplyLimit::cutText());
        QCOMPARE(shown.size(), answered + 3);
        QVERIFY(answered * 98 <= ReplyLimit::MaxBytes && answered * 100 > ReplyLimit::MaxBytes - 200);
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
        ScriptedServer answering("C: \nS: No one logged on.\nX:\n");
        const quint16 answeringPort = answering.Start();
        const int sockets = openSockets();
        newForm("127.0.0.1", stalled.port());
        QTimer::singleShot(100, m_form.get(), [&] {
            if (close) {
                m_form->close();
                return;
            }
            m_form->lookUpPorts.finger = answeringPort;
            lookUp("tHost", "127.0.0.1", true);
        });
        QElapsedTimer clock;
        clock.start();
        lookUp("tHost", "root@127.0.0.1");
        QVERIFY(clock.elapsed() < 10000); // both waits end long before the first one's 15 seconds
        if (!close) {
            QTRY_COMPARE(items().last(), QStringLiteral("No one logged on."));
            QVERIFY2(answering.Mismatches().isEmpty(), qPrintable(answering.Log()));
        }
        // No socket is left behind, and neither wait ended in a time-out.
        QTRY_COMPARE(openSockets(), sockets);
        QCOMPARE(m_prompter.log, QStringList{});
    }

    void fingerAgainstFingerd()
    {
        FingerDaemon fingerd;
        QVERIFY2(fingerd.ok(), "socat and fingerd are needed (scripts/deps.sh)");
        newForm("127.0.0.1", fingerd.port());
        const passwd *pw = getpwuid(getuid());
        const QString user = QString::fromLocal8Bit(pw->pw_name);
        const QStringList asking{"Requesting 127.0.0.1...", "Connecting to 127.0.0.1...   Will time out in 15 seconds"};
        // Every answer is added below the earlier ones.
        QStringList expected;
        const std::pair<QString, QString> asked[] = {{user + "@127.0.0.1", user}, {"127.0.0.1", ""}, {"@127.0.0.1", ""}};
        for (const auto &[typed, request] : asked) {
            lookUp("tHost", typed, true);
            expected += asking + fingerd.answer(request);
            QTRY_COMPARE(items(), expected);
        }
        QVERIFY(expected.join('\n').contains("Login: " + user));

        // Double-click with nothing selected: nothing happens. On a line: its
        // first word is fingered at the last host.
        auto *list = m_form->control<QListWidget>("lResponse");
        m_form->lResponseDblClick();
        QCOMPARE(items(), expected);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_form->findChild<QTabWidget *>("PageControl1")->setCurrentIndex(4);
        QListWidgetItem *login = list->item(expected.indexOf(QRegularExpression("^Login: .*")));
        list->scrollToItem(login);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(login).center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(login).center());
        QCOMPARE(m_form->text("tHost"), QStringLiteral("Login:@127.0.0.1"));
        expected += asking + fingerd.answer("Login:");
        QTRY_COMPARE(items(), expected);
        // Double-clicking the edit asks the host for its users.
        m_form->setText("tHost", user + "@127.0.0.1");
        QTest::mouseDClick(m_form->control("tHost"), Qt::LeftButton);
        QCOMPARE(m_form->text("tHost"), QStringLiteral("127.0.0.1"));
        expected += asking + fingerd.answer("");
        QTRY_COMPARE(items(), expected);
        // A text ending in "@" leaves no host to ask.
        lookUp("tHost", user + "@", true);
        expected << "Requesting ..." << "Connecting to ...   Will time out in 15 seconds"
                 << "Exception: 102: The RemoteHost address is invalid (0.0.0.0).";
        QCOMPARE(items(), expected);
        QCOMPARE(m_prompter.log, QStringList{});
    }
};

QTEST_MAIN(TestLookUpPages)
#include "tst_lookuppages.moc"
