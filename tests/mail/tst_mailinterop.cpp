// Composed messages read back by Python's standard email package (and
// binascii for uuencode): every part must decode to the original bytes.
#include "TTempFileStream.h"
#include "TmsMessageEncoder.h"
#include "msmsg.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

namespace {

const QString Python = QStringLiteral("/usr/bin/python3");

// An attachment that another part follows ends with an empty line before the
// blank line that opens the next delimiter, so its text gains one CR LF.
const QByteArray FollowedPartEnd = "\r\n";

QJsonObject RunParser(const char *script, TmsMessage &message)
{
    TTempFileStream stream;
    TmsMessageEncoder(message, stream).Encode();
    stream.flush();
    QProcess python;
    python.start(Python, {QStringLiteral(ZANDOLET_TEST_DATA "/mail/python/") + QLatin1String(script), stream.TempFileName()});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        qWarning() << python.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

QByteArray Hex(const QJsonValue &value)
{
    return QByteArray::fromHex(value.toString().toLatin1());
}

QByteArray RandomBytes(int n)
{
    QByteArray data(n, Qt::Uninitialized);
    QRandomGenerator rng(quint32(n) * 2654435761u);
    for (char &c : data)
        c = char(rng.bounded(256));
    return data;
}

// CR LF text that quoted-printable must carry through unchanged: long lines
// wrapped at blanks or hard, "=", tabs, Latin-1 letters, 65-byte lines.
QByteArray Text()
{
    QByteArray text;
    text += "Short line with = sign and a\ttab\r\n";
    text += "Caf\xE9" " cr\xE8" "me br\xFB" "l\xE9" "e\r\n";
    text += "\r\n";
    for (int i = 0; i < 30; ++i)
        text += "word" + QByteArray::number(i) + ' ';
    text += "end\r\n";
    text += QByteArray(65, 'x') + "\r\n";
    text += QByteArray(200, 'y') + "\r\n";
    text += QByteArray(64, 'z') + "=\r\n";
    text += ".\r\n";
    return text;
}

void AddAttachment(TmsMessage &message, const QString &name, const QString &type, TAttEncoding encoding,
                   const QByteArray &data)
{
    TmsAttItem *item = message.Attachments()->Add();
    item->SetFileName(name);
    item->SetContentType(type);
    item->SetEncoding(encoding);
    item->SetStream(data);
}

void Address(TmsMessage &message)
{
    message.Sender()->SetName(QStringLiteral("Jo Admin"));
    message.Sender()->SetAddress(QStringLiteral("jo@example.net"));
    message.Recipients()->AddAddress(QStringLiteral("a@example.org"), QStringLiteral("Ann"));
    message.Recipients()->AddAddress(QStringLiteral("b@example.org"), QString());
    message.SetSubject(QStringLiteral("Interop"));
}

} // namespace

class TestMailInterop : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void multipartParts();
    void nestedAlternative();
    void singlePart();
    void quotedPrintableBody();
    void uuencodedFiles();
};

void TestMailInterop::initTestCase()
{
    QVERIFY2(QFile::exists(Python), "the tests need /usr/bin/python3");
}

void TestMailInterop::multipartParts()
{
    TmsMessage message;
    Address(message);
    message.Body() << QStringLiteral("Hello,") << QString() << QStringLiteral("see the files.");
    const QList<QByteArray> binaries{RandomBytes(57), RandomBytes(58), RandomBytes(3000), QByteArray()};
    for (int i = 0; i < binaries.size(); ++i)
        AddAttachment(message, QStringLiteral("C:\\files\\bin%1.dat").arg(i), QStringLiteral("application/octet-stream"),
                      aeBase64, binaries[i]);
    AddAttachment(message, QStringLiteral("/home/jo/notes.txt"), QStringLiteral("text/plain"), aeQuotedPrintable, Text());
    const QByteArray log = "line one\r\nline two\r\n";
    AddAttachment(message, QStringLiteral("run.log"), QStringLiteral("text/x-log"), aeSevenBit, log);

    const QJsonObject result = RunParser("parse_mime.py", message);
    QVERIFY(!result.isEmpty());
    QCOMPARE(result[QStringLiteral("subject")].toString(), QStringLiteral("Interop"));
    QCOMPARE(result[QStringLiteral("to")].toArray().size(), 1);
    const QJsonObject tree = result[QStringLiteral("tree")].toObject();
    QCOMPARE(tree[QStringLiteral("type")].toString(), QStringLiteral("multipart/mixed"));
    QVERIFY(tree[QStringLiteral("defects")].toArray().isEmpty());
    const QJsonArray parts = tree[QStringLiteral("parts")].toArray();
    QCOMPARE(parts.size(), 7);
    QCOMPARE(Hex(parts[0][QStringLiteral("data")]), QByteArray("Hello,\r\n\r\nsee the files.\r\n"));
    for (int i = 0; i < binaries.size(); ++i) {
        QCOMPARE(parts[i + 1][QStringLiteral("filename")].toString(), QStringLiteral("bin%1.dat").arg(i));
        QCOMPARE(Hex(parts[i + 1][QStringLiteral("data")]), binaries[i]);
    }
    QCOMPARE(parts[5][QStringLiteral("filename")].toString(), QStringLiteral("notes.txt"));
    QCOMPARE(Hex(parts[5][QStringLiteral("data")]), Text() + FollowedPartEnd);
    QCOMPARE(parts[6][QStringLiteral("type")].toString(), QStringLiteral("text/x-log"));
    QCOMPARE(Hex(parts[6][QStringLiteral("data")]), log);
}

