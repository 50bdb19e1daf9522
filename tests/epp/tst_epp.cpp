// The send, hello and info jobs against the scripted registry, hostile
// registries, and the pieces a wrong byte in would go unnoticed elsewhere.
#include "EppFrames.h"
#include "EppJobs.h"
#include "EppMapping.h"
#include "EppRegistry.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Fields = QHash<QString, QString>;

const QByteArray kStore = R"({
 "domains": {"example.com": {"ns": ["ns1.example.com", "ns2.example.net"], "hostAttr": [], "registrant": "REG1",
             "contacts": [["admin", "ADM1"], ["tech", "ADM1"]], "pw": "old-pw"},
             "other.com": {"ns": [], "registrant": "REG1", "contacts": [], "pw": "x", "clID": "rival"}},
 "hosts": {"ns1.example.com": {"addrs": ["192.0.2.1"]}, "ns2.example.net": {"addrs": []}, "ns3.example.net": {"addrs": []},
           "ns9.example.net": {"addrs": ["192.0.2.1"]}},
 "contacts": {"REG1": {"postal": {"type": "int", "name": "Example Inc.", "street": [], "city": "Springfield", "cc": "US"},
                       "email": "reg@example.com", "pw": "c-pw", "voice": "+1.7035550100"},
              "ADM1": {"postal": {"type": "int", "name": "Ann Admin", "street": [], "city": "Springfield", "cc": "US"}, "email": "ann@example.com", "pw": "c-pw"},
              "TEC2": {"postal": {"type": "int", "name": "Tom Tech", "street": [], "city": "Springfield", "cc": "US"}, "email": "tom@example.com", "pw": "c-pw"}},
 "messages": [{"id": "7", "date": "2026-12-08T10:00:00.0Z", "text": "Transfer requested"}]})";

const Fields kNewDomain{{"AuthInfoEdit", "s3cret-Auth"}, {"OOrgNameEdit", "Example Inc."}, {"OCityEdit", "Springfield"},
                        {"OCountryEdit", "us"}, {"ANameEdit", "Ann Admin"}, {"ACityEdit", "Springfield"},
                        {"ACountryEdit", "US"}, {"APhoneEdit", "+1 703 555 0100"}, {"AMailEdit", "ann@example.com"},
                        {"TNameEdit", "Ann Admin"}, {"TCityEdit", "Springfield"}, {"TCountryEdit", "US"},
                        {"TPhoneEdit", "+1 703 555 0100"}, {"TMailEdit", "ann@example.com"},
                        {"PriNSEdit", "NS1.example.com"}, {"PriNSIPEdit", "192.0.2.1"}, {"SecNSEdit", "ns2.example.net"}};
const Fields kModifyDomain{{"AuthInfoEdit", "old-pw"}, {"RegistrantHandle", "REG1"}, {"AHandleEdit", "ADM1"},
                           {"THandleEdit", "TEC2"}, {"PriNSEdit", "ns1.example.com"}, {"SecNSEdit", "ns3.example.net"}};
const Fields kContact{{"ContactNicHandle", "REG1"}, {"ContactCity", "Springfield"}, {"ContactCountry", "US"},
                      {"ContactMail", "new@example.com"}, {"ContactAuthorizationInfo", "c-pw"}, {"ContactPhone", "+1.7035550199"}};

EppSettings settingsFor(const EppRegistry &registry)
{
    EppSettings s;
    s.server = registry.Server();
    s.clientId = QStringLiteral("zandolet");
    s.password = QStringLiteral("secret-pw");
    s.extraCa = registry.Authority();
    s.commandTimeoutMs = 2000;
    return s;
}

EppOutcome run(EppJob &job)
{
    QSignalSpy finished(&job, &EppJob::finished);
    job.start();
    EppOutcome none;
    none.result = EppOutcome::Result::Failed;
    none.detail = QStringLiteral("no single outcome");
    return finished.wait(20000) && finished.size() == 1 ? finished.first().first().value<EppOutcome>() : none;
}

} // namespace

class TestEpp : public QObject {
    Q_OBJECT
private slots:
    void send_data();
    void send();
    void hostile_data();
    void hostile();
    void queryJobs();
    void phone_data();
    void phone();
    void frames_data();
    void frames();
};

