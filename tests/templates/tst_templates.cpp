// Template lines, labels, the agreement block, the Processed stamp and the
// text copy file, without the record store.
#include "Agreement.h"
#include "Exception.h"
#include "FieldCatalogue.h"
#include "FieldText.h"
#include "MapFields.h"
#include "ProcessedStamp.h"
#include "RecordCase.h"
#include "TemplateLabel.h"
#include "TemplateRenderer.h"
#include "TextCopy.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kDataDir = QStringLiteral(ZANDOLET_TEST_DATA "/templates");
const QString kStampMark = QStringLiteral("Processed {stamp}");

QStringList readExpected(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

// The stamp must read back, in the locale's own formats, as the render time.
bool stampReadsBack(const QString &line, const QDateTime &now, QString *why)
{
    const QString prefix = QStringLiteral("Processed ");
    if (!line.startsWith(prefix)) {
        *why = QStringLiteral("no \"Processed \" prefix: ") + line;
        return false;
    }
    const QString stamp = line.mid(prefix.size());
    const QLocale locale = QLocale::system();
    const QString dateFmt = ProcessedStamp::dateFormat(locale);
    const QString timeFmt = ProcessedStamp::timeFormat(locale);
    const bool midnight = now.time() == QTime(0, 0);
    const QDateTime back = midnight ? QDateTime(locale.toDate(stamp, dateFmt), QTime(0, 0))
                                    : locale.toDateTime(stamp, dateFmt + QLatin1Char(' ') + timeFmt);
    if (back != now.addMSecs(-now.time().msec())) {
        *why = QStringLiteral("\"%1\" does not read back as %2").arg(stamp, now.toString(Qt::ISODate));
        return false;
    }
    return true;
}

int fieldLabelWidth(RecordKind kind, const TemplateRow &row)
{
    switch (kind) {
    case RecordKind::Domain:
        return 33;
    case RecordKind::Host: {
        const QString code = findField(row.field)->line;
        return code.startsWith(QLatin1Char('0')) ? 34 : 33;
    }
    case RecordKind::Contact:
        break;
    }
    return 30;
}

MapFields domainWithPurpose(const QString &purpose)
{
    MapFields f;
    f.texts.insert(QStringLiteral("DomainNameEdit"), QStringLiteral("example.com"));
    f.texts.insert(QStringLiteral("PurposeEdit"), purpose);
    return f;
}

} // namespace

class TstTemplates : public QObject {
    Q_OBJECT

private slots:
    void golden_data();
    void golden();
    void labels_data();
    void labels();
    void purposeLines_data();
    void purposeLines();
    void agreementLayout();
    void agreementInDomainTemplate();
    void processedStamp_data();
    void processedStamp();
    void textCopyBytes();
    void textCopyRead();
    void textCopyFailures_data();
    void textCopyFailures();
    void textCopyRefusesForeignCharacters();
};

void TstTemplates::golden_data()
{
    QTest::addColumn<QString>("casePath");
    const QDir dir(kDataDir);
    const QStringList cases = dir.entryList(QDir::Files, QDir::Name).filter(QRegularExpression("^[^.]+$"));
    QVERIFY2(cases.size() >= 8, "golden cases missing");
    for (const QString &c : cases)
        QTest::newRow(qPrintable(c)) << dir.filePath(c);
}

void TstTemplates::golden()
{
    QFETCH(QString, casePath);
    const RecordCase rc = RecordCase::load(casePath);
    const QStringList expected = readExpected(casePath + QStringLiteral(".expected"));
    QVERIFY2(!expected.isEmpty(), "no .expected file");
    const QStringList actual = renderLines(rc.kind, rc.fields, rc.now);

    for (qsizetype i = 0; i < std::min(expected.size(), actual.size()); ++i) {
        if (expected[i] == kStampMark) {
            QString why;
            QVERIFY2(stampReadsBack(actual[i], rc.now, &why), qPrintable(QStringLiteral("line %1: ").arg(i + 1) + why));
            continue;
        }
        QVERIFY2(actual[i] == expected[i], qPrintable(QStringLiteral("line %1:\n  actual   \"%2\"\n  expected \"%3\"")
                                                          .arg(i + 1)
                                                          .arg(actual[i], expected[i])));
    }
    QCOMPARE(actual.size(), expected.size());
}

void TstTemplates::labels_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("row");
    for (const KindInfo &k : recordKinds()) {
        const std::vector<TemplateRow> &rows = templateRows(k.kind);
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].type == RowType::Field)
                QTest::addRow("%s %s #%zu", k.section, qPrintable(rows[i].field), i) << int(k.kind) << int(i);
    }
}

