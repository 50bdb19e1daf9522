#include "RdapAnswerFormatter.h"

#include "ReplyLimit.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Entities hold entities (a registrar's abuse contact); deeper ones are not shown.
constexpr int MaxEntityDepth = 3;

// A value from the answer on one line: control characters and line
// separators would break the line apart or hide what follows.
QString clean(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() < 0xa0) || c == QChar(0x2028) || c == QChar(0x2029))
            c = QLatin1Char(' ');
    return out.trimmed();
}

class Writer {
public:
    // Reads members of the expected types; the first one of another type
    // makes the whole answer refused.
    QString text(const QJsonObject &o, const char *key)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull())
            return {};
        if (!v.isString())
            refuse(QStringLiteral("\"%1\" is not a text").arg(QLatin1String(key)));
        return clean(v.toString());
    }
    QJsonArray list(const QJsonObject &o, const char *key)
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull())
            return {};
        if (!v.isArray())
            refuse(QStringLiteral("\"%1\" is not a list").arg(QLatin1String(key)));
        return v.toArray();
    }
    QStringList texts(const QJsonObject &o, const char *key)
    {
        QStringList out;
        for (const QJsonValue &v : list(o, key)) {
            if (!v.isString())
                refuse(QStringLiteral("\"%1\" is not a list of texts").arg(QLatin1String(key)));
            out << clean(v.toString());
        }
        return out;
    }
    QJsonObject object(const QJsonValue &v, const char *what)
    {
        if (!v.isObject())
            refuse(QStringLiteral("%1 is not an object").arg(QLatin1String(what)));
        return v.toObject();
    }
    void refuse(const QString &why)
    {
        if (refusal.isEmpty())
            refusal = why;
    }

    void add(const QString &line)
    {
        if (lines.size() < ReplyLimit::MaxLines)
            lines << line;
        else if (lines.size() == ReplyLimit::MaxLines)
            lines << ReplyLimit::cutText();
    }
    void add(const QString &indent, const char *label, const QString &value)
    {
        if (!value.isEmpty())
            add(indent + QLatin1String(label) + QLatin1String(": ") + value);
    }

    QStringList lines;
    QString refusal;
    QString registrar;
};

// ---- vCard (jCard) ----

// A jCard value: a text, or a structured value whose parts are texts or
// lists of texts.
QString vcardValue(Writer &w, const QJsonValue &v, const QString &property)
{
    if (v.isString())
        return clean(v.toString());
    if (!v.isArray()) {
        w.refuse(QStringLiteral("the vCard's \"%1\" is not a text").arg(property));
        return {};
    }
    QStringList parts;
    for (const QJsonValue &part : v.toArray()) {
        const QString text = part.isArray() ? vcardValue(w, part, property) : part.isString() ? clean(part.toString()) : QString();
        if (!part.isArray() && !part.isString())
            w.refuse(QStringLiteral("the vCard's \"%1\" is not a text").arg(property));
        if (!text.isEmpty())
            parts << text;
    }
    return parts.join(QLatin1String(", "));
}

// The property's "type" parameter, as "(work, voice)".
QString typeNote(const QJsonObject &params)
{
    const QJsonValue type = params.value(QLatin1String("type"));
    QStringList types;
    if (type.isString())
        types << clean(type.toString());
    for (const QJsonValue &t : type.toArray())
        if (t.isString())
            types << clean(t.toString());
    types.removeAll(QString());
    return types.isEmpty() ? QString() : QLatin1String(" (") + types.join(QLatin1String(", ")) + QLatin1Char(')');
}

void vcard(Writer &w, const QJsonValue &card, const QString &indent)
{
    if (card.isUndefined() || card.isNull())
        return;
    const QJsonArray outer = card.toArray();
    if (!card.isArray() || outer.size() != 2 || outer.at(0).toString() != QLatin1String("vcard") || !outer.at(1).isArray()) {
        w.refuse(QStringLiteral("\"vcardArray\" is not a jCard"));
        return;
    }
    static const struct {
        const char *property;
        const char *label;
    } shown[] = {{"fn", "Name"}, {"org", "Organization"}, {"email", "E-mail"}, {"tel", "Phone"}, {"adr", "Address"}};
    for (const auto &[property, label] : shown) {
        for (const QJsonValue &item : outer.at(1).toArray()) {
            const QJsonArray p = item.toArray();
            if (!item.isArray() || p.size() < 4 || !p.at(0).isString() || !p.at(1).isObject() || !p.at(2).isString()) {
                w.refuse(QStringLiteral("a vCard property is not a list of name, parameters, type and value"));
                return;
            }
            if (p.at(0).toString().compare(QLatin1String(property), Qt::CaseInsensitive) != 0)
                continue;
            const QJsonObject params = p.at(1).toObject();
            QString value;
            // An address may come ready formatted, one line a part.
            if (qstrcmp(property, "adr") == 0 && params.value(QLatin1String("label")).isString()) {
                QStringList parts;
                for (const QString &part : params.value(QLatin1String("label")).toString().split(QLatin1Char('\n')))
                    if (const QString c = clean(part); !c.isEmpty())
                        parts << c;
                value = parts.join(QLatin1String(", "));
            } else
                value = vcardValue(w, p.at(3), QLatin1String(property));
            if (qstrcmp(property, "tel") == 0 && !value.isEmpty())
                value += typeNote(params);
            w.add(indent, label, value);
        }
    }
}

