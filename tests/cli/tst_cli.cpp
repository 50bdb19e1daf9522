// zandolet-cli as a user runs it: a process in a folder of record files.
#include "../lookup/LookUpPeers.h"
#include "../templates/RecordCase.h"
#include "RecordStore.h"
#include "RegistrationCheck.h"
#include "RdapServer.h"
#include "ScriptedServer.h"
#include "SmtpSink.h"
#include "TestFiles.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <pwd.h>

namespace {

const QString kTemplates = QStringLiteral(ZANDOLET_TEST_DATA "/templates");

struct Run {
    int status = -1;
    QByteArray out;
    QString err;
};

Run cli(const QStringList &args, const QByteArray &input = {},
        const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ZANDOLET_CLI), QStringList{QStringLiteral("--settings"), QDir::current().filePath("z.ini")} + args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            QString::fromUtf8(p.readAllStandardError())};
}

// The case's record stored by the record library, and the command-line
// words that name it with the action its radios choose (the last one wins).
QStringList storeCase(RecordCase &rc)
{
    const KindInfo &k = kindInfo(rc.kind);
    RecordStore store(rc.fields, QDir::current().filePath("z.ini"));
    store.saveRecord(rc.kind);
    QStringList words{QLatin1String(k.folder).chopped(1), rc.fields.text(QLatin1String(k.nameField))};
    for (const auto &[radio, flag] : {std::pair{k.newRadio, "--new"}, {k.modifyRadio, "--modify"}, {k.deleteRadio, "--delete"}})
        if (rc.fields.isChecked(QLatin1String(radio)))
            words = words.mid(0, 2) << QLatin1String(flag);
    return words;
}

} // namespace

class TstCli : public QObject {
    Q_OBJECT

private slots:
    void renderAndCheck_data();
    void renderAndCheck();
    void statuses_data();
    void statuses();
    void import_data();
    void import();
    void mail_data();
    void mail();
    void rdap_data();
    void rdap();
    void lookUp_data();
    void lookUp();
};

void TstCli::renderAndCheck_data()
{
    QTest::addColumn<QString>("casePath");
    const QDir dir(kTemplates);
    int rows = 0;
    for (const QString &c : dir.entryList(QDir::Files).filter(QRegularExpression("^[^.]+$"))) {
        const RecordCase rc = RecordCase::load(dir.filePath(c));
        if (rc.fields.text(QLatin1String(kindInfo(rc.kind).nameField)).isEmpty())
            continue; // no name, no record file
        QTest::newRow(qPrintable(c)) << dir.filePath(c);
        ++rows;
    }
    QVERIFY2(rows >= 6, "golden cases missing");
}

// The record goes to disk and back: the template is the golden one byte for
// byte (CR LF, ISO-8859-1), the check lists what it lists for the fields the
// record came from, and nothing is written.
void TstCli::renderAndCheck()
{
    QFETCH(QString, casePath);
    WorkFolder work;
    RecordCase rc = RecordCase::load(casePath);
    const QStringList words = storeCase(rc);
    const QStringList before = QDir(RecordStore::recordFolder(rc.kind)).entryList(QDir::Files);

    const Run render = cli(QStringList{QStringLiteral("render")} + words);
    QCOMPARE(render.status, 0);
    QByteArray expected = readBytes(casePath + QStringLiteral(".expected"));
    expected.replace("\n", "\r\n");
    static const QRegularExpression stamp(QStringLiteral("(?m)^Processed [^\r\n]+"));
    const QString got = QString::fromLatin1(render.out);
    QVERIFY2(stamp.match(got).hasMatch(), qPrintable(got.left(80)));
    QCOMPARE(QString(got).replace(stamp, QStringLiteral("Processed {stamp}")), QString::fromLatin1(expected));
    QCOMPARE(QDir(RecordStore::recordFolder(rc.kind)).entryList(QDir::Files), before);

    const Run check = cli(QStringList{QStringLiteral("check")} + words);
    QStringList problems;
    for (const RegistrationProblem &p : checkRegistration(rc.fields, rc.kind))
        problems << p.text;
    QCOMPARE(check.status, problems.isEmpty() ? 0 : 1);
    QCOMPARE(QString::fromUtf8(check.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts), problems);
}

