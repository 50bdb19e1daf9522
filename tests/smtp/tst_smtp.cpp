// The SMTP client against a scripted server: reply reading, HELO fallback,
// envelope, data chunks and transparency, failures, cancel and event order.
#include "ScriptedServer.h"
#include "SmtpTestKit.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace SmtpTestKit;

namespace {

QString Helo()
{
    return QStringLiteral("C: HELO ") + LocalHost() + QLatin1Char('\n');
}

const QString Greeting = QStringLiteral("S: 220 fake.test ready\n");
const QString Hello = QStringLiteral("S: 250 fake.test\n");
const QString Envelope = QStringLiteral("C: MAIL FROM:<me@here.test>\nS: 250 ok\n"
                                        "C: RCPT TO:<you@there.test>\nS: 250 ok\n"
                                        "C: DATA\nS: 354 go ahead\n");
const QString DataAndQuit = QStringLiteral("D:\nS: 250 queued\nC: QUIT\nS: 221 bye\nX:\n");
const QString Quit = QStringLiteral("C: QUIT\nS: 221 bye\nX:\n");

QString Session()
{
    return Greeting + Helo() + Hello + Envelope + DataAndQuit;
}

const QStringList SuccessEvents = {"Open",       "Prepare",  "Sending",    "Progress:100", "Progress:0",
                                   "MailSent",   "Progress:0", "Closing", "Closed"};

QByteArray Stuffed(const QByteArray &text)
{
    QByteArray out;
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && c == '.')
            out += '.';
        out += c;
        lineStart = c == '\n';
    }
    return out;
}

// Body lines that make the composed text exactly size bytes long.
void SetBodyForTextSize(TmsMessage &m, int size)
{
    m.SetBody({QString()});
    int rest = size - (Composed(m).size() - 2); // an empty body line costs its CR LF
    QStringList body;
    while (rest > 200) {
        body << QString(98, QLatin1Char('a'));
        rest -= 100;
    }
    const int first = rest / 2;
    body << QString(first - 2, QLatin1Char('b')) << QString(rest - first - 2, QLatin1Char('c'));
    m.SetBody(body);
}

} // namespace

class TestSmtp : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void successfulSendAndEventOrder();
    void multiLineGreetingReadBeforeHelo();
    void refusedHeloFallsBackToBareHelo();
    void refusedBareHeloFails();
    void rejectedRecipientStillQuits();
    void emptyMailboxesAreSentInOrder();
    void textOfOneFullChunk();
    void progressOfEveryChunk();
    void transparencyAcrossChunks();
    void replyChecks_data();
    void replyChecks();
    void overlongReplyLines_data();
    void overlongReplyLines();
    void serverClosesMidReply_data();
    void serverClosesMidReply();
    void silentServerTimesOut();
    void cancelFromEventHandler_data();
    void cancelFromEventHandler();
    void onErrorChangesReplyText();
    void preconditions_data();
    void preconditions();
    void secondSendMailIsRefused();
    void quitTroubleAfterDelivery_data();
    void quitTroubleAfterDelivery();
    void compositionFailureDeliversNothing_data();
    void compositionFailureDeliversNothing();
    void textIsTheMessageAtTheStart();

private:
    void Prepare(const QString &script);
    QString Report() const;

    QTemporaryDir m_tmp;
    std::unique_ptr<ScriptedServer> m_server;
    std::unique_ptr<TmsMessage> m_message;
    std::unique_ptr<TmsSMTP> m_smtp;
    EventLog m_log;
};

void TestSmtp::initTestCase()
{
    QVERIFY(m_tmp.isValid());
    // The temporary message files must all be gone after every send.
    qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
    QCOMPARE(QDir::tempPath(), QDir(m_tmp.path()).canonicalPath());
}

void TestSmtp::init()
{
    m_message = std::make_unique<TmsMessage>();
    FillMessage(*m_message);
    m_smtp = std::make_unique<TmsSMTP>();
    m_smtp->SetMailMessage(m_message.get());
    m_smtp->SetTimeOut(20);
    m_log = EventLog();
    m_log.Attach(*m_smtp);
}

