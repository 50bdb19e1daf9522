#include "RegistrationCheck.h"

#include "FieldCatalogue.h"
#include "IFields.h"
#include "ListEntry.h"
#include "RegistrationSyntax.h"

#include <QStringList>
#include <algorithm>
#include <vector>

namespace {

enum class Format { Text, DomainName, HostName, Address, Mailbox };

// A field the check knows, in page order, with the words a problem names it by.
struct FieldRule {
    QString field;
    QString subject;
    Format format = Format::Text;
};

// Fields that must not be empty for the actions listed ("N", "M", "D").
struct Requirement {
    RecordKind kind;
    const char *actions;
    QStringList fields;
};

// A contact is known by its NIC handle, or else by a name and a mailbox.
struct PersonRule {
    RecordKind kind;
    const char *actions;
    const char *subject;
    const char *handle;
    const char *name;
    const char *mail;
};

// A scheme box and its info field: for the listed actions the scheme must be
// one of the three entries of its list (the form prints only an entry), and
// carry the info it asks for: CRYPT-PW a password, or with
// `infoForEveryScheme` (authentication) an e-mail address, password or key.
struct SchemeRule {
    RecordKind kind;
    const char *actions;
    const char *scheme;
    const char *info;
    bool infoForEveryScheme;
};

const QString kMailFrom = QStringLiteral("MAIL-FROM");
const QString kCryptPw = QStringLiteral("CRYPT-PW");

const char *const kNameServers[][2] = {
    {"PriNSEdit", "PriNSIPEdit"},
    {"SecNSEdit", "SecNSIPEdit"},
    {"ThirdNSEdit", "ThirdNSIPEdit"},
    {"fourthnsedit", "fourthnsipedit"},
};

const std::vector<FieldRule> &fieldRules(RecordKind kind)
{
    static const std::vector<FieldRule> domain = [] {
        std::vector<FieldRule> t{
            {"DomainNameEdit", "Domain name", Format::DomainName},
            {"AuthScheme", "Authorization scheme"},
            {"AuthInfoEdit", "Authorization info"},
            {"OOrgNameEdit", "Organization name"},
            {"OAddrEdit", "Organization street address"},
            {"OCityEdit", "Organization city"},
            {"OCountryEdit", "Organization country code"},
        };
        for (const char *block : {"A", "T", "B"}) {
            const QString prefix = QLatin1String(block);
            const QString who = prefix == QLatin1String("A")   ? QStringLiteral("Administrative contact")
                                : prefix == QLatin1String("T") ? QStringLiteral("Technical contact")
                                                               : QStringLiteral("Billing contact");
            t.push_back({prefix + QStringLiteral("HandleEdit"), who + QStringLiteral(" NIC handle")});
            t.push_back({prefix + QStringLiteral("NameEdit"), who + QStringLiteral(" name")});
            t.push_back({prefix + QStringLiteral("MailEdit"), who + QStringLiteral(" e-mail"), Format::Mailbox});
        }
        for (int i = 0; i < 4; ++i) {
            const QString server = QStringLiteral("Name server %1").arg(i + 1);
            t.push_back({QLatin1String(kNameServers[i][0]), server + QStringLiteral(" name"), Format::HostName});
            t.push_back({QLatin1String(kNameServers[i][1]), server + QStringLiteral(" address"), Format::Address});
        }
        return t;
    }();
    static const std::vector<FieldRule> host{
        {"HostName", "Host name", Format::HostName},
        {"HostAuthScheme", "Authorization scheme"},
        {"HostAuthInfo", "Authorization info"},
        {"HostIPAddress", "Host address", Format::Address},
        {"HCNicHandle", "Host contact NIC handle"},
        {"HCName", "Host contact name"},
        {"HCCountry", "Host contact country code"},
        {"HCMail", "Host contact e-mail", Format::Mailbox},
    };
    static const std::vector<FieldRule> contact{
        {"Contactname", "Contact name"},
        {"ContactAuthorizationType", "Authorization scheme"},
        {"ContactAuthorizationInfo", "Authorization info"},
        {"ContactNotifyUpdates", "Notify updates"},
        {"ContactNotifyUse", "Notify use"},
        {"ContactAuthenticationType", "Authentication scheme"},
        {"ContactAuthenticationInfo", "Authentication info"},
        {"ContactNicHandle", "NIC handle"},
        {"ContactAddr", "Street address"},
        {"ContactCity", "City"},
        {"ContactCountry", "Country code"},
        {"ContactMail", "E-mail", Format::Mailbox},
    };
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

// What the registry needs to act at all: a new domain its owner, postal
// address and two name servers; a new host its address; a new contact a
// postal address and a mailbox to reach it; a contact to change or delete its
// handle, since names are not unique. The host's own handle is asked "if known".
const Requirement kRequirements[] = {
    {RecordKind::Domain, "NMD", {"DomainNameEdit"}},
    {RecordKind::Domain, "N",
     {"OOrgNameEdit", "OAddrEdit", "OCityEdit", "OCountryEdit", "PriNSEdit", "PriNSIPEdit", "SecNSEdit",
      "SecNSIPEdit"}},
    {RecordKind::Host, "NMD", {"HostName"}},
    {RecordKind::Host, "NM", {"HostIPAddress"}},
    {RecordKind::Contact, "NMD", {"Contactname"}},
    {RecordKind::Contact, "N", {"ContactAddr", "ContactCity", "ContactCountry", "ContactMail"}},
    {RecordKind::Contact, "MD", {"ContactNicHandle"}},
};

const PersonRule kPeople[] = {
    {RecordKind::Domain, "N", "Administrative contact", "AHandleEdit", "ANameEdit", "AMailEdit"},
    {RecordKind::Domain, "N", "Technical contact", "THandleEdit", "TNameEdit", "TMailEdit"},
    {RecordKind::Host, "N", "Host contact", "HCNicHandle", "HCName", "HCMail"},
};

const SchemeRule kSchemes[] = {
    {RecordKind::Domain, "MD", "AuthScheme", "AuthInfoEdit", false},
    {RecordKind::Host, "MD", "HostAuthScheme", "HostAuthInfo", false},
    {RecordKind::Contact, "MD", "ContactAuthorizationType", "ContactAuthorizationInfo", false},
    {RecordKind::Contact, "N", "ContactAuthenticationType", "ContactAuthenticationInfo", true},
};

// A value as a problem quotes it: long ones are cut.
QString shown(const QString &value)
{
    constexpr qsizetype kLongest = 40;
    return value.size() <= kLongest ? value : value.left(kLongest - 3) + QStringLiteral("...");
}

QString formatProblem(Format format, const QString &value)
{
    switch (format) {
    case Format::Text:
        break;
    case Format::DomainName:
        return hostNameProblem(value, NameRole::Domain);
    case Format::HostName:
        return hostNameProblem(value, NameRole::Host);
    case Format::Address:
        return addressProblem(value);
    case Format::Mailbox:
        return mailboxProblem(value);
    }
    return {};
}

QString infoNeeded(const QString &scheme)
{
    if (scheme == kMailFrom)
        return QStringLiteral("an e-mail address");
    if (scheme == kCryptPw)
        return QStringLiteral("a password");
    return QStringLiteral("a key ID");
}

class Check {
public:
    Check(const IFields &fields, RecordKind kind)
        : m_fields(fields), m_kind(kind), m_rules(fieldRules(kind)), m_action(actionCode(fields, kind))
    {
    }

    RegistrationProblems run()
    {
        if (m_action.isEmpty())
            add(QLatin1String(kindInfo(m_kind).newRadio), QStringLiteral("No action is chosen: New, Modify or Delete"));
        for (const Requirement &r : kRequirements)
            if (applies(r.kind, r.actions))
                for (const QString &field : r.fields)
                    if (isEmpty(field))
                        add(field, subject(field) + QStringLiteral(" is empty"));
        for (const PersonRule &p : kPeople)
            if (applies(p.kind, p.actions))
                checkPerson(p);
        if (m_kind == RecordKind::Domain)
            for (const auto &pair : kNameServers)
                checkPair(QLatin1String(pair[0]), QLatin1String(pair[1]));
        for (const SchemeRule &s : kSchemes)
            if (s.kind == m_kind)
                checkScheme(s);
        for (const FieldDef &f : fieldCatalogue()) {
            checkListEntry(f);
            checkTypingLimit(f);
        }
        for (const FieldRule &f : m_rules)
            if (const QString value = text(f.field); !isEmpty(f.field))
                if (const QString p = formatProblem(f.format, value); !p.isEmpty())
                    add(f.field, f.subject + QLatin1Char(' ') + shown(value) + QLatin1Char(' ') + p);
        std::stable_sort(m_problems.begin(), m_problems.end(),
                         [this](const auto &a, const auto &b) { return order(a.field) < order(b.field); });
        return m_problems;
    }

private:
    bool applies(RecordKind kind, const char *actions) const
    {
        return kind == m_kind && !m_action.isEmpty() && QLatin1String(actions).contains(m_action);
    }
    QString text(const QString &field) const { return m_fields.text(field); }
    // Blanks alone fill nothing in.
    bool isEmpty(const QString &field) const { return text(field).trimmed().isEmpty(); }
    QString subject(const QString &field) const
    {
        for (const FieldRule &f : m_rules)
            if (f.field == field)
                return f.subject;
        return field;
    }
    int order(const QString &field) const
    {
        for (size_t i = 0; i < m_rules.size(); ++i)
            if (m_rules[i].field == field)
                return int(i);
        return -1;
    }
    void add(const QString &field, const QString &problem)
    {
        const RegistrationProblem p{field, problem};
        if (!m_problems.contains(p))
            m_problems << p;
    }

    void checkPerson(const PersonRule &p)
    {
        if (!isEmpty(QLatin1String(p.handle)))
            return;
        if (isEmpty(QLatin1String(p.name)))
            add(QLatin1String(p.handle),
                QLatin1String(p.subject) + QStringLiteral(" needs a NIC handle, or a name and an e-mail address"));
        else if (isEmpty(QLatin1String(p.mail)))
            add(QLatin1String(p.mail),
                QLatin1String(p.subject) + QStringLiteral(" e-mail is empty; without a NIC handle it is needed"));
    }

    // A name server is a name with its address; half of one is a slip.
    void checkPair(const QString &name, const QString &address)
    {
        if (isEmpty(name) != isEmpty(address)) {
            const QString missing = isEmpty(name) ? name : address;
            add(missing, subject(missing) + QStringLiteral(" is empty"));
        }
    }

    void checkScheme(const SchemeRule &s)
    {
        const QString schemeField = QLatin1String(s.scheme);
        // The scheme as the form prints it: the entry the box's text stands for.
        const QString scheme = m_fields.selectedEntry(schemeField);
        const QString infoField = QLatin1String(s.info);
        const QString info = text(infoField);
        // An authentication mailbox is checked whenever there is one.
        if (s.infoForEveryScheme && scheme == kMailFrom && !isEmpty(infoField))
            if (const QString p = mailboxProblem(info); !p.isEmpty())
                add(infoField, subject(infoField) + QLatin1Char(' ') + shown(info) + QLatin1Char(' ') + p);
        if (!applies(s.kind, s.actions))
            return;
        if (isEmpty(schemeField)) {
            add(schemeField, subject(schemeField) + QStringLiteral(" is empty"));
            return;
        }
        if ((s.infoForEveryScheme || scheme == kCryptPw) && !scheme.isEmpty() && isEmpty(infoField))
            add(infoField, subject(infoField) + QStringLiteral(" is empty; ") + scheme + QStringLiteral(" needs ") +
                               infoNeeded(scheme));
    }

    // A scheme or notify box whose text is none of its entries prints nothing.
    void checkListEntry(const FieldDef &f)
    {
        if (f.kind != m_kind || !hasFixedList(f.name) || isEmpty(f.name) || !m_fields.selectedEntry(f.name).isEmpty())
            return;
        add(f.name, subject(f.name) + QStringLiteral(" \"") + shown(text(f.name)) + QStringLiteral("\" is not one of: ") +
                        f.items.join(QStringLiteral(", ")));
    }

    // A stored value may be longer than the field lets one type; it is kept
    // whole and named here. The one such field holds a country code.
    void checkTypingLimit(const FieldDef &f)
    {
        if (f.kind == m_kind && f.maxLength && text(f.name).size() > f.maxLength)
            add(f.name, QStringLiteral("Country code \"%1\" is not a two-letter code").arg(shown(text(f.name))));
    }

    const IFields &m_fields;
    RecordKind m_kind;
    const std::vector<FieldRule> &m_rules;
    QString m_action;
    RegistrationProblems m_problems;
};

QString countOf(qsizetype n)
{
    return n == 1 ? QStringLiteral("1 problem") : QStringLiteral("%1 problems").arg(n);
}

// "2 problems", "1 warning", "2 problems and 1 warning".
QString countsOf(const RegistrationProblems &problems)
{
    const qsizetype warnings = std::count_if(problems.begin(), problems.end(), [](const auto &p) { return p.warning; });
    const qsizetype refusals = problems.size() - warnings;
    QStringList parts;
    if (refusals)
        parts << countOf(refusals);
    if (warnings)
        parts << (warnings == 1 ? QStringLiteral("1 warning") : QStringLiteral("%1 warnings").arg(warnings));
    return parts.join(QStringLiteral(" and "));
}

QString warningMark(const RegistrationProblem &p)
{
    return p.warning ? QStringLiteral("Warning: ") + p.text : p.text;
}

} // namespace

RegistrationProblems checkRegistration(const IFields &fields, RecordKind kind)
{
    return Check(fields, kind).run();
}

QString problemText(const RegistrationProblem &problem)
{
    return problem.network ? warningMark(problem) + QStringLiteral(" (found on the network)") : warningMark(problem);
}

QString problemSummary(const RegistrationProblems &problems)
{
    if (problems.isEmpty())
        return {};
    // The line is short: the count says how many came from the network, and
    // one problem is shown without its network mark: the network's first
    // error (the news when its check ends), else its first warning, else the
    // record's first problem.
    QString counts = countsOf(problems);
    if (const qsizetype network = std::count_if(problems.begin(), problems.end(), [](const auto &p) { return p.network; }))
        counts += QStringLiteral(" (%1 on the network)").arg(network);
    auto shown = std::find_if(problems.begin(), problems.end(), [](const auto &p) { return p.network && !p.warning; });
    if (shown == problems.end())
        shown = std::find_if(problems.begin(), problems.end(), [](const auto &p) { return p.network; });
    if (shown == problems.end())
        shown = problems.begin();
    return counts + QStringLiteral(": ") + warningMark(*shown);
}

QString mailAnywayQuestion(const RegistrationProblems &problems)
{
    constexpr qsizetype kListed = 10;
    RegistrationProblems found, unchecked;
    for (const RegistrationProblem &p : problems)
        (p.unchecked ? unchecked : found) << p;
    QStringList lines;
    if (!found.isEmpty()) {
        const bool refusable = std::any_of(found.begin(), found.end(), [](const auto &p) { return !p.warning; });
        const QString head = refusable ? QStringLiteral("The registry may refuse this registration. It has %1:")
                                       : QStringLiteral("This registration has %1:");
        lines << head.arg(countsOf(found)) << QString();
        for (qsizetype i = 0; i < found.size() && i < kListed; ++i)
            lines << problemText(found[i]);
        if (found.size() > kListed)
            lines << QStringLiteral("and %1 more").arg(found.size() - kListed);
        lines << QString();
    }
    // What the network did not answer is neither a fault nor a pass: said apart.
    if (!unchecked.isEmpty()) {
        lines << QStringLiteral("Not checked, for want of an answer:") << QString();
        for (const RegistrationProblem &p : unchecked)
            lines << p.text;
        lines << QString();
    }
    lines << QStringLiteral("Mail it anyway?");
    return lines.join(QLatin1Char('\n'));
}
