// The message object: lists and their ownership, content type, file names,
// validation and the stored "Items" lists.
#include "MailNames.h"
#include "TSubmissionHeaders.h"
#include "msmsg.h"

#include <QDataStream>
#include <QTemporaryDir>
#include <QtTest>

class TestMailMessage : public QObject {
    Q_OBJECT
private slots:
    void defaults();
    void textsAreCut();
    void contentType_data();
    void contentType();
    void storedContentTypeIsOverwritten();
    void setFileName_data();
    void setFileName();
    void setFileNameEmptyKeepsChoice();
    void fileNamePart_data();
    void fileNamePart();
    void checkAddresses_data();
    void checkAddresses();
    void addressListsCopy_data();
    void addressListsCopy();
    void attachmentsCopy();
    void messageAssign();
    void addressItemsRoundTrip();
    void attachmentItemsRoundTrip();
    void corruptEncodingRefused();
    void loadedReadsFiles_data();
    void loadedReadsFiles();
    void loadedMissingAndProcFiles();
    void messageIdDomain_data();
    void messageIdDomain();
};

void TestMailMessage::defaults()
{
    TmsMessage message;
    QCOMPARE(message.Priority(), ptNormal);
    QCOMPARE(message.CharSet(), csUSASCII);
    QCOMPARE(message.Encoding(), meMIME);
    QVERIFY(!message.ReturnReceipt());
    QCOMPARE(message.ContentType(), QStringLiteral("text/plain"));
    QCOMPARE(message.Recipients()->Count(), 0);
    QCOMPARE(message.Attachments()->Count(), 0);
    QVERIFY(message.Sender()->Address().isEmpty());
}

void TestMailMessage::textsAreCut()
{
    const QString longText(300, QLatin1Char('n'));
    TmsMessage message;
    message.SetSubject(longText);
    message.Sender()->SetName(longText);
    message.Sender()->SetAddress(longText);
    TmsMailAddress *added = message.CC()->AddAddress(longText, longText);
    TmsAttItem *item = message.Attachments()->Add();
    item->SetFileName(longText);
    item->SetContentType(longText);
    for (const QString &text : {message.Subject(), message.Sender()->Name(), message.Sender()->Address(),
                                added->Name(), added->Address(), item->FileName(), item->ContentType()})
        QCOMPARE(text.size(), 255);
}

void TestMailMessage::contentType_data()
{
    QTest::addColumn<QStringList>("body");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<bool>("uu");
    QTest::addColumn<QString>("type");
    const QStringList body{QStringLiteral("line")};
    const QStringList none;
    QTest::newRow("body only") << body << none << false << "text/plain";
    QTest::newRow("body and attachment") << body << QStringList{"a.zzqx"} << false << "multipart/mixed";
    QTest::newRow("single image") << none << QStringList{"picture.png"} << false << "image/png";
    QTest::newRow("nothing at all") << none << none << false << "text/plain";
    QTest::newRow("two attachments") << none << QStringList{"a.png", "b.png"} << false << "multipart/mixed";
    QTest::newRow("two alternatives") << body << QStringList{"_ALT.txt", "C:\\x\\_Alt.html"} << false << "multipart/alternative";
    QTest::newRow("alternatives in a folder") << none << QStringList{"/srv/m/_alt.txt", "dir/_alt.htm"} << false
                                              << "multipart/alternative";
    QTest::newRow("third name breaks it") << body << QStringList{"_alt.txt", "_alt.html", "x.pdf"} << false
                                          << "multipart/mixed";
    QTest::newRow("alt only in directory") << body << QStringList{"_alt.d/readme.txt"} << false << "multipart/mixed";
    QTest::newRow("uu is empty") << body << QStringList{"_alt.txt", "_alt.html"} << true << "";
    QTest::newRow("uu without attachments") << body << none << true << "";
}

void TestMailMessage::contentType()
{
    QFETCH(QStringList, body);
    QFETCH(QStringList, files);
    QFETCH(bool, uu);
    QFETCH(QString, type);
    TmsMessage message;
    message.SetBody(body);
    for (const QString &file : files)
        message.Attachments()->Add()->SetFileName(file);
    if (uu)
        message.SetEncoding(meUU);
    QCOMPARE(message.ContentType(), type);
}

void TestMailMessage::storedContentTypeIsOverwritten()
{
    TmsMessage message;
    message.SetContentType(QStringLiteral("Text/HTML"));
    message.Body() << QStringLiteral("x");
    QCOMPARE(message.ContentType(), QStringLiteral("text/plain"));

    // Assigning attachments sets the stored type; the next read computes it again.
    TmsAttList list;
    list.Add()->SetFileName(QStringLiteral("a.png"));
    message.SetAttachments(list);
    QCOMPARE(message.ContentType(), QStringLiteral("multipart/mixed"));
}

