#include "EppInfo.h"

#include "EppResponse.h"

namespace EppInfo {

EppDomain domain(const EppNode &data)
{
    const QString &ns = EppNs::Domain;
    EppDomain d;
    d.name = data.childText(ns, QStringLiteral("name")).toLower();
    d.registrant = data.childText(ns, QStringLiteral("registrant"));
    for (const EppNode *c : data.all(ns, QStringLiteral("contact")))
        d.contacts << EppContactRef{c->attributes.value(QStringLiteral("type")), c->text};
    if (const EppNode *servers = data.child(ns, QStringLiteral("ns"))) {
        for (const EppNode *h : servers->all(ns, QStringLiteral("hostObj")))
            d.ns << h->text.toLower();
        for (const EppNode *a : servers->all(ns, QStringLiteral("hostAttr"))) {
            EppHost host{a->childText(ns, QStringLiteral("hostName")).toLower(), {}};
            for (const EppNode *addr : a->all(ns, QStringLiteral("hostAddr")))
                host.addresses << addr->text;
            d.nsAttr << host;
        }
    }
    if (const EppNode *auth = data.child(ns, QStringLiteral("authInfo")))
        d.pw = auth->childText(ns, QStringLiteral("pw"));
    return d;
}

EppHost host(const EppNode &data)
{
    EppHost h{data.childText(EppNs::Host, QStringLiteral("name")).toLower(), {}};
    for (const EppNode *a : data.all(EppNs::Host, QStringLiteral("addr")))
        h.addresses << a->text;
    return h;
}

EppContact contact(const EppNode &data)
{
    const QString &ns = EppNs::Contact;
    EppContact c;
    c.id = data.childText(ns, QStringLiteral("id"));
    // The local form when there is one: it is what accented records send.
    const QList<const EppNode *> postal = data.all(ns, QStringLiteral("postalInfo"));
    const EppNode *p = postal.value(0);
    for (const EppNode *each : postal)
        if (each->attributes.value(QStringLiteral("type")) == QLatin1String("loc"))
            p = each;
    if (p) {
        c.name = p->childText(ns, QStringLiteral("name"));
        c.org = p->childText(ns, QStringLiteral("org"));
        if (const EppNode *a = p->child(ns, QStringLiteral("addr"))) {
            QStringList streets;
            for (const EppNode *s : a->all(ns, QStringLiteral("street")))
                streets << s->text;
            c.street = streets.join(QStringLiteral(", "));
            c.city = a->childText(ns, QStringLiteral("city"));
            c.sp = a->childText(ns, QStringLiteral("sp"));
            c.pc = a->childText(ns, QStringLiteral("pc"));
            c.cc = a->childText(ns, QStringLiteral("cc"));
        }
    }
    c.voice = data.childText(ns, QStringLiteral("voice"));
    c.fax = data.childText(ns, QStringLiteral("fax"));
    c.email = data.childText(ns, QStringLiteral("email"));
    if (const EppNode *auth = data.child(ns, QStringLiteral("authInfo")))
        c.pw = auth->childText(ns, QStringLiteral("pw"));
    if (const EppNode *d = data.child(ns, QStringLiteral("disclose")))
        c.disclose = d->attributes.value(QStringLiteral("flag")) == QLatin1String("1") ? QStringLiteral("Y") : QStringLiteral("N");
    return c;
}

bool available(const EppNode &data, QString *reason)
{
    for (const EppNode &cd : data.children) {
        if (cd.name != QLatin1String("cd"))
            continue;
        for (const EppNode &c : cd.children) {
            if (c.name == QLatin1String("reason") && reason)
                *reason = c.text;
            if (c.name == QLatin1String("name") || c.name == QLatin1String("id")) {
                const QString avail = c.attributes.value(QStringLiteral("avail"));
                if (avail == QLatin1String("1") || avail == QLatin1String("true"))
                    return true;
            }
        }
        return false;
    }
    return false;
}

QHash<QString, bool> availability(const EppNode &data)
{
    QHash<QString, bool> out;
    for (const EppNode &cd : data.children)
        for (const EppNode &c : cd.children)
            if (c.name == QLatin1String("name") || c.name == QLatin1String("id")) {
                const QString avail = c.attributes.value(QStringLiteral("avail"));
                out.insert(c.text.toLower(), avail == QLatin1String("1") || avail == QLatin1String("true"));
            }
    return out;
}

} // namespace EppInfo
