#include "FieldCatalogue.h"

#include <QHash>

#include <algorithm>

namespace {

const QString kType = QStringLiteral("Type");
const QString kOrg = QStringLiteral("Org");
const QString kNameServers = QStringLiteral("Name Servers");
const QString kTypeHost = QStringLiteral("Type && Host");
const QString kHostContact = QStringLiteral("Host Contact");
const QString kContactAuth = QStringLiteral("Authorization, Notify && Authentication");
const QString kContact = QStringLiteral("Contact");

const QStringList kSchemes{QStringLiteral("MAIL-FROM"), QStringLiteral("CRYPT-PW"), QStringLiteral("PGP")};

struct Stem {
    const char *stem;
    const char *label;
    char line;
    int help;
};

// The twelve fields shared by the domain's contact blocks and the host contact.
const Stem kContactStems[] = {
    {"HandleEdit", "Nic Handle", 'a', 1007},      {"RoleEdit", "(I)ndividual or (R)ole", 'b', 1028},
    {"NameEdit", "Name", 'c', 1006},              {"OrgEdit", "Organization Name", 'd', 1008},
    {"AddrEdit", "Street Address", 'e', 1003},    {"CityEdit", "City", 'f', 1002},
    {"StateEdit", "State / Province", 'g', 1002}, {"ZipEdit", "Postal Code", 'h', 1002},
    {"CountryEdit", "Country", 'i', 1012},        {"PhoneEdit", "Phone", 'j', 1009},
    {"FaxEdit", "Fax", 'k', 1005},                {"MailEdit", "E-Mail", 'l', 1004},
};

// The host contact and the contact record hold the same twelve fields, in stem order.
const char *const kHostContactFields[] = {"HCNicHandle", "HCRole", "HCName",    "HCOrg",   "HCAddr", "HCCity",
                                          "HCState",     "HCZip",  "HCCountry", "HCPhone", "HCFax",  "HCMail"};
const char *const kContactFields[] = {"ContactNicHandle", "ContactRole",  "Contactname",    "ContactOrgName",
                                      "ContactAddr",      "ContactCity",  "ContactState",   "ContactZip",
                                      "ContactCountry",   "ContactPhone", "ContactFax",     "ContactMail"};
static_assert(std::size(kHostContactFields) == std::size(kContactStems));
static_assert(std::size(kContactFields) == std::size(kContactStems));

FieldDef edit(RecordKind kind, const QString &page, const QString &name, const QString &label, const QString &line,
               int help, const QString &hint = {})
{
    FieldDef f;
    f.name = name;
    f.kind = kind;
    f.page = page;
    f.type = ControlType::Edit;
    f.label = label;
    f.line = line;
    f.help = help;
    f.hint = hint;
    return f;
}

FieldDef combo(RecordKind kind, const QString &page, const QString &name, const QString &label, const QString &line,
                int help, const QString &hint, const QStringList &items, const QString &designText)
{
    FieldDef f = edit(kind, page, name, label, line, help, hint);
    f.type = ControlType::Combo;
    f.items = items;
    f.designText = designText;
    return f;
}

FieldDef radio(RecordKind kind, const QString &page, const QString &name, const QString &caption, const QString &line,
                int help, const QString &hint, bool checked)
{
    FieldDef f = edit(kind, page, name, caption, line, help, hint);
    f.type = ControlType::Radio;
    f.checkedAtStart = checked;
    return f;
}

FieldDef disabled(FieldDef f)
{
    f.disabledAtStart = true;
    return f;
}

FieldDef withLabel(FieldDef f, const QString &labelName, const QString &labelHint = {})
{
    f.labelName = labelName;
    f.labelHint = labelHint;
    return f;
}

FieldDef inGroup(FieldDef f, const QString &group)
{
    f.group = group;
    return f;
}

void addDomain(std::vector<FieldDef> &t)
{
    const auto D = RecordKind::Domain;
    t.push_back(combo(D, kType, "DomainNameEdit", "Domain Name", "2", 1014,
                      "Enter the domain name you wish to edit (example.com)", {}, {}));
    t.push_back(radio(D, kType, "NewDomainRadio", "New Domain", "0a", 1021, "For new domain registration", true));
    t.push_back(radio(D, kType, "ModifyDomainRadio", "Modify Domain", "0a", 1021, "For existing domain modification",
                      false));
    t.push_back(radio(D, kType, "DeleteDomainRadio", "Delete Domain", "0a", 1021, "for deleting an existing domain",
                      false));
    t.push_back(withLabel(
        combo(D, kType, "AuthScheme", "Authorization Scheme", "0b", 1000,
              "The authorization scheme for the Internic's Guardian System (F1 for more info)", kSchemes, "MAIL-FROM"),
        "AuthSchemeLabel",
        "MAIL-TO:  All changes to this domain will have to be made from the e-mail address of the Admin or Technical "
        "contact.  CRYPT-PW: All changes to this domain must include the cryptic password associated with the "
        "contact.  PGP:  Changes must bePGP Encrypted"));
    t.push_back(withLabel(disabled(edit(D, kType, "AuthInfoEdit", "Authorization Info", "0c", 1000,
                                        "Password for CRYPT-PW Authorization")),
                          "Label52",
                          "If you chose CRYPT-PW for Authorization, enter the encrypted password here."));
    FieldDef purpose = withLabel(edit(D, kType, "PurposeEdit", "Purpose of Domain", "1", 1027,
                                       "A short note explaining the intentions for this domain"),
                                  "PurposeLabel", "Enter a short note explaining the intended purpose of this domain");
    purpose.type = ControlType::Memo;
    t.push_back(purpose);

    const struct {
        const char *name, *label, *line;
        int help;
    } org[] = {
        {"OOrgNameEdit", "Organization Name", "3a", 1025}, {"OAddrEdit", "Street Address", "3b", 1024},
        {"OCityEdit", "City", "3c", 1002},                  {"OStateEdit", "State / Province", "3d", 1002},
        {"OZipEdit", "Postal Code", "3e", 1002},            {"OCountryEdit", "Country", "3f", 1012},
    };
    for (const auto &o : org)
        t.push_back(edit(D, kOrg, o.name, o.label, o.line, o.help));

    const struct {
        const char *prefix, *page;
        char line;
    } blocks[] = {{"A", "Admin", '4'}, {"T", "Technical", '5'}, {"B", "Billing", '6'}};
    for (const auto &b : blocks)
        for (const Stem &s : kContactStems)
            t.push_back(edit(D, b.page, QLatin1String(b.prefix) + QLatin1String(s.stem), s.label,
                             QString(QLatin1Char(b.line)) + QLatin1Char(s.line), s.help));

    const struct {
        const char *name, *label, *line;
        int help;
    } ns[] = {
        {"PriNSEdit", "Primary Nameserver:", "7a", 1019},       {"PriNSIPEdit", "PrimaryIP Address:", "7b", 1020},
        {"SecNSEdit", "Secondary Nameserver:", "8a", 1019},     {"SecNSIPEdit", "Secondary IP Address:", "8b", 1020},
        {"ThirdNSEdit", "Additional Nameserver:", "8a", 1019},  {"ThirdNSIPEdit", "Additional IP Address:", "8b", 1020},
        {"fourthnsedit", "Additional Nameserver:", "8a", 1019}, {"fourthnsipedit", "Additional IP Address:", "8b", 1020},
    };
    for (const auto &n : ns)
        t.push_back(edit(D, kNameServers, n.name, n.label, n.line, n.help));
}

void addHost(std::vector<FieldDef> &t)
{
    const auto H = RecordKind::Host;
    t.push_back(combo(H, kTypeHost, "HostName", "Host Name", "1b", 1016,
                      "Enter the host name you wish to edit (ns1.example.com)", {}, {}));
    t.push_back(radio(H, kTypeHost, "NewHostRadio", "New Host", "0a", 1021, "Select if this host is not yet registered",
                      true));
    t.push_back(radio(H, kTypeHost, "ModifyHostRadio", "Modify Host", "0a", 1021,
                      "Select if you are modifying information for this host (IP#)", false));
    t.push_back(radio(H, kTypeHost, "DeleteHostRadio", "Delete Host", "0a", 1021,
                      "Select if you wish to delete this host from the Internic's databases.", false));
    t.push_back(disabled(edit(H, kTypeHost, "HostNicHandle", "Host NIC Handle (If Known)", "1a", 1017,
                              "Enter the Host's NIC handle is this is a modify or delete.")));
    t.push_back(combo(H, kTypeHost, "HostAuthScheme", "Authorization Type", "0b", 1000,
                      "Authorization type for the domain that has authority over this host.", kSchemes, "MAIL-FROM"));
    t.push_back(withLabel(disabled(edit(H, kTypeHost, "HostAuthInfo", "Authorization Info", "0c", 1000,
                                        "Encrypted Password is you are using CRYPT-PW")),
                          "Label61"));
    t.push_back(edit(H, kTypeHost, "HostIPAddress", "Host IP Address", "1c", 1015, "IP Number for this host"));

    for (size_t i = 0; i < std::size(kHostContactFields); ++i) {
        const Stem &s = kContactStems[i];
        FieldDef f = edit(H, kHostContact, kHostContactFields[i], i == 0 ? "Nic Handle (If Known)" : s.label,
                           QStringLiteral("2") + QLatin1Char(s.line), s.help);
        if (f.name == QLatin1String("HCCountry"))
            f.maxLength = 2;
        t.push_back(f);
    }
}

void addContact(std::vector<FieldDef> &t)
{
    const auto C = RecordKind::Contact;
    const QString authz = QStringLiteral("Authorization");
    const QString notify = QStringLiteral("Notify Information");
    const QString authn = QStringLiteral("Authentication ");
    t.push_back(combo(C, kContactAuth, "Contactname", "ContactName", "1c", 1006, "Enter the name of the contact", {}, {}));
    t.push_back(radio(C, kContactAuth, "NewContactRadio", "New Contact", "0a", 1021,
                      "Select if this contact does not exists in the Internic's databases. (Check first)", true));
    t.push_back(radio(C, kContactAuth, "ModifyContactRadio", "Modify Contact", "0a", 1021,
                      "Select if you are changing information on a contact (Address, Phone, E-Mail, etc.)", false));
    t.push_back(radio(C, kContactAuth, "DeleteContactRadio", "Delete Contact", "0a", 1021,
                      "Select if you wish to delete a contact.", false));
    t.push_back(inGroup(disabled(combo(C, kContactAuth, "ContactAuthorizationType", "Authorization Type", "0b", 1000,
                                       "Authorization type for this contact according to the Internic's Guardian",
                                       kSchemes, "MAIL-FROM")),
                        authz));
    t.push_back(inGroup(withLabel(disabled(edit(C, kContactAuth, "ContactAuthorizationInfo", "Authorization Info", "0c",
                                                1000, "Encrypted Password is using CRYPT-PW")),
                                  "Label86"),
                        authz));
    t.push_back(inGroup(combo(C, kContactAuth, "ContactNotifyUpdates", "Notify Updates", "2a", 1022,
                              "Update Notification(F1 for details)",
                              {"AFTER-UPDATE", "BEFORE-UPDATE", "NOT-CARE"}, "AFTER-UPDATE"),
                        notify));
    t.push_back(inGroup(combo(C, kContactAuth, "ContactNotifyUse", "Notify Use", "2b", 1023,
                              "Use Notification (F1 for details)", {"AFTER-USE", "BEFORE-USE", "NOT-CARE"},
                              "AFTER-USE"),
                        notify));
    t.push_back(inGroup(combo(C, kContactAuth, "ContactAuthenticationType", "Authorization Type", "3a", 1000,
                              "If new contact, or changing Authentication type for an existing, enter the type (F1 "
                              "for details)",
                              kSchemes, "MAIL-FROM"),
                        authn));
    t.push_back(inGroup(withLabel(edit(C, kContactAuth, "ContactAuthenticationInfo", "E-Mail Address", "3b", 1000,
                                       "E-Mail address to prove MAIL-FROM, or Cryptic Password for CRYPT-PW"),
                                  "Label103"),
                        authn));
    t.push_back(inGroup(radio(C, kContactAuth, "PublicYesRadio", "Public", "3c", 1026,
                              "Makes your selected Auth Type public", false),
                        authn));
    t.push_back(inGroup(radio(C, kContactAuth, "PublicNoRadio", "Confidential", "3c", 1026,
                              "Makes your selected Auth Type private", true),
                        authn));

    // Same stems as a contact block, without the name (line 1c is Contactname).
    for (size_t i = 0; i < std::size(kContactFields); ++i) {
        if (i == 2)
            continue;
        const Stem &s = kContactStems[i];
        FieldDef f = edit(C, kContact, kContactFields[i], s.label, QStringLiteral("1") + QLatin1Char(s.line), s.help);
        if (i == 0)
            f.disabledAtStart = true;
        t.push_back(f);
    }
}

std::vector<FieldDef> buildCatalogue()
{
    std::vector<FieldDef> t;
    addDomain(t);
    addHost(t);
    addContact(t);
    for (FieldDef &f : t)
        if (f.labelName.isEmpty() && f.type != ControlType::Radio)
            f.labelName = f.name + QStringLiteral("Label");
    return t;
}

} // namespace