// ---- entities ----

QJsonObject registrarOf(Writer &w, const QJsonArray &entities)
{
    for (const QJsonValue &e : entities) {
        const QJsonObject entity = w.object(e, "an entity");
        if (w.texts(entity, "roles").contains(QLatin1String("registrar"), Qt::CaseInsensitive))
            return entity;
    }
    return {};
}

QString vcardName(const QJsonObject &entity)
{
    const QJsonArray properties = entity.value(QLatin1String("vcardArray")).toArray().at(1).toArray();
    for (const QJsonValue &p : properties)
        if (p.toArray().at(0).toString() == QLatin1String("fn") && p.toArray().at(3).isString())
            return clean(p.toArray().at(3).toString());
    return {};
}

void publicIds(Writer &w, const QJsonObject &entity, const QString &indent)
{
    for (const QJsonValue &v : w.list(entity, "publicIds")) {
        const QJsonObject id = w.object(v, "a public ID");
        const QString type = w.text(id, "type");
        const QString identifier = w.text(id, "identifier");
        if (!identifier.isEmpty())
            w.add(indent + (type.isEmpty() ? QStringLiteral("ID") : type) + QLatin1String(": ") + identifier);
    }
}

void entity(Writer &w, const QJsonValue &value, int depth)
{
    const QJsonObject e = w.object(value, "an entity");
    const QString indent(2 * depth, QLatin1Char(' '));
    const QStringList roles = w.texts(e, "roles");
    w.add(indent + QStringLiteral("Entity: ") + (roles.isEmpty() ? QStringLiteral("(no role given)") : roles.join(QLatin1String(", "))));
    const QString inner = indent + QLatin1String("  ");
    w.add(inner, "Handle", w.text(e, "handle"));
    vcard(w, e.value(QLatin1String("vcardArray")), inner);
    publicIds(w, e, inner);
    const QJsonArray nested = w.list(e, "entities");
    if (depth + 1 < MaxEntityDepth)
        for (const QJsonValue &n : nested)
            entity(w, n, depth + 1);
}

// ---- the domain ----

void nameServers(Writer &w, const QJsonObject &domain)
{
    for (const QJsonValue &v : w.list(domain, "nameservers")) {
        const QJsonObject ns = w.object(v, "a name server");
        QString name = w.text(ns, "ldhName");
        if (name.isEmpty())
            name = w.text(ns, "unicodeName");
        const QJsonValue ips = ns.value(QLatin1String("ipAddresses"));
        QStringList addresses;
        if (!ips.isUndefined()) {
            const QJsonObject byFamily = w.object(ips, "\"ipAddresses\"");
            addresses = w.texts(byFamily, "v4") + w.texts(byFamily, "v6");
        }
        if (!addresses.isEmpty())
            name += QLatin1String(" (") + addresses.join(QLatin1String(", ")) + QLatin1Char(')');
        w.add({}, "Name Server", name);
    }
}

void events(Writer &w, const QJsonObject &domain)
{
    QHash<QString, QString> dates;
    for (const QJsonValue &v : w.list(domain, "events")) {
        const QJsonObject event = w.object(v, "an event");
        const QString action = w.text(event, "eventAction").toLower();
        const QString date = w.text(event, "eventDate");
        if (!dates.contains(action))
            dates.insert(action, date);
    }
    w.add({}, "Creation Date", dates.value(QStringLiteral("registration")));
    w.add({}, "Expiration Date", dates.value(QStringLiteral("expiration")));
    w.add({}, "Last Changed Date", dates.value(QStringLiteral("last changed")));
}

void dnssec(Writer &w, const QJsonObject &domain)
{
    const QJsonValue v = domain.value(QLatin1String("secureDNS"));
    if (v.isUndefined() || v.isNull())
        return;
    const QJsonObject secure = w.object(v, "\"secureDNS\"");
    const QJsonValue signedValue = secure.value(QLatin1String("delegationSigned"));
    if (!signedValue.isUndefined() && !signedValue.isBool())
        w.refuse(QStringLiteral("\"delegationSigned\" is not true or false"));
    w.add(QStringLiteral("DNSSEC: ") + (signedValue.toBool() ? QStringLiteral("signedDelegation") : QStringLiteral("unsigned")));
    for (const QJsonValue &d : w.list(secure, "dsData")) {
        const QJsonObject ds = w.object(d, "a DS record");
        QStringList fields;
        for (const char *key : {"keyTag", "algorithm", "digestType"}) {
            const QJsonValue n = ds.value(QLatin1String(key));
            if (!n.isDouble())
                w.refuse(QStringLiteral("\"%1\" is not a number").arg(QLatin1String(key)));
            fields << QString::number(n.toInteger());
        }
        fields << w.text(ds, "digest");
        w.add(QStringLiteral("DNSSEC DS Data: ") + fields.join(QLatin1Char(' ')));
    }
}

