#include "EppFrames.h"

#include "EppResponse.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

const char *objectWord(EppObject object)
{
    switch (object) {
    case EppObject::Domain: return "domain";
    case EppObject::Host: return "host";
    case EppObject::Contact: return "contact";
    case EppObject::None: break;
    }
    return "";
}

// One <epp><command><VERB>...</VERB><clTRID/></command></epp> document.
class Frame {
public:
    explicit Frame(const char *verb) : m_xml(&m_bytes)
    {
        m_xml.writeStartDocument();
        m_xml.writeDefaultNamespace(EppNs::Epp);
        m_xml.writeStartElement(EppNs::Epp, QStringLiteral("epp"));
        m_xml.writeStartElement(EppNs::Epp, QStringLiteral("command"));
        m_xml.writeStartElement(EppNs::Epp, QLatin1String(verb));
    }
    // <object:verb xmlns:object="...">
    void object(EppObject object, const char *verb)
    {
        // Declared on the object's own element, as RFC 5731-5733's examples do.
        m_ns = EppNs::of(object);
        m_xml.writeStartElement(QLatin1String(objectWord(object)) + QLatin1Char(':') + QLatin1String(verb));
        m_xml.writeNamespace(m_ns, QLatin1String(objectWord(object)));
    }
    void start(const char *name) { m_xml.writeStartElement(m_ns, QLatin1String(name)); }
    void startEpp(const char *name) { m_xml.writeStartElement(EppNs::Epp, QLatin1String(name)); }
    void end() { m_xml.writeEndElement(); }
    void attribute(const char *name, const QString &value) { m_xml.writeAttribute(QLatin1String(name), value); }
    void characters(const QString &value) { m_xml.writeCharacters(value); }
    void text(const char *name, const QString &value) { m_xml.writeTextElement(m_ns, QLatin1String(name), value); }
    void eppText(const char *name, const QString &value) { m_xml.writeTextElement(EppNs::Epp, QLatin1String(name), value); }
    // Optional elements stay out rather than go empty.
    void optional(const char *name, const QString &value)
    {
        if (!value.isEmpty())
            text(name, value);
    }
    // Closes the verb (whatever is still open inside it) and adds the clTRID.
    QByteArray finish(const QString &clTrid, int open)
    {
        for (int i = 0; i <= open; ++i)
            m_xml.writeEndElement();
        m_xml.writeTextElement(EppNs::Epp, QStringLiteral("clTRID"), clTrid);
        m_xml.writeEndDocument();
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    QXmlStreamWriter m_xml;
    QString m_ns;
};

void authInfo(Frame &f, const QString &pw)
{
    f.start("authInfo");
    f.text("pw", pw);
    f.end();
}

void addresses(Frame &f, const QStringList &list)
{
    for (const QString &a : list) {
        f.start("addr");
        f.attribute("ip", a.contains(QLatin1Char(':')) ? QStringLiteral("v6") : QStringLiteral("v4"));
        f.characters(a);
        f.end();
    }
}

void hostAttrs(Frame &f, const QList<EppHost> &hosts)
{
    for (const EppHost &h : hosts) {
        f.start("hostAttr");
        f.text("hostName", h.name);
        for (const QString &a : h.addresses) {
            f.start("hostAddr");
            f.attribute("ip", a.contains(QLatin1Char(':')) ? QStringLiteral("v6") : QStringLiteral("v4"));
            f.characters(a);
            f.end();
        }
        f.end();
    }
}

void nameServers(Frame &f, const QStringList &objects, const QList<EppHost> &attrs)
{
    if (objects.isEmpty() && attrs.isEmpty())
        return;
    f.start("ns");
    for (const QString &n : objects)
        f.text("hostObj", n);
    hostAttrs(f, attrs);
    f.end();
}

void contacts(Frame &f, const QList<EppContactRef> &refs)
{
    for (const auto &[type, id] : refs) {
        f.start("contact");
        f.attribute("type", type);
        f.characters(id);
        f.end();
    }
}

void postalInfo(Frame &f, const EppContact &c)
{
    f.start("postalInfo");
    f.attribute("type", c.isLocal() ? QStringLiteral("loc") : QStringLiteral("int"));
    f.text("name", c.name);
    f.optional("org", c.org);
    f.start("addr");
    f.optional("street", c.street);
    f.text("city", c.city);
    f.optional("sp", c.sp);
    f.optional("pc", c.pc);
    f.text("cc", c.cc.toUpper());
    f.end();
    f.end();
}

void disclose(Frame &f, const EppContact &c)
{
    if (c.disclose.isEmpty())
        return;
    const QString type = c.isLocal() ? QStringLiteral("loc") : QStringLiteral("int");
    f.start("disclose");
    f.attribute("flag", c.disclose == QLatin1String("Y") ? QStringLiteral("1") : QStringLiteral("0"));
    for (const char *name : {"name", "org", "addr"}) {
        f.start(name);
        f.attribute("type", type);
        f.end();
    }
    for (const char *name : {"voice", "fax", "email"}) {
        f.start(name);
        f.end();
    }
    f.end();
}

} // namespace

