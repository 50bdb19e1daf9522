// End to end: the SMTP client delivers to a real SMTP server (aiosmtpd), and
// Python's email package reads back every part as the original bytes.
#include "SmtpSink.h"
#include "SmtpTestKit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

using namespace SmtpTestKit;

namespace {

// What Python's email package makes of a message.
QJsonObject Parse(const QByteArray &message)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(MIME_PARTS_SCRIPT)});
    python.write(message);
    python.closeWriteChannel();
    if (!python.waitForFinished(30000) || python.exitCode() != 0)
        qWarning("mime_parts.py: %s", python.readAllStandardError().constData());
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

QByteArray Decoded(const QJsonValue &v)
{
    return QByteArray::fromBase64(v.toString().toLatin1());
}

QByteArray Unix(QByteArray text)
{
    return text.replace("\r\n", "\n");
}

// Text parts cannot carry whether the content ended with a line end, so
// their lines are compared.
QByteArray Lines(const QByteArray &text)
{
    QByteArray lines = Unix(text);
    while (lines.endsWith('\n'))
        lines.chop(1);
    return lines;
}

QByteArray RandomBytes(int size, quint32 seed)
{
    QRandomGenerator gen(seed);
    QByteArray bytes(size, '\0');
    for (char &c : bytes)
        c = static_cast<char>(gen.bounded(256));
    return bytes;
}

TmsAttItem *Attach(TmsMessage &m, const QString &name, const QString &type, TAttEncoding encoding, const QByteArray &content)
{
    TmsAttItem *item = m.Attachments()->Add();
    item->SetFileName(name);
    item->SetContentType(type);
    item->SetEncoding(encoding);
    item->SetStream(content);
    return item;
}

} // namespace

class TestSmtpE2E : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void bodyLinesBeginningWithDots();
    void mimeAttachments();
    void uuencodedMessage();
    void accentedText_data();
    void accentedText();

private:
    // Sends the message and returns the text the server stored.
    QByteArray Deliver();

    SmtpSink m_sink;
    int m_delivered = 0;
    std::unique_ptr<TmsMessage> m_message;
    EventLog m_log;
};

void TestSmtpE2E::initTestCase()
{
    QVERIFY2(m_sink.Start(), qPrintable(m_sink.ErrorText()));
}

void TestSmtpE2E::init()
{
    m_message = std::make_unique<TmsMessage>();
    FillMessage(*m_message);
    m_log = EventLog();
}

QByteArray TestSmtpE2E::Deliver()
{
    TmsSMTP smtp;
    smtp.SetServer(m_sink.Address());
    smtp.SetTimeOut(30);
    smtp.SetMailMessage(m_message.get());
    m_log.Attach(smtp);
    const Outcome out = Run([&] { smtp.SendMail(); });
    if (out.type != QLatin1String("ok"))
        qWarning("SendMail: %s %s", qPrintable(out.type), qPrintable(out.text));
    if (!m_sink.WaitForMessages(++m_delivered))
        return QByteArray();
    const SmtpSink::Message received = m_sink.Messages().at(m_delivered - 1);
    if (received.mailFrom != QLatin1String("me@here.test") || received.rcptTo != QStringList{"you@there.test"})
        qWarning("envelope: %s -> %s", qPrintable(received.mailFrom), qPrintable(received.rcptTo.join(',')));
    return received.data;
}

void TestSmtpE2E::bodyLinesBeginningWithDots()
{
    const QStringList body = {"Dear registry,", ".hidden line", ".", "..", "...three", ". blank after dot",
                              "", "end."};
    m_message->SetBody(body);
    const QByteArray composed = Composed(*m_message);
    const QByteArray received = Deliver();
    QCOMPARE(m_log.Errors(), QStringList());
    QCOMPARE(m_log.events.last(), QStringLiteral("Closed"));
    // The server removes the transparency dots: the text arrives as composed,
    // followed by the empty line the client sends before ".".
    QCOMPARE(Masked(received), Masked(composed + "\r\n"));
    const QJsonObject parsed = Parse(received);
    QCOMPARE(parsed.value("content_type").toString(), QStringLiteral("text/plain"));
    QCOMPARE(Unix(Decoded(parsed.value("body"))), body.join('\n').toLatin1() + "\n\n");
}

void TestSmtpE2E::mimeAttachments()
{
    const QByteArray sevenBit("plain text\r\n.\r\n.leading dot\r\n..two\r\nlast line\r\n");
    const QByteArray binary = RandomBytes(70000, 42);
    const QByteArray qp("caf\xe9 = costs\tfive\r\n.\r\n.dotted line that is long enough to be wrapped by the "
                        "encoder at a blank somewhere past sixty-five characters\r\nend\r\n");
    Attach(*m_message, "notes.txt", "text/plain", aeSevenBit, sevenBit);
    Attach(*m_message, "blob.bin", "application/octet-stream", aeBase64, binary);
    Attach(*m_message, "letter.txt", "text/plain", aeQuotedPrintable, qp);
    const QByteArray received = Deliver();
    QCOMPARE(m_log.Errors(), QStringList());
    QVERIFY(!received.isEmpty());
    const QJsonObject parsed = Parse(received);
    QCOMPARE(parsed.value("content_type").toString(), QStringLiteral("multipart/mixed"));
    QCOMPARE(Unix(Decoded(parsed.value("body"))), QByteArray("line one\nline two\n"));
    const QJsonArray parts = parsed.value("attachments").toArray();
    QCOMPARE(parts.size(), 3);
    QCOMPARE(parts.at(0).toObject().value("name").toString(), QStringLiteral("notes.txt"));
    QCOMPARE(Lines(Decoded(parts.at(0).toObject().value("data"))), Lines(sevenBit));
    QCOMPARE(parts.at(1).toObject().value("name").toString(), QStringLiteral("blob.bin"));
    QCOMPARE(Decoded(parts.at(1).toObject().value("data")), binary);
    QCOMPARE(parts.at(2).toObject().value("name").toString(), QStringLiteral("letter.txt"));
    QCOMPARE(Lines(Decoded(parts.at(2).toObject().value("data"))), Lines(qp));
}