void TestSmtp::cleanup()
{
    m_smtp.reset();
    m_server.reset();
    QCOMPARE(QDir(m_tmp.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList());
}

void TestSmtp::Prepare(const QString &script)
{
    m_server = std::make_unique<ScriptedServer>(script);
    m_server->Start();
    m_smtp->SetServer(m_server->Address());
}

QString TestSmtp::Report() const
{
    return QStringLiteral("events: %1\nwire:\n%2").arg(m_log.events.join(QStringLiteral(", ")), m_server ? m_server->Log() : QString());
}

void TestSmtp::successfulSendAndEventOrder()
{
    Prepare(Session());
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QVERIFY2(out.type == QLatin1String("ok"), qPrintable(out.text + QLatin1Char('\n') + Report()));
    QVERIFY(m_server->WaitFinished());
    QCOMPARE(m_server->Mismatches(), QStringList());
    QCOMPARE(m_log.events, SuccessEvents);
    QCOMPARE(Masked(m_server->Data()), Masked(Stuffed(Composed(*m_message)) + "\r\n"));
    QVERIFY(!m_smtp->Connected());
    QCOMPARE(int(m_smtp->Port()), int(m_server->Port()));
}

void TestSmtp::multiLineGreetingReadBeforeHelo()
{
    // The pause makes an early HELO arrive while the server is still greeting;
    // the transcript then falls out of step and the send fails.
    Prepare(QStringLiteral("S: 220-fake.test first\nW: 400\nS: 220-second\nS: 220 last\n") + Helo() +
            QStringLiteral("S: 250-fake.test\nS: 250-more\nS: 250 done\n") + Envelope + DataAndQuit);
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QVERIFY2(out.type == QLatin1String("ok"), qPrintable(out.text + QLatin1Char('\n') + Report()));
    QVERIFY(m_server->WaitFinished());
    QCOMPARE(m_server->Mismatches(), QStringList());
    QCOMPARE(m_server->Received().first(), QStringLiteral("HELO ") + LocalHost());
}

void TestSmtp::refusedHeloFallsBackToBareHelo()
{
    Prepare(Greeting + Helo() + QStringLiteral("S: 501 who are you\nC: HELO\nS: 250 fine\n") + Envelope + DataAndQuit);
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QVERIFY2(out.type == QLatin1String("ok"), qPrintable(out.text + QLatin1Char('\n') + Report()));
    QVERIFY(m_server->WaitFinished());
    QCOMPARE(m_server->Mismatches(), QStringList());
    QCOMPARE(m_log.Errors(), QStringList());
    QCOMPARE(m_log.events, SuccessEvents);
}

void TestSmtp::refusedBareHeloFails()
{
    Prepare(Greeting + Helo() + QStringLiteral("S: 501 who are you\nC: HELO\nS: 502 still no\n") + Quit);
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QCOMPARE(out.type, QStringLiteral("ESocketError"));
    QCOMPARE(out.text, QStringLiteral("502 still no"));
    QCOMPARE(m_log.Errors(), QStringList{"Error:502 still no"});
    QVERIFY(m_server->WaitFinished());
    QCOMPARE(m_server->Mismatches(), QStringList());
}

void TestSmtp::rejectedRecipientStillQuits()
{
    Prepare(Greeting + Helo() + Hello +
            QStringLiteral("C: MAIL FROM:<me@here.test>\nS: 250 ok\nC: RCPT TO:<you@there.test>\n"
                           "S: 550 5.1.1 no such user\n") +
            Quit);
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QCOMPARE(out.type, QStringLiteral("ESocketError"));
    QCOMPARE(out.text, QStringLiteral("550 5.1.1 no such user"));
    QCOMPARE(m_log.events, QStringList({"Open", "Prepare", "Sending", "Error:550 5.1.1 no such user", "MailSent",
                                        "Progress:0", "Closing", "Closed"}));
    QVERIFY(m_server->WaitFinished());
    QCOMPARE(m_server->Mismatches(), QStringList());
}

void TestSmtp::emptyMailboxesAreSentInOrder()
{
    m_message->Recipients()->AddAddress(QString(), QStringLiteral("nobody"));
    m_message->CC()->AddAddress(QStringLiteral("cc@there.test"), QString());
    m_message->CC()->AddAddress(QString(), QString());
    m_message->BCC()->AddAddress(QStringLiteral("bcc@there.test"), QString());
    Prepare(Greeting + Helo() + Hello +
            QStringLiteral("C: MAIL FROM:<me@here.test>\nS: 250 ok\n"
                           "C: RCPT TO:<you@there.test>\nS: 250 ok\nC: RCPT TO:<>\nS: 250 ok\n"
                           "C: RCPT TO:<cc@there.test>\nS: 250 ok\nC: RCPT TO:<>\nS: 250 ok\n"
                           "C: RCPT TO:<bcc@there.test>\nS: 250 ok\nC: DATA\nS: 354 go\n") +
            DataAndQuit);
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QVERIFY2(out.type == QLatin1String("ok"), qPrintable(out.text + QLatin1Char('\n') + Report()));
    QVERIFY(m_server->WaitFinished());
    QCOMPARE(m_server->Mismatches(), QStringList());
}

void TestSmtp::textOfOneFullChunk()
{
    SetBodyForTextSize(*m_message, TmsSMTP::ChunkSize);
    const QByteArray text = Composed(*m_message);
    QCOMPARE(text.size(), TmsSMTP::ChunkSize);
    Prepare(Session());
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QVERIFY2(out.type == QLatin1String("ok"), qPrintable(out.text + QLatin1Char('\n') + Report()));
    QCOMPARE(m_log.events.filter(QStringLiteral("Progress")),
             QStringList({"Progress:100", "Progress:100", "Progress:0", "Progress:0"}));
    QVERIFY(m_server->WaitFinished());
    QCOMPARE(Masked(m_server->Data()), Masked(text + "\r\n"));
}

// Sends are gathered, but every 2,047-byte chunk still reports its progress.
void TestSmtp::progressOfEveryChunk()
{
    SetBodyForTextSize(*m_message, 40 * TmsSMTP::ChunkSize + 100);
    const QByteArray text = Composed(*m_message);
    Prepare(Session());
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QVERIFY2(out.type == QLatin1String("ok"), qPrintable(out.text + QLatin1Char('\n') + Report()));
    QStringList expected;
    for (qint64 end = TmsSMTP::ChunkSize; end < text.size() + TmsSMTP::ChunkSize; end += TmsSMTP::ChunkSize)
        expected << QStringLiteral("Progress:%1").arg(TmsSMTP::Percent(std::min<qint64>(end, text.size()), text.size()));
    expected << "Progress:0" << "Progress:0";
    QCOMPARE(m_log.events.filter(QStringLiteral("Progress")), expected);
    QVERIFY(m_server->WaitFinished());
    QCOMPARE(Masked(m_server->Data()), Masked(text + "\r\n"));
}

void TestSmtp::transparencyAcrossChunks()
{
    // Lines beginning with "." placed where the 2,047-byte chunks meet: the dot
    // opens a chunk, the dot closes a chunk, and CR and LF fall into two chunks.
    const int n = TmsSMTP::ChunkSize;
    FillMessage(*m_message, {QStringLiteral("x")});
    int pos = Composed(*m_message).size() - 3; // where the body starts
    QStringList body;
    auto line = [&](const QString &text) {
        body << text;
        pos += text.size() + 2;
    };
    auto fillTo = [&](int target) { // the next line starts at target
        while (target - pos > 101)
            line(QString(98, QLatin1Char('f')));
        line(QString(target - pos - 2, QLatin1Char('g')));
    };
    fillTo(n);
    line(QStringLiteral(".starts the second chunk"));
    fillTo(2 * n - 1);
    line(QStringLiteral("."));
    fillTo(3 * n + 1);
    line(QStringLiteral("..two dots"));
    line(QStringLiteral(". "));
    line(QStringLiteral("not.at.start"));
    m_message->SetBody(body);
    const QByteArray text = Composed(*m_message);
    QCOMPARE(text.mid(n, 2), QByteArray(".s"));
    QCOMPARE(text.mid(2 * n - 2, 3), QByteArray("\n.\r"));
    QCOMPARE(text.mid(3 * n - 1, 4), QByteArray("\r\n.."));

    Prepare(Session());
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QVERIFY2(out.type == QLatin1String("ok"), qPrintable(out.text + QLatin1Char('\n') + Report()));
    QVERIFY(m_server->WaitFinished());
    const QByteArray wire = m_server->Data();
    QCOMPARE(Masked(wire), Masked(Stuffed(text) + "\r\n"));
    QVERIFY(wire.contains("\r\n..starts the second chunk\r\n"));
    QVERIFY(wire.contains("\r\n..\r\n"));
    QVERIFY(wire.contains("\r\n...two dots\r\n"));
    QVERIFY(wire.contains("\r\n.. \r\n"));
    QVERIFY(wire.contains("\r\nnot.at.start\r\n"));
}

void TestSmtp::replyChecks_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("error");
    QTest::newRow("three digits only") << "S: 250" << "250";
    QTest::newRow("4xx") << "S: 451 try later" << "451 try later";
    QTest::newRow("1xx") << "S: 150 odd" << "150 odd";
    QTest::newRow("3xx but not 354") << "S: 334 what" << "334 what";
    QTest::newRow("empty line") << "S: " << "";
    QTest::newRow("continuation then failure") << "S: 250-fine\nS: 550 but no" << "550 but no";
}

