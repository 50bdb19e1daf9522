#include "EppResponse.h"

#include <QXmlStreamReader>

namespace {

constexpr int MaxDepth = 24;
constexpr int MaxNodes = 20000;

} // namespace

QString EppNs::of(EppObject object)
{
    switch (object) {
    case EppObject::Domain: return Domain;
    case EppObject::Host: return Host;
    case EppObject::Contact: return Contact;
    case EppObject::None: break;
    }
    return {};
}

const EppNode *EppNode::child(const QString &ns, const QString &name) const
{
    for (const EppNode &c : children)
        if (c.name == name && c.ns == ns)
            return &c;
    return nullptr;
}

QList<const EppNode *> EppNode::all(const QString &ns, const QString &name) const
{
    QList<const EppNode *> found;
    for (const EppNode &c : children)
        if (c.name == name && c.ns == ns)
            found << &c;
    return found;
}

QString EppNode::childText(const QString &ns, const QString &name) const
{
    const EppNode *c = child(ns, name);
    return c ? c->text : QString();
}

namespace {

// Reads the whole document into `root`; an error text, or empty.
QString readTree(const QByteArray &frame, EppNode &root)
{
    QXmlStreamReader xml(frame);
    QList<EppNode *> open;
    int nodes = 0;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            return QStringLiteral("the answer holds a DOCTYPE");
        case QXmlStreamReader::EntityReference:
            return QStringLiteral("the answer holds an entity reference");
        case QXmlStreamReader::StartElement: {
            if (++nodes > MaxNodes || open.size() >= MaxDepth)
                return QStringLiteral("the answer is nested too deeply or too large");
            EppNode *node = &root;
            if (!open.isEmpty()) {
                open.last()->children.append(EppNode{});
                node = &open.last()->children.last();
            } else if (!root.name.isEmpty()) {
                return QStringLiteral("the answer has two root elements");
            }
            node->ns = xml.namespaceUri().toString();
            node->name = xml.name().toString();
            for (const QXmlStreamAttribute &a : xml.attributes())
                if (a.namespaceUri().isEmpty())
                    node->attributes.insert(a.name().toString(), a.value().toString());
            open << node;
            break;
        }
        case QXmlStreamReader::EndElement:
            open.last()->text = open.last()->text.trimmed();
            open.removeLast();
            break;
        case QXmlStreamReader::Characters:
            if (!open.isEmpty())
                open.last()->text += xml.text();
            break;
        default:
            break;
        }
    }
    if (xml.hasError())
        return QStringLiteral("the answer is not well-formed XML (%1)").arg(xml.errorString());
    return {};
}

QStringList strings(const EppNode &parent, const QString &name)
{
    QStringList out;
    for (const EppNode *n : parent.all(EppNs::Epp, name))
        out << n->text;
    return out;
}

} // namespace

