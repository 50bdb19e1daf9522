#include "EncodedWords.h"

namespace {

const QString Open = QStringLiteral("=?iso-8859-1?Q?");
const QString Close = QStringLiteral("?=");

// The characters a display name may hold inside an encoded word as they are.
bool Plain(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'!' ||
           c == u'*' || c == u'+' || c == u'-' || c == u'/';
}

QString Escaped(char16_t c)
{
    if (Plain(c))
        return QString(QChar(c));
    if (c == u' ')
        return QStringLiteral("_");
    // What Latin-1 cannot hold goes out as "?", as in the rest of the text.
    const uint byte = c > 0xFF ? uint('?') : uint(c);
    return QStringLiteral("=%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

namespace EncodedWords {

bool Needed(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0x7F && c.unicode() <= 0xFF)
            return true;
    }
    return false;
}

QStringList Encode(const QString &text)
{
    if (!Needed(text))
        return {text};
    const qsizetype room = WordMax - Open.size() - Close.size();
    QStringList words;
    QString word;
    for (const QChar c : text) {
        const QString piece = Escaped(c.unicode());
        // An escape is never split between two words.
        if (word.size() + piece.size() > room) {
            words << Open + word + Close;
            word.clear();
        }
        word += piece;
    }
    words << Open + word + Close;
    return words;
}

} // namespace EncodedWords