void TestSmtp::replyChecks()
{
    QFETCH(QString, reply);
    QFETCH(QString, error);
    Prepare(Greeting + Helo() + Hello + QStringLiteral("C: MAIL FROM:<me@here.test>\n") + reply +
            QLatin1Char('\n') + Quit);
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QCOMPARE(out.type, QStringLiteral("ESocketError"));
    QCOMPARE(out.text, error);
    QCOMPARE(m_log.Errors(), QStringList{QStringLiteral("Error:") + error});
    QVERIFY(m_log.events.contains(QStringLiteral("MailSent")));
    QVERIFY(m_server->WaitFinished());
    QCOMPARE(m_server->Mismatches(), QStringList());
}

void TestSmtp::overlongReplyLines_data()
{
    QTest::addColumn<QByteArray>("greeting");
    QTest::newRow("final line") << "220 " + QByteArray(9996, 'g') + "\r\n";
    QTest::newRow("continuation line") << "220-" + QByteArray(9996, '2') + "\r\n220 ready\r\n";
    // Cut at the buffer's end, the rest of the line would read as a refusal.
    QTest::newRow("rest looks like a reply") << "220-" + QByteArray(250, 'p') + "550 evil\r\n220 ok\r\n";
}

void TestSmtp::overlongReplyLines()
{
    QFETCH(QByteArray, greeting);
    m_server = std::make_unique<ScriptedServer>();
    m_server->SendRaw(greeting);
    m_server->Load(Helo() + Hello + Envelope + DataAndQuit);
    m_server->Start();
    m_smtp->SetServer(m_server->Address());
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QVERIFY2(out.type == QLatin1String("ok"), qPrintable(out.text + QLatin1Char('\n') + Report()));
    QCOMPARE(m_log.Errors(), QStringList());
    QVERIFY(m_server->WaitFinished());
    QCOMPARE(m_server->Mismatches(), QStringList());
}

