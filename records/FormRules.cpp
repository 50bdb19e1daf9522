#include "FormRules.h"

#include "FieldCatalogue.h"
#include "IFields.h"
#include "IMessageBoxes.h"
#include "ListEntry.h"


namespace {

// What a copy/clear button does.
enum class Op {
    OrgToContact,     // the six organisation fields into block `a`'s address part
    ContactToOrg,     // block `a`'s address part into the organisation fields
    ContactToContact, // all twelve fields of block `a` into block `b`
    Buttons,          // the buttons listed in `a`, in order ("Copy to ALL", "Copy From")
    Clear,            // empties block `a`
};

struct ButtonRow {
    const char *name;
    const char *page;
    const char *caption;
    Op op;
    const char *a;
    const char *b;
};

// clang-format off
const ButtonRow kButtons[] = {
    {"O1", "Org", "Copy to Admin",     Op::OrgToContact, "A", nullptr},
    {"O2", "Org", "Copy to Tech",      Op::OrgToContact, "T", nullptr},
    {"O3", "Org", "Copy to Billing",   Op::OrgToContact, "B", nullptr},
    {"O4", "Org", "Copy to ALL",       Op::Buttons, "O1 O2 O3", nullptr},
    {"O5", "Org", "Copy From Admin",   Op::Buttons, "A1", nullptr},
    {"O6", "Org", "Copy From Tech",    Op::Buttons, "T1", nullptr},
    {"O7", "Org", "Copy From Billing", Op::Buttons, "B1", nullptr},
    {"O8", "Org", "Clear",             Op::Clear, "O", nullptr},

    {"A1", "Admin", "Copy to Org",       Op::ContactToOrg, "A", nullptr},
    {"A2", "Admin", "Copy to Tech",      Op::ContactToContact, "A", "T"},
    {"A3", "Admin", "Copy to Billing",   Op::ContactToContact, "A", "B"},
    {"A4", "Admin", "Copy to ALL",       Op::Buttons, "A1 A2 A3", nullptr},
    {"A5", "Admin", "Copy From Org",     Op::Buttons, "O1", nullptr},
    {"A6", "Admin", "Copy From Tech",    Op::Buttons, "T2", nullptr},
    {"A7", "Admin", "Copy From Billing", Op::Buttons, "B2", nullptr},
    {"A8", "Admin", "Clear",             Op::Clear, "A", nullptr},

    {"T1", "Technical", "Copy to Org",       Op::ContactToOrg, "T", nullptr},
    {"T2", "Technical", "Copy to Admin",     Op::ContactToContact, "T", "A"},
    {"T3", "Technical", "Copy to Billing",   Op::ContactToContact, "T", "B"},
    {"T4", "Technical", "Copy to ALL",       Op::Buttons, "T1 T2 T3", nullptr},
    {"T5", "Technical", "Copy From Org",     Op::Buttons, "O2", nullptr},
    {"T6", "Technical", "Copy From Admin",   Op::Buttons, "A2", nullptr},
    {"T7", "Technical", "Copy From Billing", Op::Buttons, "B3", nullptr},
    {"T8", "Technical", "Clear",             Op::Clear, "T", nullptr},

    {"B1",       "Billing", "Copy to Org",     Op::ContactToOrg, "B", nullptr},
    {"B2",       "Billing", "Copy to Admin",   Op::ContactToContact, "B", "A"},
    {"B3",       "Billing", "Copy to Tech",    Op::ContactToContact, "B", "T"},
    {"B4",       "Billing", "Copy to ALL",     Op::Buttons, "B1 B2 B3", nullptr},
    {"B5",       "Billing", "Copy From Org",   Op::Buttons, "O3", nullptr},
    {"B6",       "Billing", "Copy From Admin", Op::Buttons, "A3", nullptr},
    {"BitBtn32", "Billing", "Copy From Tech",  Op::Buttons, "T3", nullptr},
    {"BitBtn33", "Billing", "Clear",           Op::Clear, "B", nullptr},

    {"BitBtn3", "Name Servers", "Clear", Op::Clear, "NS", nullptr},
};
// clang-format on

const ButtonRow *findRow(const QString &name)
{
    for (const ButtonRow &r : kButtons)
        if (name == QLatin1String(r.name))
            return &r;
    return nullptr;
}

// Org, Addr, City, State, Zip, Country of a contact block: they pair one to
// one with the organisation block.
QStringList addressPart(const QString &block)
{
    return blockFields(block).mid(3, 6);
}

void copyFields(IFields &fields, const QStringList &from, const QStringList &to)
{
    for (qsizetype i = 0; i < from.size() && i < to.size(); ++i)
        fields.setText(to[i], fields.text(from[i]));
}

void run(IFields &fields, const ButtonRow &row, int depth)
{
    const QString a = QLatin1String(row.a);
    switch (row.op) {
    case Op::OrgToContact:
        copyFields(fields, blockFields(QStringLiteral("O")), addressPart(a));
        break;
    case Op::ContactToOrg:
        copyFields(fields, addressPart(a), blockFields(QStringLiteral("O")));
        break;
    case Op::ContactToContact:
        copyFields(fields, blockFields(a), blockFields(QLatin1String(row.b)));
        break;
    case Op::Buttons:
        // The table only nests one level; the bound guards against a typo looping.
        if (depth < 2)
            for (const QString &ref : a.split(QLatin1Char(' ')))
                if (const ButtonRow *r = findRow(ref))
                    run(fields, *r, depth + 1);
        break;
    case Op::Clear:
        for (const QString &f : blockFields(a))
            fields.setText(f, QString());
        break;
    }
}

void setEnabled(IFields &fields, const QStringList &names, bool enabled)
{
    for (const QString &n : names)
        fields.setEnabled(n, enabled);
}

const QString kCryptPw = QStringLiteral("CRYPT-PW");
const QString kMailFrom = QStringLiteral("MAIL-FROM");
const QString kPgp = QStringLiteral("PGP");

// The schemes that need no password, and so no info field.
bool switchesOff(const QString &scheme)
{
    return scheme == kMailFrom || scheme == kPgp;
}

// Fields the contact's Modify and Delete rules switch on; New switches off the first three.
const QStringList kContactActionFields{QStringLiteral("ContactAuthorizationInfo"),
                                       QStringLiteral("ContactAuthorizationType"),
                                       QStringLiteral("ContactNicHandle"), QStringLiteral("ContactRole")};

void askDeletion(IFields &fields, IMessageBoxes &prompter, RecordKind kind, const QStringList &dependents)
{
    if (prompter.confirm(deletionQuestion(kind))) {
        setEnabled(fields, dependents, true);
        return;
    }
    setEnabled(fields, dependents, false);
    fields.check(QLatin1String(kindInfo(kind).newRadio));
}

} // namespace