void TestEpp::send_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("name");
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<bool>("hostAttr");
    const int domain = int(RecordKind::Domain), host = int(RecordKind::Host), contact = int(RecordKind::Contact);
    const int New = int(EppAction::New), Modify = int(EppAction::Modify), Delete = int(EppAction::Delete);
    const int ok = int(EppOutcome::Result::Success), refused = int(EppOutcome::Result::Refused);
    Fields idn = kNewDomain;
    idn.remove("PriNSEdit");
    Fields org = kNewDomain;
    org["PriNSEdit"] = "NS1.example.org";
    QTest::newRow("new domain: in-domain host, shared new contact") << domain << New << "Example.ORG" << org << ok << 1000
        << QStringList{"check host ns1.example.org ns2.example.net", "create host ns1.example.org 192.0.2.1",
                       "create contact <RegistrantHandle> int Example Inc.", "create contact <AHandleEdit> int Ann Admin",
                       "create domain example.org ns=ns1.example.org,ns2.example.net registrant=<RegistrantHandle> "
                       "contacts=admin:<AHandleEdit>,tech:<AHandleEdit>"} << false;
    QTest::newRow("new domain, host attributes") << domain << New << "example.org" << org << ok << 1000
        << QStringList{"create contact <RegistrantHandle> int Example Inc.", "create contact <AHandleEdit> int Ann Admin",
                       "create domain example.org ns=ns1.example.org/192.0.2.1,ns2.example.net/ registrant=<RegistrantHandle> "
                       "contacts=admin:<AHandleEdit>,tech:<AHandleEdit>"} << true;
    QTest::newRow("new domain that exists") << domain << New << "example.com" << kNewDomain << refused << 2302
        << QStringList{"check host ns1.example.com ns2.example.net", "create contact <RegistrantHandle> int Example Inc."} << false;
    QTest::newRow("new IDN domain") << domain << New << QString::fromUtf8("bücher.example") << idn << ok << 1000
        << QStringList{"check host ns2.example.net", "create contact <RegistrantHandle> int Example Inc.",
                       "create contact <AHandleEdit> int Ann Admin",
                       "create domain xn--bcher-kva.example ns=ns2.example.net registrant=<RegistrantHandle> "
                       "contacts=admin:<AHandleEdit>,tech:<AHandleEdit>"} << false;
    QTest::newRow("modify domain: one update") << domain << Modify << "example.com" << kModifyDomain << ok << 1000
        << QStringList{"info domain example.com", "check host ns3.example.net",
                       "update domain example.com -ns2.example.net -tech:ADM1 +ns3.example.net +tech:TEC2"} << false;
    Fields same = kModifyDomain;
    same["THandleEdit"] = "ADM1";
    same["SecNSEdit"] = "ns2.example.net";
    QTest::newRow("modify domain: nothing to change") << domain << Modify << "example.com" << same << ok << 1000
        << QStringList{"info domain example.com"} << false;
    Fields unknownNs = kModifyDomain;
    unknownNs["SecNSEdit"] = "ns7.example.org";
    QTest::newRow("modify domain: unknown outside server") << domain << Modify << "example.com" << unknownNs
        << int(EppOutcome::Result::Problems) << 1000 << QStringList{"info domain example.com", "check host ns7.example.org"} << false;
    QTest::newRow("modify someone else's domain") << domain << Modify << "other.com" << kModifyDomain << refused << 2201 << QStringList{} << false;
    QTest::newRow("delete domain") << domain << Delete << "example.com" << Fields{} << ok << 1000 << QStringList{"delete domain example.com"} << false;
    QTest::newRow("new host") << host << New << "ns8.example.net" << Fields{{"HostIPAddress", "192.0.2.8, 2001:db8::8"}} << ok << 1000
        << QStringList{"create host ns8.example.net 192.0.2.8 2001:db8::8"} << false;
    QTest::newRow("modify host") << host << Modify << "ns9.example.net" << Fields{{"HostIPAddress", "192.0.2.2"}} << ok << 1000
        << QStringList{"info host ns9.example.net", "update host ns9.example.net -192.0.2.1 +192.0.2.2"} << false;
    QTest::newRow("delete host in use") << host << Delete << "ns1.example.com" << Fields{} << refused << 2305 << QStringList{} << false;
    Fields accented = kContact;
    accented.remove("ContactNicHandle");
    QTest::newRow("new accented contact") << contact << New << QString::fromUtf8("José Núñez") << accented << ok << 1000
        << QStringList{QString::fromUtf8("create contact <ContactNicHandle> loc José Núñez")} << false;
    QTest::newRow("modify contact") << contact << Modify << "Example Inc." << kContact << ok << 1000
        << QStringList{"info contact REG1", "update contact REG1 voice email"} << false;
    QTest::newRow("delete contact in use") << contact << Delete << "Example Inc." << kContact << refused << 2305 << QStringList{} << false;
}

