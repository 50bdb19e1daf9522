// The WhoIs and Finger pages against loopback peers: scripted WHOIS and
// Finger servers, Debian's whois client, Debian's fingerd and an HTTPS server
// for RDAP.
#include "FingerPage.h"
#include "FormHarness.h"
#include "LookUpPeers.h"
#include "RdapServer.h"
#include "ReplyLimit.h"
#include "ScriptedServer.h"
#include "TIPPort.h"
#include "WhoisPage.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>

#include <pwd.h>

namespace {

const QStringList kConnected{"Connected. Waiting for data...", ""};

QString escaped(const QByteArray &bytes)
{
    QString raw = QString::fromLatin1(bytes);
    return raw.replace("\\", "\\\\").replace("\r", "\\r").replace("\n", "\\n");
}

// A script that expects the query `name` (its bytes), answers `answer` and closes.
QString answering(const QByteArray &name, const QByteArray &answer)
{
    return QStringLiteral("C: %1\nR: %2\nX:\n").arg(QString::fromLatin1(name), escaped(answer));
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
    ScriptedPrompter m_prompter;
    RdapServer m_rdap{ZANDOLET_TEST_DATA "/rdap"};
    QTemporaryDir m_cache;
    std::unique_ptr<QWidget> m_window;
    WhoisPage *m_whois = nullptr;
    FingerPage *m_finger = nullptr;

    // Both pages in a plain window; WHOIS asks `server`, both connect to `port`.
    void newPages(const QString &server, quint16 port, int connectWaitMs = 15000, int idleWaitMs = 60000,
                  int lookUpWaitMs = 120000)
    {
        m_window = std::make_unique<QWidget>();
        m_prompter = ScriptedPrompter();
        const LookUpOptions options{port, port, connectWaitMs, idleWaitMs, lookUpWaitMs};
        m_whois = new WhoisPage(m_prompter, options, m_window.get());
        m_finger = new FingerPage(m_prompter, options, m_window.get());
        m_whois->setServer(server);
    }
    bool whois(const QString &page) const { return page == "WhoIs"; }
    QLineEdit *edit(const QString &page) const { return whois(page) ? m_whois->tDomain : m_finger->tHost; }
    QStringList lines(const QString &page) const
    {
        if (whois(page))
            return m_whois->mResponse->toPlainText().split('\n');
        QStringList out;
        for (int i = 0; i < m_finger->lResponse->count(); ++i)
            out << m_finger->lResponse->item(i)->text();
        return out;
    }
    void lookUp(const QString &page, const QString &text, bool enter = false)
    {
        edit(page)->setText(text);
        if (enter)
            QTest::keyClick(edit(page), Qt::Key_Return);
        else
            QTest::mouseClick(whois(page) ? m_whois->bLookUp : m_finger->fingerlookup, Qt::LeftButton);
    }
    // Asks `user` at `host`: the WHOIS server is the host, Finger types user@host.
    void ask(const QString &page, const QString &user, const QString &host = "127.0.0.1", bool enter = false)
    {
        if (whois(page))
            m_whois->setServer(host);
        lookUp(page, whois(page) ? user : user + "@" + host, enter);
    }
    // What a page shows once it is connected, before the answer; Finger
    // announces its wait, in whole seconds.
    static QStringList asking(const QString &page, const QString &host = "127.0.0.1", int waitSeconds = 15)
    {
        if (page == "WhoIs")
            return kConnected;
        return {"Requesting " + host + "...",
                QStringLiteral("Connecting to %1...   Will time out in %2 seconds").arg(host).arg(waitSeconds)};
    }
    static void bothPages()
    {
        QTest::addColumn<QString>("page");
        QTest::newRow("WhoIs") << "WhoIs";
        QTest::newRow("Finger") << "Finger";
    }
    // Typed as an input method commits it: the edit takes any letter.
    static void type(QLineEdit *edit, const QString &text)
    {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QCoreApplication::sendEvent(edit, &commit);
    }

private slots:
    void initTestCase()
    {
        // RDAP's bootstrap copy goes to a folder of the test's own; its server is trusted as the system's are.
        qputenv("XDG_CACHE_HOME", m_cache.path().toLocal8Bit());
        QVERIFY2(m_rdap.Start(), qPrintable(m_rdap.ErrorText()));
        qputenv("SSL_CERT_FILE", m_rdap.AuthorityFile().toLocal8Bit());
    }
    void cleanup() { m_window.reset(); }

    void whoisShowsWhatTheWhoisClientPrints()
    {
        const QString script = answering("example.com", readBytes(ZANDOLET_TEST_DATA "/lookup/registry-answer.txt"));
        ScriptedServer reference(script), server(script);
        const QStringList printed = whoisClient(reference.Start(), "example.com");
        QVERIFY(printed.size() > 10);
        newPages("127.0.0.1", server.Start());
        lookUp("WhoIs", "example.com");
        QTRY_COMPARE(lines("WhoIs"), kConnected + printed);
        QVERIFY2(server.Mismatches().isEmpty(), qPrintable(server.Log()));

        // Enter looks up as the button does, and the new answer replaces the
        // old; the server setting may name a port.
        ScriptedServer second(answering("example.net", "No match for \"EXAMPLE.NET\".\r\n"));
        second.Start();
        m_whois->setServer(second.Address());
        QCOMPARE(m_whois->bLookUp->toolTip(), "Searches " + second.Address() + " for the name you entered to the left.");
        lookUp("WhoIs", "example.net", true);
        QTRY_COMPARE(lines("WhoIs"), kConnected + QStringList{"No match for \"EXAMPLE.NET\"."});
        QVERIFY2(second.Mismatches().isEmpty(), qPrintable(second.Log()));
        // Nothing to look up: a beep and nothing else.
        lookUp("WhoIs", "", true);
        QCOMPARE(m_prompter.beeps, 1);
        QCOMPARE(lines("WhoIs").size(), 3);
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
            newPages("127.0.0.1", closedPort());
        else if (peer == "stalled")
            newPages("127.0.0.1", stalled.port(), 300);
        else if (peer == "reset")
            newPages("127.0.0.1", resetting.Start());
        else
            newPages(peer, 43);
        lookUp("WhoIs", "example.com");
        QTRY_COMPARE(m_prompter.log, boxes);
        QTRY_COMPARE(this->lines("WhoIs"), lines);
    }

    // Servers 127.0.0.1 to .3 on one port; .4 refuses.
    void whoisReferrals_data()
    {
        QTest::addColumn<QStringList>("answers"); // of .1, .2 and .3; %1 is the port
        QTest::addColumn<QStringList>("shown");   // after the first answer
        const QString two = "--- 127.0.0.2 ---", three = "--- 127.0.0.3 ---";
        QTest::newRow("registrar server") << QStringList{"Registrar WHOIS Server: 127.0.0.2", "Registrant: B", ""}
                                          << QStringList{two, "Registrant: B"};
        QTest::newRow("referral server") << QStringList{"ReferralServer: whois://127.0.0.2:%1/", "Registrant: B", ""}
                                         << QStringList{two, "Registrant: B"};
        QTest::newRow("IANA refer") << QStringList{"refer:        127.0.0.2", "Registrant: B", ""}
                                    << QStringList{two, "Registrant: B"};
        QTest::newRow("IANA whois, then the registrar")
            << QStringList{"whois:        127.0.0.2", "Registrar WHOIS Server: 127.0.0.3", "Registrant: C"}
            << QStringList{two, "Registrar WHOIS Server: 127.0.0.3", three, "Registrant: C"};
        QTest::newRow("no third referral")
            << QStringList{"refer: 127.0.0.2", "refer: 127.0.0.3", "refer: 127.0.0.4"}
            << QStringList{two, "refer: 127.0.0.3", three, "refer: 127.0.0.4"};
        QTest::newRow("back to the first under another name")
            << QStringList{"refer: 127.0.0.2", "Registrar WHOIS Server: localhost", ""}
            << QStringList{two, "Registrar WHOIS Server: localhost"};
        QTest::newRow("same server") << QStringList{"Registrar WHOIS Server: 127.0.0.1", "", ""} << QStringList{};
        QTest::newRow("in pieces of a long line")
            << QStringList{"whois: 127.0.0.2" + QString(2032, ' ') + "whois: 127.0.0.3", "", ""} << QStringList{};
        QTest::newRow("unreachable") << QStringList{"Registrar WHOIS Server: 127.0.0.4", "", ""}
                                     << QStringList{"Referral to 127.0.0.4 failed: [10061] Connection refused."};
    }
    void whoisReferrals()
    {
        QFETCH(QStringList, answers);
        QFETCH(QStringList, shown);
        const quint16 port = closedPort();
        std::vector<std::unique_ptr<ScriptedServer>> servers;
        for (int i = 0; i < 3; ++i) {
            const QByteArray line = answers[i].arg(port).toLatin1();
            servers.push_back(std::make_unique<ScriptedServer>(answering("example.com", line + "\r\n")));
            QCOMPARE(servers.back()->Start(QStringLiteral("127.0.0.%1").arg(i + 1), port), port);
        }
        newPages("127.0.0.1", port);
        lookUp("WhoIs", "example.com");
        // A line arrives in pieces of 2,048 bytes.
        QStringList first;
        for (qsizetype at = 0; at < answers[0].arg(port).size(); at += 2048)
            first << answers[0].arg(port).mid(at, 2048);
        const QStringList expected = kConnected + first + shown;
        QTRY_COMPARE(lines("WhoIs"), expected);
        QTRY_VERIFY(!m_whois->running());
        QTest::qWait(100); // a further referral or a repeated answer would show by now
        QCOMPARE(lines("WhoIs"), expected);
        for (const auto &s : servers)
            QVERIFY2(s->Mismatches().isEmpty(), qPrintable(s->Log()));
        QVERIFY(m_prompter.log.isEmpty());
    }

    void answersAsShown_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QStringList>("shown");
        for (const QString page : {"WhoIs", "Finger"}) {
            QTest::addRow("%s UTF-8", qPrintable(page)) << page << QByteArray("M\xc3\xbcller GmbH\r\n\xe6\x9d\xb1\xe4\xba\xac\r\n")
                                                        << QStringList{"Müller GmbH", "東京"};
            QTest::addRow("%s Latin-1", qPrintable(page)) << page << QByteArray("M\xfcller GmbH\r\n") << QStringList{"Müller GmbH"};
            QTest::addRow("%s LF only", qPrintable(page)) << page << QByteArray("Login: root\nName: root\n")
                                                          << QStringList{"Login: root", "Name: root"};
            QTest::addRow("%s bidi and control characters", qPrintable(page))
                << page << QString("\u202Emoc.elgoog \u2066a\u2069\u200E\u200F\u202A\x1b[2J\x07\u0085\x7f\ta\r\n").toUtf8()
                << QStringList{"\\u202Emoc.elgoog \\u2066a\\u2069\\u200E\\u200F\\u202A\\u001B[2J\\u0007\\u0085\\u007F\ta"};
            QTest::addRow("%s nothing", qPrintable(page)) << page << QByteArray() << QStringList{"The server sent nothing."};
        }
    }
    void answersAsShown()
    {
        QFETCH(QString, page);
        QFETCH(QByteArray, answer);
        QFETCH(QStringList, shown);
        ScriptedServer server(answering("root", answer));
        newPages("127.0.0.1", server.Start());
        ask(page, "root");
        QTRY_COMPARE(lines(page), asking(page) + shown);
        QVERIFY2(server.Mismatches().isEmpty(), qPrintable(server.Log()));
    }