// Every label: catalogue line code, name, dots, ": " at the template's width.
void TstTemplates::labels()
{
    QFETCH(int, kind);
    QFETCH(int, row);
    const auto k = RecordKind(kind);
    const TemplateRow &r = templateRows(k)[size_t(row)];
    const FieldDef *def = findField(r.field);
    QVERIFY2(def, qPrintable(r.field));
    QCOMPARE(int(def->kind), kind);

    const QString label = templateLabel(r);
    QCOMPARE(label.size(), fieldLabelWidth(k, r));
    QVERIFY(label.endsWith(QStringLiteral(": ")));
    static const QRegularExpression shape(QStringLiteral("^(\\d[a-l]?)\\. +([^.].*[^.])\\.*: $"));
    const QRegularExpressionMatch m = shape.match(label);
    QVERIFY2(m.hasMatch(), qPrintable(label));
    QCOMPARE(m.captured(1), def->line);
    QCOMPARE(m.captured(2), r.text);
    QCOMPARE(label.indexOf(r.text), 4); // the name starts in the fifth column
}

void TstTemplates::purposeLines_data()
{
    QTest::addColumn<QString>("purpose");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("one line") << "Mail" << QStringList{"Mail"};
    QTest::newRow("empty") << "" << QStringList{""};
    QTest::newRow("three, CR LF") << "a\r\nb\r\nc" << QStringList{"a", "b", "c"};
    QTest::newRow("three, LF") << "a\nb\nc" << QStringList{"a", "b", "c"};
    QTest::newRow("lone CR") << "a\rb" << QStringList{"a", "b"};
    QTest::newRow("empty middle line") << "a\r\n\r\nc" << QStringList{"a", "", "c"};
    QTest::newRow("final break") << "a\r\n" << QStringList{"a", ""};
    QTest::newRow("control characters go, a tab stays")
        << QString("a\tb") + QChar(0x1B) + QChar(0x85) + "\r\nc" + QChar(0x7F) << QStringList{"a\tb", "c"};
}

// A purpose of n lines makes the template n - 1 lines longer; its first line
// carries the label, the rest stand alone, and what follows moves down. The
// same text in every one-line field adds no line: they end at a line break.
void TstTemplates::purposeLines()
{
    QFETCH(QString, purpose);
    QFETCH(QStringList, lines);
    MapFields f = domainWithPurpose(purpose);
    for (const FieldDef &s : fieldCatalogue())
        if (s.kind == RecordKind::Domain && s.type == ControlType::Edit)
            f.texts[s.name] = purpose;
    const QStringList out = renderLines(RecordKind::Domain, f, QDateTime::currentDateTime());
    QCOMPARE(out.size(), 211 + lines.size());
    const qsizetype at = 145; // line 146
    QCOMPARE(out[at], QStringLiteral("1.  Purpose/Description........: ") + lines[0]);
    for (qsizetype i = 1; i < lines.size(); ++i)
        QCOMPARE(out[at + i], lines[i]);
    QCOMPARE(out[at + lines.size()], QString());
    QCOMPARE(out[at + lines.size() + 1], QStringLiteral("2.  Complete Domain Name.......: example.com"));
    QCOMPARE(out.back(), QStringLiteral("END OF AGREEMENT"));
    for (const QChar c : out.join(QString()))
        QVERIFY(!FieldText::refused(c, FieldText::Shape::Memo) && c != u'\r' && c != u'\n');
}

