#include "TextPrinter.h"

#include "AtomicFile.h"
#include "Exception.h"
#include "Fonts.h"

#include <QFontMetrics>
#include <QPainter>
#include <QDir>
#include <QPrinter>
#include <QScopeGuard>
#include <QTemporaryFile>

#include <utility>

TextPrinter::TextPrinter(QPrinter &printer, QFont font) : m_printer(printer), m_font(std::move(font)) {}

QFont TextPrinter::memoFont(RecordKind kind)
{
    QFont font(QLatin1String(kind == RecordKind::Domain ? "Courier New" : "Courier"), 8);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

int TextPrinter::textWidth(QStringView text) const
{
    int x = 0;
    qsizetype start = 0;
    for (;;) {
        const qsizetype tab = text.indexOf(QLatin1Char('\t'), start);
        x += m_metrics->horizontalAdvance(text.mid(start, (tab < 0 ? text.size() : tab) - start).toString());
        if (tab < 0)
            return x;
        x = (x / m_tabWidth + 1) * m_tabWidth;
        start = tab + 1;
    }
}

qsizetype TextPrinter::fittingLength(QStringView text) const
{
    if (textWidth(text) <= m_pageWidth)
        return text.size();
    qsizetype lo = 1, hi = text.size() - 1; // the answer lies in [lo, hi]
    while (lo < hi) {
        const qsizetype mid = (lo + hi + 1) / 2;
        if (textWidth(text.left(mid)) <= m_pageWidth)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

void TextPrinter::drawPiece(QPainter &painter, QStringView piece, int y) const
{
    const int baseline = y + m_metrics->ascent();
    int x = 0;
    qsizetype start = 0;
    for (;;) {
        const qsizetype tab = piece.indexOf(QLatin1Char('\t'), start);
        const QString run = piece.mid(start, (tab < 0 ? piece.size() : tab) - start).toString();
        if (!run.isEmpty())
            painter.drawText(QPoint(x, baseline), run);
        if (tab < 0)
            return;
        x = ((x + m_metrics->horizontalAdvance(run)) / m_tabWidth + 1) * m_tabWidth;
        start = tab + 1;
    }
}

QString TextPrinter::jobError() const
{
    if (!m_printer.outputFileName().isEmpty())
        return QStringLiteral("Unable to print to %1").arg(m_printer.outputFileName());
    const QString name = m_printer.printerName();
    return name.isEmpty() ? QStringLiteral("There is no default printer currently selected")
                          : QStringLiteral("Unable to print on %1").arg(name);
}

int TextPrinter::print(const QStringList &lines)
{
    ::installFontSubstitutions();
    QPainter painter;
    if (!painter.begin(&m_printer))
        throw Exception(jobError());
    painter.setFont(m_font);
    painter.setPen(Qt::black);
    const QFontMetrics metrics = painter.fontMetrics();
    m_metrics = &metrics;
    m_pageWidth = painter.device()->width();
    m_tabWidth = std::max(1, 8 * metrics.averageCharWidth());
    const int pageHeight = painter.device()->height();

    int y = 0;
    int pages = 1;
    bool pageFull = false; // a new page starts only when something follows
    bool failed = false;
    for (const QString &line : lines) {
        QStringView rest(line);
        do {
            if (pageFull) {
                if (!m_printer.newPage()) {
                    failed = true;
                    break;
                }
                y = 0;
                ++pages;
                pageFull = false;
            }
            const qsizetype n = rest.isEmpty() ? 0 : fittingLength(rest);
            if (n > 0)
                drawPiece(painter, rest.left(n), y);
            rest = rest.mid(n);
            const int height = n > 0 ? metrics.height() + 2 : metrics.height();
            y += height;
            pageFull = y > pageHeight - 2 * height;
        } while (!rest.isEmpty());
        if (failed)
            break;
    }
    m_metrics = nullptr;
    const bool ended = painter.end();
    if (failed || !ended || m_printer.printerState() == QPrinter::Error)
        throw Exception(jobError());
    return pages;
}

int printLines(const QStringList &lines, const QFont &font, QPrinter &printer)
{
    const QString target = printer.outputFileName();
    if (target.isEmpty())
        return TextPrinter(printer, font).print(lines);

    // The printout holds what the text copy holds, Auth Info included, so the
    // file is made the way record files are: owner-only when new, whole or not
    // at all. The job goes to a private temporary file first, as Qt would
    // otherwise create the target with the umask's mode and fill it in place.
    const QString failed = QStringLiteral("Unable to print to %1").arg(target);
    QTemporaryFile job(QDir::tempPath() + QStringLiteral("/zandolet-print-XXXXXX.pdf"));
    if (!job.open())
        throw Exception(failed);
    printer.setOutputFileName(job.fileName());
    const auto restore = qScopeGuard([&] { printer.setOutputFileName(target); });
    int pages = 0;
    try {
        pages = TextPrinter(printer, font).print(lines);
        job.seek(0);
        AtomicFile::write(target, job.readAll(), AtomicFile::Sync::NoFlush);
    } catch (const Exception &) {
        throw Exception(failed);
    }
    return pages;
}