EppResponse EppResponse::parse(const QByteArray &frame)
{
    EppResponse r;
    EppNode root;
    r.error = readTree(frame, root);
    if (!r.error.isEmpty())
        return r;
    if (root.ns != EppNs::Epp || root.name != QLatin1String("epp")) {
        r.error = QStringLiteral("the answer is not an EPP frame");
        return r;
    }
    if (const EppNode *g = root.child(EppNs::Epp, QStringLiteral("greeting"))) {
        r.isGreeting = true;
        r.greeting.serverId = g->childText(EppNs::Epp, QStringLiteral("svID"));
        r.greeting.serverDate = g->childText(EppNs::Epp, QStringLiteral("svDate"));
        if (const EppNode *menu = g->child(EppNs::Epp, QStringLiteral("svcMenu"))) {
            r.greeting.versions = strings(*menu, QStringLiteral("version"));
            r.greeting.languages = strings(*menu, QStringLiteral("lang"));
            r.greeting.objects = strings(*menu, QStringLiteral("objURI"));
            if (const EppNode *ext = menu->child(EppNs::Epp, QStringLiteral("svcExtension")))
                r.greeting.extensions = strings(*ext, QStringLiteral("extURI"));
        }
        if (r.greeting.versions.isEmpty())
            r.error = QStringLiteral("the greeting names no protocol version");
        return r;
    }
    const EppNode *resp = root.child(EppNs::Epp, QStringLiteral("response"));
    const EppNode *first = resp ? resp->child(EppNs::Epp, QStringLiteral("result")) : nullptr;
    bool codeOk = false;
    if (first)
        r.code = first->attributes.value(QStringLiteral("code")).toInt(&codeOk);
    if (!codeOk || r.code < 1000 || r.code > 2599) {
        r.error = QStringLiteral("the answer is neither a greeting nor a response with a result code");
        r.code = 0;
        return r;
    }
    r.message = first->childText(EppNs::Epp, QStringLiteral("msg"));
    for (const EppNode *result : resp->all(EppNs::Epp, QStringLiteral("result"))) {
        for (const EppNode &c : result->children) {
            if (c.ns != EppNs::Epp)
                continue;
            if (c.name == QLatin1String("value")) {
                QStringList parts;
                for (const EppNode &v : c.children)
                    parts << (v.text.isEmpty() ? v.name : v.name + QStringLiteral(" ") + v.text);
                r.reasons << (parts.isEmpty() ? c.text : parts.join(QStringLiteral(", ")));
            } else if (c.name == QLatin1String("extValue")) {
                r.reasons << c.childText(EppNs::Epp, QStringLiteral("reason"));
            }
        }
        if (result != first && result->child(EppNs::Epp, QStringLiteral("msg")))
            r.reasons << result->childText(EppNs::Epp, QStringLiteral("msg"));
    }
    r.reasons.removeAll(QString());
    if (const EppNode *q = resp->child(EppNs::Epp, QStringLiteral("msgQ"))) {
        r.hasQueue = true;
        r.queued.id = q->attributes.value(QStringLiteral("id"));
        r.queued.count = q->attributes.value(QStringLiteral("count")).toInt();
        r.queued.date = q->childText(EppNs::Epp, QStringLiteral("qDate"));
        r.queued.text = q->childText(EppNs::Epp, QStringLiteral("msg"));
    }
    if (const EppNode *data = resp->child(EppNs::Epp, QStringLiteral("resData")); data && !data->children.isEmpty())
        r.resData = data->children.first();
    if (const EppNode *tr = resp->child(EppNs::Epp, QStringLiteral("trID"))) {
        r.clTrid = tr->childText(EppNs::Epp, QStringLiteral("clTRID"));
        r.svTrid = tr->childText(EppNs::Epp, QStringLiteral("svTRID"));
    }
    return r;
}

namespace {

void addLines(const EppNode &node, const QString &prefix, QList<QPair<QString, QString>> &out)
{
    QString key = prefix.isEmpty() ? node.name : prefix + QLatin1Char('.') + node.name;
    for (const char *qualifier : {"type", "ip"})
        if (node.attributes.contains(QLatin1String(qualifier)))
            key += QStringLiteral(" (%1)").arg(node.attributes.value(QLatin1String(qualifier)));
    if (node.children.isEmpty()) {
        QString value = node.text;
        if (value.isEmpty())
            value = node.attributes.value(QStringLiteral("s"), node.attributes.value(QStringLiteral("flag")));
        // An object's password is no business of a screen or a terminal log.
        if (node.name == QLatin1String("pw") && !value.isEmpty())
            value = QStringLiteral("********");
        out.append({key, value});
        return;
    }
    if (node.attributes.contains(QStringLiteral("flag"))) // a disclose's choice
        out.append({key, node.attributes.value(QStringLiteral("flag"))});
    // Containers whose children say enough on their own keep no prefix.
    static const QStringList plain{QStringLiteral("ns"), QStringLiteral("postalInfo"), QStringLiteral("hostAttr")};
    const QString next = plain.contains(node.name) ? prefix : key;
    for (const EppNode &c : node.children)
        addLines(c, next, out);
}

} // namespace

QList<QPair<QString, QString>> EppResponse::lines() const
{
    QList<QPair<QString, QString>> out;
    for (const EppNode &c : resData.children)
        addLines(c, {}, out);
    return out;
}
