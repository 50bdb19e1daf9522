#include "TBodyForm.h"

TBodyForm TBodyForm::Of(const QStringList &body, TCharSet charSet, TBodyTransport transport)
{
    bool eightBit = false;
    bool longLines = false;
    bool breaks = false; // NUL, CR or LF inside a line, which 8bit text must not hold
    for (const QString &line : body) {
        longLines = longLines || line.size() >= LongLine;
        // Without branches this takes half the time of a loop over QChar.
        const auto *text = reinterpret_cast<const char16_t *>(line.constData());
        const qsizetype size = line.size();
        char16_t high = 0;
        char16_t stop = 0;
        for (qsizetype i = 0; i < size; ++i) {
            const char16_t u = text[i];
            // What Latin-1 cannot hold goes out as "?", so only 128 to 255 count.
            high |= char16_t(u >> 7 == 1);
            stop |= char16_t(u == 0) | char16_t(u == u'\r') | char16_t(u == u'\n');
        }
        eightBit = eightBit || high != 0;
        breaks = breaks || stop != 0;
    }
    const bool iso = charSet == csISO8859 || eightBit;
    if (eightBit && !longLines && !breaks && transport == TBodyTransport::EightBit)
        return TBodyForm(true, EightBit);
    return TBodyForm(iso, iso || longLines ? QuotedPrintable : SevenBit);
}

QString TBodyForm::CharsetName() const
{
    return m_iso ? QStringLiteral("iso-8859-1") : QStringLiteral("us-ascii");
}

QString TBodyForm::EncodingName() const
{
    switch (m_encoding) {
    case EightBit:
        return QStringLiteral("8bit");
    case QuotedPrintable:
        return QStringLiteral("quoted-printable");
    case SevenBit:
        break;
    }
    return QStringLiteral("7bit");
}