const std::vector<FieldDef> &fieldCatalogue()
{
    static const std::vector<FieldDef> catalogue = buildCatalogue();
    return catalogue;
}

const FieldDef *findField(const QString &name)
{
    static const QHash<QString, const FieldDef *> index = [] {
        QHash<QString, const FieldDef *> h;
        for (const FieldDef &f : fieldCatalogue())
            h.insert(f.name, &f);
        return h;
    }();
    return index.value(name, nullptr);
}

std::vector<const FieldDef *> fieldsOfPage(RecordKind kind, const QString &page)
{
    std::vector<const FieldDef *> out;
    for (const FieldDef &f : fieldCatalogue())
        if (f.kind == kind && f.page == page)
            out.push_back(&f);
    return out;
}

const std::vector<PageDef> &innerPages()
{
    static const std::vector<PageDef> pages{
        {RecordKind::Domain, "Type", {}},
        {RecordKind::Domain, "Org", "Information about the organization that will own this domain"},
        {RecordKind::Domain, "Admin", "Information about the Domain Administrator"},
        {RecordKind::Domain, "Technical", "Information about the domain's Technical Contact"},
        {RecordKind::Domain, "Billing", "Information about the party responsible for paying Internic Fees"},
        {RecordKind::Domain, "Name Servers",
         "All domains must have at least a PRIMARY and SECONDARY name server.  The servers should be configured for "
         "the domain BEFORE you register it!!!"},
        {RecordKind::Domain, kReviewPage,
         "Be sure all information is accurate and you have configured your DNS servers BEFORE mailing to the "
         "Internic."},
        {RecordKind::Host, "Type && Host", {}},
        {RecordKind::Host, "Host Contact", "Information on the primary contact for this host"},
        {RecordKind::Host, kReviewPage, {}},
        {RecordKind::Contact, "Authorization, Notify && Authentication", {}},
        {RecordKind::Contact, "Contact", "Information on the contact"},
        {RecordKind::Contact, kReviewPage, {}},
    };
    return pages;
}