const std::vector<CopyButtonDef> &copyButtons()
{
    static const std::vector<CopyButtonDef> defs = [] {
        std::vector<CopyButtonDef> v;
        for (const ButtonRow &r : kButtons)
            v.push_back({QLatin1String(r.name), QLatin1String(r.page), QLatin1String(r.caption), r.op == Op::Clear});
        return v;
    }();
    return defs;
}

void runCopyButton(IFields &fields, const QString &buttonName)
{
    if (const ButtonRow *r = findRow(buttonName))
        run(fields, *r, 0);
}

namespace {

ClearAllButtonDef clearAllButton(RecordKind kind, const char *hint, bool isCancel)
{
    return {kind, QLatin1String(kindInfo(kind).clearAllButton), QLatin1String(kReviewPage), QStringLiteral("Clear All"),
            QLatin1String(hint), isCancel};
}

} // namespace

const std::vector<ClearAllButtonDef> &clearAllButtons()
{
    static const std::vector<ClearAllButtonDef> defs{
        clearAllButton(RecordKind::Domain, "Clears all entries on previous tabs.", false),
        clearAllButton(RecordKind::Host, "Clears all previous tab settings.", true),
        clearAllButton(RecordKind::Contact, "Clears all info on previous tabs.", true),
    };
    return defs;
}

const QStringList &clearAllFields(RecordKind kind)
{
    static const QStringList domain = [] {
        QStringList l;
        for (const char *b : {"O", "A", "T", "B", "NS"})
            l << blockFields(QLatin1String(b));
        l << QStringLiteral("PurposeEdit") << QStringLiteral("AuthInfoEdit") << QStringLiteral("AuthScheme")
          << QStringLiteral("DomainNameEdit");
        return l;
    }();
    static const QStringList host = QStringList{"HostName", "HostNicHandle", "HostAuthScheme", "HostAuthInfo",
                                                "HostIPAddress"} +
                                    blockFields(QStringLiteral("HC"));
    static const QStringList contact = [] {
        const QStringList person = blockFields(QStringLiteral("C"));
        return QStringList{"Contactname", "ContactAuthorizationType", "ContactAuthorizationInfo",
                           "ContactNotifyUpdates", "ContactNotifyUse", "ContactAuthenticationType",
                           "ContactAuthenticationInfo"} +
               person.mid(0, 2) + person.mid(3);
    }();
    switch (kind) {
    case RecordKind::Domain:
        return domain;
    case RecordKind::Host:
        return host;
    case RecordKind::Contact:
        break;
    }
    return contact;
}

void clearAll(IFields &fields, RecordKind kind)
{
    for (const QString &f : clearAllFields(kind))
        fields.setText(f, QString());
}

const QStringList &cancelButtonNames()
{
    static const QStringList names = [] {
        QStringList n;
        for (const CopyButtonDef &s : copyButtons())
            if (s.isCancel)
                n << s.name;
        for (const ClearAllButtonDef &s : clearAllButtons())
            if (s.isCancel)
                n << s.name;
        return n;
    }();
    return names;
}

