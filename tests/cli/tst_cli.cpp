// zandolet-cli as a user runs it: a process in a folder of record files.
#include "../lookup/LookUpPeers.h"
#include "../templates/RecordCase.h"
#include "RecordStore.h"
#include "RegistrationCheck.h"
#include "RdapServer.h"
#include "ScriptedServer.h"
#include "SmtpSink.h"
#include "TestFiles.h"

#include <QJsonDocument>
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
    if (!QFileInfo::exists("z.ini")) // a named settings file must be there
        writeBytes(QDir::current().filePath("z.ini"), "");
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
    void settingsFile_data();
    void settingsFile();
    void scripting_data();
    void scripting();
    void fullOutput_data();
    void fullOutput();
    void sparseContact_data();
    void sparseContact();
    void deleteStore_data();
    void deleteStore();
    void import_data();
    void import();
    void mail_data();
    void mail();
    void rdap_data();
    void rdap();
    void lookUp_data();
    void lookUp();
    void completion_data();
    void completion();
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
    // A record file keeps no "neither": opened, a contact is Confidential, as in the window.
    if (rc.kind == RecordKind::Contact && !rc.fields.checked.contains("PublicYesRadio")) {
        rc.fields.checked.insert("PublicNoRadio");
        expected.replace("3c. Public (Y/N)............: \r\n", "3c. Public (Y/N)............: N\r\n");
    }
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
    QTest::newRow("whois --cacert") << QStringList{"whois", "example.com", "--cacert=none.pem"} << 3 << "none.pem holds no PEM certificate.";
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

void TstCli::sparseContact_data()
{
    QTest::addColumn<QByteArray>("record"); // contacts/Kai Test.ini after [ContactReg]
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said"); // a line of the template, or the refusal
    QTest::newRow("no Public") << QByteArray("Contactname=Kai Test\r\n") << 0 << "3c. Public (Y/N)............: N";
    QTest::newRow("odd Public") << QByteArray("Contactname=Kai Test\r\nPublic=maybe\r\n") << 0 << "3c. Public (Y/N)............: N";
    QTest::newRow("Public kept") << QByteArray("Contactname=Kai Test\r\nPublic=Y\r\n") << 0 << "3c. Public (Y/N)............: Y";
    QTest::newRow("no Contactname") << QByteArray("ContactCity=Potsdam\r\n") << 1
                                    << "You did not enter a Contact Name on the Aithorization, Notify & Authentication tab.";
    QTest::newRow("a path for a name") << QByteArray("Contactname=../x\r\n") << 1 << "The name \"../x\" cannot be used";
}

// render prints what Show Form shows after opening the record, and refuses
// what it refuses; check and mail refuse alike.
void TstCli::sparseContact()
{
    QFETCH(QByteArray, record);
    QFETCH(int, status);
    QFETCH(QString, said);
    WorkFolder work;
    writeBytes(work.filePath("contacts/Kai Test.ini"), "[ContactReg]\r\n" + record);
    for (const char *command : {"render", "check"}) {
        const Run run = cli({command, "contact", "Kai Test"});
        if (status == 0 && QByteArray(command) == "check")
            continue; // a sparse record has problems of its own
        QCOMPARE(run.status, status);
        QVERIFY2((status == 0 ? QString::fromLatin1(run.out) : run.err).contains(said), qPrintable(run.err));
    }
}

void TstCli::deleteStore_data()
{
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("status");
    QTest::newRow("--yes") << "--yes" << QByteArray() << 0;
    QTest::newRow("asked, yes") << "" << QByteArray("y\n") << 0;
    QTest::newRow("asked, no") << "" << QByteArray("n\n") << 1;
    QTest::newRow("no terminal") << "" << QByteArray() << 1;
}

