#include "DnsMessage.h"

#include <ldns/ldns.h>

#include <memory>

namespace {

struct FreeRdf {
    void operator()(ldns_rdf *p) const { ldns_rdf_deep_free(p); }
};
struct FreePkt {
    void operator()(ldns_pkt *p) const { ldns_pkt_free(p); }
};
struct FreeResolver {
    void operator()(ldns_resolver *p) const { ldns_resolver_deep_free(p); }
};
using Rdf = std::unique_ptr<ldns_rdf, FreeRdf>;
using Pkt = std::unique_ptr<ldns_pkt, FreePkt>;

ldns_rr_type rrType(DnsType type)
{
    switch (type) {
    case DnsType::A:
        return LDNS_RR_TYPE_A;
    case DnsType::Aaaa:
        return LDNS_RR_TYPE_AAAA;
    case DnsType::Ns:
        return LDNS_RR_TYPE_NS;
    case DnsType::Soa:
        return LDNS_RR_TYPE_SOA;
    case DnsType::Mx:
        break;
    }
    return LDNS_RR_TYPE_MX;
}

// Only letters, digits, hyphens, underscores and dots reach ldns's parser,
// which would read backslash escapes and treat "@" as the origin.
Rdf dname(const QString &asciiName)
{
    if (asciiName.isEmpty() || asciiName.size() > 253)
        return {};
    for (const QChar c : asciiName)
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('-') && c != QLatin1Char('_') &&
            c != QLatin1Char('.'))
            return {};
    return Rdf(ldns_dname_new_frm_str(asciiName.toLatin1().constData()));
}

// A domain name from the answer as text: lower case, without the final dot.
QString nameText(const ldns_rdf *rdf)
{
    if (!rdf || ldns_rdf_get_type(rdf) != LDNS_RDF_TYPE_DNAME)
        return {};
    char *text = ldns_rdf2str(rdf);
    if (!text)
        return {};
    QString name = QString::fromLatin1(text).toLower();
    free(text);
    // ldns escapes what a host name cannot hold (a dot inside a label, a NUL); no record lists such a name.
    if (name.contains(QLatin1Char('\\')))
        return {};
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    return name;
}

QHostAddress addressOf(const ldns_rdf *rdf)
{
    if (!rdf)
        return {};
    const uint8_t *data = ldns_rdf_data(rdf);
    if (ldns_rdf_get_type(rdf) == LDNS_RDF_TYPE_A && ldns_rdf_size(rdf) == 4)
        return QHostAddress(quint32(data[0]) << 24 | quint32(data[1]) << 16 | quint32(data[2]) << 8 | data[3]);
    if (ldns_rdf_get_type(rdf) == LDNS_RDF_TYPE_AAAA && ldns_rdf_size(rdf) == 16)
        return QHostAddress(data);
    return {};
}

} // namespace

QByteArray dnsQuestion(const QString &asciiName, DnsType type, quint16 id, bool recursion)
{
    Rdf name = dname(asciiName);
    if (!name)
        return {};
    // The packet owns the name once made.
    Pkt pkt(ldns_pkt_query_new(name.release(), rrType(type), LDNS_RR_CLASS_IN, recursion ? LDNS_RD : 0));
    if (!pkt)
        return {};
    ldns_pkt_set_id(pkt.get(), id);
    uint8_t *wire = nullptr;
    size_t size = 0;
    if (ldns_pkt2wire(&wire, pkt.get(), &size) != LDNS_STATUS_OK)
        return {};
    QByteArray out(reinterpret_cast<const char *>(wire), qsizetype(size));
    free(wire);
    return out;
}

