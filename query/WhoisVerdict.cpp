#include "WhoisVerdict.h"

#include "LookUpText.h"

#include <QRegularExpression>

namespace {

// A line without the indent and the comment marks some registries put before it.
QStringView bare(QStringView line)
{
    while (!line.isEmpty() && (line.front().isSpace() || line.front() == u'%' || line.front() == u'#' || line.front() == u'>'))
        line = line.mid(1);
    return line.trimmed();
}

// "Key: value" as a key in lower case and its value; Nominet's layout puts
// the value on the next line, which `next` gives.
bool keyed(QStringView line, QStringView next, QString &key, QString &value)
{
    const qsizetype colon = line.indexOf(u':');
    if (colon <= 0)
        return false;
    key = line.left(colon).trimmed().toString().toLower();
    value = line.mid(colon + 1).trimmed().toString();
    if (value.isEmpty() && !next.contains(u':'))
        value = next.toString();
    return true;
}

QString asDomain(QString name)
{
    name = aceName(name.trimmed()).toLower();
    if (name.endsWith(u'.'))
        name.chop(1);
    return name;
}

} // namespace

LookUpOutcome whoisVerdict(const QStringList &registryAnswer, const QString &asciiName)
{
    // The wordings registries use for a name they do not hold, each from the start of its line.
    static const QRegularExpression free(
        QStringLiteral("^(no match( for\\b|$|[.!])|not found\\b|no entries found\\b|no data found\\b|no object found\\b|"
                       "no matching record\\b|domain not found\\b|object does not exist\\b|"
                       "the queried object does not exist\\b|status:\\s*(free|available)$)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QStringList registrarKeys{QStringLiteral("registrar"), QStringLiteral("sponsoring registrar"),
                                           QStringLiteral("registrar name")};
    const QString name = asDomain(asciiName);
    bool saysFree = false, domainLine = false, shortDomainLine = false;
    QString registrar;
    for (qsizetype i = 0; i < registryAnswer.size(); ++i) {
        const QStringView line = bare(registryAnswer[i]);
        if (free.match(line).hasMatch())
            saysFree = true;
        QString key, value;
        const QStringView next = i + 1 < registryAnswer.size() ? bare(registryAnswer[i + 1]) : QStringView();
        if (!keyed(line, next, key, value) || value.isEmpty())
            continue;
        if (key == QLatin1String("domain name") && asDomain(value) == name)
            domainLine = true;
        else if (key == QLatin1String("domain") && asDomain(value) == name)
            shortDomainLine = true;
        else if (registrar.isEmpty() && registrarKeys.contains(key))
            registrar = value;
    }
    const bool taken = domainLine || !registrar.isEmpty();
    LookUpOutcome o;
    o.name = asciiName;
    if (saysFree == taken) // both, or neither
        o.kind = !saysFree && shortDomainLine ? LookUpOutcome::Kind::Found : LookUpOutcome::Kind::Answered;
    else
        o.kind = taken ? LookUpOutcome::Kind::Found : LookUpOutcome::Kind::NotFound;
    if (o.kind == LookUpOutcome::Kind::Found)
        o.registrar = registrar;
    return o;
}