void TestMailInterop::nestedAlternative()
{
    TmsMessage message;
    Address(message);
    message.Body() << QStringLiteral("plain version");
    AddAttachment(message, QStringLiteral("/tmp/_ALT.html"), QStringLiteral("text/html"), aeQuotedPrintable,
                  "<p>html version</p>\r\n");
    AddAttachment(message, QStringLiteral("_alt.bin"), QStringLiteral("application/octet-stream"), aeBase64,
                  RandomBytes(100));
    AddAttachment(message, QStringLiteral("extra.bin"), QStringLiteral("application/octet-stream"), aeBase64,
                  RandomBytes(10));

    const QJsonObject tree = RunParser("parse_mime.py", message)[QStringLiteral("tree")].toObject();
    QCOMPARE(tree[QStringLiteral("type")].toString(), QStringLiteral("multipart/mixed"));
    const QJsonArray outer = tree[QStringLiteral("parts")].toArray();
    QCOMPARE(outer.size(), 2);
    const QJsonObject group = outer[0].toObject();
    QCOMPARE(group[QStringLiteral("type")].toString(), QStringLiteral("multipart/alternative"));
    QVERIFY(group[QStringLiteral("defects")].toArray().isEmpty());
    const QJsonArray inner = group[QStringLiteral("parts")].toArray();
    QCOMPARE(inner.size(), 3);
    QCOMPARE(Hex(inner[0][QStringLiteral("data")]), QByteArray("plain version\r\n"));
    QCOMPARE(Hex(inner[1][QStringLiteral("data")]), "<p>html version</p>\r\n" + FollowedPartEnd);
    QCOMPARE(Hex(inner[2][QStringLiteral("data")]), RandomBytes(100));
    QCOMPARE(outer[1][QStringLiteral("filename")].toString(), QStringLiteral("extra.bin"));
    QCOMPARE(Hex(outer[1][QStringLiteral("data")]), RandomBytes(10));
}

void TestMailInterop::singlePart()
{
    TmsMessage message;
    Address(message);
    AddAttachment(message, QStringLiteral("photo.png"), QStringLiteral("image/png"), aeBase64, RandomBytes(5000));
    const QJsonObject tree = RunParser("parse_mime.py", message)[QStringLiteral("tree")].toObject();
    QCOMPARE(tree[QStringLiteral("type")].toString(), QStringLiteral("image/png"));
    QCOMPARE(tree[QStringLiteral("filename")].toString(), QStringLiteral("photo.png"));
    QCOMPARE(Hex(tree[QStringLiteral("data")]), RandomBytes(5000));
}

void TestMailInterop::quotedPrintableBody()
{
    TmsMessage message;
    Address(message);
    message.SetCharSet(csISO8859);
    const QStringList lines = QString::fromLatin1(Text()).split(QStringLiteral("\r\n"));
    message.SetBody(lines.mid(0, lines.size() - 1));
    const QJsonObject tree = RunParser("parse_mime.py", message)[QStringLiteral("tree")].toObject();
    QCOMPARE(tree[QStringLiteral("type")].toString(), QStringLiteral("text/plain"));
    QCOMPARE(Hex(tree[QStringLiteral("data")]), Text());
}

void TestMailInterop::uuencodedFiles()
{
    TmsMessage message;
    Address(message);
    message.SetEncoding(meUU);
    message.Body() << QStringLiteral("Files follow.");
    const QList<int> sizes{0, 1, 2, 3, 44, 45, 46, 90, 1000};
    for (int n : sizes)
        AddAttachment(message, QStringLiteral("dir/f%1.bin").arg(n), QString(), aeBase64, RandomBytes(n));
    const QJsonObject result = RunParser("parse_uu.py", message);
    QVERIFY(!result[QStringLiteral("open")].toBool());
    const QJsonArray files = result[QStringLiteral("files")].toArray();
    QCOMPARE(files.size(), sizes.size());
    for (int i = 0; i < sizes.size(); ++i) {
        QCOMPARE(files[i][QStringLiteral("name")].toString(), QStringLiteral("f%1.bin").arg(sizes[i]));
        QCOMPARE(Hex(files[i][QStringLiteral("data")]), RandomBytes(sizes[i]));
    }
}

QTEST_GUILESS_MAIN(TestMailInterop)
#include "tst_mailinterop.moc"