void TestEpp::send()
{
    QFETCH(int, kind);
    QFETCH(int, action);
    QFETCH(QString, name);
    QFETCH(Fields, fields);
    QFETCH(int, result);
    QFETCH(int, code);
    QFETCH(QStringList, log);
    QFETCH(bool, hostAttr);
    EppRegistry registry({}, QJsonDocument::fromJson(kStore).object());
    QVERIFY2(registry.Start(), qPrintable(registry.ErrorText()));
    QTemporaryDir dir;
    EppSettings settings = settingsFor(registry);
    settings.hosts = hostAttr ? EppSettings::HostMode::Attributes : EppSettings::HostMode::Objects;
    EppSendJob job(settings, EppRecord{RecordKind(kind), name, EppAction(action), fields});
    job.setTranscript(dir.filePath("x.epp.log"));
    QList<EppStep> steps;
    connect(&job, &EppJob::step, [&steps](const EppStep &s) { steps << s; });
    const EppOutcome outcome = run(job);
    QVERIFY2(int(outcome.result) == result, qPrintable(outcome.text()));
    QCOMPARE(outcome.code, code);
    QStringList seen;
    for (QString line : registry.Log()) {
        for (const auto &[field, id] : outcome.handles)
            line.replace(id, QLatin1Char('<') + field + QLatin1Char('>'));
        if (!line.startsWith("login") && line != "logout")
            seen << line;
    }
    if (result != int(EppOutcome::Result::Success))
        seen = seen.mid(0, log.size());
    QCOMPARE(seen, log);
    for (const auto &[field, id] : outcome.handles)
        QVERIFY2(id.size() >= 3 && id.size() <= 16, qPrintable(id));
    QCOMPARE(steps.first().stage, EppStep::Stage::Connecting);
    QFile transcript(dir.filePath("x.epp.log"));
    QVERIFY(transcript.open(QIODevice::ReadOnly));
    QCOMPARE(transcript.permissions(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    const QByteArray text = transcript.readAll();
    QVERIFY(text.contains("<pw>********</pw>"));
    for (const char *secret : {"secret-pw", "s3cret-Auth", "old-pw", "c-pw"})
        QVERIFY2(!text.contains(secret), secret);
}

void TestEpp::hostile_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("failure");
    const int failed = int(EppOutcome::Result::Failed), refused = int(EppOutcome::Result::Refused);
    using F = EppOutcome::Failure;
    QTest::newRow("4 GB length") << "huge" << failed << int(F::Framing);
    QTest::newRow("greeting cut short") << "cut" << failed << int(F::Closed);
    QTest::newRow("DOCTYPE with entities") << "doctype" << failed << int(F::Framing);
    QTest::newRow("no greeting") << "nogreeting" << failed << int(F::Timeout);
    QTest::newRow("greeting, then silence") << "silence" << failed << int(F::Timeout);
    QTest::newRow("login refused") << "refuselogin" << refused << int(F::None);
    QTest::newRow("session limit") << "busy" << refused << int(F::None);
    QTest::newRow("1500 in the middle") << "end" << failed << int(F::Closed);
    QTest::newRow("answer out of step") << "step" << failed << int(F::OutOfStep);
}

void TestEpp::hostile()
{
    QFETCH(QString, mode);
    QFETCH(int, result);
    QFETCH(int, failure);
    EppRegistry registry(mode, QJsonDocument::fromJson(kStore).object());
    QVERIFY2(registry.Start(), qPrintable(registry.ErrorText()));
    EppSendJob job(settingsFor(registry), EppRecord{RecordKind::Host, "ns9.example.net", EppAction::Modify, {{"HostIPAddress", "192.0.2.2"}}});
    const EppOutcome outcome = run(job);
    QVERIFY2(int(outcome.result) == result && int(outcome.failure) == failure, qPrintable(outcome.text()));
    QVERIFY(!outcome.text().contains('\n'));
    QCOMPARE(registry.Store().value("hosts").toObject().value("ns9.example.net").toObject().value("addrs").toArray().first(), "192.0.2.1");
}

// Hello, check, info and poll share the session; cancel ends at once.
void TestEpp::queryJobs()
{
    EppRegistry registry({}, QJsonDocument::fromJson(kStore).object());
    QVERIFY2(registry.Start(), qPrintable(registry.ErrorText()));
    EppHelloJob hello(settingsFor(registry));
    const EppOutcome greeted = run(hello);
    QCOMPARE(greeted.greeting.serverId, "Scripted Registry");
    QCOMPARE(greeted.greeting.extensions, QStringList{"urn:ietf:params:xml:ns:secDNS-1.1"});
    QCOMPARE(greeted.greeting.objects.size(), 3);
    EppCheckJob taken(settingsFor(registry), EppObject::Contact, "ADM1"), free(settingsFor(registry), EppObject::Domain, "free.example");
    const EppOutcome takenOutcome = run(taken);
    QVERIFY(!takenOutcome.available);
    QCOMPARE(takenOutcome.availabilityReason, "In use");
    QVERIFY(run(free).available);
    EppInfoJob info(settingsFor(registry), EppObject::Domain, "example.com");
    const QList<QPair<QString, QString>> lines = run(info).info;
    QVERIFY(lines.contains(QPair<QString, QString>("contact (tech)", "ADM1")));
    QVERIFY(lines.contains(QPair<QString, QString>("hostObj", "ns2.example.net")));
    QVERIFY(lines.contains(QPair<QString, QString>("status", "ok")));
    EppPollJob poll(settingsFor(registry), true);
    const EppOutcome polled = run(poll);
    QCOMPARE(polled.messages.size(), 1);
    QCOMPARE(polled.messages.first().text, "Transfer requested");
    QCOMPARE(registry.Store().value("messages").toArray().size(), 0);
    EppHelloJob cancelled(settingsFor(registry));
    QSignalSpy finished(&cancelled, &EppJob::finished);
    connect(&cancelled, &EppJob::step, &cancelled, &EppJob::cancel);
    cancelled.start();
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.first().first().value<EppOutcome>().result, EppOutcome::Result::Cancelled);
    QTest::qWait(100);
    QCOMPARE(finished.size(), 1);
}

