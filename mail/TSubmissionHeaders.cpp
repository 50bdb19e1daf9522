#include "TSubmissionHeaders.h"

#include "TmsMessage.h"

#include <QDateTime>
#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

bool HasHeader(const TmsHeaders &headers, const QString &name)
{
    const QString prefix = name + QLatin1Char(':');
    for (const QString &line : headers)
        if (line.startsWith(prefix, Qt::CaseInsensitive))
            return true;
    return false;
}

// The sender's mail domain when it is a dot-atom of non-empty labels, so the
// ID stays a valid msg-id; otherwise a name that can never be anyone's.
QString IdDomain(const TmsMessage &message)
{
    static const QRegularExpression dotAtom(
        QStringLiteral("^[A-Za-z0-9!#$%&'*+/=?^_`{|}~-]+(\\.[A-Za-z0-9!#$%&'*+/=?^_`{|}~-]+)*$"));
    const QString address = message.Sender()->Address();
    const int at = address.lastIndexOf(QLatin1Char('@'));
    if (at >= 0 && dotAtom.match(address.mid(at + 1)).hasMatch())
        return address.mid(at + 1);
    return QStringLiteral("zandolet.invalid");
}

// "Date: Tue, 08 Dec 2026 09:05:03 +0100", English names whatever the locale.
QString DateLine(const QDateTime &when)
{
    const int offset = when.offsetFromUtc() / 60;
    const int magnitude = offset < 0 ? -offset : offset;
    return QStringLiteral("Date: ") + QLocale::c().toString(when, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss ")) +
           (offset < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
           QStringLiteral("%1%2").arg(magnitude / 60, 2, 10, QLatin1Char('0')).arg(magnitude % 60, 2, 10, QLatin1Char('0'));
}

// "Message-ID: <random.milliseconds@domain>"
QString MessageIdLine(const QDateTime &when, const QString &domain)
{
    const quint64 random = QRandomGenerator::system()->generate64();
    return QStringLiteral("Message-ID: <%1.%2@%3>")
        .arg(random, 16, 16, QLatin1Char('0'))
        .arg(when.toMSecsSinceEpoch())
        .arg(domain);
}

} // namespace

TSubmissionHeaders::TSubmissionHeaders(TmsMessage &message) : m_message(message)
{
    const QDateTime now = QDateTime::currentDateTime();
    const struct {
        const char *name;
        QString line;
    } lines[] = {
        {"Date", DateLine(now)},
        {"Message-ID", MessageIdLine(now, IdDomain(message))},
    };
    for (const auto &l : lines) {
        if (HasHeader(message.Headers(), QLatin1String(l.name)))
            continue;
        message.Headers().append(l.line);
        m_added << QLatin1String(l.name);
    }
}

TSubmissionHeaders::~TSubmissionHeaders()
{
    for (const QString &name : std::as_const(m_added))
        m_message.Headers().RemoveHeader(name);
}