DnsReply readDnsReply(const QByteArray &wire, const QString &asciiName, DnsType type, quint16 id)
{
    DnsReply reply;
    // The header alone says whose reply it is; a stranger's is not read further.
    if (wire.size() >= 3) {
        const quint16 got = quint16(quint8(wire[0]) << 8 | quint8(wire[1]));
        if (got != id || !(quint8(wire[2]) & 0x80)) {
            reply.form = DnsReply::Form::OtherId;
            return reply;
        }
    }
    ldns_pkt *raw = nullptr;
    if (ldns_wire2pkt(&raw, reinterpret_cast<const uint8_t *>(wire.constData()), size_t(wire.size())) != LDNS_STATUS_OK)
        return reply;
    const Pkt pkt(raw);
    const ldns_rr_list *question = ldns_pkt_question(pkt.get());
    const Rdf asked = dname(asciiName);
    const ldns_rr *q = question && ldns_rr_list_rr_count(question) == 1 ? ldns_rr_list_rr(question, 0) : nullptr;
    if (!asked || !q || ldns_rr_get_type(q) != rrType(type) || ldns_rr_get_class(q) != LDNS_RR_CLASS_IN ||
        ldns_dname_compare(ldns_rr_owner(q), asked.get()) != 0) {
        reply.form = DnsReply::Form::OtherQuestion;
        return reply;
    }
    reply.form = DnsReply::Form::Answer;
    reply.authoritative = ldns_pkt_aa(pkt.get());
    reply.truncated = ldns_pkt_tc(pkt.get());
    reply.rcode = int(ldns_pkt_get_rcode(pkt.get()));
    const ldns_rr_list *answer = ldns_pkt_answer(pkt.get());
    const size_t count = answer ? ldns_rr_list_rr_count(answer) : 0;
    // Whose records count: the name asked, or where its CNAME chain ends.
    const ldns_rdf *owner = asked.get();
    for (int links = 0; owner && links <= DnsReply::MaxCnames; ++links) {
        const ldns_rdf *next = nullptr;
        for (size_t i = 0; i < count && !next; ++i) {
            const ldns_rr *rr = ldns_rr_list_rr(answer, i);
            if (ldns_rr_get_type(rr) == LDNS_RR_TYPE_CNAME && ldns_dname_compare(ldns_rr_owner(rr), owner) == 0)
                next = ldns_rr_rdf(rr, 0);
        }
        if (!next)
            break;
        reply.alias = true;
        owner = links < DnsReply::MaxCnames ? next : nullptr;
    }
    for (size_t i = 0; owner && i < count; ++i) {
        const ldns_rr *rr = ldns_rr_list_rr(answer, i);
        const ldns_rr_type t = ldns_rr_get_type(rr);
        if (ldns_dname_compare(ldns_rr_owner(rr), owner) != 0)
            continue;
        if (t == LDNS_RR_TYPE_A || t == LDNS_RR_TYPE_AAAA) {
            if (const QHostAddress a = addressOf(ldns_rr_rdf(rr, 0)); !a.isNull() && !reply.addresses.contains(a))
                reply.addresses << a;
        } else if (t != rrType(type)) {
            continue;
        } else if (t == LDNS_RR_TYPE_NS || t == LDNS_RR_TYPE_MX) {
            const ldns_rdf *rdf = ldns_rr_rdf(rr, t == LDNS_RR_TYPE_MX ? 1 : 0);
            if (t == LDNS_RR_TYPE_MX && rdf && ldns_rdf_get_type(rdf) == LDNS_RDF_TYPE_DNAME && ldns_rdf_size(rdf) == 1)
                reply.nullMx = true;
            const QString target = nameText(rdf);
            if (!target.isEmpty() && !reply.names.contains(target))
                reply.names << target;
        } else if (t == LDNS_RR_TYPE_SOA && !reply.serial) {
            const ldns_rdf *serial = ldns_rr_rdf(rr, 2);
            if (serial && ldns_rdf_get_type(serial) == LDNS_RDF_TYPE_INT32 && ldns_rdf_size(serial) == 4)
                reply.serial = ldns_rdf2native_int32(serial);
        }
    }
    return reply;
}

QList<QHostAddress> systemNameServers()
{
    ldns_resolver *raw = nullptr;
    if (ldns_resolver_new_frm_file(&raw, nullptr) != LDNS_STATUS_OK || !raw)
        return {};
    const std::unique_ptr<ldns_resolver, FreeResolver> resolver(raw);
    QList<QHostAddress> servers;
    ldns_rdf **list = ldns_resolver_nameservers(resolver.get());
    for (size_t i = 0; list && i < ldns_resolver_nameserver_count(resolver.get()); ++i)
        if (const QHostAddress a = addressOf(list[i]); !a.isNull())
            servers << a;
    if (servers.isEmpty())
        servers << QHostAddress(QHostAddress::LocalHost);
    return servers;
}
