#include "TBodyForm.h"

TBodyForm TBodyForm::Of(const QStringList &body, TCharSet charSet, TBodyTransport transport)
{
    bool eightBit = false;
    bool longLines = false;
    bool breaks = false; // NUL, CR or LF inside a line, which 8bit text must not hold
    for (const QString &line : body) {
        longLines = longLines || line.size() >= LongLine;
        for (const QChar c : line) {
            const char16_t u = c.unicode();
            // What Latin-1 cannot hold goes out as "?", so only 128 to 255 count.
            eightBit = eightBit || (u > 0x7F && u <= 0xFF);
            breaks = breaks || u == 0 || u == u'\r' || u == u'\n';
        }
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