// render --delete --store removes a record only when told to, and says what went.
void TstCli::deleteStore()
{
    QFETCH(QString, flag);
    QFETCH(QByteArray, answer);
    QFETCH(int, status);
    WorkFolder work;
    const QByteArray record = "[HostReg]\r\nHostIPAddress=192.0.2.1\r\n";
    writeBytes(work.filePath("hosts.cbx"), "ns1.example.net\r\nns2.example.net\r\n");
    writeBytes(work.filePath("hosts/ns1.example.net.ini"), record);
    QStringList args{"render", "host", "ns1.example.net", "--delete", "--store"};
    if (!flag.isEmpty())
        args << flag;
    const Run run = cli(args, answer);
    QCOMPARE(run.status, status);
    QCOMPARE(QFileInfo::exists("hosts/ns1.example.net.ini"), status != 0);
    QVERIFY(!QFileInfo::exists("hosts/ns1.example.net.txt"));
    QCOMPARE(readBytes("hosts.cbx"), QByteArray(status == 0 ? "ns2.example.net\r\n" : "ns1.example.net\r\nns2.example.net\r\n"));
    if (status != 0) {
        QCOMPARE(readBytes("hosts/ns1.example.net.ini"), record);
        return;
    }
    QVERIFY2(run.err.endsWith("Removed hosts/ns1.example.net.ini and hosts/ns1.example.net.txt and the name ns1.example.net "
                              "from hosts.cbx.\n"), qPrintable(run.err));
    QVERIFY(run.out.contains("0a. (N)ew (M)odify (D)elete.....: D\r\n"));
}

void TstCli::settingsFile_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("settings"); // z.ini
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err");
    const QStringList list{"list", "hosts"};
    QTest::newRow("missing") << QStringList{"--settings", "missing.ini"} + list << QByteArray() << 3
                             << "missing.ini: Settings file not found\n";
    QTest::newRow("a folder") << QStringList{"--settings", "hosts"} + list << QByteArray() << 3
                              << "hosts: Cannot read the settings file: Is a folder\n";
    QTest::newRow("misspelt key") << list << QByteArray("[Setup]\r\nEMail Adress=me@example.net\r\nname=Me\r\n[Other]\r\nx=1\r\n") << 0
                                  << "warning: %1: unknown key \"EMail Adress\" in [Setup]\n";
}

// A settings file that cannot be what the user meant is said, never read as defaults.
void TstCli::settingsFile()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, settings);
    QFETCH(int, status);
    QFETCH(QString, err);
    WorkFolder work;
    writeBytes(work.filePath("z.ini"), settings);
    writeBytes(work.filePath("hosts.cbx"), "ns1.example.net\r\n");
    QDir().mkpath(work.filePath("hosts"));
    const Run run = cli(args);
    QCOMPARE(run.status, status);
    QCOMPARE(run.err, err.arg(work.filePath("z.ini")));
    QCOMPARE(run.out, QByteArray(status == 0 ? "ns1.example.net\n" : ""));
}