void TestEpp::phone_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("epp"); // "-": cannot be put in the form
    QTest::newRow("spaces") << "+1 703 555 0100" << "+1.7035550100";
    QTest::newRow("already") << "+44.2079460000" << "+44.2079460000";
    QTest::newRow("00 and brackets") << "0049 (30) 1234-567" << "+49.301234567";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("no country code") << "703 555 0100" << "-";
    QTest::newRow("country code unclear") << "+17035550100" << "-";
    QTest::newRow("too long") << "+1 2345678901234567" << "-";
    QTest::newRow("letters") << "+1 703 CALL NOW" << "-";
}

void TestEpp::phone()
{
    QFETCH(QString, text);
    QFETCH(QString, epp);
    QCOMPARE(EppMapping::phone(text).value_or("-"), epp);
}

void TestEpp::frames_data()
{
    QTest::addColumn<QByteArray>("spec");
    QTest::newRow("login") << QByteArray(R"({"cmd": "login", "clID": "zandolet", "pw": "p&<w", "objURI": ["urn:ietf:params:xml:ns:domain-1.0", "urn:ietf:params:xml:ns:host-1.0"]})");
    QTest::newRow("logout") << QByteArray(R"({"cmd": "logout"})");
    QTest::newRow("poll") << QByteArray(R"({"cmd": "poll"})");
    QTest::newRow("poll ack") << QByteArray(R"({"cmd": "poll", "ack": "12"})");
    QTest::newRow("check") << QByteArray(R"({"cmd": "check", "obj": "domain", "names": ["a.example", "xn--bcher-kva.example"]})");
    QTest::newRow("info") << QByteArray(R"({"cmd": "info", "obj": "host", "name": "ns1.example.com"})");
    QTest::newRow("delete") << QByteArray(R"({"cmd": "delete", "obj": "contact", "name": "ZN123"})");
    QTest::newRow("create domain") << QByteArray(R"({"cmd": "create", "obj": "domain", "name": "example.com", "ns": ["ns1.example.com", "ns2.example.net"],
        "registrant": "R1", "contacts": [["admin", "A1"], ["tech", "T1"]], "pw": "2fooBAR"})");
    QTest::newRow("create host") << QByteArray(R"({"cmd": "create", "obj": "host", "name": "ns1.example.com", "addrs": [{"version": "v4", "ip": "192.0.2.1"}, {"version": "v6", "ip": "2001:db8::1"}]})");
    QTest::newRow("create contact") << QByteArray(R"({"cmd": "create", "obj": "contact", "name": "ZN1", "postal": ["loc", "Jos\u00e9", "ACME", {"street": ["1 Rue"], "city": "Paris", "cc": "FR"}],
        "voice": "+33.112345678", "email": "j@example.fr", "pw": "x"})");
    QTest::newRow("update domain") << QByteArray(R"({"cmd": "update", "obj": "domain", "name": "example.com", "addNs": ["ns3.example.net"], "remNs": ["ns2.example.net"],
        "addContacts": [["tech", "T2"]], "remContacts": [["tech", "T1"]], "registrant": "R2", "pw": "new"})");
    QTest::newRow("update host") << QByteArray(R"({"cmd": "update", "obj": "host", "name": "ns1.example.com", "add": [{"version": "v4", "ip": "192.0.2.2"}], "rem": [{"version": "v4", "ip": "192.0.2.1"}]})");
    QTest::newRow("update contact") << QByteArray(R"({"cmd": "update", "obj": "contact", "name": "ZN1", "postal": ["int", "Jo", "", {"street": [], "city": "Oslo", "cc": "NO"}], "pw": "y"})");
}