void TestMailMessage::setFileName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("encoding");
    QTest::newRow("text") << "notes.txt" << "text/plain" << int(aeQuotedPrintable);
    QTest::newRow("upper-case extension") << "NOTES.TXT" << "text/plain" << int(aeQuotedPrintable);
    QTest::newRow("html") << "/var/www/index.html" << "text/html" << int(aeQuotedPrintable);
    QTest::newRow("mail") << "forward.eml" << "message/rfc822" << int(aeSevenBit);
    QTest::newRow("image") << "C:\\pics\\logo.png" << "image/png" << int(aeBase64);
    QTest::newRow("unknown extension") << "data.zzqx" << "application/octet-stream" << int(aeBase64);
    QTest::newRow("no extension") << "README" << "application/octet-stream" << int(aeBase64);
    QTest::newRow("dot only in folder") << "my.dir/README" << "application/octet-stream" << int(aeBase64);
    QTest::newRow("bare dot") << "name." << "application/octet-stream" << int(aeBase64);
}

void TestMailMessage::setFileName()
{
    QFETCH(QString, name);
    QFETCH(QString, type);
    QFETCH(int, encoding);
    TmsAttItem item;
    item.SetFileName(name);
    QCOMPARE(item.FileName(), name);
    QCOMPARE(item.ContentType(), type);
    QCOMPARE(int(item.Encoding()), encoding);
}

void TestMailMessage::setFileNameEmptyKeepsChoice()
{
    TmsAttItem item;
    item.SetContentType(QStringLiteral("text/html"));
    item.SetEncoding(aeQuotedPrintable);
    item.SetFileName(QString());
    QCOMPARE(item.ContentType(), QStringLiteral("text/html"));
    QCOMPARE(item.Encoding(), aeQuotedPrintable);
    // The mapping itself, independent of the system's type table.
    QCOMPARE(TmsAttItem::EncodingFor(QStringLiteral("Text/RTF")), aeQuotedPrintable);
    QCOMPARE(TmsAttItem::EncodingFor(QStringLiteral("message/RFC822")), aeSevenBit);
    QCOMPARE(TmsAttItem::EncodingFor(QStringLiteral("text/csv")), aeBase64);
}

void TestMailMessage::fileNamePart_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("part");
    QTest::addColumn<QString>("extension");
    QTest::newRow("windows path") << "C:\\dir\\file.TXT" << "file.TXT" << ".TXT";
    QTest::newRow("drive only") << "A:report.doc" << "report.doc" << ".doc";
    QTest::newRow("unix path") << "/home/u/a.b.c" << "a.b.c" << ".c";
    QTest::newRow("plain") << "file" << "file" << "";
}

void TestMailMessage::fileNamePart()
{
    QFETCH(QString, path);
    QFETCH(QString, part);
    QFETCH(QString, extension);
    QCOMPARE(MailNames::FileNamePart(path), part);
    QCOMPARE(MailNames::FileExtension(path), extension);
}

void TestMailMessage::checkAddresses_data()
{
    QTest::addColumn<QString>("sender");
    QTest::addColumn<QStringList>("to");
    QTest::addColumn<QStringList>("cc");
    QTest::addColumn<QStringList>("bcc");
    QTest::addColumn<QString>("error");
    const QString me = QStringLiteral("me@example.net");
    const QStringList none;
    QTest::newRow("fine") << me << QStringList{"a@b"} << none << none << "";
    QTest::newRow("bcc only, cc empty mailbox") << me << none << QStringList{""} << QStringList{"x@y"} << "";
    QTest::newRow("no sender") << "" << QStringList{"a@b"} << none << none << "The address of sender is required";
    QTest::newRow("all empty") << me << none << none << none << "At least one Recipient, CC or BCC must be entered";
    QTest::newRow("only empty mailboxes") << me << QStringList{""} << QStringList{""} << QStringList{""}
                                          << "At least one Recipient, CC or BCC must be entered";
}

void TestMailMessage::checkAddresses()
{
    QFETCH(QString, sender);
    QFETCH(QStringList, to);
    QFETCH(QStringList, cc);
    QFETCH(QStringList, bcc);
    QFETCH(QString, error);
    TmsMessage message;
    message.Sender()->SetAddress(sender);
    for (const QString &a : to)
        message.Recipients()->AddAddress(a, QStringLiteral("Name"));
    for (const QString &a : cc)
        message.CC()->AddAddress(a, QString());
    for (const QString &a : bcc)
        message.BCC()->AddAddress(a, QString());
    try {
        message.CheckAddresses();
        QVERIFY2(error.isEmpty(), "no error raised");
    } catch (const EMessageError &e) {
        QCOMPARE(e.Message(), error);
    }
    QCOMPARE(message.Recipients()->Count(), to.size());
}

