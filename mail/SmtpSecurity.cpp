#include "SmtpSecurity.h"

namespace {

struct Row {
    TSmtpSecurity security;
    const char *name;
    const char *service;
    quint16 port;
};

const Row Rows[] = {
    {TSmtpSecurity::None, "None", "smtp", 25},
    {TSmtpSecurity::StartTls, "STARTTLS", "submission", 587},
    {TSmtpSecurity::Tls, "TLS", "submissions", 465},
};

const Row &RowOf(TSmtpSecurity security)
{
    for (const Row &r : Rows)
        if (r.security == security)
            return r;
    return Rows[0];
}

} // namespace

namespace SmtpSecurity {

QString Name(TSmtpSecurity security)
{
    return QLatin1String(RowOf(security).name);
}

const QStringList &Names()
{
    static const QStringList names = [] {
        QStringList list;
        for (const Row &r : Rows)
            list << QLatin1String(r.name);
        return list;
    }();
    return names;
}

TSmtpSecurity FromName(const QString &name)
{
    for (const Row &r : Rows)
        if (name.trimmed().compare(QLatin1String(r.name), Qt::CaseInsensitive) == 0)
            return r.security;
    return TSmtpSecurity::None;
}

QString Service(TSmtpSecurity security)
{
    return QLatin1String(RowOf(security).service);
}

quint16 Port(TSmtpSecurity security)
{
    return RowOf(security).port;
}

} // namespace SmtpSecurity