namespace EppFrames {

QByteArray login(const QString &clientId, const QString &password, const QStringList &objectUris, const QString &clTrid)
{
    Frame f("login");
    f.eppText("clID", clientId);
    f.eppText("pw", password);
    f.startEpp("options");
    f.eppText("version", QStringLiteral("1.0"));
    f.eppText("lang", QStringLiteral("en"));
    f.end();
    f.startEpp("svcs");
    for (const QString &uri : objectUris)
        f.eppText("objURI", uri);
    return f.finish(clTrid, 1);
}

QByteArray logout(const QString &clTrid)
{
    return Frame("logout").finish(clTrid, 0);
}

QByteArray check(EppObject object, const QStringList &names, const QString &clTrid)
{
    Frame f("check");
    f.object(object, "check");
    for (const QString &n : names)
        f.text(object == EppObject::Contact ? "id" : "name", n);
    return f.finish(clTrid, 1);
}

QByteArray info(EppObject object, const QString &name, const QString &clTrid)
{
    Frame f("info");
    f.object(object, "info");
    f.text(object == EppObject::Contact ? "id" : "name", name);
    return f.finish(clTrid, 1);
}

QByteArray remove(EppObject object, const QString &name, const QString &clTrid)
{
    Frame f("delete");
    f.object(object, "delete");
    f.text(object == EppObject::Contact ? "id" : "name", name);
    return f.finish(clTrid, 1);
}

QByteArray createDomain(const EppDomain &d, const QString &clTrid)
{
    Frame f("create");
    f.object(EppObject::Domain, "create");
    f.text("name", d.name);
    f.start("period");
    f.attribute("unit", QStringLiteral("y"));
    f.characters(QStringLiteral("1"));
    f.end();
    nameServers(f, d.ns, d.nsAttr);
    f.optional("registrant", d.registrant);
    contacts(f, d.contacts);
    authInfo(f, d.pw);
    return f.finish(clTrid, 1);
}

QByteArray createHost(const EppHost &h, const QString &clTrid)
{
    Frame f("create");
    f.object(EppObject::Host, "create");
    f.text("name", h.name);
    addresses(f, h.addresses);
    return f.finish(clTrid, 1);
}

QByteArray createContact(const EppContact &c, const QString &clTrid)
{
    Frame f("create");
    f.object(EppObject::Contact, "create");
    f.text("id", c.id);
    postalInfo(f, c);
    f.optional("voice", c.voice);
    f.optional("fax", c.fax);
    f.text("email", c.email);
    authInfo(f, c.pw);
    disclose(f, c);
    return f.finish(clTrid, 1);
}

QByteArray updateDomain(const QString &name, const EppDomainChange &c, const QString &clTrid)
{
    Frame f("update");
    f.object(EppObject::Domain, "update");
    f.text("name", name);
    const auto part = [&f](const char *what, const QStringList &ns, const QList<EppHost> &attrs,
                           const QList<EppContactRef> &refs) {
        if (ns.isEmpty() && attrs.isEmpty() && refs.isEmpty())
            return;
        f.start(what);
        nameServers(f, ns, attrs);
        contacts(f, refs);
        f.end();
    };
    part("add", c.addNs, c.addNsAttr, c.addContacts);
    part("rem", c.remNs, c.remNsAttr, c.remContacts);
    if (!c.registrant.isEmpty() || !c.pw.isEmpty()) {
        f.start("chg");
        f.optional("registrant", c.registrant);
        if (!c.pw.isEmpty())
            authInfo(f, c.pw);
        f.end();
    }
    return f.finish(clTrid, 1);
}

QByteArray updateHost(const QString &name, const EppHostChange &c, const QString &clTrid)
{
    Frame f("update");
    f.object(EppObject::Host, "update");
    f.text("name", name);
    for (const auto &[what, list] : {std::pair{"add", c.addAddresses}, std::pair{"rem", c.remAddresses}}) {
        if (list.isEmpty())
            continue;
        f.start(what);
        addresses(f, list);
        f.end();
    }
    return f.finish(clTrid, 1);
}

QByteArray updateContact(const QString &id, const EppContactChange &c, const QString &clTrid)
{
    Frame f("update");
    f.object(EppObject::Contact, "update");
    f.text("id", id);
    f.start("chg");
    if (c.postal)
        postalInfo(f, c.to);
    if (c.voice)
        f.text("voice", c.to.voice);
    if (c.fax)
        f.text("fax", c.to.fax);
    if (c.email)
        f.text("email", c.to.email);
    if (c.pw)
        authInfo(f, c.to.pw);
    if (c.disclose)
        disclose(f, c.to);
    return f.finish(clTrid, 2);
}

QByteArray poll(bool ack, const QString &messageId, const QString &clTrid)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(EppNs::Epp);
    xml.writeStartElement(EppNs::Epp, QStringLiteral("epp"));
    xml.writeStartElement(EppNs::Epp, QStringLiteral("command"));
    xml.writeEmptyElement(EppNs::Epp, QStringLiteral("poll"));
    xml.writeAttribute(QStringLiteral("op"), ack ? QStringLiteral("ack") : QStringLiteral("req"));
    if (ack)
        xml.writeAttribute(QStringLiteral("msgID"), messageId);
    xml.writeTextElement(EppNs::Epp, QStringLiteral("clTRID"), clTrid);
    xml.writeEndDocument();
    return bytes;
}

