// The SMTP client against servers and values that try to break the exchange:
// a reply that never ends, and line breaks smuggled into envelope and headers.
#include "ReplyBound.h"
#include "ScriptedServer.h"
#include "SmtpTestKit.h"

#include <QTest>

using namespace SmtpTestKit;

namespace {

QString Helo()
{
    return QStringLiteral("C: HELO ") + LocalHost() + QLatin1Char('\n');
}

const QString Rest = QStringLiteral("S: 250 fake.test\n"
                                    "C: MAIL FROM:<me@here.test>\nS: 250 ok\n"
                                    "C: RCPT TO:<you@there.test>\nS: 250 ok\n"
                                    "C: DATA\nS: 354 go ahead\n"
                                    "D:\nS: 250 queued\nC: QUIT\nS: 221 bye\nX:\n");

// `lines` continuation lines of `width` characters, then the final line.
QByteArray Greeting(int lines, int width)
{
    const QByteArray line = "220-" + QByteArray(width - 4, 'g') + "\r\n";
    return line.repeated(lines) + "220 ready\r\n";
}

} // namespace

class TestSmtpHostile : public QObject {
    Q_OBJECT
    std::unique_ptr<TmsMessage> m_message;
    std::unique_ptr<TmsSMTP> m_smtp;
    std::unique_ptr<ScriptedServer> m_server;
    EventLog m_log;

private slots:
    void init()
    {
        m_message = std::make_unique<TmsMessage>();
        FillMessage(*m_message);
        m_smtp = std::make_unique<TmsSMTP>();
        m_smtp->SetMailMessage(m_message.get());
        m_smtp->SetTimeOut(20);
        m_log = EventLog();
        m_log.Attach(*m_smtp);
    }
    void cleanup()
    {
        m_smtp.reset();
        m_server.reset();
    }

    void endlessReplyFailsTheSend_data()
    {
        QTest::addColumn<QByteArray>("greeting");
        QTest::addColumn<bool>("sent");
        QTest::newRow("999 short lines") << Greeting(999, 10) << true;
        QTest::newRow("60 KB in long lines") << Greeting(120, 500) << true;
        QTest::newRow("1500 short lines") << Greeting(1500, 10) << false;
        QTest::newRow("100 KB in long lines") << Greeting(200, 500) << false;
        // One line is bounded as its bytes arrive, whether it ends or not.
        QTest::newRow("one line of 10 MB") << "220 " + QByteArray(10 << 20, 'g') + "\r\n" << false;
        QTest::newRow("a line that never ends") << "220 " + QByteArray(1 << 20, 'g') << false;
    }

    void endlessReplyFailsTheSend()
    {
        QFETCH(QByteArray, greeting);
        QFETCH(bool, sent);
        m_server = std::make_unique<ScriptedServer>();
        m_server->SendRaw(greeting);
        m_server->Load(Helo() + Rest);
        m_server->Start();
        m_smtp->SetServer(m_server->Address());
        const Outcome out = Run([&] { m_smtp->SendMail(); });
        if (sent) {
            QCOMPARE(out.type, QStringLiteral("ok"));
            QVERIFY(m_log.events.contains(QStringLiteral("MailSent")));
            return;
        }
        QCOMPARE(out.type, QStringLiteral("ESocketError"));
        QCOMPARE(out.text, ReplyBound::tooLongText());
        QVERIFY(m_log.events.contains(QStringLiteral("Error:") + ReplyBound::tooLongText()));
        QVERIFY(!m_smtp->Connected());
        QVERIFY(m_server->WaitFinished());
        QCOMPARE(m_server->Received(), QStringList());
    }

    void lineBreaksAreRefusedBeforeSending_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("what"); // named in the refusal
        const QString injected = QStringLiteral("me@here.test>\r\nRCPT TO:<evil@there.test");
        QTest::newRow("sender address, CR LF") << "sender" << injected << "sender address";
        QTest::newRow("sender name, LF") << "sender name" << "Me\nBcc: evil@there.test" << "sender name";
        QTest::newRow("recipient, lone CR") << "recipient" << "you@there.test\rDATA" << "recipient address";
        QTest::newRow("CC, NUL") << "cc" << QStringLiteral("cc@there.test") + QChar(0) << "CC address";
        QTest::newRow("subject, LF") << "subject" << "Hi\nX-Evil: 1" << "subject";
        QTest::newRow("header, CR LF") << "header" << "X-Note: a\r\nX-Evil: 1" << "header \"X-Note\"";
    }

    void lineBreaksAreRefusedBeforeSending()
    {
        QFETCH(QString, where);
        QFETCH(QString, value);
        QFETCH(QString, what);
        if (where == QLatin1String("sender"))
            m_message->Sender()->SetAddress(value);
        else if (where == QLatin1String("sender name"))
            m_message->Sender()->SetName(value);
        else if (where == QLatin1String("recipient"))
            m_message->Recipients()->Items(0)->SetAddress(value);
        else if (where == QLatin1String("cc"))
            m_message->CC()->Add()->SetAddress(value);
        else if (where == QLatin1String("subject"))
            m_message->SetSubject(value);
        else
            m_message->SetHeaders(QStringList{value});
        m_server = std::make_unique<ScriptedServer>(QStringLiteral("S: 220 ready\n") + Helo() + Rest);
        m_server->Start();
        m_smtp->SetServer(m_server->Address());
        const Outcome out = Run([&] { m_smtp->SendMail(); });
        const QString text =
            QStringLiteral("The %1 contains a line break or a NUL character; the message was not sent.").arg(what);
        QCOMPARE(out.type, QStringLiteral("ESocketError"));
        QCOMPARE(out.text, text);
        QCOMPARE(m_log.events, QStringList{QStringLiteral("Error:") + text});
        QTest::qWait(100); // a connection, had one been made, would show by now
        QCOMPARE(m_server->Received(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestSmtpHostile)
#include "tst_smtp_hostile.moc"