void TstCli::scripting_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // JSON compared parsed, other text found in standard output
    QTest::addColumn<QString>("err"); // found in standard error; empty: nothing there
    const QStringList list{"list", "hosts"};
    const QByteArray export_ = "\xef\xbb\xbfHostName;HostIPAddress;Notes\r\n;;\r\nns2.example.net;192.0.2.2;\"a; b\r\nc\"\r\n"
                               "ns1.example.net;192.0.2.1;\r\nkai;192.0.2.9;\r\n";
    QTest::newRow("-V") << QStringList{"-V"} << QByteArray() << 0 << "zandolet-cli 1.5\n" << "";
    QTest::newRow("help COMMAND") << QStringList{"help", "check"} << QByteArray() << 0 << "fit to mail" << "";
    QTest::newRow("-h after the command") << QStringList{"import", "-h"} << QByteArray() << 0 << "--ignore-unknown" << "";
    QTest::newRow("--settings FILE after the command") << QStringList{"list", "--settings", "nil.ini", "hosts"} << QByteArray() << 3 << ""
                                                       << "nil.ini: Settings file not found";
    QTest::newRow("--settings=FILE") << list + QStringList{"--settings=nil.ini"} << QByteArray() << 3 << "" << "nil.ini: Settings file not found";
    QTest::newRow("warned") << QStringList{"--settings", "odd.ini"} + list << QByteArray() << 0 << "ns1" << "unknown key \"Nmae\"";
    QTest::newRow("-q") << QStringList{"-q", "--settings", "odd.ini"} + list << QByteArray() << 0 << "ns1" << "";
    QTest::newRow("list --json") << list + QStringList{"--json"} << QByteArray() << 0 << R"(["ns1.example.net"])" << "";
    QTest::newRow("check --json, fit") << QStringList{"check", "host", "ns1.example.net", "--json", "--new"} << QByteArray() << 0
                                       << R"({"kind":"host","name":"ns1.example.net","fit":true,"problems":[]})" << "";
    QTest::newRow("check --json, unfit") << QStringList{"check", "host", "ns3.example.net", "--json", "--new"} << QByteArray() << 1
                                         << R"({"kind":"host","name":"ns3.example.net","fit":false,"problems":[{"key":"HostIPAddress",
                                               "severity":"error","text":"Host address 10.0.0.3 is a private address","network":false}]})" << "";
    QTest::newRow("import a spreadsheet's export") << QStringList{"import", "host", "-", "--ignore-unknown", "--json"} << export_ << 0
                                                   << R"({"created":["ns2.example.net","kai"],"updated":["ns1.example.net"],"unchanged":[],"refused":[]})"
                                                   << "warning: standard input: columns ignored: Notes";
    QTest::newRow("import, unknown column") << QStringList{"import", "host", "-", "--json"} << export_ << 1
                                            << R"({"created":[],"updated":[],"unchanged":[],"refused":["header (line 1): \"Notes\" is no key of a HostReg record"]})"
                                            << "Nothing was imported.";
    QTest::newRow("import cp1252") << QStringList{"import", "host", "in.csv", "--encoding=cp1252", "--delimiter=tab"}
                                   << QByteArray("HostName\tHCName\nns1.example.net\tJ\xf6rg \x80\n") << 1 << ""
                                   << "\"\u20ac\", which a record file cannot hold";
    QTest::newRow("import --keys") << QStringList{"import", "--keys", "host"} << QByteArray() << 0 << "\nHostIPAddress\t1c Host IP Address\n" << "";
    QTest::newRow("render --utf-8") << QStringList{"render", "host", "ns1.example.net", "--utf-8"} << QByteArray() << 0
                                    << "Host Version Number: 1.0\n" << "";
    QTest::newRow("settings") << QStringList{"--settings", "odd.ini", "settings"} << QByteArray() << 0 << "\nPassword=********\n"
                              << "unknown key";
}

// What a script relies on: options as usual, JSON parsed, standard error kept to what matters.
void TstCli::scripting()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    WorkFolder work;
    writeBytes(work.filePath("hosts.cbx"), "ns1.example.net\r\n");
    const QByteArray fit = "[HostReg]\r\nHostIPAddress=192.0.2.1\r\nHCName=Kai\r\nHCMail=kai@example.net\r\n";
    writeBytes(work.filePath("hosts/ns1.example.net.ini"), fit);
    writeBytes(work.filePath("hosts/ns3.example.net.ini"), QByteArray(fit).replace("192.0.2.1", "10.0.0.3"));
    writeBytes(work.filePath("odd.ini"), "[Setup]\r\nNmae=Me\r\nPassword=secret\r\n");
    writeBytes(work.filePath("in.csv"), input);
    const Run run = cli(args, input);
    QVERIFY2(run.status == status, qPrintable(run.err));
    if (out.startsWith('{') || out.startsWith('[')) {
        QJsonParseError error;
        const QJsonDocument got = QJsonDocument::fromJson(run.out, &error);
        QVERIFY2(error.error == QJsonParseError::NoError, run.out.constData());
        QCOMPARE(got, QJsonDocument::fromJson(out.toUtf8()));
    } else {
        QVERIFY2(QString::fromUtf8(run.out).contains(out), run.out.constData());
    }
    QVERIFY2(err.isEmpty() ? run.err.isEmpty() : run.err.contains(err), qPrintable(run.err));
}

void TstCli::fullOutput_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("list") << QStringList{"list", "hosts"};
    QTest::newRow("render") << QStringList{"render", "host", "ns1.example.net"};
    QTest::newRow("help") << QStringList{"--help"};
}