QByteArray masked(const QByteArray &frame)
{
    QXmlStreamReader in(frame);
    QByteArray out;
    QXmlStreamWriter w(&out);
    int hidden = 0; // inside a password element
    while (!in.atEnd()) {
        const QXmlStreamReader::TokenType t = in.readNext();
        if (t == QXmlStreamReader::Characters && hidden > 0) {
            w.writeCharacters(QStringLiteral("********"));
            continue;
        }
        if (t == QXmlStreamReader::StartElement && (in.name() == QLatin1String("pw") || in.name() == QLatin1String("newPW")))
            ++hidden;
        else if (t == QXmlStreamReader::StartElement && hidden > 0)
            ++hidden;
        else if (t == QXmlStreamReader::EndElement && hidden > 0)
            --hidden;
        if (t == QXmlStreamReader::DTD || t == QXmlStreamReader::EntityReference)
            break;
        if (t == QXmlStreamReader::Comment || t == QXmlStreamReader::ProcessingInstruction)
            continue; // nothing we read, and a place a password could hide
        if (t == QXmlStreamReader::StartElement) {
            // The frame's own names and declarations, where it put them.
            w.writeStartElement(in.qualifiedName().toString());
            for (const QXmlStreamNamespaceDeclaration &d : in.namespaceDeclarations()) {
                if (d.prefix().isEmpty())
                    w.writeDefaultNamespace(d.namespaceUri().toString());
                else
                    w.writeNamespace(d.namespaceUri().toString(), d.prefix().toString());
            }
            w.writeAttributes(in.attributes());
            continue;
        }
        w.writeCurrentToken(in);
    }
    if (in.hasError() || in.tokenType() == QXmlStreamReader::DTD)
        return QByteArray("(a frame of ") + QByteArray::number(frame.size()) + " bytes that is not plain XML)";
    return out;
}

} // namespace EppFrames
