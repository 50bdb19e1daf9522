#include "MessageScript.h"

#include "msmsg.h"

#include <QStringList>

namespace MessageScript {

QString Unescape(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar e = text.at(++i);
        if (e == QLatin1Char('t'))
            out += QLatin1Char('\t');
        else if (e == QLatin1Char('r'))
            out += QLatin1Char('\r');
        else if (e == QLatin1Char('n'))
            out += QLatin1Char('\n');
        else if (e == QLatin1Char('0'))
            out += QChar(0);
        else if (e == QLatin1Char('x') && i + 2 < text.size()) {
            out += QChar(text.mid(i + 1, 2).toUShort(nullptr, 16));
            i += 2;
        } else
            out += e;
    }
    return out;
}

static void AddAddress(TmsAddressList &list, const QString &value)
{
    const QStringList parts = value.split(QLatin1Char('|'));
    list.AddAddress(parts.value(1), parts.value(0));
}

QString Apply(const QString &script, TmsMessage &message)
{
    const QStringList lines = script.split(QLatin1Char('\n'));
    for (const QString &raw : lines) {
        QString line = raw;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon < 0)
            return QStringLiteral("no key in: ") + line;
        const QString key = line.left(colon);
        QString value = line.mid(colon + 1);
        if (value.startsWith(QLatin1Char(' ')))
            value.remove(0, 1);
        value = key == QLatin1String("attach") ? value : Unescape(value);

        if (key == QLatin1String("from")) {
            const QStringList parts = value.split(QLatin1Char('|'));
            message.Sender()->SetName(parts.value(0));
            message.Sender()->SetAddress(parts.value(1));
        } else if (key == QLatin1String("to")) {
            AddAddress(*message.Recipients(), value);
        } else if (key == QLatin1String("cc")) {
            AddAddress(*message.CC(), value);
        } else if (key == QLatin1String("bcc")) {
            AddAddress(*message.BCC(), value);
        } else if (key == QLatin1String("subject")) {
            message.SetSubject(value);
        } else if (key == QLatin1String("header")) {
            message.Headers().append(value);
        } else if (key == QLatin1String("priority")) {
            message.SetPriority(value == QLatin1String("low") ? ptLow : value == QLatin1String("high") ? ptHigh : ptNormal);
        } else if (key == QLatin1String("receipt")) {
            message.SetReturnReceipt(value == QLatin1String("yes"));
        } else if (key == QLatin1String("charset")) {
            message.SetCharSet(value == QLatin1String("iso8859") ? csISO8859 : csUSASCII);
        } else if (key == QLatin1String("encoding")) {
            message.SetEncoding(value == QLatin1String("uu") ? meUU : meMIME);
        } else if (key == QLatin1String("body")) {
            message.Body().append(value);
        } else if (key == QLatin1String("attach")) {
            const QStringList parts = value.split(QLatin1Char('|'));
            if (parts.size() != 4)
                return QStringLiteral("attach needs four fields: ") + line;
            TmsAttItem *item = message.Attachments()->Add();
            item->SetFileName(Unescape(parts[0]));
            if (!parts[1].isEmpty())
                item->SetContentType(parts[1]);
            if (!parts[2].isEmpty())
                item->SetEncoding(static_cast<TAttEncoding>(parts[2].toInt()));
            item->SetStream(Unescape(parts[3]).toLatin1());
        } else {
            return QStringLiteral("unknown key: ") + key;
        }
    }
    return QString();
}

} // namespace MessageScript