void TestSmtp::serverClosesMidReply_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("greeted");
    QTest::newRow("in the greeting") << QStringLiteral("S: 220-first\nX:") << false;
    QTest::newRow("inside a line") << QStringLiteral("R: 220 hal\nX:") << false;
    QTest::newRow("after DATA, no reply") << (Greeting + Helo() + Hello + Envelope + QStringLiteral("D:\nS: 250-almost\nX:")) << true;
}

void TestSmtp::serverClosesMidReply()
{
    QFETCH(QString, script);
    QFETCH(bool, greeted);
    m_smtp->SetTimeOut(60); // a hang-up must be reported at once, not as a time-out
    Prepare(script);
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QCOMPARE(out.type, QStringLiteral("ESocketError"));
    QCOMPARE(out.text, QStringLiteral("The server closed the connection"));
    QVERIFY(!m_log.events.contains(QStringLiteral("MailSent")));
    QCOMPARE(m_log.events.mid(m_log.events.size() - 3),
             QStringList({"Error:The server closed the connection", "Closing", "Closed"}));
    QCOMPARE(m_log.events.contains(QStringLiteral("Sending")), greeted);
    QVERIFY(!m_smtp->Connected());
    QVERIFY(m_server->WaitFinished());
    QCOMPARE(m_server->Mismatches(), QStringList());
}

