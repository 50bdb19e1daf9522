#pragma once
// Prints lines of text the way the review pages print their memo: top-left
// of the printable area, lines too wide for the page continued on the next
// line, a fixed advance per line, tab stops every eight average character
// widths, and a new page when the next line would come too close to the
// bottom.
#include "RecordKind.h"

#include <QFont>
#include <QStringList>

class QPainter;
class QPrinter;

class TextPrinter {
public:
    TextPrinter(QPrinter &printer, QFont font);

    // Prints the lines as one job (zero lines: an empty job) and returns the
    // number of pages. Throws Exception with the printer's error when the job fails.
    int print(const QStringList &lines);

    // The review memo's font of a kind: "Courier New" for domains, "Courier"
    // for hosts and contacts, 8 point.
    static QFont memoFont(RecordKind kind);

private:
    // Width of `text` with its tabs expanded, starting at the left edge.
    int textWidth(QStringView text) const;
    // Longest beginning of `text` that fits the page width; at least one
    // character, so an over-wide glyph still makes progress.
    qsizetype fittingLength(QStringView text) const;
    void drawPiece(QPainter &painter, QStringView piece, int y) const;
    QString jobError() const;

    QPrinter &m_printer;
    QFont m_font;
    // Device metrics of the job, set when it starts.
    const QFontMetrics *m_metrics = nullptr;
    int m_pageWidth = 0;
    int m_tabWidth = 1;
};

// Convenience for the Print buttons; returns the number of pages.
int printLines(const QStringList &lines, const QFont &font, QPrinter &printer);
