// The network check against real name servers (NSD), a scripted one for the
// faults real servers will not show, and the RDAP test server, all on
// loopback inside a network namespace of the test's own (tests/support/private-net).
#include "MapFields.h"
#include "NetworkCheck.h"
#include "RdapAvailability.h"
#include "RdapServer.h"
#include "ScriptedServer.h"
#include "SettingsAvailability.h"
#include "SmtpSink.h"
#include "TestFiles.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(RegistrationProblems)

namespace {

// Each problem as "FIELD|text", with "|warning" after a warning; "?" marks one not found on the network.
QStringList rows(const RegistrationProblems &problems)
{
    QStringList out;
    for (const RegistrationProblem &p : problems)
        out << (p.network ? QString() : QStringLiteral("?")) + p.field + QLatin1Char('|') + p.text +
                   (p.warning ? QStringLiteral("|warning") : QString());
    return out;
}

// A record of `kind` from "FIELD=value" words; the action radio is the first word.
MapFields record(const QStringList &words)
{
    MapFields f;
    f.checked.insert(words.front());
    for (const QString &w : words.mid(1))
        f.texts.insert(w.section(QLatin1Char('='), 0, 0), w.section(QLatin1Char('='), 1));
    return f;
}

QStringList servers(const QString &domain, const QStringList &pairs)
{
    QStringList w{QStringLiteral("NewDomainRadio"), QStringLiteral("DomainNameEdit=") + domain};
    const char *const fields[][2] = {{"PriNSEdit", "PriNSIPEdit"}, {"SecNSEdit", "SecNSIPEdit"}, {"ThirdNSEdit", "ThirdNSIPEdit"}};
    for (qsizetype i = 0; i < pairs.size(); ++i)
        w << QLatin1String(fields[i][0]) + QLatin1Char('=') + pairs[i].section(QLatin1Char('/'), 0, 0)
          << QLatin1String(fields[i][1]) + QLatin1Char('=') + pairs[i].section(QLatin1Char('/'), 1);
    return w;
}

const QString kNs1 = QStringLiteral("ns1.nets.test/127.0.0.11");
const QString kNs2 = QStringLiteral("ns2.nets.test/127.0.0.12");
const QString kOdd = QStringLiteral("odd.nets.test/127.0.0.20");

} // namespace

class TstNetCheck : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void check_data();
    void check();
    void cutShort_data();
    void cutShort();
    void cancelAndDestroy();
    void overWhois_data();
    void overWhois();
    void commandLine_data();
    void commandLine();
    void mailChecks_data();
    void mailChecks();

private:
    std::unique_ptr<NetworkCheck> makeCheck(NetworkCheckLimits limits = {1000, 4000});

    QTemporaryDir m_work;
    QProcess m_peers;
    std::unique_ptr<RdapServer> m_rdap;
};

void TstNetCheck::initTestCase()
{
    if (!qEnvironmentVariableIsSet("ZANDOLET_IN_PRIVATE_NET"))
        QSKIP("needs a network namespace of its own: run it through tests/support/private-net, as ctest does");
    QVERIFY(m_work.isValid());
    m_peers.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_peers.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(DNS_PEERS_SCRIPT), m_work.filePath("dns")});
    QVERIFY(m_peers.waitForReadyRead(25000));
    const QByteArray said = m_peers.readLine().trimmed();
    QVERIFY2(said == "READY", said.constData());
    m_rdap = std::make_unique<RdapServer>(QStringLiteral(ZANDOLET_TEST_DATA "/rdap"));
    QVERIFY2(m_rdap->Start(), qPrintable(m_rdap->ErrorText()));
}

void TstNetCheck::cleanupTestCase()
{
    m_peers.closeWriteChannel();
    m_peers.waitForFinished(10000);
}

std::unique_ptr<NetworkCheck> TstNetCheck::makeCheck(NetworkCheckLimits limits)
{
    RdapLookup::Options options;
    options.bootstrapUrl = m_rdap->Url(QStringLiteral("/dns.json"));
    options.cacheFolder = m_work.filePath("cache");
    options.extraCaCertificates = m_rdap->Authority();
    return std::make_unique<NetworkCheck>(std::make_unique<RdapAvailability>(options), limits);
}