void TestSmtp::silentServerTimesOut()
{
    m_smtp->SetTimeOut(2);
    Prepare(Greeting + Helo());
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QCOMPARE(out.type, QStringLiteral("ETimedOutError"));
    QCOMPARE(out.text, QStringLiteral("Operation timed out"));
    QCOMPARE(m_log.events, QStringList({"Open", "Error:Operation timed out", "Closing", "Closed"}));
    // No second HELO after a time-out, no QUIT on the closed socket.
    QTRY_VERIFY(m_server->ClientClosed());
    QCOMPARE(m_server->Received(), QStringList{QStringLiteral("HELO ") + LocalHost()});
}

void TestSmtp::cancelFromEventHandler_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("timer during the greeting wait") << "timer";
    QTest::newRow("progress handler in the data phase") << "progress";
}

void TestSmtp::cancelFromEventHandler()
{
    QFETCH(QString, where);
    if (where == QLatin1String("timer")) {
        Prepare(QStringLiteral("W: 10000\n") + Greeting);
        QTimer::singleShot(300, m_smtp.get(), [this] { m_smtp->Cancel(); });
    } else {
        SetBodyForTextSize(*m_message, 3 * TmsSMTP::ChunkSize);
        Prepare(Greeting + Helo() + Hello + Envelope + QStringLiteral("W: 10000"));
        m_smtp->OnProgress = [this](QObject *, int p) {
            m_log.events << QStringLiteral("Progress:%1").arg(p);
            if (p > 0 && p < 100)
                m_smtp->Cancel();
        };
    }
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QCOMPARE(out.type, QStringLiteral("ECanceledError"));
    QCOMPARE(out.text, QStringLiteral("Operation has been canceled"));
    const QStringList tail = {"Cancel", "Closing", "Closed", "Progress:0", "Error:Operation has been canceled"};
    QCOMPARE(m_log.events.mid(m_log.events.size() - tail.size()), tail);
    QCOMPARE(m_log.events.filter(QStringLiteral("Progress:")).size(), where == QLatin1String("timer") ? 1 : 2);
    QVERIFY(!m_log.events.contains(QStringLiteral("MailSent")));
    QVERIFY(!m_smtp->Connected());
}

void TestSmtp::onErrorChangesReplyText()
{
    m_log.rewrite = [](const QString &msg) { return QStringLiteral("Server said: ") + msg; };
    Prepare(Greeting + Helo() + Hello + QStringLiteral("C: MAIL FROM:<me@here.test>\nS: 553 sender refused\n") + Quit);
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QCOMPARE(out.type, QStringLiteral("ESocketError"));
    QCOMPARE(out.text, QStringLiteral("Server said: 553 sender refused"));
}