void TstCli::statuses_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said"); // on stdout for 0, else on stderr
    QTest::newRow("overview") << QStringList{"--help"} << 0 << "render KIND NAME";
    QTest::newRow("command help") << QStringList{"check", "--help"} << 0 << "fit to mail";
    QTest::newRow("whois help") << QStringList{"whois", "--help"} << 0 << "two referrals";
    QTest::newRow("finger port") << QStringList{"finger", "127.0.0.1", "--port=0"} << 2 << "--port takes a number";
    QTest::newRow("list") << QStringList{"list", "hosts"} << 0 << "ns1.example.net\nns2.example.net\n";
    QTest::newRow("no command") << QStringList{} << 2 << "No command";
    QTest::newRow("unknown command") << QStringList{"show", "host"} << 2 << "Unknown command";
    QTest::newRow("unknown kind") << QStringList{"list", "zones"} << 2 << "\"zones\" is no record kind";
    QTest::newRow("two actions") << QStringList{"render", "host", "ns1.example.net", "--new", "--delete"} << 2 << "one of";
    QTest::newRow("flag of another command") << QStringList{"check", "host", "ns1.example.net", "--store"} << 2 << "no option --store";
    QTest::newRow("network flag elsewhere") << QStringList{"render", "host", "ns1.example.net", "--network"} << 2 << "no option --network";
    QTest::newRow("too many words") << QStringList{"check", "host", "a", "b"} << 2 << "Usage: zandolet-cli check";
    QTest::newRow("no record") << QStringList{"render", "host", "ns9.example.net"} << 3 << "hosts/ns9.example.net.ini does not exist";
    QTest::newRow("a path for a name") << QStringList{"render", "host", "../z"} << 1 << "cannot be used";
}

void TstCli::statuses()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, said);
    WorkFolder work;
    writeBytes(work.filePath("hosts.cbx"), "ns1.example.net\r\nns2.example.net\r\n");
    writeBytes(work.filePath("hosts/ns1.example.net.ini"), "[HostReg]\r\nHostIPAddress=192.0.2.1\r\n");
    const Run run = cli(args);
    QCOMPARE(run.status, status);
    const QString shown = status == 0 ? QString::fromUtf8(run.out) : run.err;
    QVERIFY2(shown.contains(said), qPrintable(shown));
    if (status != 0)
        QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
}

void TstCli::import_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("refusal"); // empty: imported
    const QByteArray head = "HostName,HostIPAddress,HostAuthScheme,HCName\r\n";
    QTest::newRow("good") << head + "ns1.example.net,192.0.2.1,mail-from,\"Host, Master\"\r\nns2.example.net,192.0.2.2,,\r\n" << "";
    QTest::newRow("unknown key") << QByteArray("HostName,Bogus\nns2.example.net,1\n") << "\"Bogus\" is no key of a HostReg record";
    QTest::newRow("no name column") << QByteArray("HostIPAddress\n192.0.2.1\n") << "no column \"HostName\"";
    QTest::newRow("line break in row 2") << head + "ns2.example.net,1,,\n\"ns3\",\"192.0.2.3\n\",," << "row 2 (line 3): HostIPAddress holds a line break";
    QTest::newRow("name twice") << head + "ns2.example.net,1,,\nNS2.example.net,2,,\n" << "row 2 (line 3): the name";
    QTest::newRow("no list entry") << head + "ns2.example.net,1,SMOKE,\n" << "row 1 (line 2): HostAuthScheme is no entry";
    QTest::newRow("bad action") << QByteArray("HostName,HostType\nns2.example.net,X\n") << "HostType is none of N, M, D";
    QTest::newRow("not Latin-1") << head + "ns2.example.net,1,,Zo\xc3\xab \xe2\x9c\x93\n" << "which a record file cannot hold";
    QTest::newRow("too few values") << head + "ns2.example.net,1\n" << "row 1 (line 2): 2 values for 4 columns";
    QTest::newRow("unclosed quote") << head + "ns2.example.net,\"1,,\n" << "line 2: a quoted value is never closed";
    QTest::newRow("a path for a name") << head + "../ns2,1,,\n" << "row 1 (line 2): The name \"../ns2\" cannot be used";
}