void TstNetCheck::check_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("expected");
    const int D = int(RecordKind::Domain), H = int(RecordKind::Host), C = int(RecordKind::Contact);
    auto row = [](const char *name, int kind, const QStringList &fields, const QStringList &expected) {
        QTest::newRow(name) << kind << fields << expected;
    };
    row("well delegated", D, servers("fresh.com", {kNs1, kNs2}), {});
    row("a name DNS cannot carry is left to the offline check", D,
        servers("fresh.com", {kNs1, kNs2, "ns 3.nets.test/127.0.0.11"}), {});
    row("already registered", D, servers("example.com", {kNs1, kNs2}),
        {"DomainNameEdit|example.com is already registered (registrar: Example Registrar, Inc.)"});
    QStringList modify = servers("fresh.com", {kNs1, kNs2});
    modify.front() = QStringLiteral("ModifyDomainRadio");
    row("modify of a free name", D, modify, {"DomainNameEdit|fresh.com is not registered"});
    row("delete asks no server", D, {"DeleteDomainRadio", "DomainNameEdit=example.com", "PriNSEdit=ns9.nets.test"}, {});
    row("lame server", D, servers("lame.com", {kNs1, kNs2}),
        {"SecNSEdit|ns2.nets.test (127.0.0.12) does not answer authoritatively for lame.com"});
    row("data without authority", D, servers("cached.com", {kOdd}),
        {"PriNSEdit|odd.nets.test (127.0.0.20) does not answer authoritatively for cached.com"});
    row("serials differ", D, servers("serials.com", {kNs1, kNs2}),
        {"SecNSEdit|the SOA serials differ: 2026120801 at ns1.nets.test, 2026120701 at ns2.nets.test|warning"});
    row("address not the name's", D, servers("fresh.com", {"ns1.nets.test/127.0.0.12", kNs2}),
        {"PriNSIPEdit|ns1.nets.test resolves to 127.0.0.11, not 127.0.0.12",
         "SecNSIPEdit|ns1.nets.test and ns2.nets.test have the same address 127.0.0.12"});
    row("two servers on one address, one outside the NS set", D,
        servers("fresh.com", {kNs1, kNs2, "ns3.nets.test/127.0.0.11"}),
        {"ThirdNSEdit|the NS set of fresh.com at ns1.nets.test does not hold ns3.nets.test",
         "ThirdNSIPEdit|ns1.nets.test and ns3.nets.test have the same address 127.0.0.11"});
    row("servers inside the domain, at their glue", D,
        servers("inbw.com", {"ns1.inbw.com/127.0.0.11", "ns2.inbw.com/127.0.0.12"}), {});
    row("name server an alias", D, servers("inbw.com", {"alias.nets.test/127.0.0.11", "ns2.inbw.com/127.0.0.12"}),
        {"PriNSEdit|alias.nets.test is an alias (CNAME); a name server's name must not be one",
         "PriNSEdit|the NS set of inbw.com at alias.nets.test does not hold alias.nets.test"});
    row("60 CNAMEs", D, servers("inbw.com", {"chain.nets.test/127.0.0.11", "ns2.inbw.com/127.0.0.12"}),
        {"PriNSEdit|chain.nets.test is an alias (CNAME); a name server's name must not be one",
         "PriNSEdit|the NS set of inbw.com at chain.nets.test does not hold chain.nets.test"});
    row("another owner's address", D, servers("inbw.com", {"stray.nets.test/127.0.0.11", "ns2.inbw.com/127.0.0.12"}),
        {"PriNSEdit|stray.nets.test does not resolve to an address",
         "PriNSEdit|the NS set of inbw.com at stray.nets.test does not hold stray.nets.test"});
    row("lame at one of its addresses", D, servers("lame.com", {"both.nets.test/127.0.0.11"}),
        {"PriNSEdit|both.nets.test (127.0.0.12) does not answer authoritatively for lame.com",
         "PriNSEdit|the NS set of lame.com at both.nets.test does not hold both.nets.test"});
    row("name that does not resolve", D, servers("fresh.com", {"ns7.nets.test/", kNs2}),
        {"PriNSEdit|ns7.nets.test does not resolve to an address",
         "PriNSEdit|the NS set of fresh.com at ns2.nets.test does not hold ns7.nets.test"});
    row("silent resolver", D, servers("fresh.com", {kNs1, "silent.nets.test/127.0.0.12"}),
        {"SecNSEdit|the NS set of fresh.com at ns1.nets.test does not hold silent.nets.test",
         "SecNSIPEdit|Whether silent.nets.test has address 127.0.0.12 could not be checked: the resolver 127.0.0.10 "
         "did not answer within 1 second"});
    row("closed port", D, servers("fresh.com", {"ns9.nets.test/127.0.0.19"}),
        {"PriNSEdit|ns9.nets.test (127.0.0.19) does not answer on port 53"});
    row("silence", D, servers("silent.com", {kOdd}), {"PriNSEdit|odd.nets.test (127.0.0.20) did not answer within 1 second"});
    row("truncated, then over TCP", D, servers("trunc.com", {kOdd}), {});
    row("truncated, then nothing over TCP", D, servers("truncnotcp.com", {kOdd}),
        {"PriNSEdit|odd.nets.test (127.0.0.20) does not answer over TCP for truncnotcp.com"});
    row("over TCP only", D, servers("fresh.com", {"tcponly.nets.test/127.0.0.21"}),
        {"PriNSEdit|tcponly.nets.test (127.0.0.21) does not answer over UDP"});
    row("another question's datagram first", D, servers("stray.com", {kOdd}), {});
    row("a 2-byte datagram first", D, servers("runt.com", {kOdd}), {});
    row("answer just inside the limit", D, servers("late.com", {kOdd}), {});
    row("answer for another name", D, servers("other.com", {kOdd}),
        {"PriNSEdit|odd.nets.test (127.0.0.20) answered for another name than other.com"});
    row("garbage", D, servers("garbage.com", {kOdd}),
        {"PriNSEdit|odd.nets.test (127.0.0.20) sent a malformed answer for garbage.com"});
    row("no TCP", D, servers("notcp.com", {kOdd}),
        {"PriNSEdit|odd.nets.test (127.0.0.20) does not answer over TCP for notcp.com"});
    row("host as given", H, {"NewHostRadio", "HostName=www.nets.test", "HostIPAddress=127.0.0.30"}, {});
    row("host in any script", H, {"ModifyHostRadio", "HostName=bücher.nets.test", "HostIPAddress=127.0.0.30"}, {});
    row("host elsewhere", H, {"NewHostRadio", "HostName=www.nets.test", "HostIPAddress=127.0.0.31"},
        {"HostIPAddress|www.nets.test resolves to 127.0.0.30, not 127.0.0.31"});
    row("host not yet in DNS", H, {"NewHostRadio", "HostName=new.nets.test", "HostIPAddress=127.0.0.50"},
        {"HostName|new.nets.test does not resolve yet|warning"});
    row("mail domain with MX", C, {"NewContactRadio", "ContactMail=a@nets.test"}, {});
    row("mail domain with an address only", C, {"NewContactRadio", "ContactMail=a@plain.nets.test"}, {});
    row("mail domain without either", C, {"NewContactRadio", "ContactMail=a@void.nets.test"},
        {"ContactMail|void.nets.test, the domain of a@void.nets.test, has no MX or address record"});
    row("null MX", C, {"NewContactRadio", "ContactMail=a@nullmx.nets.test"},
        {"ContactMail|nullmx.nets.test, the domain of a@nullmx.nets.test, accepts no mail (null MX)"});
}