void TestSmtp::preconditions_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("events");
    QTest::newRow("no server") << "server" << "ESocketError" << "Server property is required"
                               << QStringList{"Error:Server property is required"};
    QTest::newRow("no message") << "message" << "ESocketError" << "MailMessage property must be assigned"
                                << QStringList{"Open", "Error:MailMessage property must be assigned", "MailSent",
                                               "Progress:0", "Closing", "Closed"};
    QTest::newRow("no sender") << "sender" << "EMessageError" << "The address of sender is required"
                               << QStringList{"Open", "MailSent", "Progress:0", "Closing", "Closed"};
    QTest::newRow("no recipient") << "recipient" << "EMessageError"
                                  << "At least one Recipient, CC or BCC must be entered"
                                  << QStringList{"Open", "MailSent", "Progress:0", "Closing", "Closed"};
    QTest::newRow("DATA not answered with 354") << "data" << "ESocketError" << "250 data? fine"
                                                << QStringList{"Open", "Prepare", "Sending", "Error:250 data? fine",
                                                               "MailSent", "Progress:0", "Closing", "Closed"};
}

void TestSmtp::preconditions()
{
    QFETCH(QString, fault);
    QFETCH(QString, type);
    QFETCH(QString, text);
    QFETCH(QStringList, events);
    QString script = Greeting + Helo() + Hello;
    if (fault == QLatin1String("data"))
        script += QStringLiteral("C: MAIL FROM:<me@here.test>\nS: 250 ok\nC: RCPT TO:<you@there.test>\nS: 250 ok\n"
                                 "C: DATA\nS: 250 data? fine\n");
    Prepare(script + Quit);
    if (fault == QLatin1String("server"))
        m_smtp->SetServer(QString());
    if (fault == QLatin1String("message"))
        m_smtp->SetMailMessage(nullptr);
    if (fault == QLatin1String("sender"))
        m_message->Sender()->SetAddress(QString());
    if (fault == QLatin1String("recipient"))
        m_message->Recipients()->Items(0)->SetAddress(QString());
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QCOMPARE(out.type, type);
    QCOMPARE(out.text, text);
    QCOMPARE(m_log.events, events);
    if (fault != QLatin1String("server")) {
        QVERIFY(m_server->WaitFinished());
        QCOMPARE(m_server->Mismatches(), QStringList());
    }
}

void TestSmtp::secondSendMailIsRefused()
{
    Prepare(Session());
    Outcome inner{QStringLiteral("not called"), QString()};
    m_smtp->OnSending = [&](QObject *) {
        m_log.events << QStringLiteral("Sending");
        inner = Run([&] { m_smtp->SendMail(); });
    };
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QVERIFY2(out.type == QLatin1String("ok"), qPrintable(out.text + QLatin1Char('\n') + Report()));
    QCOMPARE(inner.type, QStringLiteral("Exception"));
    QVERIFY2(inner.text.contains(QStringLiteral("already being sent")), qPrintable(inner.text));
    QCOMPARE(m_log.events, SuccessEvents);
    QVERIFY(m_server->WaitFinished());
    QCOMPARE(m_server->Mismatches(), QStringList());
    QVERIFY(!m_smtp->Sending());
}

void TestSmtp::quitTroubleAfterDelivery_data()
{
    QTest::addColumn<QString>("quit");
    QTest::newRow("refused") << "C: QUIT\nS: 500 what\n";
    QTest::newRow("closed without an answer") << "C: QUIT\nX:\n";
    QTest::newRow("answer without CR LF, then closed") << "C: QUIT\nR: 221 bye\nX:\n";
    QTest::newRow("never answered") << "C: QUIT\nW: 3000\n";
}