const QStringList &contactBlockStems()
{
    static const QStringList stems = [] {
        QStringList s;
        for (const Stem &st : kContactStems)
            s << QLatin1String(st.stem);
        return s;
    }();
    return stems;
}

QStringList blockFields(const QString &block)
{
    if (block == QLatin1String("O"))
        return {"OOrgNameEdit", "OAddrEdit", "OCityEdit", "OStateEdit", "OZipEdit", "OCountryEdit"};
    if (block == QLatin1String("HC") || block == QLatin1String("C")) {
        QStringList out;
        for (const char *name : block == QLatin1String("C") ? kContactFields : kHostContactFields)
            out << QLatin1String(name);
        return out;
    }
    if (block == QLatin1String("NS"))
        return {"PriNSEdit",   "PriNSIPEdit",   "SecNSEdit",    "SecNSIPEdit",
                "ThirdNSEdit", "ThirdNSIPEdit", "fourthnsedit", "fourthnsipedit"};
    QStringList out;
    for (const QString &stem : contactBlockStems())
        out << block + stem;
    return out;
}

QString displayCaption(const QString &caption)
{
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&')) {
            if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            }
            continue;
        }
        out += caption[i];
    }
    return out;
}

namespace {

QString spokenLabel(const FieldDef &f)
{
    QString label = displayCaption(f.label).trimmed();
    if (label.endsWith(QLatin1Char(':')))
        label.chop(1);
    return label;
}

} // namespace

QString accessibleName(const FieldDef &field)
{
    if (field.type == ControlType::Radio)
        return {};
    const QString label = spokenLabel(field);
    std::vector<const FieldDef *> same;
    for (const FieldDef *f : fieldsOfPage(field.kind, field.page))
        if (f->type != ControlType::Radio && spokenLabel(*f) == label)
            same.push_back(f);
    if (same.size() < 2)
        return {};
    bool groupsDiffer = true;
    for (const FieldDef *f : same)
        if (f != &field && f->group == field.group)
            groupsDiffer = false;
    if (groupsDiffer && !field.group.trimmed().isEmpty())
        return label + QStringLiteral(" (") + field.group.trimmed() + QLatin1Char(')');
    const auto place = std::find(same.begin(), same.end(), &field) - same.begin();
    return label + QLatin1Char(' ') + QString::number(place + 1);
}
