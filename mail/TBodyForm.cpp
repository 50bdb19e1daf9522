#include "TBodyForm.h"

#include <cstring>

namespace {

// Whether the line holds a character from 128 to 255. What Latin-1 cannot
// hold goes out as "?", so it does not count. Plain ASCII, by far the most
// common text, is passed over four characters a step.
bool HasAccent(const QString &line)
{
    const auto *text = reinterpret_cast<const char16_t *>(line.constData());
    const qsizetype size = line.size();
    quint64 any = 0;
    qsizetype i = 0;
    for (; i + 4 <= size; i += 4) {
        quint64 four;
        std::memcpy(&four, text + i, sizeof four);
        any |= four;
    }
    for (; i < size; ++i)
        any |= text[i];
    if ((any & 0xFF80FF80FF80FF80ULL) == 0)
        return false;
    for (i = 0; i < size; ++i) {
        if (text[i] >= 0x80 && text[i] <= 0xFF)
            return true;
    }
    return false;
}

// A NUL, CR or LF inside a line, which 8bit text must not hold.
bool HasBreak(const QStringList &body)
{
    for (const QString &line : body) {
        if (line.contains(QChar(0)) || line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n')))
            return true;
    }
    return false;
}

} // namespace

TBodyForm TBodyForm::Of(const QStringList &body, TCharSet charSet, TBodyTransport transport)
{
    bool eightBit = false;
    bool longLines = false;
    for (const QString &line : body) {
        longLines = longLines || line.size() >= LongLine;
        eightBit = eightBit || HasAccent(line);
    }
    const bool iso = charSet == csISO8859 || eightBit;
    if (eightBit && !longLines && transport == TBodyTransport::EightBit && !HasBreak(body))
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
