// Composed message texts: golden files for whole messages, plus the rules
// that change the message itself or depend on sizes.
#include "MessageScript.h"
#include "TmsMessageEncoder.h"
#include "msmsg.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

namespace {

QByteArray Compose(TmsMessage &message)
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    TmsMessageEncoder(message, buffer).Encode();
    return buffer.data();
}

QList<QByteArray> Lines(const QByteArray &text)
{
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

// Replaces each boundary by {B1}, {B2}, ... in order of first use.
QByteArray NormaliseBoundaries(QByteArray text, QStringList *boundaries)
{
    static const QRegularExpression rx(QStringLiteral("boundary=\"([^\"]*)\""));
    auto it = rx.globalMatch(QString::fromLatin1(text));
    int n = 0;
    while (it.hasNext()) {
        const QString b = it.next().captured(1);
        boundaries->append(b);
        text.replace(b.toLatin1(), QStringLiteral("{B%1}").arg(++n).toLatin1());
    }
    return text;
}

QByteArray FirstDifference(const QByteArray &actual, const QByteArray &expected)
{
    const QList<QByteArray> a = actual.split('\n'), e = expected.split('\n');
    for (qsizetype i = 0; i < std::max(a.size(), e.size()); ++i) {
        if (a.value(i) != e.value(i))
            return "line " + QByteArray::number(i + 1) + "\n  actual:   " + a.value(i).toPercentEncoding(" <>\":=;,-./@")
                + "\n  expected: " + e.value(i).toPercentEncoding(" <>\":=;,-./@");
    }
    return {};
}

} // namespace

class TestMailCompose : public QObject {
    Q_OBJECT
private slots:
    void golden_data();
    void golden();
    void bodyLinesAreLeftAlone();
    void bodyForm_data();
    void bodyForm();
    void longLineThreshold_data();
    void longLineThreshold();
    void paragraphLimit_data();
    void paragraphLimit();
    void headerRemovalChangesMessage();
    void writeLineStopsAtNul();
    void boundaryForm();
    void nestedBoundariesDiffer();
    void composesFromPositionZero();
    void writeErrorsPropagate();
    void fileGetsBufferBytes_data();
    void fileGetsBufferBytes();
};

void TestMailCompose::golden_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("expected");
    QDir dir(QStringLiteral(ZANDOLET_TEST_DATA "/mail"));
    const QStringList expected = dir.entryList({QStringLiteral("*.expected")}, QDir::Files, QDir::Name);
    QVERIFY2(expected.size() >= 10, "golden cases missing");
    for (const QString &name : expected) {
        const QString base = name.chopped(int(strlen(".expected")));
        QTest::newRow(qPrintable(base)) << dir.filePath(base) << dir.filePath(name);
    }
}

void TestMailCompose::golden()
{
    QFETCH(QString, script);
    QFETCH(QString, expected);
    QFile in(script), out(expected);
    QVERIFY2(in.open(QIODevice::ReadOnly), qPrintable(script));
    QVERIFY2(out.open(QIODevice::ReadOnly), qPrintable(expected));

    TmsMessage message;
    const QString error = MessageScript::Apply(QString::fromUtf8(in.readAll()), message);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QStringList boundaries;
    const QByteArray actual = NormaliseBoundaries(Compose(message), &boundaries);
    for (const QString &b : boundaries)
        QVERIFY2(QRegularExpression(QStringLiteral("^[0-8]{8}$")).match(b).hasMatch(), qPrintable(b));
    const QByteArray wanted = out.readAll();
    QVERIFY2(actual == wanted, FirstDifference(actual, wanted).constData());
}

void TestMailCompose::bodyLinesAreLeftAlone()
{
    // Dot doubling belongs to the SMTP data phase, so the body is not touched.
    TmsMessage message;
    message.Body() = QStringList{QStringLiteral("."), QStringLiteral(".x"), QStringLiteral("..")};
    const QList<QByteArray> lines = Lines(Compose(message));
    QCOMPARE(lines.mid(lines.size() - 3), (QList<QByteArray>{".", ".x", ".."}));
    QCOMPARE(message.Body(), (QStringList{QStringLiteral("."), QStringLiteral(".x"), QStringLiteral("..")}));
}