void TestSmtp::quitTroubleAfterDelivery()
{
    // The data was accepted, so the message is sent: the session still ends
    // closed, quietly, with the events of a clean QUIT.
    QFETCH(QString, quit);
    m_smtp->SetTimeOut(1);
    Prepare(Greeting + Helo() + Hello + Envelope + QStringLiteral("D:\nS: 250 queued\n") + quit);
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QVERIFY2(out.type == QLatin1String("ok"), qPrintable(out.text + QLatin1Char('\n') + Report()));
    QCOMPARE(m_log.events, SuccessEvents);
    QVERIFY(!m_smtp->Connected());
    QVERIFY(m_server->WaitFinished());
    QCOMPARE(m_server->Mismatches(), QStringList());

    // A refused QUIT leaves no half-open session: the next send greets again.
    m_log.events.clear();
    Prepare(Session());
    const Outcome next = Run([&] { m_smtp->SendMail(); });
    QVERIFY2(next.type == QLatin1String("ok"), qPrintable(next.text + QLatin1Char('\n') + Report()));
    QCOMPARE(m_log.events, SuccessEvents);
}

void TestSmtp::compositionFailureDeliversNothing_data()
{
    QTest::addColumn<int>("leadingMegabytes");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("mismatches");
    // The slow RCPT reply lets composing fail before DATA would go out: the session ends with QUIT.
    QTest::newRow("before the data") << 0
                                     << Greeting + Helo() + Hello
                                            + QStringLiteral("C: MAIL FROM:<me@here.test>\nS: 250 ok\n"
                                                             "C: RCPT TO:<you@there.test>\nW: 300\nS: 250 ok\n")
                                            + Quit
                                     << QStringList();
    // Composing fails long after the data began: the connection is dropped
    // before the text ends, so the server cannot take the part it has.
    QTest::newRow("after megabytes of text") << 48 << Greeting + Helo() + Hello + Envelope + QStringLiteral("D:\n")
                                             << QStringList{QStringLiteral("client closed while a line was expected: ")};
}

void TestSmtp::compositionFailureDeliversNothing()
{
    QFETCH(int, leadingMegabytes);
    QFETCH(QString, script);
    QFETCH(QStringList, mismatches);
    if (leadingMegabytes > 0) {
        TmsAttItem *lead = m_message->Attachments()->Add();
        lead->SetFileName(QStringLiteral("lead.bin"));
        lead->SetEncoding(aeBase64);
        lead->SetStream(QByteArray(leadingMegabytes * 1024 * 1024, 'x'));
    }
    TmsAttItem *bad = m_message->Attachments()->Add();
    bad->SetFileName(QStringLiteral("bad.txt"));
    bad->SetEncoding(aeQuotedPrintable);
    bad->SetStream(QByteArray(70000, 'a')); // one paragraph past the quoted-printable limit
    Prepare(script);
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QCOMPARE(out.text, QStringLiteral("Paragraph is too large"));
    QVERIFY(m_server->WaitFinished());
    QCOMPARE(m_server->Mismatches(), mismatches);
    QVERIFY(!m_server->Received().contains(QStringLiteral(".")));
    QVERIFY(!m_smtp->Delivered());
    QVERIFY(!m_smtp->Connected());
}

// What is sent is the message as it stood when the send began, whatever
// the event handlers do to it meanwhile.
void TestSmtp::textIsTheMessageAtTheStart()
{
    SetBodyForTextSize(*m_message, 200 * 1024);
    const QByteArray expected = Stuffed(Composed(*m_message)) + "\r\n";
    m_smtp->OnSending = [this](QObject *) { m_message->SetBody({QStringLiteral("changed")}); };
    m_smtp->OnProgress = [this](QObject *, int) { m_message->Body().append(QStringLiteral("more")); };
    Prepare(Session());
    const Outcome out = Run([&] { m_smtp->SendMail(); });
    QVERIFY2(out.type == QLatin1String("ok"), qPrintable(out.text + QLatin1Char('\n') + Report()));
    QVERIFY(m_server->WaitFinished());
    QCOMPARE(m_server->Data().size(), expected.size());
    QVERIFY(Masked(m_server->Data()) == Masked(expected));
}

QTEST_GUILESS_MAIN(TestSmtp)
#include "tst_smtp.moc"
