#include "RecordKeys.h"

#include "FieldCatalogue.h"

namespace {

KeyBinding same(const QString &field)
{
    return {field, field, KeySource::FieldText};
}

KeyBinding as(const QString &key, const QString &field)
{
    return {key, field, KeySource::FieldText};
}

void addSame(KeyTable &t, const QStringList &fields)
{
    for (const QString &f : fields)
        t.push_back(same(f));
}

const QStringList kHostContact = blockFields(QStringLiteral("HC"));

// Contactname, then the address and reach fields of the "Contact" page.
const QStringList kContactTail = blockFields(QStringLiteral("C")).mid(2);

KeyTable domainRecord()
{
    KeyTable t;
    addSame(t, {"AuthScheme", "AuthInfoEdit", "PurposeEdit"});
    for (const char *b : {"O", "A", "T", "B", "NS"})
        addSame(t, blockFields(QLatin1String(b)));
    return t;
}

KeyTable hostRecord(bool withType)
{
    KeyTable t;
    if (withType)
        t.push_back({QStringLiteral("HostType"), {}, KeySource::ActionCode});
    addSame(t, {"HostNicHandle", "HostAuthScheme", "HostAuthInfo", "HostIPAddress"});
    addSame(t, kHostContact);
    return t;
}

KeyTable contactRecordWrite()
{
    KeyTable t;
    t.push_back({QStringLiteral("ContactType"), {}, KeySource::ActionCode});
    t.push_back(as(QStringLiteral("NotifyUp"), QStringLiteral("ContactNotifyUpdates")));
    t.push_back(as(QStringLiteral("NotifyUse"), QStringLiteral("ContactNotifyUse")));
    t.push_back(same(QStringLiteral("ContactAuthenticationType")));
    t.push_back({QStringLiteral("Public"), {}, KeySource::PublicFlag});
    addSame(t, {"ContactAuthorizationType", "ContactAuthorizationInfo", "ContactAuthenticationInfo",
                "ContactNicHandle", "ContactRole"});
    addSame(t, kContactTail);
    return t;
}

KeyTable contactRecordLoad()
{
    KeyTable t;
    t.push_back(same(QStringLiteral("ContactAuthorizationType")));
    t.push_back(as(QStringLiteral("NotifyUp"), QStringLiteral("ContactNotifyUpdates")));
    t.push_back(as(QStringLiteral("NotifyUse"), QStringLiteral("ContactNotifyUse")));
    t.push_back(same(QStringLiteral("ContactAuthenticationType")));
    // Read a second time on purpose: the stored program did, and a test pins the order.
    t.push_back(same(QStringLiteral("ContactAuthorizationType")));
    addSame(t, {"ContactAuthorizationInfo", "ContactAuthenticationInfo", "ContactNicHandle", "ContactRole"});
    addSame(t, kContactTail);
    t.push_back({QStringLiteral("Public"), {}, KeySource::PublicFlag});
    return t;
}

// Default keys of the domain blocks: the block letter and a short stem; the
// organisation key is "AAOrg" and "TAOrg" for A and T but "BOrg" for B.
KeyTable domainBlockDefaults(const QString &block)
{
    static const char *const stems[] = {"Handle", "Role", "Name", "Org",     "Addr", "City",
                                        "State",  "Zip",  "Country", "Phone", "Fax",  "Mail"};
    KeyTable t;
    const QStringList fields = blockFields(block);
    for (size_t i = 0; i < std::size(stems); ++i) {
        QString key = block + QLatin1String(stems[i]);
        if (i == 3 && block != QLatin1String("B"))
            key = block + QStringLiteral("AOrg");
        t.push_back(as(key, fields[qsizetype(i)]));
    }
    return t;
}

// Defaults from "OrgName" to "FourthNSIP".
KeyTable domainDefaultsTail()
{
    KeyTable t;
    static const char *const orgKeys[] = {"OrgName", "OAddr", "OCity", "OState", "OZip", "OCountry"};
    const QStringList org = blockFields(QStringLiteral("O"));
    for (size_t i = 0; i < std::size(orgKeys); ++i)
        t.push_back(as(QLatin1String(orgKeys[i]), org[qsizetype(i)]));
    for (const char *b : {"A", "T", "B"})
        for (const KeyBinding &k : domainBlockDefaults(QLatin1String(b)))
            t.push_back(k);
    static const char *const nsKeys[] = {"PriNS", "PriNSIP", "SecNS", "SecNSIP",
                                         "ThirdNS", "ThirdNSIP", "FourthNS", "FourthNSIP"};
    const QStringList ns = blockFields(QStringLiteral("NS"));
    for (size_t i = 0; i < std::size(nsKeys); ++i)
        t.push_back(as(QLatin1String(nsKeys[i]), ns[qsizetype(i)]));
    return t;
}

KeyTable concat(KeyTable head, const KeyTable &tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

KeyTable domainDefaultsWrite()
{
    return concat({as("Name", "DomainNameEdit"), as("AuthInfo", "AuthInfoEdit"), same("AuthScheme"),
                   as("Purpose", "PurposeEdit")},
                  domainDefaultsTail());
}

KeyTable domainDefaultsStartup()
{
    return concat({same("AuthScheme"), as("AuthInfo", "AuthInfoEdit"), as("Purpose", "PurposeEdit")},
                  domainDefaultsTail());
}

KeyTable hostDefaults(bool write)
{
    KeyTable t{same("HostAuthScheme"), as("AuthInfo", "HostAuthInfo")};
    if (write) {
        t.push_back(as("HostHandle", "HostNicHandle"));
        t.push_back(same("HostName"));
        t.push_back(same("HostIPAddress"));
    }
    addSame(t, kHostContact);
    return t;
}

KeyTable contactDefaultsWrite()
{
    KeyTable t;
    addSame(t, {"ContactNotifyUpdates", "ContactNotifyUse", "ContactAuthorizationType", "ContactAuthorizationInfo",
                "ContactAuthenticationType", "ContactAuthenticationInfo", "ContactNicHandle", "ContactRole"});
    addSame(t, kContactTail);
    return t;
}

KeyTable contactDefaultsStartup()
{
    KeyTable t;
    addSame(t, {"ContactAuthorizationType", "ContactAuthorizationInfo", "ContactNotifyUpdates", "ContactNotifyUse",
                "ContactAuthenticationType", "ContactAuthenticationInfo"});
    addSame(t, kContactTail);
    return t;
}

const KeyTable &pick(RecordKind kind, const KeyTable &d, const KeyTable &h, const KeyTable &c)
{
    return kind == RecordKind::Domain ? d : kind == RecordKind::Host ? h : c;
}

} // namespace

const KeyTable &recordWriteOrder(RecordKind kind)
{
    static const KeyTable d = domainRecord(), h = hostRecord(true), c = contactRecordWrite();
    return pick(kind, d, h, c);
}

const KeyTable &recordLoadOrder(RecordKind kind)
{
    static const KeyTable d = domainRecord(), h = hostRecord(false), c = contactRecordLoad();
    return pick(kind, d, h, c);
}

const KeyTable &defaultsWriteOrder(RecordKind kind)
{
    static const KeyTable d = domainDefaultsWrite(), h = hostDefaults(true), c = contactDefaultsWrite();
    return pick(kind, d, h, c);
}

const KeyTable &defaultsStartupOrder(RecordKind kind)
{
    static const KeyTable d = domainDefaultsStartup(), h = hostDefaults(false), c = contactDefaultsStartup();
    return pick(kind, d, h, c);
}