// A sound file updates or adds every record and lists the new names; one bad
// row, named, and nothing at all is written.
void TstCli::import()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, refusal);
    WorkFolder work;
    const QByteArray kept = "[HostReg]\r\nHostIPAddress=10.0.0.1\r\nHCOrg=Kept Org\r\n";
    writeBytes(work.filePath("hosts/ns1.example.net.ini"), kept);
    writeBytes(work.filePath("hosts.cbx"), "ns1.example.net\r\n");
    writeBytes(work.filePath("in.csv"), csv);
    const Run run = cli({"import", "host", "in.csv"});
    const QDir hosts(work.filePath("hosts"));
    if (!refusal.isEmpty()) {
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(refusal), qPrintable(run.err));
        QCOMPARE(hosts.entryList(QDir::Files | QDir::Hidden), QStringList{"ns1.example.net.ini"});
        QCOMPARE(readBytes(hosts.filePath("ns1.example.net.ini")), kept);
        QCOMPARE(readBytes(work.filePath("hosts.cbx")), QByteArray("ns1.example.net\r\n"));
        return;
    }
    QCOMPARE(run.status, 0);
    QCOMPARE(readBytes(work.filePath("hosts.cbx")), QByteArray("ns1.example.net\r\nns2.example.net\r\n"));
    const Run ns1 = cli({"render", "host", "ns1.example.net"});
    for (const char *line : {"0b. Auth Scheme.................: MAIL-FROM", "1c. IP Address.................: 192.0.2.1",
                             "2c. Name.......................: Host, Master", "2d. Organization Name..........: Kept Org"})
        QVERIFY2(ns1.out.contains(QByteArray(line) + "\r\n"), line);
}

void TstCli::mail_data()
{
    QTest::addColumn<QString>("ipAddress"); // of the host record; a private one is a problem
    QTest::addColumn<QStringList>("flags");
    QTest::addColumn<QByteArray>("answers"); // typed on the terminal
    QTest::addColumn<bool>("serverUp");
    QTest::addColumn<int>("status");
    QTest::newRow("--yes") << "192.0.2.1" << QStringList{"--yes"} << QByteArray() << true << 0;
    QTest::newRow("asked, yes") << "192.0.2.1" << QStringList{} << QByteArray("y\n") << true << 0;
    QTest::newRow("asked, no") << "192.0.2.1" << QStringList{} << QByteArray("n\n") << true << 1;
    QTest::newRow("asked, no terminal") << "192.0.2.1" << QStringList{} << QByteArray() << true << 1;
    QTest::newRow("problems, --yes") << "10.1.2.3" << QStringList{"--yes"} << QByteArray() << true << 1;
    QTest::newRow("problems, anyway") << "10.1.2.3" << QStringList{} << QByteArray("y\ny\n") << true << 0;
    QTest::newRow("no server") << "192.0.2.1" << QStringList{"--yes"} << QByteArray() << false << 3;
}