// Output that cannot be written is a failure with its reason, never a silent 0.
void TstCli::fullOutput()
{
    QFETCH(QStringList, args);
    WorkFolder work;
    writeBytes(work.filePath("hosts.cbx"), "ns1.example.net\r\n");
    writeBytes(work.filePath("hosts/ns1.example.net.ini"), "[HostReg]\r\nHostIPAddress=192.0.2.1\r\n");
    QProcess p;
    p.setStandardOutputFile(QStringLiteral("/dev/full"));
    p.start(QStringLiteral(ZANDOLET_CLI), args);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 3);
    QCOMPARE(QString::fromUtf8(p.readAllStandardError()), QStringLiteral("Cannot write to standard output: No space left on device\n"));
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
    QTest::newRow("blank after a name") << head + "ns2.example.net ,192.0.2.2,,\n" << "row 1 (line 2): the name \"ns2.example.net \" begins or ends";
    QTest::newRow("blanks, --trim") << head + " ns2.example.net ,192.0.2.2,,\nns1.example.net,192.0.2.1,mail-from,\"Host, Master\"\n" << "--trim";
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
    const bool trim = refusal == "--trim";
    if (trim)
        refusal.clear();
    const Run run = cli(QStringList{"import", "host", "in.csv"} + (trim ? QStringList{"--trim"} : QStringList{}));
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
                                                      "Name=Me\r\nMailto=hostmaster@example.org\r\nCheck Network=No\r\n").arg(server).toLatin1());
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
    // The plain path (no security, no login) dates and names its message too.
    QVERIFY2(head.contains(QRegularExpression("\nDate: \\w{3}, \\d\\d \\w{3} \\d{4} [0-9:]{8} [+-]\\d{4}\r")), qPrintable(head));
    QVERIFY2(head.contains(QRegularExpression("\nMessage-ID: <[0-9a-f]{16}\\.\\d+@example\\.net>\r")), qPrintable(head));
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

    // --json: the outcome and the records as the servers sent them, one document.
    const Run json = cli({"rdap", name, "--json", "--cacert=" + work.filePath("ca.pem")}, {}, env);
    QCOMPARE(json.status, status);
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(json.out, &error).object();
    QVERIFY2(error.error == QJsonParseError::NoError, json.out.constData());
    QCOMPARE(o["outcome"].toString(), status == 0 ? "found" : status == 1 ? "not found" : "transport failure");
    QCOMPARE(o["registry_record"].toObject()["ldhName"].toString().toLower(), status == 0 ? name : QString());
    QCOMPARE(o["registrar_record"].isObject(), status == 0 && name != "orphan.com");
    QCOMPARE(o["reason"].toString().contains("404"), name == "orphan.com");
}