void TstTemplates::agreementLayout()
{
    const QStringList lines = agreementLines();
    QCOMPARE(lines.size(), 134);
    QCOMPARE(lines[0], QStringLiteral("NETWORK SOLUTIONS, INC."));
    QCOMPARE(lines[1], QStringLiteral("DOMAIN NAME REGISTRATION AGREEMENT"));

    struct Section {
        char letter;
        const char *title; // null: the section opens with its sentence
        int lines;
    };
    static const Section sections[] = {
        {'A', "Introduction", 11},
        {'B', "Fees and Payments", 10},
        {'C', "Dispute Policy", 6},
        {'D', "Dispute Policy Changes or Modifications", 9},
        {'E', "Disputes", 3},
        {'F', "Agents", 5},
        {'G', "Limitation of Liability", 10},
        {'H', "Indemnity", 4},
        {'I', "Breach", 11},
        {'J', "No Guaranty", 3},
        {'K', "Warranty", 6},
        {'L', "Revocation", 5},
        {'M', "Right of Refusal", 7},
        {'N', "Severability", 4},
        {'O', "Entirety", 6},
        {'P', "Governing Law", 10},
        {'Q', nullptr, 6},
    };
    qsizetype at = 2;
    for (const Section &s : sections) {
        const QString where = QStringLiteral("section %1").arg(QLatin1Char(s.letter));
        QVERIFY2(at + s.lines <= lines.size(), qPrintable(where));
        const QString first = lines[at];
        const QString opening = QString(QLatin1Char(s.letter)) + QLatin1Char('.');
        QVERIFY2(first.startsWith(opening), qPrintable(where + ": " + first));
        if (s.title) {
            QVERIFY2(first.startsWith(opening + QLatin1String(s.title) + QStringLiteral(". ")),
                     qPrintable(where + ": " + first));
        } else {
            QVERIFY2(first.size() > 2 && first[2].isLetter() && first[2].isUpper(), qPrintable(first));
            // Q states the version, the domains covered and the acceptance of A to P.
            const QString q = lines.mid(at, s.lines).join(QLatin1Char(' '));
            QVERIFY2(q.contains(QStringLiteral("3.5")), qPrintable(q));
            QVERIFY2(q.contains(QStringLiteral("COM")), qPrintable(q));
            QVERIFY2(q.contains(QStringLiteral("A to P")), qPrintable(q));
        }
        for (int i = 0; i < s.lines; ++i) {
            const QString &l = lines[at + i];
            const QString here = where + QStringLiteral(" line %1: ").arg(i + 1) + l;
            QVERIFY2(!l.isEmpty(), qPrintable(here));
            QVERIFY2(l.size() <= 70, qPrintable(here));
            QVERIFY2(l == l.trimmed() && !l.contains(QStringLiteral("  ")), qPrintable(here));
            // Broken between words, and not before a word that would still fit.
            if (i + 1 < s.lines) {
                const QString nextWord = lines[at + i + 1].section(QLatin1Char(' '), 0, 0);
                QVERIFY2(l.size() + 1 + nextWord.size() > 70, qPrintable(here));
            }
        }
        at += s.lines;
        if (s.letter != 'Q') {
            QVERIFY2(at < lines.size() && lines[at].isEmpty(), qPrintable(where + ": no blank line after it"));
            ++at;
        }
    }
    QCOMPARE(at, lines.size());
    for (const QString &l : lines)
        for (QChar c : l)
            QVERIFY2(c.unicode() >= 0x20 && c.unicode() < 0x7f, qPrintable(l));
}

void TstTemplates::agreementInDomainTemplate()
{
    const QStringList out = renderLines(RecordKind::Domain, MapFields(), QDateTime::currentDateTime());
    QCOMPARE(out.mid(4, 134), agreementLines());
    QCOMPARE(out[138], QString());
    QCOMPARE(out[139], QString());
    QCOMPARE(out[140], QStringLiteral("Authorization"));
}

void TstTemplates::processedStamp_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<bool>("native"); // the locale's own text fits ISO-8859-1
    const QDateTime afternoon(QDate(1998, 3, 4), QTime(13, 5, 9, 750));
    const QDateTime midnight(QDate(2001, 12, 24), QTime(0, 0));
    const QDateTime secondPast(QDate(2001, 12, 24), QTime(0, 0, 1));
    for (const char *name : {"C", "en_US", "en_GB", "de_DE", "fr_FR"}) {
        QTest::addRow("%s afternoon", name) << name << afternoon << true;
        QTest::addRow("%s midnight", name) << name << midnight << true;
        QTest::addRow("%s 00:00:01", name) << name << secondPast << true;
    }
    // Japanese times carry kanji; Egyptian Arabic uses its own digits throughout.
    QTest::newRow("ja_JP afternoon") << "ja_JP" << afternoon << false;
    QTest::newRow("ja_JP midnight") << "ja_JP" << midnight << true;
    QTest::newRow("ar_EG afternoon") << "ar_EG" << afternoon << false;
    QTest::newRow("ar_EG midnight") << "ar_EG" << midnight << false;
}