void TestMailMessage::addressListsCopy_data()
{
    QTest::addColumn<int>("list");
    QTest::newRow("Recipients") << 0;
    QTest::newRow("CC") << 1;
    QTest::newRow("BCC") << 2;
}

void TestMailMessage::addressListsCopy()
{
    QFETCH(int, list);
    TmsAddressList source;
    source.AddAddress(QStringLiteral("a@x"), QStringLiteral("A"));
    source.Add()->SetAddress(QStringLiteral("b@x"));
    TmsMessage message;
    const TmsAddressList *copy = nullptr;
    switch (list) {
    case 0:
        message.SetRecipients(source);
        copy = message.Recipients();
        break;
    case 1:
        message.SetCC(source);
        copy = message.CC();
        break;
    default:
        message.SetBCC(source);
        copy = message.BCC();
        break;
    }
    source.Items(0)->SetName(QStringLiteral("changed"));
    source.Clear();
    QCOMPARE(copy->Count(), 2);
    QCOMPARE(copy->Items(0)->Name(), QStringLiteral("A"));
    QCOMPARE(copy->Items(1)->Address(), QStringLiteral("b@x"));
}

void TestMailMessage::attachmentsCopy()
{
    TmsAttList source;
    TmsAttItem *item = source.Add();
    item->SetFileName(QStringLiteral("x.png"));
    item->SetStream("content");
    item->SetEncoding(aeSevenBit);
    TmsMessage message;
    message.SetAttachments(source);
    source.Items(0)->Stream() = "changed";
    source.Clear();
    QCOMPARE(message.Attachments()->Count(), 1);
    const TmsAttItem &copy = *message.Attachments()->Items(0);
    QCOMPARE(copy.Stream(), QByteArray("content"));
    QCOMPARE(copy.FileName(), QStringLiteral("x.png"));
    QCOMPARE(copy.ContentType(), QStringLiteral("image/png"));
    QCOMPARE(copy.Encoding(), aeSevenBit);
}

void TestMailMessage::messageAssign()
{
    TmsMessage source;
    source.Sender()->SetName(QStringLiteral("S"));
    source.Sender()->SetAddress(QStringLiteral("s@x"));
    source.Recipients()->AddAddress(QStringLiteral("r@x"), QString());
    source.CC()->AddAddress(QStringLiteral("c@x"), QString());
    source.BCC()->AddAddress(QStringLiteral("b@x"), QString());
    source.SetSubject(QStringLiteral("subj"));
    source.Body() << QStringLiteral("body");
    source.Headers() << QStringLiteral("X-A: 1");
    source.SetPriority(ptHigh);
    source.SetReturnReceipt(true);
    source.SetCharSet(csISO8859);
    source.SetTag(7);
    source.Attachments()->Add()->SetFileName(QStringLiteral("_alt.txt"));

    TmsMessage copy;
    copy.Assign(source);
    source.Recipients()->Clear();
    source.Attachments()->Clear();
    source.Sender()->SetAddress(QString());
    QCOMPARE(copy.Sender()->Address(), QStringLiteral("s@x"));
    QCOMPARE(copy.Recipients()->Items(0)->Address(), QStringLiteral("r@x"));
    QCOMPARE(copy.CC()->Items(0)->Address(), QStringLiteral("c@x"));
    QCOMPARE(copy.BCC()->Items(0)->Address(), QStringLiteral("b@x"));
    QCOMPARE(copy.Subject(), QStringLiteral("subj"));
    QCOMPARE(copy.Body(), QStringList{QStringLiteral("body")});
    QCOMPARE(QStringList(copy.Headers()), QStringList{QStringLiteral("X-A: 1")});
    QCOMPARE(copy.Priority(), ptHigh);
    QVERIFY(copy.ReturnReceipt());
    QCOMPARE(copy.CharSet(), csISO8859);
    QCOMPARE(copy.Tag(), 7);
    QCOMPARE(copy.Attachments()->Count(), 1);
    QCOMPARE(copy.ContentType(), QStringLiteral("multipart/alternative"));
}

void TestMailMessage::addressItemsRoundTrip()
{
    TmsAddressList list;
    list.AddAddress(QStringLiteral("a@x"), QStringLiteral("Ann"));
    list.AddAddress(QStringLiteral("b@x"), QString());
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        list.WriteItems(out);
    }
    // Name before mailbox, per item.
    QDataStream check(bytes);
    qint32 count = 0;
    QString first, second;
    check >> count >> first >> second;
    QCOMPARE(count, 2);
    QCOMPARE(first, QStringLiteral("Ann"));
    QCOMPARE(second, QStringLiteral("a@x"));

    TmsAddressList read;
    read.AddAddress(QStringLiteral("old@x"), QString());
    QDataStream in(bytes);
    read.ReadItems(in);
    QCOMPARE(in.status(), QDataStream::Ok);
    QCOMPARE(read.Count(), 2);
    QCOMPARE(read.Items(0)->Name(), QStringLiteral("Ann"));
    QCOMPARE(read.Items(1)->Address(), QStringLiteral("b@x"));
    QVERIFY(read.HasItems());
    QVERIFY(!TmsAddressList().HasItems());
}