const std::vector<SchemeRuleDef> &schemeRules()
{
    static const std::vector<SchemeRuleDef> rules{
        {QStringLiteral("AuthScheme"), QStringLiteral("AuthInfoEdit"), QStringLiteral("Label52")},
        {QStringLiteral("HostAuthScheme"), QStringLiteral("HostAuthInfo"), QStringLiteral("Label61")},
        {QStringLiteral("ContactAuthorizationType"), QStringLiteral("ContactAuthorizationInfo"),
         QStringLiteral("Label86")},
    };
    return rules;
}

void schemeChanged(IFields &fields, const QString &schemeField)
{
    for (const SchemeRuleDef &r : schemeRules()) {
        if (r.schemeField != schemeField)
            continue;
        const QString scheme = fields.text(schemeField);
        if (scheme == kCryptPw) {
            fields.setCaption(r.label, QStringLiteral("Password"));
            fields.setEnabled(r.infoField, true);
        } else if (switchesOff(scheme)) {
            fields.setCaption(r.label, QStringLiteral("n/a"));
            fields.setEnabled(r.infoField, false);
        }
        return;
    }
}

bool schemeSwitchesOff(const IFields &fields, const QString &infoField)
{
    for (const SchemeRuleDef &r : schemeRules())
        if (r.infoField == infoField)
            return switchesOff(fields.selectedEntry(r.schemeField));
    return false;
}

void authenticationChanged(IFields &fields)
{
    const QString scheme = fields.text(QStringLiteral("ContactAuthenticationType"));
    const QString label = QStringLiteral("Label103");
    if (scheme == kCryptPw)
        fields.setCaption(label, QStringLiteral("Encrypted Password"));
    else if (scheme == kMailFrom)
        fields.setCaption(label, QStringLiteral("E-Mail Address"));
    else if (scheme == kPgp)
        fields.setCaption(label, QStringLiteral("Public PGP Key ID"));
}

const QStringList &actionRuleRadios()
{
    static const QStringList radios{"NewHostRadio",       "ModifyHostRadio",    "DeleteHostRadio",  "NewContactRadio",
                                    "ModifyContactRadio", "DeleteContactRadio", "DeleteDomainRadio"};
    return radios;
}

namespace {

// The rules of the New and Modify choices; false for a radio without one here.
bool choiceRule(IFields &fields, const QString &radioName)
{
    const QString hostHandle = QStringLiteral("HostNicHandle");
    if (radioName == QLatin1String("NewHostRadio")) {
        fields.setEnabled(hostHandle, false);
    } else if (radioName == QLatin1String("ModifyHostRadio")) {
        fields.setEnabled(hostHandle, true);
    } else if (radioName == QLatin1String("NewContactRadio")) {
        setEnabled(fields, kContactActionFields.mid(0, 3), false);
    } else if (radioName == QLatin1String("ModifyContactRadio")) {
        setEnabled(fields, kContactActionFields, true);
        if (fields.text(QStringLiteral("ContactAuthorizationType")) == kMailFrom)
            fields.setEnabled(QStringLiteral("ContactAuthorizationInfo"), false);
    } else {
        return false;
    }
    return true;
}

} // namespace

void actionClicked(IFields &fields, IMessageBoxes &prompter, const QString &radioName)
{
    if (choiceRule(fields, radioName))
        return;
    if (radioName == QLatin1String("DeleteHostRadio"))
        askDeletion(fields, prompter, RecordKind::Host, {QStringLiteral("HostNicHandle")});
    else if (radioName == QLatin1String("DeleteContactRadio"))
        askDeletion(fields, prompter, RecordKind::Contact, kContactActionFields);
    else if (radioName == QLatin1String("DeleteDomainRadio"))
        askDeletion(fields, prompter, RecordKind::Domain, {});
}

void applyRulesAfterLoad(IFields &fields, RecordKind kind)
{
    const auto ofKind = [kind](const QString &name) {
        const FieldDef *f = findField(name);
        return f && f->kind == kind;
    };
    for (const FieldDef &f : fieldCatalogue())
        if (f.kind == kind && hasFixedList(f.name))
            if (const QString entry = listEntryFor(f.name, fields.text(f.name));
                !entry.isEmpty() && entry != fields.text(f.name))
                fields.setText(f.name, entry);
    for (const SchemeRuleDef &r : schemeRules())
        if (ofKind(r.schemeField))
            schemeChanged(fields, r.schemeField);
    if (kind == RecordKind::Contact)
        authenticationChanged(fields);
    // What the checked choice disables stays disabled whatever the scheme.
    for (const QString &radio : actionRuleRadios())
        if (ofKind(radio) && fields.isChecked(radio))
            choiceRule(fields, radio);
}

void applyRulesAfterLoad(IFields &fields)
{
    for (const KindInfo &k : recordKinds())
        applyRulesAfterLoad(fields, k.kind);
}

QString deletionQuestion(RecordKind kind)
{
    const char *what = kind == RecordKind::Domain ? "domain" : kind == RecordKind::Host ? "host" : "contact";
    return QStringLiteral("You just chose to DELETE a %1.  Is this what you really want to do?")
        .arg(QLatin1String(what));
}