void TstNetCheck::check()
{
    QFETCH(int, kind);
    QFETCH(QStringList, fields);
    QFETCH(QStringList, expected);
    const auto check = makeCheck();
    QSignalSpy finished(check.get(), &NetworkCheck::finished);
    check->start(networkCheckRequest(record(fields), RecordKind(kind)));
    QVERIFY(check->running());
    QVERIFY(finished.wait(6000));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(rows(finished.front().front().value<RegistrationProblems>()), expected);
    QVERIFY(!check->running());
}

// The whole limit ends the check with every DNS question still open as an
// error; an unanswered registry stays a warning.
void TstNetCheck::cutShort_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("silent server") << servers("silent.com", {kOdd})
                                   << QStringList{"PriNSEdit|Whether odd.nets.test (127.0.0.20) serves silent.com "
                                                  "could not be checked: no answer within 1 second"};
    QTest::newRow("silent resolver") << servers("fresh.com", {kNs1, "silent.nets.test/127.0.0.12"})
                                     << QStringList{"SecNSEdit|the NS set of fresh.com at ns1.nets.test does not hold "
                                                    "silent.nets.test",
                                                    "SecNSIPEdit|Whether silent.nets.test has address 127.0.0.12 "
                                                    "could not be checked: no answer within 1 second"};
    QTest::newRow("silent registry") << servers("fresh.slow", {"ns1.fresh.slow/127.0.0.11"})
                                     << QStringList{"DomainNameEdit|Whether fresh.slow is registered could not be "
                                                    "asked: no answer within 1 second|warning",
                                                    "PriNSEdit|ns1.fresh.slow (127.0.0.11) does not answer "
                                                    "authoritatively for fresh.slow"};
}

