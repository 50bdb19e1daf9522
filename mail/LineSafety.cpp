#include "LineSafety.h"

#include "TmsAddressList.h"
#include "TmsAttItem.h"
#include "TmsAttList.h"
#include "TmsMailAddress.h"
#include "TmsMessage.h"

namespace {

QString refusal(const QString &what)
{
    return QStringLiteral("The %1 contains a line break or a NUL character; the message was not sent.").arg(what);
}

QString addressProblem(const TmsMailAddress &a, const QString &role)
{
    if (!LineSafety::isOneLine(a.Address()))
        return refusal(role + QStringLiteral(" address"));
    if (!LineSafety::isOneLine(a.Name()))
        return refusal(role + QStringLiteral(" name"));
    return {};
}

} // namespace

bool LineSafety::isOneLine(const QString &value)
{
    for (const QChar c : value)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.isNull())
            return false;
    return true;
}

QString LineSafety::problem(const TmsMessage &message)
{
    QString why = addressProblem(*message.Sender(), QStringLiteral("sender"));
    const std::pair<const TmsAddressList *, const char *> lists[] = {
        {message.Recipients(), "recipient"}, {message.CC(), "CC"}, {message.BCC(), "BCC"}};
    for (const auto &[list, role] : lists)
        for (int i = 0; why.isEmpty() && i < list->Count(); ++i)
            why = addressProblem(*list->Items(i), QLatin1String(role));
    if (why.isEmpty() && !isOneLine(message.Subject()))
        why = refusal(QStringLiteral("subject"));
    for (const QString &h : message.Headers())
        if (why.isEmpty() && !isOneLine(h))
            why = refusal(QStringLiteral("header \"%1\"").arg(h.section(QLatin1Char(':'), 0, 0).trimmed()));
    const TmsAttList &atts = *message.Attachments();
    for (int i = 0; why.isEmpty() && i < atts.Count(); ++i)
        if (!isOneLine(atts.Items(i)->FileName()) || !isOneLine(atts.Items(i)->ContentType()))
            why = refusal(QStringLiteral("attachment \"%1\"").arg(atts.Items(i)->FileName().simplified()));
    return why;
}