void TestMailCompose::bodyForm_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("setup"); // "iso" asked, or an "attach"ment; always on an 8-bit way
    QTest::addColumn<QByteArray>("form"); // charset, transfer encoding, first body line
    const QString u = QString(QChar(0xfc));
    QTest::newRow("accented") << "Z" + u << "" << QByteArray("iso-8859-1 8bit Z\xfc");
    QTest::newRow("accented long line") << u + QString(255, 'a') << "" << "iso-8859-1 quoted-printable =FC" + QByteArray(64, 'a') + '=';
    QTest::newRow("accented, multipart") << "Z" + u << "attach" << QByteArray("iso-8859-1 quoted-printable Z=FC");
    QTest::newRow("accented, CR inside") << "Z" + u + "\rx" << "" << QByteArray("iso-8859-1 quoted-printable Z=FC");
    QTest::newRow("iso asked, ASCII") << "a=b" << "iso" << QByteArray("iso-8859-1 quoted-printable a=3Db");
    QTest::newRow("beyond Latin-1") << QString::fromUtf8("5\u20ac") << "" << QByteArray("us-ascii 7bit 5?");
}

void TestMailCompose::bodyForm()
{
    QFETCH(QString, line);
    QFETCH(QString, setup);
    QFETCH(QByteArray, form);
    TmsMessage message;
    message.Body() = QStringList{line};
    message.SetCharSet(setup == "iso" ? csISO8859 : csUSASCII);
    if (setup == "attach")
        message.Attachments()->Add()->SetFileName(QStringLiteral("a.bin"));
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    TmsMessageEncoder(message, buffer, TBodyTransport::EightBit).Encode();
    const QList<QByteArray> want = form.split(' ');
    QVERIFY2(buffer.data().contains("charset=\"" + want[0] + "\"\r\nContent-Transfer-Encoding: " + want[1] + "\r\n\r\n" +
                                    want[2] + "\r\n"), buffer.data().constData());
    QCOMPARE(TmsMessageEncoder::SendsEightBit(message, TBodyTransport::EightBit), want[1] == "8bit");
}

void TestMailCompose::longLineThreshold_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("encoding");
    QTest::newRow("255") << 255 << QByteArray("Content-Transfer-Encoding: 7bit");
    QTest::newRow("256") << 256 << QByteArray("Content-Transfer-Encoding: quoted-printable");
}

void TestMailCompose::longLineThreshold()
{
    QFETCH(int, length);
    QFETCH(QByteArray, encoding);
    TmsMessage message;
    message.Body() = QStringList{QStringLiteral("short"), QString(length, QLatin1Char('a'))};
    const QList<QByteArray> lines = Lines(Compose(message));
    QVERIFY(lines.contains(encoding));
}

void TestMailCompose::paragraphLimit_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("fails");
    QTest::newRow("24575") << 24575 << false;
    QTest::newRow("24576") << 24576 << true;
}

void TestMailCompose::paragraphLimit()
{
    QFETCH(int, length);
    QFETCH(bool, fails);
    TmsMessage message;
    message.Body() = QStringList{QString(length, QLatin1Char('q'))};
    try {
        const QList<QByteArray> lines = Lines(Compose(message));
        QVERIFY(!fails);
        // 24575 bytes without a blank: 378 full pieces of 65 and one of 5.
        const qsizetype first = lines.indexOf(QByteArray()) + 1;
        QCOMPARE(lines.size() - first, 379);
        QCOMPARE(lines.at(first), QByteArray(65, 'q') + '=');
        QCOMPARE(lines.last(), QByteArray(5, 'q'));
    } catch (const Exception &e) {
        QVERIFY(fails);
        QCOMPARE(e.Message(), QStringLiteral("Paragraph is too large"));
    }
}

void TestMailCompose::headerRemovalChangesMessage()
{
    TmsMessage message;
    message.Headers() = TmsHeaders{QStringLiteral("x-a: 1"), QStringLiteral("SUBJECT: old"), QStringLiteral("\tmore"),
                                   QStringLiteral(" more"), QStringLiteral("Subject: second"), QStringLiteral("cc: c"),
                                   QStringLiteral("Keep: me")};
    Compose(message);
    // Only the first of each name goes, with its continuation lines.
    QCOMPARE(QStringList(message.Headers()),
             (QStringList{QStringLiteral("x-a: 1"), QStringLiteral("Subject: second"), QStringLiteral("Keep: me")}));
}

