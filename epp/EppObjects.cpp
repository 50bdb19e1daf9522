#include "EppObjects.h"

bool EppContact::isLocal() const
{
    for (const QString *s : {&name, &org, &street, &city, &sp, &pc, &cc})
        for (QChar c : *s)
            if (c.unicode() > 0x7e)
                return true;
    return false;
}

bool EppDomainChange::isEmpty() const
{
    return addNs.isEmpty() && remNs.isEmpty() && addNsAttr.isEmpty() && remNsAttr.isEmpty() && addContacts.isEmpty()
           && remContacts.isEmpty() && registrant.isEmpty() && pw.isEmpty();
}

QStringList EppContactChange::names() const
{
    QStringList out;
    const QList<QPair<bool, const char *>> parts{{postal, "postal address"}, {voice, "phone"}, {fax, "fax"},
                                                 {email, "e-mail"}, {pw, "password"}, {disclose, "disclosure"}};
    for (const auto &[changed, word] : parts)
        if (changed)
            out << QLatin1String(word);
    return out;
}

namespace {

template <typename T> QList<T> missingFrom(const QList<T> &from, const QList<T> &in)
{
    QList<T> out;
    for (const T &v : from)
        if (!in.contains(v))
            out << v;
    return out;
}

QStringList lowered(QStringList names)
{
    for (QString &n : names)
        n = n.toLower();
    return names;
}

} // namespace

EppDomainChange domainChange(const EppDomain &registry, const EppDomain &wanted)
{
    EppDomainChange c;
    c.addNs = missingFrom(lowered(wanted.ns), lowered(registry.ns));
    c.remNs = missingFrom(lowered(registry.ns), lowered(wanted.ns));
    c.addNsAttr = missingFrom(wanted.nsAttr, registry.nsAttr);
    c.remNsAttr = missingFrom(registry.nsAttr, wanted.nsAttr);
    // A contact type left empty here keeps what the registry holds.
    QList<EppContactRef> kept;
    for (const EppContactRef &ref : registry.contacts) {
        bool named = false;
        for (const EppContactRef &w : wanted.contacts)
            named = named || w.first == ref.first;
        if (named)
            kept << ref;
    }
    c.addContacts = missingFrom(wanted.contacts, registry.contacts);
    c.remContacts = missingFrom(kept, wanted.contacts);
    if (!wanted.registrant.isEmpty() && wanted.registrant != registry.registrant)
        c.registrant = wanted.registrant;
    // The registry may not show the password; an empty one shown means unknown.
    if (!wanted.pw.isEmpty() && wanted.pw != registry.pw)
        c.pw = wanted.pw;
    return c;
}

EppHostChange hostChange(const EppHost &registry, const EppHost &wanted)
{
    return {missingFrom(wanted.addresses, registry.addresses), missingFrom(registry.addresses, wanted.addresses)};
}

EppContactChange contactChange(const EppContact &registry, const EppContact &wanted)
{
    EppContactChange c;
    c.to = wanted;
    c.postal = registry.name != wanted.name || registry.org != wanted.org || registry.street != wanted.street
               || registry.city != wanted.city || registry.sp != wanted.sp || registry.pc != wanted.pc
               || registry.cc.compare(wanted.cc, Qt::CaseInsensitive) != 0;
    c.voice = registry.voice != wanted.voice;
    c.fax = registry.fax != wanted.fax;
    c.email = registry.email.compare(wanted.email, Qt::CaseInsensitive) != 0;
    c.pw = !wanted.pw.isEmpty() && !registry.pw.isEmpty() && registry.pw != wanted.pw;
    c.disclose = !wanted.disclose.isEmpty() && registry.disclose != wanted.disclose;
    return c;
}
