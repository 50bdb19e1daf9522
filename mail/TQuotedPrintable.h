#pragma once
// Quoted-printable of a whole text: cut into paragraphs at line ends,
// each paragraph wrapped at blanks into pieces of at most 65 bytes.
#include <QByteArray>

class TLineWriter;

class TQuotedPrintable {
public:
    static constexpr qsizetype ParagraphMax = 24575;
    static constexpr qsizetype WrapWidth = 65;

    TQuotedPrintable(const QByteArray &input, TLineWriter &out);
    // Writes the lines; throws Exception "Paragraph is too large".
    void EncodeParagraphs();
    // Writes the pieces of one paragraph, each but the last ending in "=".
    void WrapParagraph(const char *text, qsizetype size);

private:
    void WritePiece(const char *text, qsizetype size, bool soft);

    const QByteArray &m_input;
    TLineWriter &m_out;
};