void TestMailCompose::writeLineStopsAtNul()
{
    TmsMessage message;
    // Short lines and lines long enough for the converter's wide steps; a
    // character beyond ISO-8859-1 becomes "?", as with toLatin1.
    message.Body() = QStringList{QStringLiteral("before") + QChar(0) + QStringLiteral("after"),
                                 QString(20, QLatin1Char('a')) + QChar(0) + QStringLiteral("tail"),
                                 QString(25, QLatin1Char('b')) + QChar(0x20AC) + QString(14, QLatin1Char('c')),
                                 QStringLiteral("next")};
    const QList<QByteArray> lines = Lines(Compose(message));
    QCOMPARE(lines.mid(lines.size() - 4), (QList<QByteArray>{"before", QByteArray(20, 'a'),
                                                              QByteArray(25, 'b') + '?' + QByteArray(14, 'c'), "next"}));
}

void TestMailCompose::boundaryForm()
{
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        const QString b = TmsMessageEncoder::MakeBoundary();
        QVERIFY2(QRegularExpression(QStringLiteral("^[0-8]{8}$")).match(b).hasMatch(), qPrintable(b));
        seen.insert(b);
    }
    QVERIFY(seen.size() > 190);
}

void TestMailCompose::nestedBoundariesDiffer()
{
    TmsMessage message;
    message.Body() = QStringList{QStringLiteral("text")};
    for (const char *name : {"_alt.txt", "_ALT.htm"})
        message.Attachments()->Add()->SetFileName(QLatin1String(name));
    for (int i = 0; i < 50; ++i) {
        QStringList boundaries;
        NormaliseBoundaries(Compose(message), &boundaries);
        QCOMPARE(boundaries.size(), 2);
        QVERIFY(boundaries[0] != boundaries[1]);
    }
}

void TestMailCompose::composesFromPositionZero()
{
    TmsMessage message;
    message.Sender()->SetAddress(QStringLiteral("a@b"));
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    buffer.write("old text that is replaced");
    TmsMessageEncoder(message, buffer).Encode();
    QVERIFY(buffer.data().startsWith("From:      <a@b>\r\n"));
}

void TestMailCompose::writeErrorsPropagate()
{
    TmsMessage message;
    message.Sender()->SetAddress(QStringLiteral("a@b"));
    TmsAttItem *item = message.Attachments()->Add();
    item->SetFileName(QStringLiteral("big.bin"));
    item->SetStream(QByteArray(1 << 20, 'x'));
    // A device that refuses writes, and a file whose disk is full.
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    QVERIFY_THROWS_EXCEPTION(EInOutError, TmsMessageEncoder(message, readOnly).Encode());
    QFile full(QStringLiteral("/dev/full"));
    if (!full.open(QIODevice::WriteOnly))
        QSKIP("no /dev/full");
    QVERIFY_THROWS_EXCEPTION(EInOutError, TmsMessageEncoder(message, full).Encode());
}

void TestMailCompose::fileGetsBufferBytes_data()
{
    QTest::addColumn<int>("encoding");
    QTest::addColumn<int>("attEncoding");
    QTest::newRow("Base64") << int(meMIME) << int(aeBase64);
    QTest::newRow("uuencode") << int(meUU) << int(aeBase64);
    QTest::newRow("quoted-printable") << int(meMIME) << int(aeQuotedPrintable);
    QTest::newRow("7 bit") << int(meMIME) << int(aeSevenBit);
}

// A file takes a large text a buffer at a time from another thread; the bytes
// and their order must be those a memory buffer gets.
void TestMailCompose::fileGetsBufferBytes()
{
    QFETCH(int, encoding);
    QFETCH(int, attEncoding);
    QByteArray content;
    for (int i = 0; content.size() < 5 * 1024 * 1024; ++i)
        content += QByteArray::number(i) + (i % 3 ? " line =\xE9 text\r\n" : "\n");
    TmsMessage message;
    message.Sender()->SetAddress(QStringLiteral("a@b"));
    message.SetEncoding(TMsgEncoding(encoding));
    TmsAttItem *item = message.Attachments()->Add();
    item->SetFileName(QStringLiteral("big.dat"));
    item->SetEncoding(TAttEncoding(attEncoding));
    item->SetStream(content);

    QBuffer memory;
    memory.open(QIODevice::WriteOnly);
    TmsMessageEncoder(message, memory).Encode();
    QTemporaryFile file;
    QVERIFY(file.open());
    TmsMessageEncoder(message, file).Encode();
    QVERIFY(memory.data().size() > 4 * 1024 * 1024);
    QCOMPARE(file.size(), memory.data().size());
    file.seek(0);
    QVERIFY(file.readAll() == memory.data());
}

QTEST_GUILESS_MAIN(TestMailCompose)
#include "tst_mailcompose.moc"