void TstNetCheck::cutShort()
{
    QFETCH(QStringList, fields);
    QFETCH(QStringList, expected);
    const auto check = makeCheck({3000, 1000});
    QSignalSpy finished(check.get(), &NetworkCheck::finished);
    check->start(networkCheckRequest(record(fields), RecordKind::Domain));
    QVERIFY(finished.wait(3000));
    QCOMPARE(rows(finished.front().front().value<RegistrationProblems>()), expected);
}

// A cancelled check says nothing more; one destroyed while it waits leaves quietly.
void TstNetCheck::cancelAndDestroy()
{
    auto check = makeCheck();
    QSignalSpy finished(check.get(), &NetworkCheck::finished);
    const NetworkCheckRequest silent = networkCheckRequest(record(servers("silent.com", {kOdd})), RecordKind::Domain);
    check->start(silent);
    QTest::qWait(200);
    check->cancel();
    QVERIFY(!check->running());
    QVERIFY(!finished.wait(1500));
    check->start(silent);
    QTest::qWait(200);
    check.reset();
    QTest::qWait(1200);
}

void TstNetCheck::overWhois_data()
{
    QTest::addColumn<QString>("answer");    // the registry's; "R: " lines go out as raw bytes
    QTest::addColumn<QString>("registrar"); // the answer of the registrar it refers to; none when empty
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("expected");
    const QString taken = QStringLiteral("Domain Name: FRESH.COM\nRegistrar: Example Registrar, Inc.\nName Server: NS1.NETS.TEST");
    const QString registered = "DomainNameEdit|fresh.com is already registered (registrar: Example Registrar, Inc.)";
    const auto row = [](const char *name, const QString &answer, const QString &registrar, const char *action,
                        const QStringList &expected) { QTest::newRow(name) << answer << registrar << action << expected; };
    row("taken, new", taken, "", "NewDomainRadio", {registered});
    row("taken, modify", taken, "", "ModifyDomainRadio", {});
    row("no match", "No match for \"FRESH.COM\".", "", "NewDomainRadio", {});
    row("not found, modify", "%% NOT FOUND", "", "ModifyDomainRadio", {"DomainNameEdit|fresh.com is not registered"});
    row("status free", "Domain: fresh.com\nStatus: free", "", "NewDomainRadio", {});
    row("silent server", "", "", "NewDomainRadio",
        {"DomainNameEdit|Whether fresh.com is registered could not be asked: The server sent nothing.|warning"});
    row("rate limit", "WHOIS LIMIT EXCEEDED - SEE WWW.PIR.ORG/WHOIS FOR DETAILS", "", "NewDomainRadio",
        {"DomainNameEdit|Whether fresh.com is registered could not be told from the WHOIS answer|warning"});
    row("the registrar's no match after the registry's record", taken + "\nRegistrar WHOIS Server: 127.0.0.2",
        "No match for \"FRESH.COM\".", "NewDomainRadio", {registered});
    row("controls in the registrar's name", "Domain Name: FRESH.COM\nR: Registrar: Evil \\xe2\\x80\\xae\\x1b[2J\\x07 Inc.\\r\\n",
        "", "NewDomainRadio",
        {"DomainNameEdit|fresh.com is already registered (registrar: Evil \\u202E\\u001B[2J\\u0007 Inc.)"});
}

