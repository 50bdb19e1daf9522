// The text-to-printer layout, checked from real PDF output read back with
// poppler's pdftotext and pdffonts.
#include "Exception.h"
#include "PdfWords.h"
#include "TextPrinter.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

QString run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromLocal8Bit(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Each page's text as pdftotext -layout gives it, one entry per page.
QStringList pageTexts(const QString &pdf)
{
    QStringList pages = run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
                            .split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

int pageCount(const QString &pdf)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(run(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

const PdfWord *findWord(const QList<PdfWord> &ws, const QString &text)
{
    for (const PdfWord &w : ws)
        if (w.text == text)
            return &w;
    return nullptr;
}

} // namespace

class TstTextPrinter : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void memoFonts_data();
    void memoFonts();
    void longMemoPagesInOrder();
    void lineGeometry();
    void wrapsTooWideLine();
    void tabStops();
    void emptyJob();
    void printerFailure();
    void printoutIsOwnerOnly();

private:
    // Prints to a fresh PDF in the temporary folder and returns its path.
    QString print(const QStringList &lines, const QFont &font);
    void setUpPrinter(QPrinter &printer, const QString &path) const;
    double pointsPerPixel() const { return 72.0 / m_resolution; }

    QTemporaryDir m_dir;
    int m_files = 0;
    int m_resolution = 0;
    QRectF m_paintRect; // printable area in points
};

void TstTextPrinter::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(), "poppler-utils is missing");
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, m_dir.filePath(QStringLiteral("probe.pdf")));
    m_resolution = printer.resolution();
    m_paintRect = printer.pageLayout().paintRect(QPageLayout::Point);
    QVERIFY(m_resolution > 0 && m_paintRect.height() > 0);
}

void TstTextPrinter::setUpPrinter(QPrinter &printer, const QString &path) const
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(15, 20, 15, 20), QPageLayout::Millimeter);
}

QString TstTextPrinter::print(const QStringList &lines, const QFont &font)
{
    const QString path = m_dir.filePath(QStringLiteral("out%1.pdf").arg(++m_files));
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, path);
    printLines(lines, font, printer);
    return path;
}

void TstTextPrinter::memoFonts_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("family");
    QTest::newRow("domain") << int(RecordKind::Domain) << "Courier New";
    QTest::newRow("host") << int(RecordKind::Host) << "Courier";
    QTest::newRow("contact") << int(RecordKind::Contact) << "Courier";
}

// Courier New for domains, Courier for hosts and contacts, 8 point; both come
// out as the metric-compatible Liberation Mono, 0.6 em per character.
void TstTextPrinter::memoFonts()
{
    QFETCH(int, kind);
    QFETCH(QString, family);
    const QFont font = TextPrinter::memoFont(RecordKind(kind));
    QCOMPARE(font.family(), family);
    QCOMPARE(font.pointSize(), 8);

    const QString fifty = QString(50, QLatin1Char('M'));
    const QString pdf = print({fifty}, font);
    const QString fonts = run(QStringLiteral("pdffonts"), {pdf});
    QVERIFY2(fonts.contains(QStringLiteral("LiberationMono")), qPrintable(fonts));
    const QList<PdfWord> ws = pdfWords(pdf);
    const PdfWord *w = findWord(ws, fifty);
    QVERIFY2(w, "the line is missing from the PDF");
    QVERIFY2(qAbs((w->xMax - w->xMin) - 50 * 8 * 0.6) < 1.0, qPrintable(QString::number(w->xMax - w->xMin)));
}

// A memo longer than a page: every line once, in order, with the page breaks
// where the advance and the bottom reserve put them.
void TstTextPrinter::longMemoPagesInOrder()
{
    QStringList lines;
    for (int i = 1; i <= 250; ++i)
        lines << QStringLiteral("Line %1 of the memo").arg(i, 3, 10, QLatin1Char('0'));
    const QFont font = TextPrinter::memoFont(RecordKind::Domain);
    const QString pdf = print(lines, font);

    QPrinter probe(QPrinter::HighResolution);
    setUpPrinter(probe, m_dir.filePath(QStringLiteral("probe.pdf")));
    const QFontMetrics fm(font, &probe);
    const int step = fm.height() + 2;
    const int pageHeight = probe.height();
    int perPage = 1;
    while (perPage * step <= pageHeight - 2 * step)
        ++perPage;
    const int expectedPages = (lines.size() + perPage - 1) / perPage;
    QVERIFY2(expectedPages >= 3, "the memo should span several pages");
    QCOMPARE(pageCount(pdf), expectedPages);

    const QStringList pages = pageTexts(pdf);
    QCOMPARE(pages.size(), expectedPages);
    int next = 0;
    for (int p = 0; p < pages.size(); ++p) {
        const QStringList printed = pages[p].split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QStringList trimmed;
        for (const QString &l : printed)
            if (!l.trimmed().isEmpty())
                trimmed << l.trimmed();
        QCOMPARE(trimmed.size(), std::min<int>(perPage, lines.size() - next));
        for (const QString &l : trimmed)
            QCOMPARE(l, lines[next++]);
    }
    QCOMPARE(next, lines.size());
}