// Our frame and Net::EPP::Frame's for the same spec, canonical, must be the same.
void TestEpp::frames()
{
    QFETCH(QByteArray, spec);
    const QJsonObject j = QJsonDocument::fromJson(spec).object();
    const QString cmd = j["cmd"].toString(), name = j["name"].toString(), trId = "T-1";
    const EppObject object = j["obj"] == "domain" ? EppObject::Domain : j["obj"] == "host" ? EppObject::Host : EppObject::Contact;
    const auto list = [&j](const char *key) { QStringList out; for (const QJsonValue &v : j[key].toArray()) out << v.toString(); return out; };
    const auto addrs = [&j](const char *key) { QStringList out; for (const QJsonValue &v : j[key].toArray()) out << v["ip"].toString(); return out; };
    const auto refs = [&j](const char *key) { QList<EppContactRef> out; for (const QJsonValue &v : j[key].toArray()) out.append({v[0].toString(), v[1].toString()}); return out; };
    const auto contact = [&j, &name] {
        const QJsonArray p = j["postal"].toArray();
        const QJsonObject a = p[3].toObject();
        return EppContact{name, p[1].toString(), p[2].toString(), a["street"][0].toString(), a["city"].toString(), {}, {}, a["cc"].toString(),
                          j["voice"].toString(), {}, j["email"].toString(), j["pw"].toString(), {}};
    };
    QByteArray ours;
    if (cmd == "login") ours = EppFrames::login(j["clID"].toString(), j["pw"].toString(), list("objURI"), trId);
    else if (cmd == "logout") ours = EppFrames::logout(trId);
    else if (cmd == "poll") ours = EppFrames::poll(j.contains("ack"), j["ack"].toString(), trId);
    else if (cmd == "check") ours = EppFrames::check(object, list("names"), trId);
    else if (cmd == "info") ours = EppFrames::info(object, name, trId);
    else if (cmd == "delete") ours = EppFrames::remove(object, name, trId);
    else if (cmd == "create" && object == EppObject::Domain) ours = EppFrames::createDomain({name, list("ns"), {}, j["registrant"].toString(), refs("contacts"), j["pw"].toString()}, trId);
    else if (cmd == "create" && object == EppObject::Host) ours = EppFrames::createHost({name, addrs("addrs")}, trId);
    else if (cmd == "create") ours = EppFrames::createContact(contact(), trId);
    else if (object == EppObject::Domain) ours = EppFrames::updateDomain(name, {list("addNs"), list("remNs"), {}, {}, refs("addContacts"), refs("remContacts"), j["registrant"].toString(), j["pw"].toString()}, trId);
    else if (object == EppObject::Host) ours = EppFrames::updateHost(name, {addrs("add"), addrs("rem")}, trId);
    else {
        EppContactChange change;
        change.postal = change.pw = true;
        change.to = contact();
        ours = EppFrames::updateContact(name, change, trId);
    }
    QTemporaryDir dir;
    QFile file(dir.filePath("ours.xml"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(ours) == ours.size());
    file.close();
    QProcess perl;
    perl.start("perl", {NET_EPP_FRAME_SCRIPT, file.fileName()});
    perl.write(spec.replace('\n', ' ') + '\n');
    perl.closeWriteChannel();
    QVERIFY(perl.waitForFinished(20000));
    const QStringList both = QString::fromUtf8(perl.readAllStandardOutput()).split("---\n");
    QVERIFY2(perl.exitCode() == 0 && both.size() == 2, perl.readAllStandardError().constData());
    QVERIFY(both[0].count('\n') > 2);
    QCOMPARE(both[1], both[0]);
}

QTEST_GUILESS_MAIN(TestEpp)
#include "tst_epp.moc"
