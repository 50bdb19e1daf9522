// Which WHOIS answer lines send the look-up to another server, the server a
// setting names, and what a registry's answer says of a name.
#include "WhoisReferral.h"
#include "WhoisVerdict.h"

#include <QtTest>

class TestWhoisReferral : public QObject {
    Q_OBJECT
private slots:
    void referral_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("host"); // empty: no referral
        QTest::addColumn<int>("port");
        const QString none;
        QTest::newRow("registrar, indented, CR kept") << "   Registrar WHOIS Server: whois.markmonitor.com\r"
                                                     << "whois.markmonitor.com" << 43;
        QTest::newRow("key in any case") << "registrar whois server: WHOIS.Example.NET." << "WHOIS.Example.NET." << 43;
        QTest::newRow("registrar left empty") << "   Registrar WHOIS Server: " << none << 0;
        QTest::newRow("registrar gives a web page") << "Registrar WHOIS Server: http://www.example.com/whois" << none << 0;
        QTest::newRow("referral, no port") << "ReferralServer:  whois://whois.ripe.net" << "whois.ripe.net" << 43;
        QTest::newRow("referral with port and slash") << "ReferralServer: whois://whois.apnic.net:4343/"
                                                      << "whois.apnic.net" << 4343;
        QTest::newRow("referral, other protocol") << "ReferralServer: rwhois://rwhois.example.net:4321" << none << 0;
        QTest::newRow("referral, port 0") << "ReferralServer: whois://whois.example.net:0" << none << 0;
        QTest::newRow("referral, junk port") << "ReferralServer: whois://whois.example.net:43x" << none << 0;
        QTest::newRow("shell text as host") << "ReferralServer: whois://evil.example;rm -rf ~" << none << 0;
        QTest::newRow("empty label") << "Registrar WHOIS Server: whois..example.net" << none << 0;
        QTest::newRow("label of 64") << "Registrar WHOIS Server: " + QString(64, 'a') + ".net" << none << 0;
        QTest::newRow("IANA refer") << "refer:        whois.verisign-grs.com" << "whois.verisign-grs.com" << 43;
        QTest::newRow("IANA whois") << "whois:        whois.nic.de" << "whois.nic.de" << 43;
        QTest::newRow("IANA whois, a URL") << "whois: https://rdap.example/" << none << 0;
        QTest::newRow("other key") << "Registrar URL: http://www.markmonitor.com" << none << 0;
        QTest::newRow("key not at the start") << "Remarks: see Registrar WHOIS Server: whois.example.net" << none << 0;
        QTest::newRow("referral to IPv6 and port") << "ReferralServer: whois://[2001:db8::1]:4343/" << "2001:db8::1" << 4343;
        QTest::newRow("referral, bracketed name") << "ReferralServer: whois://[not:an::address:x]" << none << 0;
        QTest::newRow("referral, text after a blank") << "ReferralServer: whois://[20 2:db8::1]:43" << none << 0;
    }
    void referral()
    {
        QFETCH(QString, line);
        QFETCH(QString, host);
        QFETCH(int, port);
        const std::optional<WhoisServer> found = whoisReferral(line, 43);
        QCOMPARE(found.has_value(), !host.isEmpty());
        if (found) {
            QCOMPARE(found->host, host);
            QCOMPARE(int(found->port), port);
            // Only a registry's pointer to the registrar leads away from the registry's own word.
            QCOMPARE(found->registrar, line.contains("registrar whois server", Qt::CaseInsensitive));
        }
    }

    void serverSetting_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("name") << " whois.example.net " << "whois.example.net" << 43;
        QTest::newRow("name and port") << "127.0.0.1:4343" << "127.0.0.1" << 4343;
        // Kept whole: its look-up says what is wrong with it.
        QTest::newRow("not a name") << "whois example:0" << "whois example:0" << 43;
        QTest::newRow("IPv6 and port") << "[2001:db8::1]:587" << "2001:db8::1" << 587;
        QTest::newRow("IPv6 in brackets") << "[::1]" << "::1" << 43;
        QTest::newRow("bare IPv6") << "::1" << "::1" << 43;
        QTest::newRow("bracket left open") << "[::1:43" << "[::1:43" << 43;
        QTest::newRow("more after the bracket") << "[::1]43" << "[::1]43" << 43;
    }
    void serverSetting()
    {
        QFETCH(QString, setting);
        QFETCH(QString, host);
        QFETCH(int, port);
        const WhoisServer server = whoisServer(setting, 43);
        QCOMPARE(server.host, host);
        QCOMPARE(int(server.port), port);
    }

    // Rows a reading of the words used to get wrong: a notice or a remark is no verdict.
    void verdict_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("registrar");
        const int found = int(LookUpOutcome::Kind::Found), free = int(LookUpOutcome::Kind::NotFound),
                  unclear = int(LookUpOutcome::Kind::Answered);
        const QString com = "example.com";
        const auto row = [](const char *name, const QString &answer, const QString &asked, int kind, const QString &registrar) {
            QTest::newRow(name) << answer << asked << kind << registrar;
        };
        row("registry's record", "   Domain Name: EXAMPLE.COM\n   Registrar: Example Registrar, Inc.\n", com, found,
            "Example Registrar, Inc.");
        row("record with a remark of availability",
            "Domain Name: example.com\nRemarks: the domain is available on request\nSponsoring Registrar: Acme", com, found,
            "Acme");
        row("no match", "No match for \"EXAMPLE.COM\".\n>>> Last update of whois database <<<", com, free, "");
        row("a registry's own wording", "No matching record.", com, free, "");
        row("status free beside the name", "Domain: example.de\nStatus: free", "example.de", free, "");
        row("status connect", "Domain: example.de\nStatus: connect", "example.de", found, "");
        row("value on the next line", "    Domain name:\n        example.co.uk\n\n    Registrar:\n        Acme Ltd [Tag = ACME]",
            "example.co.uk", found, "Acme Ltd [Tag = ACME]");
        row("name in its Unicode form", "Domain Name: m\u00fcller.de", "xn--mller-kva.de", found, "");
        row("rate limit", "WHOIS LIMIT EXCEEDED - SEE WWW.PIR.ORG/WHOIS FOR DETAILS", com, unclear, "");
        row("another name's record", "Domain Name: OTHER.COM", com, unclear, "");
        row("free words inside a line", "Note: this name is available for registration", com, unclear, "");
        row("both at once", "No match for example.com\nRegistrar: Acme", com, unclear, "");
    }
    void verdict()
    {
        QFETCH(QString, answer);
        QFETCH(QString, asked);
        QFETCH(int, kind);
        QFETCH(QString, registrar);
        const LookUpOutcome o = whoisVerdict(answer.split('\n'), asked);
        QCOMPARE(int(o.kind), kind);
        QCOMPARE(o.registrar, registrar);
    }
};

QTEST_GUILESS_MAIN(TestWhoisReferral)
#include "tst_whoisreferral.moc"