// With [Setup] choosing WHOIS, the registration question goes to the WhoIs
// server, read from the settings file when the check starts; only the
// registry's answer counts, not its registrar's.
void TstNetCheck::overWhois()
{
    QFETCH(QString, answer);
    QFETCH(QString, registrar);
    QFETCH(QString, action);
    QFETCH(QStringList, expected);
    const auto script = [](const QString &text) {
        QString out = QStringLiteral("C: fresh.com\n");
        for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            out += (line.startsWith(QLatin1String("R: ")) ? QString() : QStringLiteral("S: ")) + line + QLatin1Char('\n');
        return out + QStringLiteral("X:\n");
    };
    ScriptedServer whois(script(answer));
    const quint16 port = whois.Start();
    QVERIFY(port);
    ScriptedServer referred(script(registrar));
    if (!registrar.isEmpty())
        QCOMPARE(referred.Start(QStringLiteral("127.0.0.2"), port), port);
    WorkFolder work;
    writeBytes(work.filePath("z.ini"), "[Setup]\r\nWhoIs Server=" + whois.Address().toLatin1() + "\r\n");
    SettingsAvailability::Options options;
    options.waits.whoisPort = port; // where a referral without a port goes
    NetworkCheck check(std::make_unique<SettingsAvailability>(work.filePath("z.ini"), options), {1000, 4000});
    QSignalSpy finished(&check, &NetworkCheck::finished);
    QStringList fields = servers("fresh.com", {kNs1, kNs2});
    fields.front() = action;
    check.start(networkCheckRequest(record(fields), RecordKind::Domain));
    QVERIFY(finished.wait(6000));
    QCOMPARE(rows(finished.front().front().value<RegistrationProblems>()), expected);
    QVERIFY2(whois.Mismatches().isEmpty(), qPrintable(whois.Log()));
    if (!registrar.isEmpty())
        QVERIFY2(referred.Mismatches().isEmpty() && referred.Log().contains("fresh.com"), qPrintable(referred.Log()));
}

void TstNetCheck::commandLine_data()
{
    QTest::addColumn<QString>("domain");
    QTest::addColumn<QString>("server"); // empty: ns1 and ns2
    QTest::addColumn<QString>("said");
    QTest::addColumn<int>("exit");
    QTest::newRow("passes") << "fresh.com" << "" << "" << 1;
    QTest::newRow("lame") << "lame.com" << "" << "ns2.nets.test (127.0.0.12) does not answer authoritatively for lame.com\n" << 1;
    QTest::newRow("registered") << "example.com" << ""
                                << "example.com is already registered (registrar: Example Registrar, Inc.)\n" << 1;
    QTest::newRow("nothing answers") << "dead.com" << "ns1.dead.com/127.0.0.19"
                                     << "warning: Whether dead.com is registered could not be asked: "
                                        "Connection failed: [10061] Connection refused.\n"
                                        "ns1.dead.com (127.0.0.19) does not answer on port 53\n" << 3;
}

