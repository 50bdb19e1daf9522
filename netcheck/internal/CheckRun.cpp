#include "CheckRun.h"

#include "LookUpText.h"

CheckRun::CheckRun(const NetworkCheckRequest &r, DnsAsker &asker, NetworkCheckLimits l)
    : request(r), ascii(asciiOf(r.name)), shown(shownName(r.name)), dns(asker), limits(l)
{
}

const ServerAddress *CheckedServer::serving() const
{
    for (const ServerAddress &a : at)
        if (a.serves)
            return &a;
    return nullptr;
}

void CheckRun::report(const CheckModule *module, int subject, int tag, const QString &field, const QStringList &args,
                      bool unchecked)
{
    messages.push_back(Message{module, subject, tag, field, args, unchecked});
}

int CheckRun::ask(int subject, const QString &field, const QString &what)
{
    m_open.emplace(++m_asked, Open{subject, field, what});
    sayWaiting();
    return m_asked;
}

void CheckRun::answered(int question)
{
    m_open.erase(question);
    sayWaiting();
}

void CheckRun::sayWaiting(const QString &otherwise)
{
    if (m_open.empty()) {
        if (!otherwise.isEmpty())
            say(otherwise);
        return;
    }
    const QString first = QStringLiteral("Asking whether ") + m_open.begin()->second.what;
    say(m_open.size() == 1 ? first : first + QStringLiteral(" (and %1 more)").arg(m_open.size() - 1));
}

QString asciiOf(const QString &typed)
{
    QString name = aceName(typed.trimmed()).toLower();
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    return dnsQuestion(name, DnsType::A, 0, false).isEmpty() ? QString() : name;
}

QString shownName(const QString &typed)
{
    QString name = typed.trimmed();
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    return name;
}

QString addressList(const QList<QHostAddress> &addresses)
{
    QStringList texts;
    for (const QHostAddress &a : addresses)
        texts << a.toString();
    return texts.join(QLatin1String(", "));
}

bool authoritative(const DnsExchange::Result &r, DnsType type)
{
    return r.outcome == DnsExchange::Outcome::Reply && r.reply.authoritative && r.reply.rcode == 0 &&
           (type == DnsType::Soa ? r.reply.serial.has_value() : !r.reply.names.isEmpty());
}

QString fillIn(const QString &format, const QStringList &args)
{
    QString out;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const qsizetype n = i + 1 < format.size() ? format[i + 1].digitValue() : -1;
        if (format[i] == QLatin1Char('%') && n >= 1 && n <= args.size()) {
            out += args[n - 1];
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}
