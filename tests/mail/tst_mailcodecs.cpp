// The line encoders and the quoted-printable paragraph rules, driven through
// a line writer into memory.
#include "LineCodecs.h"
#include "TEventSlice.h"
#include "TLineWriter.h"
#include "TQuotedPrintable.h"
#include "Exception.h"

#include <QBuffer>
#include <QtTest>

namespace {

QByteArray QuotedPrintable(const QByteArray &input)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    TEventSlice slice;
    TLineWriter writer(buffer, slice);
    TQuotedPrintable(input, writer).EncodeParagraphs();
    writer.Flush();
    return buffer.data();
}

QByteArray Base64Line(const QByteArray &data)
{
    char out[LineCodecs::Base64LineMax];
    char *end = LineCodecs::EncodeBase64Line(reinterpret_cast<const uchar *>(data.constData()), int(data.size()), out);
    return QByteArray(out, end - out);
}

QByteArray UULine(const QByteArray &data)
{
    char out[LineCodecs::UULineMax];
    char *end = LineCodecs::EncodeUULine(reinterpret_cast<const uchar *>(data.constData()), int(data.size()), out);
    return QByteArray(out, end - out);
}

QByteArray Bytes(int n, int seed = 0)
{
    QByteArray data(n, Qt::Uninitialized);
    for (int i = 0; i < n; ++i)
        data[i] = char((i * 37 + seed * 11 + 5) & 0xFF);
    return data;
}

} // namespace

class TestMailCodecs : public QObject {
    Q_OBJECT
private slots:
    void base64MatchesStandard();
    void uuLine_data();
    void uuLine();
    void uuAlphabet();
    void qpLine_data();
    void qpLine();
    void paragraphs_data();
    void paragraphs();
    void wrap_data();
    void wrap();
    void paragraphLimit();
};

void TestMailCodecs::base64MatchesStandard()
{
    for (int n = 0; n <= LineCodecs::Base64LineBytes; ++n) {
        for (int seed = 0; seed < 3; ++seed) {
            const QByteArray data = Bytes(n, seed);
            QCOMPARE(Base64Line(data), data.toBase64());
        }
    }
    QCOMPARE(Base64Line(Bytes(57)).size(), 76);
}

void TestMailCodecs::uuLine_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("empty") << QByteArray() << QByteArray("``");
    QTest::newRow("one byte") << QByteArray("a") << QByteArray("!80");
    QTest::newRow("two bytes") << QByteArray("ab") << QByteArray("\"86(");
    QTest::newRow("three bytes") << QByteArray("abc") << QByteArray("#86)C`");
    QTest::newRow("zero bytes give backquotes") << QByteArray(3, '\0') << QByteArray("#`````");
    QTest::newRow("all ones") << QByteArray(3, '\xFF') << QByteArray("#____`");
}

void TestMailCodecs::uuLine()
{
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, line);
    QCOMPARE(UULine(data), line);
}

void TestMailCodecs::uuAlphabet()
{
    // Every length: length character, then 60 characters for a full line
    // and 4n/3 + 1 otherwise, all from the backquote-to-underscore alphabet.
    for (int n = 0; n <= LineCodecs::UULineBytes; ++n) {
        const QByteArray line = UULine(Bytes(n));
        QCOMPARE(line.size(), 1 + (n == 45 ? 60 : 4 * n / 3 + 1));
        QCOMPARE(line.at(0), n == 0 ? '`' : char(32 + n));
        for (char c : line)
            QVERIFY2(c == '`' || (c >= '!' && c <= '_'), line.constData());
    }
}

void TestMailCodecs::qpLine_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("tab and 233") << QByteArray("a\tb\xE9") << QByteArray("a=09b=E9");
    QTest::newRow("equals") << QByteArray("x=y") << QByteArray("x=3Dy");
    QTest::newRow("controls and nul") << QByteArray("\x01\x1F\0", 3) << QByteArray("=01=1F=00");
    QTest::newRow("printable kept") << QByteArray(" ~\x7F!") << QByteArray(" ~\x7F!");
    QTest::newRow("high bytes") << QByteArray("\x80\xFF") << QByteArray("=80=FF");
    QTest::newRow("trailing blank kept") << QByteArray("end ") << QByteArray("end ");
}

