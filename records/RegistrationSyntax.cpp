#include "RegistrationSyntax.h"

#include <QStringList>
#include <optional>

namespace {

constexpr qsizetype kMaxName = 253;
constexpr qsizetype kMaxLabel = 63;
constexpr qsizetype kMaxLocalPart = 64;
constexpr qsizetype kMaxMailbox = 254; // an SMTP path of 256 less its angle brackets

bool isAsciiLetterOrDigit(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

// RFC 5321 atext: what a local part may hold between its dots.
bool isAtext(QChar c)
{
    return isAsciiLetterOrDigit(c) || QStringView(u"!#$%&'*+-/=?^_`{|}~").contains(c);
}

QString characterProblem(QChar c, const char *where)
{
    return QStringLiteral("has the character \"%1\"%2").arg(c).arg(QLatin1String(where));
}

// The four numbers of a dotted IPv4 address, or why it is none.
std::optional<quint32> parseIpv4(const QString &text, QString *problem)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    quint32 value = 0;
    bool wellFormed = parts.size() == 4;
    for (const QString &p : parts) {
        if (!wellFormed)
            break;
        wellFormed = !p.isEmpty();
        for (QChar c : p)
            wellFormed = wellFormed && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (!wellFormed)
            break;
        if (p.size() > 1 && p.front() == QLatin1Char('0')) {
            *problem = QStringLiteral("has a number with a leading zero");
            return std::nullopt;
        }
        if (p.size() > 3 || p.toUInt() > 255) {
            *problem = QStringLiteral("has a number above 255");
            return std::nullopt;
        }
        value = value << 8 | p.toUInt();
    }
    if (!wellFormed) {
        *problem = QStringLiteral("is not four numbers separated by dots");
        return std::nullopt;
    }
    return value;
}

struct Block {
    quint32 network;
    int prefix;
    const char *problem;
};

// Addresses that the registry must not publish as glue; the first match counts.
const Block kUnpublishable[] = {
    {0x00000000, 32, "is an unspecified address"}, {0x00000000, 8, "is a reserved address"},
    {0x7F000000, 8, "is a loopback address"},      {0x0A000000, 8, "is a private address"},
    {0xAC100000, 12, "is a private address"},      {0xC0A80000, 16, "is a private address"},
    {0xA9FE0000, 16, "is a link-local address"},   {0xE0000000, 4, "is a multicast address"},
    {0xF0000000, 4, "is a reserved address"},
};

QString localPartProblem(const QString &local)
{
    if (local.startsWith(QLatin1Char('"'))) {
        // Quoted-string: printable characters, a quote or backslash only after a backslash.
        bool closed = false;
        for (qsizetype i = 1; i < local.size(); ++i) {
            const QChar c = local[i];
            if (c.unicode() < 32 || c.unicode() > 126)
                return characterProblem(c, " before the @");
            if (c == QLatin1Char('\\')) {
                if (++i == local.size() || local[i].unicode() < 32 || local[i].unicode() > 126)
                    break;
            } else if (c == QLatin1Char('"')) {
                closed = i == local.size() - 1;
                if (!closed)
                    break;
            }
        }
        return closed ? QString() : QStringLiteral("has a quoted local part with a stray quote or backslash");
    }
    for (const QString &atom : local.split(QLatin1Char('.'))) {
        if (atom.isEmpty())
            return QStringLiteral("has a dot at the start or end of the local part or two dots in a row");
        for (QChar c : atom)
            if (!isAtext(c))
                return characterProblem(c, " before the @");
    }
    return {};
}

} // namespace

QString hostNameProblem(const QString &name, NameRole role)
{
    QString n = name;
    if (n.endsWith(QLatin1Char('.'))) {
        if (role == NameRole::Domain)
            return QStringLiteral("ends in a dot");
        n.chop(1);
    }
    if (n.size() > kMaxName)
        return QStringLiteral("is longer than %1 characters").arg(kMaxName);
    const QStringList labels = n.split(QLatin1Char('.'));
    for (const QString &label : labels) {
        if (label.isEmpty())
            return QStringLiteral("has an empty label");
        for (QChar c : label)
            if (!isAsciiLetterOrDigit(c) && c != QLatin1Char('-'))
                return characterProblem(c, "");
        if (label.size() > kMaxLabel)
            return QStringLiteral("has a label longer than %1 characters").arg(kMaxLabel);
        if (label.startsWith(QLatin1Char('-')) || label.endsWith(QLatin1Char('-')))
            return QStringLiteral("has a label that begins or ends with a hyphen");
    }
    if (labels.size() < 2)
        return QStringLiteral("needs at least two labels");
    return {};
}

QString addressProblem(const QString &address)
{
    QString problem;
    const std::optional<quint32> value = parseIpv4(address, &problem);
    if (!value)
        return problem;
    for (const Block &b : kUnpublishable) {
        const quint32 mask = b.prefix == 0 ? 0 : ~quint32(0) << (32 - b.prefix);
        if ((*value & mask) == b.network)
            return QLatin1String(b.problem);
    }
    return {};
}

QString mailboxProblem(const QString &mailbox)
{
    if (mailbox.contains(QLatin1Char('<')) || mailbox.contains(QLatin1Char('>')))
        return QStringLiteral("has a display name or angle brackets; give the mailbox alone");
    for (QChar c : mailbox)
        if (c.isSpace())
            return QStringLiteral("contains a space");
    if (mailbox.size() > kMaxMailbox)
        return QStringLiteral("is longer than %1 characters").arg(kMaxMailbox);
    const qsizetype at = mailbox.lastIndexOf(QLatin1Char('@'));
    if (at < 0)
        return QStringLiteral("has no @");
    const QString local = mailbox.left(at);
    const QString domain = mailbox.mid(at + 1);
    if (local.isEmpty())
        return QStringLiteral("has nothing before the @");
    if (local.size() > kMaxLocalPart)
        return QStringLiteral("has more than %1 characters before the @").arg(kMaxLocalPart);
    if (const QString p = localPartProblem(local); !p.isEmpty())
        return p;
    if (domain.isEmpty())
        return QStringLiteral("has nothing after the @");
    if (domain.startsWith(QLatin1Char('['))) {
        QString unused;
        if (!domain.endsWith(QLatin1Char(']')) || !parseIpv4(domain.mid(1, domain.size() - 2), &unused))
            return QStringLiteral("has an address literal that is not a dotted IPv4 address");
        return {};
    }
    if (const QString p = hostNameProblem(domain, NameRole::Domain); !p.isEmpty())
        return QStringLiteral("has a domain part that ") + p;
    return {};
}
