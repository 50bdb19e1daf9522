#include "LookUpText.h"

#include <QStringDecoder>
#include <QUrl>

#include <algorithm>

namespace {

bool isAscii(QStringView text)
{
    for (const QChar c : text)
        if (c.unicode() > 0x7f)
            return false;
    return true;
}

// The ideographic and full-width full stops separate labels as a dot does, as IDNA has it.
QString withDots(QString name)
{
    for (QChar &c : name)
        if (c == QChar(0x3002) || c == QChar(0xff0e) || c == QChar(0xff61))
            c = QLatin1Char('.');
    return name;
}

} // namespace

QString shownLine(QByteArray line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(line);
    return utf8.hasError() ? QString::fromLatin1(line) : text;
}

QString visibleText(QString text)
{
    // Most lines hold none: they are handed back untouched.
    const auto hidden = [](char16_t c) {
        return (c < 0x20 && c != u'\t') || (c >= 0x7f && c <= 0x9f) || (c >= 0x202a && c <= 0x202e) ||
               (c >= 0x2066 && c <= 0x2069) || c == 0x200e || c == 0x200f;
    };
    const auto first = std::find_if(text.cbegin(), text.cend(), [&](QChar c) { return hidden(c.unicode()); });
    if (first == text.cend())
        return text;
    QString out = text.first(first - text.cbegin());
    out.reserve(text.size() + 16);
    for (auto it = first; it != text.cend(); ++it) {
        const char16_t c = it->unicode();
        if (hidden(c))
            out += QStringLiteral("\\u") + QString::number(uint(c), 16).rightJustified(4, u'0').toUpper();
        else
            out += *it;
    }
    return out;
}

QString aceName(const QString &typed)
{
    if (isAscii(typed))
        return typed;
    const QString name = withDots(typed);
    // Label by label, so that the ASCII ones go out exactly as typed.
    QStringList labels = name.split(QLatin1Char('.'));
    for (QString &label : labels) {
        if (isAscii(label))
            continue;
        const QByteArray ace = QUrl::toAce(label);
        if (ace.isEmpty())
            return typed;
        label = QString::fromLatin1(ace);
    }
    return labels.join(QLatin1Char('.'));
}

QByteArray queryLine(const QString &typed, bool hostName)
{
    QString text = typed;
    for (const QChar stop : {QChar(u'\r'), QChar(u'\n'), QChar(0)})
        if (const qsizetype at = text.indexOf(stop); at >= 0)
            text.truncate(at);
    // A contact's name or handle goes out as typed, a domain or host name as the resolver knows it.
    const bool name = hostName && withDots(text).contains(QLatin1Char('.')) && !text.contains(QLatin1Char(' '));
    return (name ? aceName(text) : text).toUtf8() + "\r\n";
}

QString secondsText(int ms)
{
    const int s = (ms + 999) / 1000;
    return s == 1 ? QStringLiteral("1 second") : QStringLiteral("%1 seconds").arg(s);
}