void TestMailCodecs::qpLine()
{
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, line);
    QByteArray out(3 * data.size(), '\0');
    char *end = LineCodecs::EncodeQPLine(reinterpret_cast<const uchar *>(data.constData()), data.size(), out.data());
    QCOMPARE(QByteArray(out.constData(), end - out.constData()), line);
}

void TestMailCodecs::paragraphs_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("output");
    QTest::newRow("empty text is one empty line") << QByteArray() << QByteArray("\r\n");
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QByteArray("a\r\nb\r\n");
    QTest::newRow("lfcr crcr lflf are one end each")
        << QByteArray("a\n\rb\r\rc\n\nd") << QByteArray("a\r\nb\r\nc\r\nd\r\n");
    QTest::newRow("three ends give an empty paragraph") << QByteArray("a\r\n\r\nb") << QByteArray("a\r\n\r\nb\r\n");
    QTest::newRow("last byte kept even when a line end") << QByteArray("abc\n") << QByteArray("abc=0A\r\n");
    QTest::newRow("lone last cr") << QByteArray("\r") << QByteArray("=0D\r\n");
    QTest::newRow("cr then last byte") << QByteArray("a\rx") << QByteArray("a\r\nx\r\n");
    QTest::newRow("cr cr then last lf") << QByteArray("a\r\r\n") << QByteArray("a\r\n=0A\r\n");
}

void TestMailCodecs::paragraphs()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, output);
    QCOMPARE(QuotedPrintable(input), output);
}

void TestMailCodecs::wrap_data()
{
    QTest::addColumn<QByteArray>("paragraph");
    QTest::addColumn<QByteArray>("output");
    const QByteArray a64(64, 'a'), a65(65, 'a');
    QTest::newRow("64 stays") << a64 << a64 + "\r\n";
    QTest::newRow("65 without blank") << a65 << a65 + "=\r\n\r\n";
    QTest::newRow("66 without blank") << a65 + "b" << a65 + "=\r\nb\r\n";
    QTest::newRow("blank just past window") << a65 + " tail" << a65 + "=\r\n tail\r\n";
    QTest::newRow("blank inside window") << QByteArray(10, 'x') + ' ' + QByteArray(60, 'y')
                                         << QByteArray(10, 'x') + "=\r\n " + QByteArray(60, 'y') + "\r\n";
    QTest::newRow("blank at start does not count") << ' ' + QByteArray(70, 'z')
                                                   << ' ' + QByteArray(64, 'z') + "=\r\n" + QByteArray(6, 'z') + "\r\n";
    QTest::newRow("encoding after wrap") << QByteArray(64, 'e') + "\t=" << QByteArray(64, 'e') + "=09=\r\n=3D\r\n";
}

void TestMailCodecs::wrap()
{
    QFETCH(QByteArray, paragraph);
    QFETCH(QByteArray, output);
    QCOMPARE(QuotedPrintable(paragraph), output);
}

void TestMailCodecs::paragraphLimit()
{
    // The limit counts stored bytes; the line end of a paragraph is not stored.
    QVERIFY(!QuotedPrintable(QByteArray(24575, 'p') + "\r\nshort").isEmpty());
    QVERIFY_THROWS_EXCEPTION(Exception, QuotedPrintable("short\r\n" + QByteArray(24576, 'p')));
    // A final line end is stored, so it counts.
    QVERIFY(QuotedPrintable(QByteArray(24574, 'p') + '\n').endsWith("=0A\r\n"));
    QVERIFY_THROWS_EXCEPTION(Exception, QuotedPrintable(QByteArray(24575, 'p') + '\n'));
    try {
        QuotedPrintable(QByteArray(30000, 'p'));
        QFAIL("no error");
    } catch (const Exception &e) {
        QCOMPARE(e.Message(), QStringLiteral("Paragraph is too large"));
    }
}

QTEST_GUILESS_MAIN(TestMailCodecs)
#include "tst_mailcodecs.moc"