// Short date, then a blank and the long time unless it reads 00:00:00; four-
// digit years, no time zone, and nothing a single-byte file cannot hold.
void TstTemplates::processedStamp()
{
    QFETCH(QString, locale);
    QFETCH(QDateTime, when);
    QFETCH(bool, native);
    const QLocale l(locale);
    const QString dateFmt = ProcessedStamp::dateFormat(l);
    const QString timeFmt = ProcessedStamp::timeFormat(l);
    QVERIFY2(!dateFmt.contains(QRegularExpression("(^|[^y])yy([^y]|$)")), qPrintable(dateFmt));
    QVERIFY2(!timeFmt.contains(QLatin1Char('t')), qPrintable(timeFmt));
    QVERIFY2(timeFmt.contains(QStringLiteral("ss")), qPrintable(timeFmt));

    const QString line = ProcessedStamp::line(when, l);
    QVERIFY(line.startsWith(QStringLiteral("Processed ")));
    const QString stamp = line.mid(10);
    QVERIFY2(!stamp.isEmpty() && stamp == stamp.trimmed(), qPrintable(line));
    for (QChar c : stamp)
        QVERIFY2(c.unicode() <= 0xff, qPrintable(line));
    QVERIFY2(stamp.contains(QString::number(when.date().year())) || !native, qPrintable(line));

    const bool midnight = when.time() == QTime(0, 0);
    QDateTime back;
    if (native)
        back = midnight ? QDateTime(l.toDate(stamp, dateFmt), QTime(0, 0))
                        : l.toDateTime(stamp, dateFmt + QLatin1Char(' ') + timeFmt);
    else
        back = QDateTime::fromString(stamp, midnight ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QCOMPARE(back, when.addMSecs(-when.time().msec()));
    if (midnight)
        QCOMPARE(stamp, native ? l.toString(when.date(), dateFmt) : when.toString(QStringLiteral("yyyy-MM-dd")));
}

void TstTemplates::textCopyBytes()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("x.txt"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(5000, 'z')); // a longer earlier copy must vanish completely
    }
    TextCopy::write(path, {QStringLiteral("Processed 1"), QString(), QStringLiteral("Caf\u00e9 \u00bd"), QString()});
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("Processed 1\r\n\r\nCaf\xe9 \xbd\r\n\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"x.txt"});

    TextCopy::write(path, {});
    QCOMPARE(QFileInfo(path).size(), 0);
}

void TstTemplates::textCopyRead()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.txt"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("one\r\n\r\nthree\nfour\rfive \xe9\r\n");
    f.close();
    QCOMPARE(TextCopy::read(path), (QStringList{"one", "", "three", "four", "five \u00e9"}));

    const QStringList lines = renderLines(RecordKind::Host, MapFields(), QDateTime::currentDateTime());
    TextCopy::write(path, lines);
    QCOMPARE(TextCopy::read(path), lines);

    try {
        TextCopy::read(dir.filePath(QStringLiteral("missing.txt")));
        QFAIL("reading a missing file succeeded");
    } catch (const EInOutError &e) {
        QCOMPARE(e.Message(), QStringLiteral("File not found"));
        QCOMPARE(e.ErrorCode, 2);
    }
}

void TstTemplates::textCopyFailures_data()
{
    QTest::addColumn<QString>("relative"); // under the test folder; "@..." is absolute
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("code");
    QTest::newRow("missing folder") << "nofolder/x.txt" << "File not found" << 2;
    QTest::newRow("under a plain file") << "plain/x.txt" << "Invalid filename" << 3;
    QTest::newRow("name too long") << QString(300, QLatin1Char('n')) + ".txt" << "Invalid filename" << 3;
    QTest::newRow("NUL in the name") << QStringLiteral("a") + QChar(0) + QStringLiteral("b.txt") << "Invalid filename" << 3;
    QTest::newRow("a folder in the way") << "folder.txt" << "File access denied" << 5;
    QTest::newRow("read-only system folder") << "@/sys/zandolet-test.txt" << "File access denied" << 5;
}

// The write stops with the platform text, and leaves neither a partial file
// nor a stray temporary file behind.
void TstTemplates::textCopyFailures()
{
    QFETCH(QString, relative);
    QFETCH(QString, message);
    QFETCH(int, code);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    {
        QFile plain(dir.filePath(QStringLiteral("plain")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.txt")));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    const QString path = relative.startsWith(QLatin1Char('@')) ? relative.mid(1) : dir.filePath(relative);
    try {
        TextCopy::write(path, {QStringLiteral("line")});
        QFAIL("the write succeeded");
    } catch (const EInOutError &e) {
        QCOMPARE(e.Message(), message);
        QCOMPARE(e.ErrorCode, code);
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
}

void TstTemplates::textCopyRefusesForeignCharacters()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.txt"));
    try {
        TextCopy::write(path, {QStringLiteral("ok"), QStringLiteral("price \u20ac 5")});
        QFAIL("a character outside ISO-8859-1 was written");
    } catch (const EInOutError &) {
        QFAIL("not a file error");
    } catch (const Exception &e) {
        QVERIFY2(e.Message().contains(QStringLiteral("\u20ac")) && e.Message().contains(path), qPrintable(e.Message()));
    }
    QVERIFY(!QFile::exists(path));
}

QTEST_GUILESS_MAIN(TstTemplates)
#include "tst_templates.moc"
