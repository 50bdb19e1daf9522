// Reading a reply: whose records count (the name asked, along at most eight
// CNAME links, never another owner's) and what an MX set says.
#include "DnsMessage.h"

#include <QTest>
#include <ldns/ldns.h>

namespace {

// The reply to dnsQuestion(name, type, 7), its answer section the records given as zone lines.
QByteArray replyWith(const QString &name, DnsType type, const QStringList &records)
{
    const QByteArray question = dnsQuestion(name, type, 7, false);
    ldns_pkt *pkt = nullptr;
    if (ldns_wire2pkt(&pkt, reinterpret_cast<const uint8_t *>(question.constData()), size_t(question.size())) !=
        LDNS_STATUS_OK)
        return {};
    ldns_pkt_set_qr(pkt, true);
    for (const QString &line : records) {
        ldns_rr *rr = nullptr;
        if (ldns_rr_new_frm_str(&rr, line.toLatin1().constData(), 300, nullptr, nullptr) == LDNS_STATUS_OK)
            ldns_pkt_push_rr(pkt, LDNS_SECTION_ANSWER, rr);
    }
    uint8_t *wire = nullptr;
    size_t size = 0;
    ldns_pkt2wire(&wire, pkt, &size);
    const QByteArray out(reinterpret_cast<const char *>(wire), qsizetype(size));
    free(wire);
    ldns_pkt_free(pkt);
    return out;
}

QStringList chain(int links)
{
    QStringList rrs;
    for (int i = 0; i < links; ++i)
        rrs << QStringLiteral("%1.t. CNAME c%2.t.").arg(i ? QStringLiteral("c%1").arg(i) : QStringLiteral("a")).arg(i + 1);
    return rrs << QStringLiteral("c%1.t. A 192.0.2.1").arg(links);
}

} // namespace

class TstDnsMessage : public QObject {
    Q_OBJECT
private slots:
    void answer_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("records");
        QTest::addColumn<QString>("found"); // addresses or names, then "alias" and "null MX" as they hold
        const int A = int(DnsType::A), MX = int(DnsType::Mx);
        QTest::newRow("own address") << A << QStringList{"a.t. A 192.0.2.1", "b.t. A 192.0.2.2"} << "192.0.2.1";
        QTest::newRow("another owner's address") << A << QStringList{"b.t. A 192.0.2.2"} << "";
        QTest::newRow("8 CNAMEs") << A << chain(8) << "192.0.2.1 alias";
        QTest::newRow("9 CNAMEs") << A << chain(9) << "alias";
        QTest::newRow("a CNAME loop") << A << QStringList{"a.t. CNAME b.t.", "b.t. CNAME a.t.", "a.t. A 192.0.2.1"}
                                      << "alias";
        QTest::newRow("mail servers") << MX << QStringList{"a.t. MX 10 mx.t.", "b.t. MX 10 other.t."} << "mx.t";
        QTest::newRow("null MX") << MX << QStringList{"a.t. MX 0 ."} << "null MX";
    }
    void answer()
    {
        QFETCH(int, type);
        QFETCH(QStringList, records);
        QFETCH(QString, found);
        const DnsReply r = readDnsReply(replyWith("a.t", DnsType(type), records), "a.t", DnsType(type), 7);
        QCOMPARE(r.form, DnsReply::Form::Answer);
        QStringList got = r.names;
        for (const QHostAddress &a : r.addresses)
            got << a.toString();
        if (r.alias)
            got << "alias";
        if (r.nullMx)
            got << "null MX";
        QCOMPARE(got.join(' '), found);
    }
};

QTEST_GUILESS_MAIN(TstDnsMessage)
#include "tst_dnsmessage.moc"
