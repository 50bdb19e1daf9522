// Address lists: a stored list of any bytes reads without harm and writes
// back to what it read; a message whose addresses pass the line check
// composes headers in which every line ends with CR LF and nowhere else.
#include "LineSafety.h"
#include "TmsAddressList.h"
#include "TmsMessage.h"
#include "TmsMessageEncoder.h"

#include <QBuffer>
#include <QDataStream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    {
        QDataStream in(bytes);
        TmsAddressList list;
        list.ReadItems(in);
        QByteArray again;
        QDataStream out(&again, QIODevice::WriteOnly);
        list.WriteItems(out);
        QDataStream in2(again);
        TmsAddressList copy;
        copy.ReadItems(in2);
        if (copy.Count() != list.Count())
            __builtin_trap();
        for (int i = 0; i < list.Count(); ++i)
            if (copy.Items(i)->Address() != list.Items(i)->Address() || copy.Items(i)->Name() != list.Items(i)->Name())
                __builtin_trap();
    }
    // Entries "name|address", separated by ";".
    const QString text = QString::fromLatin1(bytes);
    TmsMessage message;
    const QStringList entries = text.split(QLatin1Char(';'));
    for (qsizetype i = 0; i < entries.size() && i < 8; ++i) {
        const QString name = entries[i].section(QLatin1Char('|'), 0, 0);
        const QString address = entries[i].section(QLatin1Char('|'), 1);
        (i == 0 ? message.Recipients() : message.CC())->AddAddress(address, name);
    }
    message.Sender()->SetAddress(QStringLiteral("me@here.test"));
    if (!LineSafety::problem(message).isEmpty())
        return 0;
    QBuffer composed;
    composed.open(QIODevice::ReadWrite);
    try {
        TmsMessageEncoder(message, composed).Encode();
    } catch (const std::exception &) {
        return 0;
    }
    const QByteArray all = composed.data();
    const QByteArray head = all.left(all.indexOf("\r\n\r\n") + 2);
    for (qsizetype i = 0; i < head.size(); ++i) {
        const bool crlf = head[i] == '\r' && i + 1 < head.size() && head[i + 1] == '\n';
        if ((head[i] == '\r' && !crlf) || (head[i] == '\n' && (i == 0 || head[i - 1] != '\r')) || head[i] == '\0')
            __builtin_trap();
    }
    return 0;
}