void TstCli::lookUp_data()
{
    QTest::addColumn<QStringList>("args"); // %1 (here and below): the peers' port; USER: who runs the test
    QTest::addColumn<QStringList>("scripts"); // of WHOIS servers 127.0.0.1 and .2; none: fingerd on .1
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("out"); // for fingerd, what it answers to a plain socket
    QTest::addColumn<QString>("err");     // the last line on standard error
    QTest::addColumn<QString>("setup");   // more [Setup] lines
    const QString refused = "Connection failed: [10061] Connection refused.";
    QTest::newRow("whois: the setting's server, IDN, bidi, a referral")
        << QStringList{"whois", "m\u00fcller.de"}
        << QStringList{"C: xn--mller-kva.de\nS: ReferralServer: whois://127.0.0.2:%1\nX:",
                       "C: xn--mller-kva.de\nR: Registrant: M\\xc3\\xbcller \\xe2\\x80\\xaeoc\\x1b[2J\\x07\\r\\n\nX:"}
        << 0
        << QStringList{"ReferralServer: whois://127.0.0.2:%1", "--- 127.0.0.2 ---", "Registrant: M\u00fcller \\u202Eoc\\u001B[2J\\u0007"}
        << "Connected. Waiting for data..." << "";
    QTest::newRow("whois: the registry holds no such name")
        << QStringList{"whois", "fresh.com"} << QStringList{"C: fresh.com\nS: No match for \"FRESH.COM\".\nX:"} << 1
        << QStringList{"No match for \"FRESH.COM\"."} << "Connected. Waiting for data..." << "";
    QTest::newRow("whois: --server before the setting")
        << QStringList{"whois", "example.com", "--server=127.0.0.4:%1"} << QStringList{"C: example.com\nS: not asked\nX:"}
        << 3 << QStringList{} << refused << "";
    QTest::newRow("finger: a user") << QStringList{"finger", "USER@127.0.0.1", "--port=%1"} << QStringList{} << 0
                                    << QStringList{"USER"} << "Connecting to 127.0.0.1...   Will time out in 15 seconds" << "";
    QTest::newRow("finger: the host's users") << QStringList{"finger", "@127.0.0.1", "--port=%1"} << QStringList{} << 0
                                              << QStringList{""} << "Connecting to 127.0.0.1...   Will time out in 15 seconds" << "";
    QTest::newRow("finger: unreachable") << QStringList{"finger", "USER@127.0.0.4", "--port=%1"} << QStringList{} << 3
                                         << QStringList{} << refused << "";
    QTest::newRow("whois: --server over Setup's RDAP")
        << QStringList{"whois", "example.com", "--server=127.0.0.1:%1"} << QStringList{"C: example.com\nR: Domain Name: EXAMPLE.COM\\r\\n\nX:"}
        << 0 << QStringList{"Domain Name: EXAMPLE.COM"} << "Connected. Waiting for data..." << "Look Up With=RDAP\r\nRDAP Bootstrap=https://127.0.0.1:1/dns.json\r\n";
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
    QFETCH(QString, setup);
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
    writeBytes(work.filePath("z.ini"), QStringLiteral("[Setup]\r\nWhoIs Server=127.0.0.1:%1\r\n%2").arg(port).arg(setup).toLatin1());
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

void TstCli::completion_data()
{
    QTest::addColumn<QStringList>("words"); // as bash splits the line; the last is completed
    QTest::addColumn<QStringList>("replies");
    QTest::newRow("a name with a blank") << QStringList{"render", "contact", "Ana"} << QStringList{"Ana\u00efs\\ Testa"};
    QTest::newRow("a name with a quote") << QStringList{"check", "contact", "Ren"} << QStringList{"Ren\u00e9e\\ O\\'Test"};
    QTest::newRow("a quoted name") << QStringList{"mail", "contact", "\"Ren\u00e9e O"} << QStringList{"Ren\u00e9e\\ O\\'Test"};
    QTest::newRow("a file after --cacert=") << QStringList{"rdap", "x", "--cacert", "=", "ca"} << QStringList{"ca.pem"};
    QTest::newRow("--cacert= unsplit") << QStringList{"check", "host", "x", "--cacert=ca"} << QStringList{"--cacert=ca.pem"};
    QTest::newRow("a name after --cacert=FILE") << QStringList{"check", "--cacert", "=", "ca.pem", "contact", "Ana"}
                                                << QStringList{"Ana\u00efs\\ Testa"};
}

// bash's completion, run as bash runs it: the words in COMP_WORDS, the replies from COMPREPLY.
void TstCli::completion()
{
    QFETCH(QStringList, words);
    QFETCH(QStringList, replies);
    WorkFolder work;
    for (const QString &name : {QStringLiteral("Ana\u00efs Testa"), QStringLiteral("Ren\u00e9e O'Test"), QStringLiteral("Bo")})
        writeBytes(work.filePath("contacts/" + name + ".ini"), "[ContactReg]\r\n");
    writeBytes(work.filePath("ca.pem"), "");
    QProcess bash;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C.UTF-8");
    bash.setProcessEnvironment(env);
    bash.start("/bin/bash", QStringList{"-c", "source \"$0\"; COMP_WORDS=(zandolet-cli \"$@\"); COMP_CWORD=$#; _zandolet_cli; "
                                   "printf '%s\\n' \"${COMPREPLY[@]}\"", CLI_COMPLETION} + words);
    QVERIFY(bash.waitForFinished(10000));
    QCOMPARE(QString::fromUtf8(bash.readAllStandardError()), QString());
    QCOMPARE(QString::fromUtf8(bash.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts), replies);
}

QTEST_GUILESS_MAIN(TstCli)
#include "tst_cli.moc"