// Top-left start, text height + 2 per line, font height for an empty line.
void TstTextPrinter::lineGeometry()
{
    const QFont font = TextPrinter::memoFont(RecordKind::Host);
    const QString pdf = print({QStringLiteral("first"), QStringLiteral("second"), QString(), QStringLiteral("fourth")}, font);
    const QList<PdfWord> ws = pdfWords(pdf);
    const PdfWord *first = findWord(ws, QStringLiteral("first"));
    const PdfWord *second = findWord(ws, QStringLiteral("second"));
    const PdfWord *fourth = findWord(ws, QStringLiteral("fourth"));
    QVERIFY(first && second && fourth);

    QPrinter probe(QPrinter::HighResolution);
    setUpPrinter(probe, m_dir.filePath(QStringLiteral("probe.pdf")));
    const QFontMetrics fm(font, &probe);
    const double step = (fm.height() + 2) * pointsPerPixel();
    const double empty = fm.height() * pointsPerPixel();

    QVERIFY2(qAbs(first->xMin - m_paintRect.left()) < 1.0, qPrintable(QString::number(first->xMin)));
    QVERIFY2(qAbs(second->xMin - m_paintRect.left()) < 1.0, qPrintable(QString::number(second->xMin)));
    QVERIFY2(first->yMin >= m_paintRect.top() - 0.5 && first->yMin < m_paintRect.top() + 3,
             qPrintable(QString::number(first->yMin)));
    QVERIFY2(qAbs((second->yMin - first->yMin) - step) < 0.05, qPrintable(QString::number(second->yMin - first->yMin)));
    QVERIFY2(qAbs((fourth->yMin - second->yMin) - (step + empty)) < 0.05,
             qPrintable(QString::number(fourth->yMin - second->yMin)));
}

// A line wider than the page: the longest beginning that fits, the rest on
// the following lines from the left edge, before the next memo line.
void TstTextPrinter::wrapsTooWideLine()
{
    QString wide;
    for (int i = 0; wide.size() < 400; ++i)
        wide += QString::number(i % 10);
    const QFont font = TextPrinter::memoFont(RecordKind::Domain);
    const QString pdf = print({wide, QStringLiteral("after")}, font);

    QPrinter probe(QPrinter::HighResolution);
    setUpPrinter(probe, m_dir.filePath(QStringLiteral("probe.pdf")));
    const QFontMetrics fm(font, &probe);
    qsizetype fits = 0;
    while (fits < wide.size() && fm.horizontalAdvance(wide.left(fits + 1)) <= probe.width())
        ++fits;
    QVERIFY(fits > 50 && fits < 200);

    const QList<PdfWord> ws = pdfWords(pdf);
    QStringList pieces;
    for (const PdfWord &w : ws) {
        pieces << w.text;
        QVERIFY2(qAbs(w.xMin - m_paintRect.left()) < 1.0, qPrintable(w.text));
    }
    QCOMPARE(pieces.back(), QStringLiteral("after"));
    pieces.removeLast();
    QCOMPARE(pieces.join(QString()), wide);
    QCOMPARE(pieces.size(), (wide.size() + fits - 1) / fits);
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i)
        QCOMPARE(pieces[i].size(), fits);
    for (qsizetype i = 1; i < ws.size(); ++i)
        QVERIFY(ws[i].yMin > ws[i - 1].yMin);
}

// Tab stops every eight average character widths from the left edge.
void TstTextPrinter::tabStops()
{
    const QFont font = TextPrinter::memoFont(RecordKind::Contact);
    const QString pdf = print({QStringLiteral("a\tb\tc"), QStringLiteral("abcdefghi\tj")}, font);
    QPrinter probe(QPrinter::HighResolution);
    setUpPrinter(probe, m_dir.filePath(QStringLiteral("probe.pdf")));
    const double stop = 8 * QFontMetrics(font, &probe).averageCharWidth() * pointsPerPixel();
    const QList<PdfWord> ws = pdfWords(pdf);
    const struct {
        const char *word;
        int stops;
    } expected[] = {{"a", 0}, {"b", 1}, {"c", 2}, {"abcdefghi", 0}, {"j", 2}};
    for (const auto &e : expected) {
        const PdfWord *w = findWord(ws, QLatin1String(e.word));
        QVERIFY2(w, e.word);
        QVERIFY2(qAbs(w->xMin - (m_paintRect.left() + e.stops * stop)) < 1.0,
                 qPrintable(QStringLiteral("%1 at %2").arg(QLatin1String(e.word)).arg(w->xMin)));
    }
}

// Print before any Show Form: a job with no lines, one blank page.
void TstTextPrinter::emptyJob()
{
    const QString pdf = print({}, TextPrinter::memoFont(RecordKind::Domain));
    QCOMPARE(pageCount(pdf), 1);
    QVERIFY(pdfWords(pdf).isEmpty());
}

void TstTextPrinter::printerFailure()
{
    const QString path = m_dir.filePath(QStringLiteral("no/such/folder/out.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, path);
    try {
        printLines({QStringLiteral("x")}, TextPrinter::memoFont(RecordKind::Host), printer);
        QFAIL("printing to an impossible file succeeded");
    } catch (const Exception &e) {
        QCOMPARE(e.Message(), QStringLiteral("Unable to print to ") + path);
    }
}

// The printout carries the Auth Info the text copy does: a new file is
// owner-only whatever the umask allows.
void TstTextPrinter::printoutIsOwnerOnly()
{
    const mode_t old = ::umask(022);
    const QString pdf = print({QStringLiteral("0c. Auth Info..................: secret")},
                              TextPrinter::memoFont(RecordKind::Domain));
    ::umask(old);
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(pdf).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0600));
    QVERIFY(pageTexts(pdf).value(0).contains(QStringLiteral("secret")));
}

QTEST_MAIN(TstTextPrinter)
#include "tst_text_printer.moc"