void TestMailMessage::attachmentItemsRoundTrip()
{
    TmsAttList list;
    TmsAttItem *item = list.Add();
    item->SetFileName(QStringLiteral("/tmp/page.html"));
    item->SetContentType(QStringLiteral("text/x-custom"));
    item->SetEncoding(aeBase64);
    item->SetStream("not stored");
    list.Add()->SetFileName(QStringLiteral("b.txt"));
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        list.WriteItems(out);
    }
    TmsAttList read;
    QDataStream in(bytes);
    read.ReadItems(in);
    QCOMPARE(in.status(), QDataStream::Ok);
    QCOMPARE(read.Count(), 2);
    // The stored type and encoding win over the ones the file name chose.
    QCOMPARE(read.Items(0)->FileName(), QStringLiteral("/tmp/page.html"));
    QCOMPARE(read.Items(0)->ContentType(), QStringLiteral("text/x-custom"));
    QCOMPARE(read.Items(0)->Encoding(), aeBase64);
    QVERIFY(read.Items(0)->Stream().isEmpty());
    QCOMPARE(read.Items(1)->ContentType(), QStringLiteral("text/plain"));
    QCOMPARE(read.Items(1)->Encoding(), aeQuotedPrintable);
}

void TestMailMessage::corruptEncodingRefused()
{
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << qint32(1) << QStringLiteral("a.txt") << QStringLiteral("text/plain") << qint32(9);
    }
    TmsAttList read;
    QDataStream in(bytes);
    read.ReadItems(in);
    QCOMPARE(in.status(), QDataStream::ReadCorruptData);
    QCOMPARE(read.Count(), 0);
}

void TestMailMessage::loadedReadsFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("binary") << QByteArray("\0\1binary", 8);
    QTest::newRow("empty") << QByteArray();
    // Large files are read in parts side by side; every byte must land in its place.
    QByteArray large(9 * 1024 * 1024 + 4099, Qt::Uninitialized);
    for (qsizetype i = 0; i < large.size(); ++i)
        large[i] = char((i * 7 + i / 4096) & 0xFF);
    QTest::newRow("9 MB, no whole number of pages") << large;
}

void TestMailMessage::loadedReadsFiles()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("a.bin"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    TmsMessage message;
    message.Attachments()->Add()->SetFileName(path);
    message.Loaded();
    QVERIFY(message.Attachments()->Items(0)->Stream() == content);
}

void TestMailMessage::loadedMissingAndProcFiles()
{
    QTemporaryDir dir;
    TmsMessage message;
    message.Attachments()->Add()->SetFileName(dir.filePath(QStringLiteral("missing.txt")));
    QVERIFY_THROWS_EXCEPTION(EInOutError, message.Loaded());
    // A file the system reports as empty still gives what reading it gives.
    message.Attachments()->Items(0)->SetFileName(QStringLiteral("/proc/self/cmdline"));
    message.Loaded();
    QVERIFY(!message.Attachments()->Items(0)->Stream().isEmpty());
}

void TestMailMessage::messageIdDomain_data()
{
    QTest::addColumn<QString>("sender");
    QTest::addColumn<QString>("domain");
    QTest::newRow("domain") << "me@here.test" << "here.test";
    QTest::newRow("one label") << "me@localhost" << "localhost";
    QTest::newRow("empty label") << "me@here..test" << "zandolet.invalid";
    QTest::newRow("leading dot") << "me@.here.test" << "zandolet.invalid";
    QTest::newRow("trailing dot") << "me@here.test." << "zandolet.invalid";
    QTest::newRow("nothing after @") << "me@" << "zandolet.invalid";
    QTest::newRow("no @") << "me" << "zandolet.invalid";
    QTest::newRow("blank inside") << "me@here test" << "zandolet.invalid";
    QTest::newRow("literal") << "me@[127.0.0.1]" << "zandolet.invalid";
}

void TestMailMessage::messageIdDomain()
{
    QFETCH(QString, sender);
    QFETCH(QString, domain);
    TmsMessage message;
    message.Sender()->SetAddress(sender);
    const TSubmissionHeaders added(message);
    const QStringList ids = message.Headers().filter(QRegularExpression(QStringLiteral("^Message-ID: ")));
    QCOMPARE(ids.size(), 1);
    QCOMPARE(ids.first().section(QLatin1Char('@'), -1), domain + QLatin1Char('>'));
}

QTEST_GUILESS_MAIN(TestMailMessage)
#include "tst_mailmessage.moc"