void TestSmtpE2E::uuencodedMessage()
{
    // 45 * 3 + 14 bytes: the last line's length character is "." (32 + 14).
    const QByteArray content = RandomBytes(45 * 3 + 14, 7);
    m_message->SetEncoding(meUU);
    m_message->SetBody({"See the attached file.", "."});
    Attach(*m_message, "data.bin", "application/octet-stream", aeBase64, content);
    const QByteArray composed = Composed(*m_message);
    QVERIFY2(composed.contains("\r\n.") , "the uuencoded tail line should begin with a dot");
    const QByteArray received = Deliver();
    QCOMPARE(m_log.Errors(), QStringList());
    QCOMPARE(Masked(received), Masked(composed + "\r\n"));
    const QJsonObject parsed = Parse(received);
    const QJsonArray blocks = parsed.value("uu").toArray();
    QCOMPARE(blocks.size(), 1);
    QCOMPARE(blocks.at(0).toObject().value("name").toString(), QStringLiteral("data.bin"));
    QCOMPARE(Decoded(blocks.at(0).toObject().value("data")), content);
    QVERIFY(Unix(Decoded(parsed.value("body"))).startsWith("See the attached file.\n.\n"));
}

void TestSmtpE2E::accentedText_data()
{
    QTest::addColumn<QStringList>("server"); // options of smtp_sink.py
    QTest::addColumn<QString>("user");       // a login makes the client send EHLO
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("form");   // charset and transfer encoding of the body
    QTest::addColumn<QByteArray>("wire"); // the body as the server stores it
    QTest::addColumn<QString>("mailOptions");

    const QStringList login = {"--user", "pat", "--password", "pw"};
    const QString zurich = QString::fromUtf8("Z\u00fcrich");
    QTest::newRow("8BITMIME") << login << "pat" << zurich << "iso-8859-1 8bit" << QByteArray("Z\xfcrich = CH")
                              << "BODY=8BITMIME";
    QTest::newRow("no 8BITMIME") << login + QStringList{"--no-8bitmime"} << "pat" << zurich
                                 << "iso-8859-1 quoted-printable" << QByteArray("Z=FCrich =3D CH") << "";
    QTest::newRow("HELO only") << QStringList{"--no-ehlo"} << "" << zurich << "iso-8859-1 quoted-printable"
                               << QByteArray("Z=FCrich =3D CH") << "";
    QTest::newRow("ASCII, 8BITMIME") << login << "pat" << "Zurich" << "us-ascii 7bit" << QByteArray("Zurich = CH") << "";
}

void TestSmtpE2E::accentedText()
{
    QFETCH(QStringList, server);
    QFETCH(QString, user);
    QFETCH(QString, city);
    QFETCH(QString, form);
    QFETCH(QByteArray, wire);
    QFETCH(QString, mailOptions);

    SmtpSink sink;
    QVERIFY2(sink.Start(15000, server), qPrintable(sink.ErrorText()));
    TmsSMTP smtp;
    smtp.SetServer(sink.Address());
    smtp.SetUserName(user);
    smtp.SetPassword(QStringLiteral("pw"));
    m_message->SetBody({city + QStringLiteral(" = CH"), QString()});
    const QString subject = QString(city + QStringLiteral(" = CH ")).repeated(6).trimmed(); // several encoded words
    m_message->SetSubject(subject);
    m_message->Sender()->SetName(city);
    smtp.SetMailMessage(m_message.get());
    QCOMPARE(Run([&] { smtp.SendMail(); }).text, QString());
    QVERIFY(sink.WaitForMessages(1));
    const SmtpSink::Message received = sink.Messages().at(0);
    const QJsonObject parsed = Parse(received.data); // what a mail reader shows
    QCOMPARE(parsed.value("text").toString().section(QLatin1Char('\r'), 0, 0), city + QStringLiteral(" = CH"));
    QCOMPARE(parsed.value("subject").toString(), subject);
    QCOMPARE(parsed.value("from").toString(), city + QStringLiteral(" <me@here.test>"));
    QCOMPARE(parsed.value("charset").toString() + ' ' + parsed.value("cte").toString(), form);
    QCOMPARE(received.mailOptions.join(' '), mailOptions);
    // Headers, the body, and the client's empty line before ".".
    QVERIFY(received.data.endsWith("\r\n\r\n" + wire + "\r\n\r\n\r\n"));
}

QTEST_GUILESS_MAIN(TestSmtpE2E)
#include "tst_smtp_e2e.moc"