// The mail button's way from a terminal: the check, the questions, then the
// template to the registration mailbox of a real server; 0 only when delivered.
void TstCli::mail()
{
    QFETCH(QString, ipAddress);
    QFETCH(QStringList, flags);
    QFETCH(QByteArray, answers);
    QFETCH(bool, serverUp);
    QFETCH(int, status);
    WorkFolder work;
    SmtpSink sink;
    QVERIFY2(sink.Start(), qPrintable(sink.ErrorText()));
    const QString server = serverUp ? sink.Address() : QStringLiteral("127.0.0.1:1");
    writeBytes(work.filePath("z.ini"), QStringLiteral("[Setup]\r\nServer=%1\r\nEMail Address=me@example.net\r\n"
                                                      "Name=Me\r\nMailto=hostmaster@example.org\r\n").arg(server).toLatin1());
    RecordCase rc = RecordCase::load(kTemplates + QStringLiteral("/host_full"));
    rc.fields.texts[QStringLiteral("HostIPAddress")] = ipAddress;
    const Run run = cli(QStringList{"mail"} + storeCase(rc) + flags, answers);
    QVERIFY2(run.status == status, qPrintable(QStringLiteral("%1: %2").arg(run.status).arg(run.err)));
    if (status != 0) {
        QCOMPARE(sink.Messages().size(), 0);
        return;
    }
    QVERIFY(sink.WaitForMessages(1));
    const SmtpSink::Message m = sink.Messages().at(0);
    QCOMPARE(m.rcptTo, QStringList{"hostmaster@example.org"});
    const QString head = QString::fromLatin1(m.data.left(m.data.indexOf("\r\n\r\n"))).replace(QRegularExpression("\r\n[ \t]+"), " ");
    QVERIFY2(head.contains(QRegularExpression("\nSubject: +ns1.zandolet-press.com Internic HOST Registration\r")), qPrintable(head));
    const QByteArray copy = readBytes(RecordStore::textCopyPath(RecordKind::Host, "ns1.zandolet-press.com"));
    QVERIFY(copy.contains("Host Version Number: 1.0\r\n"));
    const QByteArray body = m.data.mid(m.data.indexOf("\r\n\r\n") + 4);
    QCOMPARE(body.left(copy.size()), copy); // the data phase ends with an empty line
    QCOMPARE(body.mid(copy.size()).trimmed(), QByteArray());
    QVERIFY2(run.err.contains("Message has been sent\n"), qPrintable(run.err));
}

void TstCli::rdap_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("serverUp");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said"); // on stdout for 0, else the last line on stderr
    QTest::newRow("answer and registrar") << "example.com" << true << 0 << "\n--- 127.0.0.1 ---\n";
    QTest::newRow("no match") << "nosuch.com" << true << 1 << "No match for nosuch.com.";
    QTest::newRow("registrar's record missing") << "orphan.com" << true << 0 << "Domain Name: ORPHAN.COM";
    QTest::newRow("no server") << "example.com" << false << 3 << "";
}

// The RDAP job the WhoIs page runs, from a terminal: the answer on standard
// output; the registry's "no such name" and a failure told apart by status.
void TstCli::rdap()
{
    QFETCH(QString, name);
    QFETCH(bool, serverUp);
    QFETCH(int, status);
    QFETCH(QString, said);
    WorkFolder work;
    RdapServer server(QStringLiteral(ZANDOLET_TEST_DATA "/rdap"));
    QVERIFY2(server.Start(), qPrintable(server.ErrorText()));
    const QUrl bootstrap = server.Url("/dns.json", serverUp ? 0 : 1);
    writeBytes(work.filePath("z.ini"), "[Setup]\r\nRDAP Bootstrap=" + bootstrap.toEncoded() + "\r\n");
    writeBytes(work.filePath("ca.pem"), server.Authority().value(0).toPem());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CACHE_HOME", work.filePath("cache"));
    const Run run = cli({"rdap", name, "--cacert=" + work.filePath("ca.pem")}, {}, env);
    QVERIFY2(run.status == status, qPrintable(QStringLiteral("%1: %2").arg(run.status).arg(run.err)));
    const QString shown = status == 0 ? QString::fromUtf8(run.out) : run.err.trimmed().section('\n', -1);
    QVERIFY2(shown.contains(said), qPrintable(shown));
    QVERIFY2((status == 0) == QString::fromUtf8(run.out).contains(name, Qt::CaseInsensitive), run.out.constData());
    QVERIFY2(!run.err.contains("No match") || status == 1, qPrintable(run.err));
}

