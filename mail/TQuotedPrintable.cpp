#include "TQuotedPrintable.h"

#include "Exception.h"
#include "LineCodecs.h"
#include "TEventSlice.h"
#include "TLineWriter.h"

namespace {
inline bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}
} // namespace

TQuotedPrintable::TQuotedPrintable(const QByteArray &input, TLineWriter &out) : m_input(input), m_out(out)
{
}

void TQuotedPrintable::EncodeParagraphs()
{
    const char *data = m_input.constData();
    const qsizetype size = m_input.size();
    qsizetype pos = 0;
    // Runs at least once: an empty text is one empty paragraph.
    do {
        // The last byte of the text always belongs to the paragraph, even a line end.
        const qsizetype start = pos;
        qsizetype end = pos;
        // Scanning stops one byte past the limit: that is already too large.
        while (end < size - 1 && !IsLineEnd(data[end]) && end - start <= ParagraphMax)
            ++end;
        if (end - start > ParagraphMax)
            throw Exception(QStringLiteral("Paragraph is too large"));
        if (end < size - 1) {
            pos = end + 1;
            if (IsLineEnd(data[pos]))
                ++pos;
        } else {
            end = size;
            pos = size;
        }
        if (end - start > ParagraphMax)
            throw Exception(QStringLiteral("Paragraph is too large"));
        WrapParagraph(data + start, end - start);
        m_out.Slice().Tick();
    } while (pos < size);
}

void TQuotedPrintable::WrapParagraph(const char *text, qsizetype size)
{
    qsizetype pos = 0;
    while (size - pos >= WrapWidth) {
        // Break before the last blank within the window or just after it; a
        // blank at the very start does not count, it begins this piece.
        qsizetype blank = pos + WrapWidth;
        while (blank > pos && (blank >= size || text[blank] != ' '))
            --blank;
        const qsizetype end = blank > pos ? blank : pos + WrapWidth;
        WritePiece(text + pos, end - pos, true);
        pos = end;
    }
    WritePiece(text + pos, size - pos, false);
}

void TQuotedPrintable::WritePiece(const char *text, qsizetype size, bool soft)
{
    char *line = m_out.Reserve(3 * size + 3);
    char *end = LineCodecs::EncodeQPLine(reinterpret_cast<const uchar *>(text), size, line);
    if (soft)
        *end++ = '=';
    *end++ = '\r';
    *end++ = '\n';
    m_out.Commit(end - line);
}