// zandolet-cli check --network: the offline problems (these loopback servers
// are some), then what the servers and the RDAP service of [Setup] say.
void TstNetCheck::commandLine()
{
    QFETCH(QString, domain);
    QFETCH(QString, server);
    QFETCH(QString, said);
    QFETCH(int, exit);
    WorkFolder work;
    // A registry nothing listens for when nothing is to answer.
    writeBytes(work.filePath("z.ini"), server.isEmpty() ? "[Setup]\r\nLook Up With=RDAP\r\nRDAP Bootstrap=" +
                                                             m_rdap->Url(QStringLiteral("/dns.json")).toEncoded() + "\r\n"
                                                       : QByteArray("[Setup]\r\nWhoIs Server=127.0.0.1:9\r\n"));
    writeBytes(work.filePath("ca.pem"), m_rdap->Authority().value(0).toPem());
    QDir().mkpath(work.filePath("domains"));
    writeBytes(work.filePath("domains/" + domain + ".ini"),
               server.isEmpty() ? QByteArray("[DomainReg]\r\nPriNSEdit=ns1.nets.test\r\nPriNSIPEdit=127.0.0.11\r\n"
                                             "SecNSEdit=ns2.nets.test\r\nSecNSIPEdit=127.0.0.12\r\n")
                                : "[DomainReg]\r\nPriNSEdit=" + server.section('/', 0, 0).toLatin1() +
                                      "\r\nPriNSIPEdit=" + server.section('/', 1).toLatin1() + "\r\n");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CACHE_HOME"), work.filePath("cache"));
    QByteArray out[2];
    for (const bool network : {false, true}) {
        QProcess p;
        p.setProcessEnvironment(env);
        QStringList words{"--settings", work.filePath("z.ini"), "check", "domain", domain, "--new"};
        if (network)
            words << "--network" << "--cacert=" + work.filePath("ca.pem");
        p.start(QStringLiteral(ZANDOLET_CLI), words);
        QVERIFY(p.waitForFinished(20000));
        QVERIFY2(p.exitCode() == (network ? exit : 1), p.readAllStandardError().constData());
        out[network] = p.readAllStandardOutput();
    }
    QVERIFY(!out[0].isEmpty());
    QCOMPARE(QString::fromUtf8(out[1]), QString::fromUtf8(out[0]) + said);
}

void TstNetCheck::mailChecks_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("checkNetwork");
    QTest::addColumn<int>("status");
    const QStringList mail{"mail"}, epp{"epp", "send"};
    QTest::newRow("network refuses") << mail << "Yes" << 1;
    QTest::newRow("network check off") << mail << "No" << 0;
    // A send to the registry stops at the same check, before it connects.
    QTest::newRow("network refuses a send to the registry") << epp << "Yes" << 1;
}

// zandolet-cli mail --yes runs the mail button's checks, the network's among
// them when [Setup] wants it, and never mails what they refuse.
void TstNetCheck::mailChecks()
{
    QFETCH(QStringList, command);
    QFETCH(QString, checkNetwork);
    QFETCH(int, status);
    WorkFolder work;
    SmtpSink sink;
    QVERIFY2(sink.Start(), qPrintable(sink.ErrorText()));
    writeBytes(work.filePath("z.ini"), QStringLiteral("[Setup]\r\nServer=%1\r\nEMail Address=me@example.net\r\nName=Me\r\n"
                                                      "Mailto=hostmaster@example.org\r\nCheck Network=%2\r\nEPP Server=127.0.0.1:1\r\n"
                                                      "EPP Client ID=me\r\nEPP Password=secret\r\n")
                                           .arg(sink.Address(), checkNetwork).toLatin1());
    writeBytes(work.filePath("hosts/www.nets.test.ini"), "[HostReg]\r\nHostIPAddress=192.0.2.99\r\nHCName=Kai Test\r\nHCMail=kai@example.net\r\n");
    QProcess p;
    p.start(QStringLiteral(ZANDOLET_CLI), QStringList{"--settings", work.filePath("z.ini")} + command + QStringList{"host", "www.nets.test", "--new", "--yes"});
    QVERIFY(p.waitForFinished(20000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QVERIFY2(p.exitCode() == status, qPrintable(err));
    QCOMPARE(err.contains("www.nets.test resolves to 127.0.0.30, not 192.0.2.99"), status != 0);
    QVERIFY(status == 0 ? sink.WaitForMessages(1) : sink.Messages().isEmpty());
}

QTEST_GUILESS_MAIN(TstNetCheck)
#include "tst_netcheck.moc"