// Remarks and notices: a title, lines of description and links.
void notes(Writer &w, const QJsonObject &domain, const char *key, const char *label)
{
    for (const QJsonValue &v : w.list(domain, key)) {
        const QJsonObject note = w.object(v, "a remark or notice");
        w.add(QString());
        const QString title = w.text(note, "title");
        w.add(QLatin1String(label) + (title.isEmpty() ? QString() : QLatin1String(": ") + title));
        for (const QString &line : w.texts(note, "description"))
            w.add(QLatin1String("  ") + line);
        for (const QJsonValue &l : w.list(note, "links")) {
            const QString href = w.text(w.object(l, "a link"), "href");
            if (!href.isEmpty())
                w.add(QLatin1String("  ") + href);
        }
    }
}

QUrl relatedLink(Writer &w, const QJsonObject &domain)
{
    for (const QJsonValue &v : w.list(domain, "links")) {
        const QJsonObject link = w.object(v, "a link");
        if (w.text(link, "rel").compare(QLatin1String("related"), Qt::CaseInsensitive) != 0 ||
            w.text(link, "type").compare(QLatin1String("application/rdap+json"), Qt::CaseInsensitive) != 0)
            continue;
        const QUrl url(w.text(link, "href"), QUrl::StrictMode);
        if (url.isValid() && url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 && !url.host().isEmpty())
            return url;
    }
    return {};
}

void domainLines(Writer &w, const QJsonObject &d)
{
    const QString ldh = w.text(d, "ldhName");
    const QString unicode = w.text(d, "unicodeName");
    if (ldh.isEmpty() && unicode.isEmpty())
        w.refuse(QStringLiteral("it names no domain"));
    w.add({}, "Domain Name", ldh.isEmpty() ? unicode : ldh);
    if (!ldh.isEmpty() && unicode.compare(ldh, Qt::CaseInsensitive) != 0)
        w.add({}, "Unicode Name", unicode);
    w.add({}, "Handle", w.text(d, "handle"));
    for (const QString &status : w.texts(d, "status"))
        w.add({}, "Status", status);

    const QJsonArray entities = w.list(d, "entities");
    const QJsonObject registrar = registrarOf(w, entities);
    if (!registrar.isEmpty()) {
        const QString name = vcardName(registrar);
        w.registrar = name.isEmpty() ? w.text(registrar, "handle") : name;
        w.add({}, "Registrar", w.registrar);
        for (const QJsonValue &v : registrar.value(QLatin1String("publicIds")).toArray())
            if (v.toObject().value(QLatin1String("type")).toString() == QLatin1String("IANA Registrar ID"))
                w.add({}, "Registrar IANA ID", clean(v.toObject().value(QLatin1String("identifier")).toString()));
    }
    nameServers(w, d);
    events(w, d);
    for (const QJsonValue &e : entities) {
        w.add(QString());
        entity(w, e, 0);
    }
    if (d.contains(QLatin1String("secureDNS")))
        w.add(QString());
    dnssec(w, d);
    notes(w, d, "remarks", "Remark");
    notes(w, d, "notices", "Notice");
}

} // namespace

RdapAnswer RdapAnswerFormatter::format(const QByteArray &json)
{
    RdapAnswer answer;
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        answer.refusal = QStringLiteral("it is not JSON (%1 at byte %2)").arg(parseError.errorString()).arg(parseError.offset);
        return answer;
    }
    if (!doc.isObject()) {
        answer.refusal = QStringLiteral("it is not a JSON object");
        return answer;
    }
    const QJsonObject d = doc.object();
    const QJsonValue kind = d.value(QLatin1String("objectClassName"));
    if (!kind.isString()) {
        // An error answer sent with a success status.
        if (d.value(QLatin1String("errorCode")).isDouble())
            answer.refusal = QStringLiteral("the server reports error %1").arg(d.value(QLatin1String("errorCode")).toInteger());
        else
            answer.refusal = QStringLiteral("it has no \"objectClassName\"");
        return answer;
    }
    if (kind.toString() != QLatin1String("domain")) {
        answer.refusal = QStringLiteral("it is an RDAP \"%1\" record").arg(clean(kind.toString()).left(40));
        return answer;
    }
    Writer w;
    domainLines(w, d);
    answer.related = relatedLink(w, d);
    if (!w.refusal.isEmpty()) {
        answer.refusal = w.refusal;
        answer.related.clear();
        return answer;
    }
    answer.lines = w.lines;
    answer.registrar = w.registrar;
    return answer;
}