void TstCli::lookUp_data()
{
    QTest::addColumn<QStringList>("args"); // %1 (here and below): the peers' port; USER: who runs the test
    QTest::addColumn<QStringList>("scripts"); // of WHOIS servers 127.0.0.1 and .2; none: fingerd on .1
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("out"); // for fingerd, what it answers to a plain socket
    QTest::addColumn<QString>("err");     // the last line on standard error
    const QString refused = "Connection failed: [10061] Connection refused.";
    QTest::newRow("whois: the setting's server, IDN, bidi, a referral")
        << QStringList{"whois", "m\u00fcller.de"}
        << QStringList{"C: xn--mller-kva.de\nS: ReferralServer: whois://127.0.0.2:%1\nX:",
                       "C: xn--mller-kva.de\nR: Registrant: M\\xc3\\xbcller \\xe2\\x80\\xaeoc\\x1b[2J\\x07\\r\\n\nX:"}
        << 0
        << QStringList{"ReferralServer: whois://127.0.0.2:%1", "--- 127.0.0.2 ---", "Registrant: M\u00fcller \\u202Eoc\\u001B[2J\\u0007"}
        << "Connected. Waiting for data...";
    QTest::newRow("whois: the registry holds no such name")
        << QStringList{"whois", "fresh.com"} << QStringList{"C: fresh.com\nS: No match for \"FRESH.COM\".\nX:"} << 1
        << QStringList{"No match for \"FRESH.COM\"."} << "Connected. Waiting for data...";
    QTest::newRow("whois: --server before the setting")
        << QStringList{"whois", "example.com", "--server=127.0.0.4:%1"} << QStringList{"C: example.com\nS: not asked\nX:"}
        << 3 << QStringList{} << refused;
    QTest::newRow("finger: a user") << QStringList{"finger", "USER@127.0.0.1", "--port=%1"} << QStringList{} << 0
                                    << QStringList{"USER"} << "Connecting to 127.0.0.1...   Will time out in 15 seconds";
    QTest::newRow("finger: the host's users") << QStringList{"finger", "@127.0.0.1", "--port=%1"} << QStringList{} << 0
                                              << QStringList{""} << "Connecting to 127.0.0.1...   Will time out in 15 seconds";
    QTest::newRow("finger: unreachable") << QStringList{"finger", "USER@127.0.0.4", "--port=%1"} << QStringList{} << 3
                                         << QStringList{} << refused;
}

// The WhoIs and Finger jobs from a terminal, against scripted WHOIS servers
// and Debian's fingerd: the page's lines, the answer on standard output.
void TstCli::lookUp()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, scripts);
    QFETCH(int, status);
    QFETCH(QStringList, out);
    QFETCH(QString, err);
    WorkFolder work;
    const QString user = QString::fromLocal8Bit(getpwuid(getuid())->pw_name);
    std::unique_ptr<FingerDaemon> fingerd;
    std::vector<std::unique_ptr<ScriptedServer>> servers;
    quint16 port = closedPort();
    if (scripts.isEmpty()) {
        fingerd = std::make_unique<FingerDaemon>();
        QVERIFY2(fingerd->ok(), "socat and fingerd are needed (scripts/deps.sh)");
        port = fingerd->port();
        if (!out.isEmpty())
            out = fingerd->answer(out[0].replace("USER", user));
    }
    for (int i = 0; i < scripts.size(); ++i) {
        servers.push_back(std::make_unique<ScriptedServer>(scripts[i].replace("%1", QString::number(port))));
        QCOMPARE(servers.back()->Start(QStringLiteral("127.0.0.%1").arg(i + 1), port), port);
    }
    writeBytes(work.filePath("z.ini"), QStringLiteral("[Setup]\r\nWhoIs Server=127.0.0.1:%1\r\n").arg(port).toLatin1());
    for (QString &a : args)
        a.replace("%1", QString::number(port)).replace("USER", user);
    const Run run = cli(args);
    QVERIFY2(run.status == status, qPrintable(QStringLiteral("%1: %2").arg(run.status).arg(run.err)));
    QString printed = QString::fromUtf8(run.out);
    QVERIFY(printed.isEmpty() || printed.endsWith('\n'));
    printed.chop(1);
    out.replaceInStrings("%1", QString::number(port));
    QCOMPARE(printed.isEmpty() ? QStringList() : printed.split('\n'), out);
    QCOMPARE(run.err.trimmed().section('\n', -1), err);
    for (const auto &s : servers)
        QVERIFY2(s->Mismatches().isEmpty(), qPrintable(s->Log()));
}

QTEST_GUILESS_MAIN(TstCli)
#include "tst_cli.moc"
