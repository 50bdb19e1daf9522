#include "EppMapping.h"

#include "FieldCatalogue.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>

namespace EppMapping {

namespace {

constexpr int MaxIdLength = 16; // RFC 5730's clIDType

QStringList addressList(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    return text.split(separators, Qt::SkipEmptyParts);
}

// A contact block of a domain record ("A", "T", "B"), by its field stems.
EppContact blockContact(const EppRecord &r, const QString &b)
{
    EppContact c;
    c.name = r.field(b + QStringLiteral("NameEdit"));
    c.org = r.field(b + QStringLiteral("OrgEdit"));
    c.street = r.field(b + QStringLiteral("AddrEdit"));
    c.city = r.field(b + QStringLiteral("CityEdit"));
    c.sp = r.field(b + QStringLiteral("StateEdit"));
    c.pc = r.field(b + QStringLiteral("ZipEdit"));
    c.cc = r.field(b + QStringLiteral("CountryEdit")).toUpper();
    c.voice = phone(r.field(b + QStringLiteral("PhoneEdit"))).value_or(QString());
    c.fax = phone(r.field(b + QStringLiteral("FaxEdit"))).value_or(QString());
    c.email = r.field(b + QStringLiteral("MailEdit"));
    c.pw = r.field(QStringLiteral("AuthInfoEdit"));
    return c;
}

// The registrant from the Org block; the organisation has no phone or
// mailbox of its own in the record, so the admin's are its.
EppContact registrantContact(const EppRecord &r)
{
    EppContact c = blockContact(r, QStringLiteral("A"));
    c.name = r.field(QStringLiteral("OOrgNameEdit"));
    c.org = c.name;
    c.street = r.field(QStringLiteral("OAddrEdit"));
    c.city = r.field(QStringLiteral("OCityEdit"));
    c.sp = r.field(QStringLiteral("OStateEdit"));
    c.pc = r.field(QStringLiteral("OZipEdit"));
    c.cc = r.field(QStringLiteral("OCountryEdit")).toUpper();
    return c;
}

struct Block {
    const char *handleField;
    const char *nameField;
    const char *type; // contact type, or nullptr for the registrant
    const char *letter;
};
const Block kBlocks[] = {{"RegistrantHandle", "OOrgNameEdit", nullptr, "O"},
                         {"AHandleEdit", "ANameEdit", "admin", "A"},
                         {"THandleEdit", "TNameEdit", "tech", "T"},
                         {"BHandleEdit", "BNameEdit", "billing", "B"}};

EppContact blockData(const EppRecord &r, const Block &b)
{
    return b.type ? blockContact(r, QLatin1String(b.letter)) : registrantContact(r);
}

bool isAscii(const QString &s)
{
    for (QChar c : s)
        if (c.unicode() > 0x7e)
            return false;
    return true;
}

} // namespace

QString randomId()
{
    static const char digits[] = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    QString id = QStringLiteral("ZN");
    for (int i = 0; i < 12; ++i)
        id += QLatin1Char(digits[QRandomGenerator::system()->bounded(int(sizeof digits - 1))]);
    return id;
}

QString aceName(const QString &name)
{
    QString n = name.trimmed();
    for (QChar dot : {QChar(0x3002), QChar(0xFF0E), QChar(0xFF61)})
        n.replace(dot, QLatin1Char('.'));
    const QByteArray ace = QUrl::toAce(n);
    return ace.isEmpty() ? n.toLower() : QString::fromLatin1(ace).toLower();
}

std::optional<QString> phone(const QString &text)
{
    QString t = text.trimmed();
    if (t.isEmpty())
        return QString();
    if (t.startsWith(QLatin1String("00")))
        t = QLatin1Char('+') + t.mid(2);
    static const QRegularExpression form(QStringLiteral("^\\+(\\d{1,3})[.\\s\\-/(]+([\\d\\s.\\-/()]+)$"));
    const QRegularExpressionMatch m = form.match(t);
    if (!m.hasMatch())
        return std::nullopt;
    QString number = m.captured(2);
    number.remove(QRegularExpression(QStringLiteral("[^\\d]")));
    if (number.isEmpty() || m.captured(1).size() + number.size() > 15)
        return std::nullopt;
    return QStringLiteral("+%1.%2").arg(m.captured(1), number);
}

DomainPlan domain(const EppRecord &r, const EppSettings &settings, const IdMaker &newId)
{
    DomainPlan plan;
    EppDomain &d = plan.domain;
    d.name = aceName(r.name);
    d.pw = r.field(QStringLiteral("AuthInfoEdit"));
    const QStringList ns = blockFields(QStringLiteral("NS"));
    for (qsizetype i = 0; i + 1 < ns.size(); i += 2) {
        const QString name = aceName(r.field(ns[i]));
        if (name.isEmpty() || d.ns.contains(name))
            continue;
        const bool inside = name.endsWith(QLatin1Char('.') + d.name);
        const EppHost host{name, inside ? addressList(r.field(ns[i + 1])) : QStringList()};
        if (settings.hosts == EppSettings::HostMode::Attributes) {
            d.nsAttr << host;
            continue;
        }
        d.ns << name;
        if (inside)
            plan.inDomain << host;
        else
            plan.outside << name;
    }
    for (const Block &b : kBlocks) {
        QString id = r.field(QLatin1String(b.handleField));
        if (id.isEmpty() && !r.field(QLatin1String(b.nameField)).isEmpty()) {
            EppContact c = blockData(r, b);
            // Blocks that hold the same person share one new contact.
            for (NewContact &known : plan.newContacts) {
                EppContact same = c;
                same.id = known.contact.id;
                if (same == known.contact) {
                    id = known.contact.id;
                    known.fields << QLatin1String(b.handleField);
                }
            }
            if (id.isEmpty()) {
                c.id = id = newId();
                plan.newContacts << NewContact{{QLatin1String(b.handleField)}, c};
            }
        }
        if (id.isEmpty())
            continue;
        if (b.type)
            d.contacts << EppContactRef{QLatin1String(b.type), id};
        else
            d.registrant = id;
    }
    return plan;
}

EppHost host(const EppRecord &r)
{
    return {aceName(r.name), addressList(r.field(QStringLiteral("HostIPAddress")))};
}

EppContact contact(const EppRecord &r, const IdMaker &newId)
{
    EppContact c;
    c.id = r.field(QStringLiteral("ContactNicHandle"));
    if (c.id.isEmpty())
        c.id = newId();
    c.name = r.name.trimmed();
    c.org = r.field(QStringLiteral("ContactOrgName"));
    c.street = r.field(QStringLiteral("ContactAddr"));
    c.city = r.field(QStringLiteral("ContactCity"));
    c.sp = r.field(QStringLiteral("ContactState"));
    c.pc = r.field(QStringLiteral("ContactZip"));
    c.cc = r.field(QStringLiteral("ContactCountry")).toUpper();
    c.voice = phone(r.field(QStringLiteral("ContactPhone"))).value_or(QString());
    c.fax = phone(r.field(QStringLiteral("ContactFax"))).value_or(QString());
    c.email = r.field(QStringLiteral("ContactMail"));
    c.pw = r.field(QStringLiteral("ContactAuthorizationInfo"));
    c.disclose = r.field(QStringLiteral("Public"));
    return c;
}

namespace {

// Problems of contact data that will be created, named after `what`.
void contactProblems(const EppRecord &r, const QString &what, const QString &phoneField, const QString &faxField,
                     const EppContact &c, QStringList &out)
{
    for (const QString &f : {phoneField, faxField})
        if (!phone(r.field(f)))
            out << QStringLiteral("%1: the number \"%2\" cannot be put in the form +CC.NUMBER (say +1.7035551234)")
                       .arg(what, r.field(f));
    if (c.email.isEmpty())
        out << QStringLiteral("%1 has no e-mail address, which the registry needs").arg(what);
    if (c.cc.size() != 2 || !isAscii(c.cc))
        out << QStringLiteral("%1: the country must be a two-letter code such as US, not \"%2\"").arg(what, c.cc);
    if (c.city.isEmpty())
        out << QStringLiteral("%1 has no city, which the registry needs").arg(what);
}

void idProblem(const QString &id, const QString &what, QStringList &out)
{
    if (!id.isEmpty() && (id.size() < 3 || id.size() > MaxIdLength))
        out << QStringLiteral("%1 \"%2\" is no contact id the registry takes (3 to 16 characters)").arg(what, id);
}

} // namespace

QStringList problems(const EppRecord &r)
{
    QStringList out;
    const auto fixedId = [] { return QStringLiteral("ZNPLACEHOLDER"); };
    switch (r.kind) {
    case RecordKind::Domain: {
        if (r.action == EppAction::Delete)
            break;
        if (r.action == EppAction::New && r.field(QStringLiteral("AuthInfoEdit")).isEmpty())
            out << QStringLiteral("Authorization Info is empty: a new domain needs a password");
        const DomainPlan plan = domain(r, EppSettings{}, fixedId);
        for (const Block &b : kBlocks) {
            const QString handle = r.field(QLatin1String(b.handleField));
            idProblem(handle, b.type ? QStringLiteral("The %1 contact's Nic Handle").arg(QLatin1String(b.type))
                                     : QStringLiteral("RegistrantHandle"), out);
            if (!handle.isEmpty() || r.field(QLatin1String(b.nameField)).isEmpty())
                continue;
            const QString what = b.type ? QStringLiteral("The %1 contact").arg(QLatin1String(b.type)) : QStringLiteral("The organization");
            const QString letter = QLatin1String(b.type ? b.letter : "A");
            contactProblems(r, what, letter + QStringLiteral("PhoneEdit"), letter + QStringLiteral("FaxEdit"),
                            blockData(r, b), out);
        }
        if (r.action == EppAction::New && plan.domain.registrant.isEmpty())
            out << QStringLiteral("The domain has no registrant: give the organization a name or a RegistrantHandle");
        // A Modify's servers may exist already; the registry says when one is missing.
        for (const EppHost &h : plan.inDomain)
            if (r.action == EppAction::New && h.addresses.isEmpty())
                out << QStringLiteral("Name server %1 lies inside the domain and needs an address").arg(h.name);
        break;
    }
    case RecordKind::Host:
        if (r.action != EppAction::Delete && host(r).addresses.isEmpty())
            out << QStringLiteral("The host has no address");
        break;
    case RecordKind::Contact: {
        const QString id = r.field(QStringLiteral("ContactNicHandle"));
        idProblem(id, QStringLiteral("The Nic Handle"), out);
        if (r.action != EppAction::New && id.isEmpty())
            out << QStringLiteral("The Nic Handle is empty: the registry knows a contact by its id");
        if (r.action == EppAction::Delete)
            break;
        const EppContact c = contact(r, fixedId);
        if (r.action == EppAction::New && c.pw.isEmpty())
            out << QStringLiteral("Authorization Info is empty: a new contact needs a password");
        contactProblems(r, QStringLiteral("The contact"), QStringLiteral("ContactPhone"), QStringLiteral("ContactFax"), c, out);
        break;
    }
    }
    return out;
}

} // namespace EppMapping