    void queriesAsTyped_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("IDN") << "WhoIs" << "müller.de" << QByteArray("xn--mller-kva.de");
        QTest::newRow("IDN, ASCII labels kept") << "WhoIs" << "例え.JP" << QByteArray("xn--r8jz45g.JP");
        QTest::newRow("ideographic full stop") << "WhoIs" << "müller\u3002de" << QByteArray("xn--mller-kva.de");
        QTest::newRow("full-width and half-width stops") << "WhoIs" << "www\uFF0Emüller\uFF61de" << QByteArray("www.xn--mller-kva.de");
        QTest::newRow("contact") << "WhoIs" << "Müller GmbH" << QByteArray("M\xc3\xbcller GmbH");
        QTest::newRow("Finger user") << "Finger" << "jörg@127.0.0.1" << QByteArray("j\xc3\xb6rg");
    }
    void queriesAsTyped()
    {
        QFETCH(QString, page);
        QFETCH(QString, typed);
        QFETCH(QByteArray, sent);
        ScriptedServer server(answering(sent, "ok\r\n"));
        newPages("127.0.0.1", server.Start());
        type(edit(page), typed);
        QCOMPARE(edit(page)->text(), typed);
        QTest::keyClick(edit(page), Qt::Key_Return);
        QTRY_COMPARE(lines(page), asking(page) + QStringList{"ok"});
        QVERIFY2(server.Mismatches().isEmpty(), qPrintable(server.Log()));
    }

    // A connection attempt that never completes: the time-out ends it, and
    // the next look-up is answered.
    void lookUpAfterATimeOut_data() { bothPages(); }
    void lookUpAfterATimeOut()
    {
        QFETCH(QString, page);
        StalledListener stalled;
        ScriptedServer second(answering("root", "answered\r\n"));
        QVERIFY(second.Start("127.0.0.2", stalled.port()));
        newPages("127.0.0.1", stalled.port(), 300);
        const int sockets = openSockets();
        ask(page, "root");
        QTRY_COMPARE(m_prompter.warnings, QStringList{"Connection timed out."});
        QCOMPARE(lines(page), whois(page) ? QStringList{""} : QStringList{});
        QCOMPARE(openSockets(), sockets);
        ask(page, "root", "127.0.0.2");
        QTRY_COMPARE(lines(page), asking(page, "127.0.0.2", 1) + QStringList{"answered"});
        QVERIFY2(second.Mismatches().isEmpty(), qPrintable(second.Log()));
    }

    // A newer look-up ends the older one wherever it is, and nothing of the
    // older one shows afterwards. 127.0.0.5 never completes a connection.
    void newerLookUpSupersedes_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("host");   // asked first
        QTest::addColumn<QString>("script"); // of 127.0.0.3
        QTest::addColumn<QString>("shown");  // the line that shows the first look-up under way
        QTest::newRow("WhoIs connecting") << "WhoIs" << "127.0.0.5" << "" << "Connecting to 127.0.0.5 ...";
        QTest::newRow("Finger connecting") << "Finger" << "127.0.0.5" << ""
                                           << "Connecting to 127.0.0.5...   Will time out in 15 seconds";
        QTest::newRow("WhoIs resolving") << "WhoIs" << "slow.test" << "" << "Looking up host slow.test...";
        QTest::newRow("Finger resolving") << "Finger" << "slow.test" << "" << "Requesting slow.test...";
        QTest::newRow("WhoIs referral connecting")
            << "WhoIs" << "127.0.0.3" << "C: root\nS: refer: 127.0.0.5\nX:" << "refer: 127.0.0.5";
        QTest::newRow("WhoIs reading") << "WhoIs" << "127.0.0.3" << "C: root\nS: one\nW: 3000" << "one";
        QTest::newRow("Finger reading") << "Finger" << "127.0.0.3" << "C: root\nS: one\nW: 3000" << "one";
    }
    void newerLookUpSupersedes()
    {
        QFETCH(QString, page);
        QFETCH(QString, host);
        QFETCH(QString, script);
        QFETCH(QString, shown);
        const quint16 port = closedPort();
        StalledListener stalled("127.0.0.5", port);
        ScriptedServer first(script), second(answering("admin", "answered\r\n"));
        QVERIFY(second.Start("127.0.0.2", port));
        if (!script.isEmpty())
            QVERIFY(first.Start("127.0.0.3", port));
        newPages(host, port);
        for (TIPPort *p : {m_whois->IPPort1, m_finger->IPPort2})
            p->SetLibraryName(ZT_FAKERESOLVER);
        // The second look-up starts once the first one shows it is under way,
        // while its resolve may still run below.
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (!lines(page).contains(shown))
                return;
            watch.stop();
            QTimer::singleShot(100, this, [&] { ask(page, "admin", "127.0.0.2", true); });
        });
        watch.start(10);
        ask(page, "root", host);
        QTRY_COMPARE(lines(page).last(), QStringLiteral("answered"));
        QTest::qWait(600); // the slow resolve has ended by now
        const QStringList now = lines(page);
        const QStringList answered = asking(page, "127.0.0.2") + QStringList{"answered"};
        QCOMPARE(now.mid(now.lastIndexOf(answered.first())), answered);
        QVERIFY2(!now.join('\n').contains("failed") && !now.join('\n').contains("Exception"), qPrintable(now.join('\n')));
        QCOMPARE(m_prompter.log, QStringList{});
        QVERIFY2(second.Mismatches().isEmpty(), qPrintable(second.Log()));
    }

    // Escape, a second click, or a server that falls silent end a look-up at
    // once, close the connection and say so.
    void lookUpEnds_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("said");
        for (const QString page : {"WhoIs", "Finger"}) {
            QTest::addRow("%s Escape", qPrintable(page)) << page << "Escape" << LookUpPage::stoppedText();
            QTest::addRow("%s second click", qPrintable(page)) << page << "click" << LookUpPage::stoppedText();
            QTest::addRow("%s silent server", qPrintable(page)) << page << "wait" << LookUpPage::noAnswerText();
            QTest::addRow("%s dripping server", qPrintable(page)) << page << "drip" << LookUpPage::tooLongText(1000);
        }
    }
    void lookUpEnds()
    {
        QFETCH(QString, page);
        QFETCH(QString, how);
        QFETCH(QString, said);
        // The drip sends a line well within the wait for the next byte, for longer than a look-up may last.
        ScriptedServer slow("C: root\nS: one\n" + QString(how == "drip" ? "W: 100\nS: .\n" : "W: 5000").repeated(how == "drip" ? 50 : 1));
        newPages("127.0.0.1", slow.Start(), 15000, how == "wait" || how == "drip" ? 300 : 60000, how == "drip" ? 1000 : 120000);
        ask(page, "root");
        QTRY_VERIFY(lines(page).contains("one"));
        if (how == "Escape") {
            // As the main window has one: Escape ends a send there.
            QShortcut windowEscape(Qt::Key_Escape, m_window.get());
            m_window->show();
            QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
            edit(page)->setFocus();
            QTest::keyClick(m_window->windowHandle(), Qt::Key_Escape);
        }
        else if (how == "click")
            QTest::mouseClick(whois(page) ? m_whois->bLookUp : m_finger->fingerlookup, Qt::LeftButton);
        QTRY_COMPARE(lines(page).filter(QRegularExpression("^(?!\\.$)")), asking(page) + (QStringList{"one", said}));
        QTRY_VERIFY(slow.ClientClosed());
    }

    void floodIsCutAndClosed_data() { bothPages(); }
    void floodIsCutAndClosed()
    {
        QFETCH(QString, page);
        const quint16 port = closedPort();
        newPages("127.0.0.1", port);
        // Finger keeps earlier answers: a second flood pushes the oldest entries out.
        for (const QString host : {"127.0.0.1", "127.0.0.2"}) {
            ScriptedServer flood("C: root\n");
            flood.SendRaw((QByteArray(98, 'x') + "\r\n").repeated(4 * ReplyLimit::MaxBytes / 100));
            QVERIFY(flood.Start(host, port));
            ask(page, "root", host);
            QTRY_VERIFY2_WITH_TIMEOUT(flood.ClientClosed(), qPrintable(flood.Log()), 20000);
            QTRY_COMPARE(lines(page).last(), ReplyLimit::cutText());
            if (whois(page) || host != "127.0.0.1")
                break;
            // The answer up to the bound, then one line that says it was cut.
            const QStringList shown = lines(page);
            const qsizetype answered = shown.count(QString(98, 'x'));
            QCOMPARE(shown.size(), answered + 3);
            QVERIFY(answered * 98 <= ReplyLimit::MaxBytes && answered * 100 > ReplyLimit::MaxBytes - 200);
        }
        if (!whois(page))
            QCOMPARE(m_finger->lResponse->count(), FingerPage::MaxItems);
    }

    void closingTheWindowEndsALookUp()
    {
        WorkFolder work;
        StalledListener stalled;
        writeBytes(work.filePath("z.ini"), QStringLiteral("[Setup]\r\nWhoIs Server=127.0.0.1:%1\r\n").arg(stalled.port()).toLatin1());
        const int sockets = openSockets();
        auto form = makeForm(work.filePath("z.ini"), m_prompter);
        auto *page = form->findChild<WhoisPage *>();
        page->tDomain->setText("example.com");
        page->bLookUp->click();
        QVERIFY(page->running());
        form->close();
        QVERIFY(!page->running());
        QCOMPARE(openSockets(), sockets);
        QCOMPARE(m_prompter.log, QStringList{});
    }

    // With RDAP the page shows the look-up's steps and records, and ends it
    // as it ends a WHOIS look-up. example.slow is never answered.
    void whoisOverRdap_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("then"); // an Escape, a second click, or a newer name
        QTest::addColumn<QStringList>("shown");
        const QString data = ZANDOLET_TEST_DATA "/rdap/";
        const QStringList asking{"Looking up the RDAP service for .com...", "Asking 127.0.0.1..."};
        const QStringList slow{"Looking up the RDAP service for .slow...", "Asking 127.0.0.1..."};
        QTest::newRow("answer") << "example.com" << ""
                                << asking + QStringList{""} + textLines(data + "registry/example.com.expected") +
                                       QStringList{"", "--- 127.0.0.1 ---"} + textLines(data + "registrar/example.com.expected");
        QTest::newRow("bidi controls") << "bidi.com" << ""
                                       << asking + QStringList{"", "Domain Name: bidi.com", "Unicode Name: \\u202Emoc.elgoog",
                                                               "Status: active\\u200F"};
        QTest::newRow("no match") << "nosuch.com" << "" << asking + QStringList{"No match for nosuch.com."};
        QTest::newRow("registrar's record missing")
            << "orphan.com" << ""
            << asking + QStringList{""} + textLines(data + "registry/orphan.com.expected") +
                   QStringList{"The registrar's record could not be fetched: 404"};
        QTest::newRow("Escape") << "example.slow" << "Escape" << slow + QStringList{LookUpPage::stoppedText()};
        QTest::newRow("second click") << "example.slow" << "click" << slow + QStringList{LookUpPage::stoppedText()};
        QTest::newRow("newer look-up") << "example.slow" << "nosuch.com" << asking + QStringList{"No match for nosuch.com."};
    }
    void whoisOverRdap()
    {
        QFETCH(QString, name);
        QFETCH(QString, then);
        QFETCH(QStringList, shown);
        newPages("127.0.0.1", closedPort(), 15000, 10000);
        LookUpSettings rdap;
        rdap.protocol = LookUpSettings::Protocol::Rdap;
        rdap.rdapBootstrap = m_rdap.Url("/dns.json");
        m_whois->setLookUp(rdap);
        QCOMPARE(m_whois->bLookUp->toolTip(), "Searches RDAP for the name you entered to the left.");
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        const int sockets = openSockets();
        lookUp("WhoIs", name, true);
        if (!then.isEmpty()) {
            QTRY_COMPARE(lines("WhoIs").last(), QStringLiteral("Asking 127.0.0.1..."));
            if (then == "Escape")
                QTest::keyClick(m_window->windowHandle(), Qt::Key_Escape);
            else if (then == "click")
                QTest::mouseClick(m_whois->bLookUp, Qt::LeftButton);
            else
                lookUp("WhoIs", then, true);
        }
        QTRY_VERIFY(!m_whois->running());
        QTest::qWait(200); // nothing of an ended look-up shows later
        QCOMPARE(lines("WhoIs"), shown);
        QTRY_COMPARE(openSockets(), sockets);
        QVERIFY(m_prompter.log.isEmpty());
    }

    // A login line that names its own host: double-clicking it fingers the
    // user there (a plain login, at the host asked: fingerAgainstFingerd).
    void fingerDoubleClickOnLoginWithHost()
    {
        const QString line = "Login: root@127.0.0.9", asked = "root@127.0.0.9";
        const quint16 port = closedPort();
        ScriptedServer first(answering("root", line.toLatin1() + "\r\n")), second(answering("root", "answered\r\n"));
        QVERIFY(first.Start("127.0.0.7", port));
        QVERIFY(second.Start(asked.section('@', 1), port));
        newPages("127.0.0.1", port);
        ask("Finger", "root", "127.0.0.7");
        QTRY_COMPARE(lines("Finger").last(), line);
        QTRY_VERIFY(!m_finger->running());
        m_finger->lResponse->setCurrentRow(m_finger->lResponse->count() - 1);
        m_finger->lResponseDblClick();
        QCOMPARE(m_finger->tHost->text(), asked);
        QTRY_COMPARE(lines("Finger").last(), QStringLiteral("answered"));
        QVERIFY2(second.Mismatches().isEmpty(), qPrintable(second.Log()));
    }

    void fingerAgainstFingerd()
    {
        FingerDaemon fingerd;
        QVERIFY2(fingerd.ok(), "socat and fingerd are needed (scripts/deps.sh)");
        newPages("127.0.0.1", fingerd.port());
        const passwd *pw = getpwuid(getuid());
        const QString user = QString::fromLocal8Bit(pw->pw_name);
        // Every answer is added below the earlier ones.
        QStringList expected;
        const std::pair<QString, QString> asked[] = {{user + "@127.0.0.1", user}, {"127.0.0.1", ""}, {"@127.0.0.1", ""}};
        for (const auto &[typed, request] : asked) {
            lookUp("Finger", typed, true);
            expected += asking("Finger") + fingerd.answer(request);
            QTRY_COMPARE(lines("Finger"), expected);
        }
        QVERIFY(expected.join('\n').contains("Login: " + user));

        // Double-click with nothing selected: nothing happens. On a "Login:"
        // line: that user is fingered at the last host.
        QListWidget *list = m_finger->lResponse;
        m_finger->lResponseDblClick();
        QCOMPARE(lines("Finger"), expected);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QListWidgetItem *login = list->item(expected.indexOf(QRegularExpression("^Login: .*")));
        list->scrollToItem(login);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(login).center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(login).center());
        QCOMPARE(m_finger->tHost->text(), user + "@127.0.0.1");
        expected += asking("Finger") + fingerd.answer(user);
        QTRY_COMPARE(lines("Finger"), expected);
        // Double-clicking the edit asks the host for its users.
        QTest::mouseDClick(m_finger->tHost, Qt::LeftButton);
        QCOMPARE(m_finger->tHost->text(), QStringLiteral("127.0.0.1"));
        expected += asking("Finger") + fingerd.answer("");
        QTRY_COMPARE(lines("Finger"), expected);
        // A text ending in "@" leaves no host to ask.
        lookUp("Finger", user + "@", true);
        expected << "Requesting ..." << "Connecting to ...   Will time out in 15 seconds"
                 << "Exception: 102: The RemoteHost address is invalid (0.0.0.0).";
        QTRY_COMPARE(lines("Finger"), expected);
        QCOMPARE(m_prompter.log, QStringList{});
    }
};

QTEST_MAIN(TestLookUpPages)
#include "tst_lookuppages.moc"
