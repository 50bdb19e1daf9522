// Record files, defaults, name lists and name look-up of the record store,
// against real files in a temporary current directory.
#include "DirectoryIndex.h"
#include "Exception.h"
#include "IniFile.h"
#include "MapFields.h"
#include "RecordFileGuard.h"
#include "RecordStore.h"
#include "TemplateRenderer.h"
#include "TestDir.h"
#include "UnstoredChanges.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

// MapFields that also logs reads, so the loaders' read order is visible even
// where a value equal to the field's text is not set again.
class LoggingFields : public MapFields {
public:
    mutable QStringList readLog;
    QString text(const QString &f) const override
    {
        readLog << f;
        return MapFields::text(f);
    }
};

void addRadioGroups(MapFields &f)
{
    f.groups << QStringList{"NewDomainRadio", "ModifyDomainRadio", "DeleteDomainRadio"}
             << QStringList{"NewHostRadio", "ModifyHostRadio", "DeleteHostRadio"}
             << QStringList{"NewContactRadio", "ModifyContactRadio", "DeleteContactRadio"}
             << QStringList{"PublicYesRadio", "PublicNoRadio"};
    f.checked << "NewDomainRadio" << "NewHostRadio" << "NewContactRadio" << "PublicNoRadio";
}

// "Key:Field" entries, or "Key" when the field has the key's name.
QStringList keysOfPairs(const QStringList &pairs)
{
    QStringList keys;
    for (const QString &p : pairs)
        keys << p.section(QLatin1Char(':'), 0, 0);
    return keys;
}

QString fieldOfPair(const QString &p)
{
    return p.contains(QLatin1Char(':')) ? p.section(QLatin1Char(':'), 1) : p;
}

const QStringList kDomainRecord{
    "AuthScheme",   "AuthInfoEdit",  "PurposeEdit",    "OOrgNameEdit", "OAddrEdit",    "OCityEdit",  "OStateEdit",
    "OZipEdit",     "OCountryEdit",  "AHandleEdit",    "ARoleEdit",    "ANameEdit",    "AOrgEdit",   "AAddrEdit",
    "ACityEdit",    "AStateEdit",    "AZipEdit",       "ACountryEdit", "APhoneEdit",   "AFaxEdit",   "AMailEdit",
    "THandleEdit",  "TRoleEdit",     "TNameEdit",      "TOrgEdit",     "TAddrEdit",    "TCityEdit",  "TStateEdit",
    "TZipEdit",     "TCountryEdit",  "TPhoneEdit",     "TFaxEdit",     "TMailEdit",    "BHandleEdit", "BRoleEdit",
    "BNameEdit",    "BOrgEdit",      "BAddrEdit",      "BCityEdit",    "BStateEdit",   "BZipEdit",   "BCountryEdit",
    "BPhoneEdit",   "BFaxEdit",      "BMailEdit",      "PriNSEdit",    "PriNSIPEdit",  "SecNSEdit",  "SecNSIPEdit",
    "ThirdNSEdit",  "ThirdNSIPEdit", "fourthnsedit",   "fourthnsipedit"};
const QStringList kHostRecordTail{"HostNicHandle", "HostAuthScheme", "HostAuthInfo", "HostIPAddress",
                                  "HCNicHandle",   "HCRole",         "HCName",       "HCOrg",
                                  "HCAddr",        "HCCity",         "HCState",      "HCZip",
                                  "HCCountry",     "HCPhone",        "HCFax",        "HCMail"};
const QStringList kContactRecord{"ContactType",      "NotifyUp:ContactNotifyUpdates", "NotifyUse:ContactNotifyUse",
                                 "ContactAuthenticationType", "Public", "ContactAuthorizationType",
                                 "ContactAuthorizationInfo", "ContactAuthenticationInfo", "ContactNicHandle",
                                 "ContactRole", "Contactname", "ContactOrgName", "ContactAddr", "ContactCity",
                                 "ContactState", "ContactZip", "ContactCountry", "ContactPhone", "ContactFax",
                                 "ContactMail"};
const QStringList kContactLoadFields{"ContactAuthorizationType", "ContactNotifyUpdates", "ContactNotifyUse",
                                     "ContactAuthenticationType", "ContactAuthorizationType",
                                     "ContactAuthorizationInfo", "ContactAuthenticationInfo", "ContactNicHandle",
                                     "ContactRole", "Contactname", "ContactOrgName", "ContactAddr", "ContactCity",
                                     "ContactState", "ContactZip", "ContactCountry", "ContactPhone", "ContactFax",
                                     "ContactMail"};

const QStringList kDomainDefaultsTail{
    "OrgName:OOrgNameEdit", "OAddr:OAddrEdit",       "OCity:OCityEdit",     "OState:OStateEdit",
    "OZip:OZipEdit",        "OCountry:OCountryEdit", "AHandle:AHandleEdit", "ARole:ARoleEdit",
    "AName:ANameEdit",      "AAOrg:AOrgEdit",        "AAddr:AAddrEdit",     "ACity:ACityEdit",
    "AState:AStateEdit",    "AZip:AZipEdit",         "ACountry:ACountryEdit", "APhone:APhoneEdit",
    "AFax:AFaxEdit",        "AMail:AMailEdit",       "THandle:THandleEdit", "TRole:TRoleEdit",
    "TName:TNameEdit",      "TAOrg:TOrgEdit",        "TAddr:TAddrEdit",     "TCity:TCityEdit",
    "TState:TStateEdit",    "TZip:TZipEdit",         "TCountry:TCountryEdit", "TPhone:TPhoneEdit",
    "TFax:TFaxEdit",        "TMail:TMailEdit",       "BHandle:BHandleEdit", "BRole:BRoleEdit",
    "BName:BNameEdit",      "BOrg:BOrgEdit",         "BAddr:BAddrEdit",     "BCity:BCityEdit",
    "BState:BStateEdit",    "BZip:BZipEdit",         "BCountry:BCountryEdit", "BPhone:BPhoneEdit",
    "BFax:BFaxEdit",        "BMail:BMailEdit",       "PriNS:PriNSEdit",     "PriNSIP:PriNSIPEdit",
    "SecNS:SecNSEdit",      "SecNSIP:SecNSIPEdit",   "ThirdNS:ThirdNSEdit", "ThirdNSIP:ThirdNSIPEdit",
    "FourthNS:fourthnsedit", "FourthNSIP:fourthnsipedit"};
const QStringList kHostContact{"HCNicHandle", "HCRole", "HCName",    "HCOrg",   "HCAddr", "HCCity",
                               "HCState",     "HCZip",  "HCCountry", "HCPhone", "HCFax",  "HCMail"};
const QStringList kContactTail{"Contactname", "ContactOrgName", "ContactAddr",  "ContactCity", "ContactState",
                               "ContactZip",  "ContactCountry", "ContactPhone", "ContactFax",  "ContactMail"};

QStringList domainDefaultsWrite()
{
    return QStringList{"Name:DomainNameEdit", "AuthInfo:AuthInfoEdit", "AuthScheme", "Purpose:PurposeEdit"} +
           kDomainDefaultsTail;
}
QStringList domainDefaultsStartup()
{
    return QStringList{"AuthScheme", "AuthInfo:AuthInfoEdit", "Purpose:PurposeEdit"} + kDomainDefaultsTail;
}
QStringList hostDefaultsWrite()
{
    return QStringList{"HostAuthScheme", "AuthInfo:HostAuthInfo", "HostHandle:HostNicHandle", "HostName",
                       "HostIPAddress"} +
           kHostContact;
}
QStringList hostDefaultsStartup()
{
    return QStringList{"HostAuthScheme", "AuthInfo:HostAuthInfo"} + kHostContact;
}
QStringList contactDefaultsWrite()
{
    return QStringList{"ContactNotifyUpdates",     "ContactNotifyUse",          "ContactAuthorizationType",
                       "ContactAuthorizationInfo", "ContactAuthenticationType", "ContactAuthenticationInfo",
                       "ContactNicHandle",         "ContactRole"} +
           kContactTail;
}
QStringList contactDefaultsStartup()
{
    return QStringList{"ContactAuthorizationType",  "ContactAuthorizationInfo", "ContactNotifyUpdates",
                       "ContactNotifyUse",          "ContactAuthenticationType", "ContactAuthenticationInfo"} +
           kContactTail;
}

QStringList fieldsOfPairs(const QStringList &pairs)
{
    QStringList out;
    for (const QString &p : pairs)
        out << fieldOfPair(p);
    return out;
}

// Every field of every kind holds "v:" + its name.
void fillAll(MapFields &f)
{
    const QStringList all = fieldsOfPairs(domainDefaultsWrite() + kDomainRecord + hostDefaultsWrite() +
                                          kHostRecordTail + contactDefaultsWrite() + kContactRecord);
    for (const QString &n : all)
        f.texts[n] = "v:" + n;
}

const QString kSettings = QStringLiteral("zandolet.ini");

} // namespace

Q_DECLARE_METATYPE(RecordKind)

class RecordStoreTest : public QObject {
    Q_OBJECT

private slots:
    void init() { DirectoryIndex::clear(); }

    void recordFileKeys_data();
    void recordFileKeys();
    void defaultsKeys_data();
    void defaultsKeys();
    void recordLoadOrder_data();
    void recordLoadOrder();
    void startupReadsDefaultsThenLists();
    void missingSettingsEmptiesDefaultedFields();
    void keystrokesLoadShortRecord();
    void loadKeepsEqualFieldsAndEmptiesMissingKeys();
    void loadSelectsPublicChoice();
    void saveKeepsOtherKeysAndStoresComboText();
    void namesIgnoreCase();
    void lookupSeesFilesCreatedByOthers_data();
    void lookupSeesFilesCreatedByOthers();
    void contactListIsSorted();
    void contactListSortsAsTheUserExpects_data();
    void contactListSortsAsTheUserExpects();
    void newNameAlreadyListedInOtherCase();
    void deleteTypedName();
    void deletePickedName();
    void refusedNames_data();
    void refusedNames();
    void refusedNameNeverReadsOutside();
    void storedValues_data();
    void storedValues();
    void writeIntoNonWritablePlace();
    void unstoredChanges_data();
    void unstoredChanges();
    void changedOutside_data();
    void changedOutside();
};

void RecordStoreTest::recordFileKeys_data()
{
    QTest::addColumn<RecordKind>("kind");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QStringList>("pairs");
    QTest::newRow("domain") << RecordKind::Domain << "DomainReg" << kDomainRecord;
    QTest::newRow("host") << RecordKind::Host << "HostReg" << (QStringList{"HostType"} + kHostRecordTail);
    QTest::newRow("contact") << RecordKind::Contact << "ContactReg" << kContactRecord;
}

void RecordStoreTest::recordFileKeys()
{
    QFETCH(RecordKind, kind);
    QFETCH(QString, section);
    QFETCH(QStringList, pairs);
    TestDir dir;
    MapFields f;
    addRadioGroups(f);
    fillAll(f);
    f.texts["DomainNameEdit"] = f.texts["HostName"] = f.texts["Contactname"] = "rec";
    f.check("ModifyHostRadio");
    f.check("DeleteContactRadio");
    f.check("PublicYesRadio");
    RecordStore store(f, dir.path(kSettings));
    store.saveRecord(kind);

    const QString file = RecordStore::recordFolder(kind) + "/rec.ini";
    QCOMPARE(keysOf(file, section), keysOfPairs(pairs));
    const IniDocument ini = IniDocument::load(file);
    for (const QString &p : pairs) {
        const QString key = p.section(QLatin1Char(':'), 0, 0);
        QString expected = "v:" + fieldOfPair(p);
        if (key == "HostType")
            expected = "M";
        else if (key == "ContactType")
            expected = "D";
        else if (key == "Public")
            expected = "Y";
        else if (key == "Contactname")
            expected = "rec";
        QCOMPARE(ini.value(section, key), expected);
    }
    QVERIFY(readBytes(file).startsWith("[" + section.toLatin1() + "]\r\n"));
}

void RecordStoreTest::defaultsKeys_data()
{
    QTest::addColumn<RecordKind>("kind");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QStringList>("pairs");
    QTest::newRow("domain") << RecordKind::Domain << "DomainReg" << domainDefaultsWrite();
    QTest::newRow("host") << RecordKind::Host << "HostReg" << hostDefaultsWrite();
    QTest::newRow("contact") << RecordKind::Contact << "ContactReg" << contactDefaultsWrite();
}

void RecordStoreTest::defaultsKeys()
{
    QFETCH(RecordKind, kind);
    QFETCH(QString, section);
    QFETCH(QStringList, pairs);
    TestDir dir;
    writeBytes(dir.path(kSettings), "[Setup]\r\nServer=mail\r\n");
    MapFields f;
    addRadioGroups(f);
    fillAll(f);
    RecordStore store(f, dir.path(kSettings));
    store.saveDefaults(kind);

    QCOMPARE(keysOf(dir.path(kSettings), section), keysOfPairs(pairs));
    const IniDocument ini = IniDocument::load(dir.path(kSettings));
    for (const QString &p : pairs)
        QCOMPARE(ini.value(section, p.section(QLatin1Char(':'), 0, 0)), "v:" + fieldOfPair(p));
    QCOMPARE(ini.value("Setup", "Server"), QStringLiteral("mail"));
    QVERIFY(f.setTextLog.isEmpty());
}

void RecordStoreTest::recordLoadOrder_data()
{
    QTest::addColumn<RecordKind>("kind");
    QTest::addColumn<QString>("nameField");
    QTest::addColumn<QStringList>("readOrder");
    QTest::newRow("domain") << RecordKind::Domain << "DomainNameEdit" << kDomainRecord;
    QTest::newRow("host") << RecordKind::Host << "HostName" << kHostRecordTail;
    QTest::newRow("contact") << RecordKind::Contact << "Contactname" << kContactLoadFields;
}

void RecordStoreTest::recordLoadOrder()
{
    QFETCH(RecordKind, kind);
    QFETCH(QString, nameField);
    QFETCH(QStringList, readOrder);
    TestDir dir;
    {
        MapFields src;
        addRadioGroups(src);
        fillAll(src);
        src.texts[nameField] = "rec";
        src.check("PublicYesRadio");
        RecordStore(src, dir.path(kSettings)).saveRecord(kind);
    }
    LoggingFields f;
    addRadioGroups(f);
    f.texts[nameField] = "rec";
    f.onCheck = [&](const QString &r) { f.setTextLog << "check:" + r; };
    RecordStore store(f, dir.path(kSettings));
    f.readLog.clear();
    store.loadRecord(kind);

    QStringList reads = f.readLog;
    reads.removeFirst(); // the name field; after the keys, the scheme rules read theirs
    QCOMPARE(reads.mid(0, readOrder.size()), readOrder);
    QStringList expectedSets = readOrder;
    expectedSets.removeDuplicates();
    if (kind == RecordKind::Contact)
        expectedSets.removeAll("Contactname"); // already "rec"
    for (const QString &field : expectedSets)
        QCOMPARE(f.texts.value(field), "v:" + field);
    // The action is never loaded; a contact's Public choice is, last.
    if (kind == RecordKind::Contact)
        expectedSets << "check:PublicYesRadio";
    QCOMPARE(f.setTextLog, expectedSets);
    QVERIFY(f.isChecked("NewDomainRadio") && f.isChecked("NewHostRadio") && f.isChecked("NewContactRadio"));
}

void RecordStoreTest::startupReadsDefaultsThenLists()
{
    TestDir dir;
    QByteArray ini = "[Setup]\r\nServer=x\r\n";
    const struct {
        const char *section;
        QStringList pairs;
    } sections[] = {{"DomainReg", domainDefaultsWrite()},
                    {"HostReg", hostDefaultsWrite()},
                    {"ContactReg", contactDefaultsWrite()}};
    for (const auto &s : sections) {
        ini += QByteArray("[") + s.section + "]\r\n";
        for (const QString &p : s.pairs)
            ini += (keysOfPairs({p}).first() + "=d:" + fieldOfPair(p) + "\r\n").toLatin1();
    }
    writeBytes(dir.path(kSettings), ini);
    writeBytes(dir.path("hosts.cbx"), "b.example\r\na.example\r\n");
    writeBytes(dir.path("Contacts.cbx"), "Zed\r\nalice\r\nBob\r\n");

    MapFields f;
    addRadioGroups(f);
    for (const QString &unread : QStringList{"DomainNameEdit", "HostNicHandle", "HostName", "HostIPAddress",
                                  "ContactNicHandle", "ContactRole"})
        f.texts[unread] = "design";
    RecordStore(f, dir.path(kSettings)).loadDefaultsAndLists();

    const QStringList order = fieldsOfPairs(domainDefaultsStartup() + hostDefaultsStartup() +
                                            contactDefaultsStartup());
    QCOMPARE(f.setTextLog, order);
    for (const QString &field : order)
        QCOMPARE(f.texts.value(field), "d:" + field);
    for (const QString &unread : QStringList{"DomainNameEdit", "HostNicHandle", "HostName", "HostIPAddress",
                                  "ContactNicHandle", "ContactRole"})
        QCOMPARE(f.texts.value(unread), QStringLiteral("design"));
    QCOMPARE(f.lists.value("Contactname"), (QStringList{"alice", "Bob", "Zed"}));
    QCOMPARE(f.lists.value("HostName"), (QStringList{"b.example", "a.example"}));
    QVERIFY(!f.lists.contains("DomainNameEdit")); // no file: the list stays as it is
}

void RecordStoreTest::missingSettingsEmptiesDefaultedFields()
{
    TestDir dir;
    MapFields f;
    f.texts["AuthScheme"] = "MAIL-FROM";
    f.texts["ContactNotifyUpdates"] = "AFTER-UPDATE";
    f.texts["ContactNotifyUse"] = "AFTER-USE";
    f.texts["HCCountry"] = "US";
    RecordStore(f, dir.path(kSettings)).loadDefaultsAndLists();
    for (const QString &field : QStringList{"AuthScheme", "ContactNotifyUpdates", "ContactNotifyUse", "HCCountry"})
        QCOMPARE(f.texts.value(field), QString());
    QVERIFY(f.lists.isEmpty());
    QVERIFY(!QFile::exists(dir.path(kSettings)));
}

void RecordStoreTest::keystrokesLoadShortRecord()
{
    TestDir dir;
    QVERIFY(QDir(dir.path()).mkdir("domains"));
    writeBytes(dir.path("domains/ab.ini"), "[DomainReg]\r\nAOrgEdit=Stored Org\r\nPriNSEdit=ns1.ab\r\n");
    MapFields f;
    f.texts["AOrgEdit"] = "typed";
    f.texts["BOrgEdit"] = "typed too";
    RecordStore store(f, dir.path(kSettings));
    const QString typed = "abcdef";
    for (int n = 1; n <= typed.size(); ++n) {
        f.texts["DomainNameEdit"] = typed.left(n);
        store.loadRecord(RecordKind::Domain);
        if (n == 1) {
            QCOMPARE(f.texts.value("AOrgEdit"), QStringLiteral("typed"));
            QVERIFY(f.setTextLog.isEmpty());
        } else {
            QCOMPARE(f.texts.value("AOrgEdit"), QStringLiteral("Stored Org"));
            QCOMPARE(f.texts.value("PriNSEdit"), QStringLiteral("ns1.ab"));
            QCOMPARE(f.texts.value("BOrgEdit"), QString()); // missing key
        }
    }
    // Only the second keystroke changed anything, and only fields that differed.
    QCOMPARE(f.setTextLog, (QStringList{"AOrgEdit", "BOrgEdit", "PriNSEdit"}));
}

void RecordStoreTest::loadKeepsEqualFieldsAndEmptiesMissingKeys()
{
    TestDir dir;
    QVERIFY(QDir(dir.path()).mkdir("hosts"));
    writeBytes(dir.path("hosts/h.ini"), "[HostReg]\r\nHostType=D\r\nHCName=Same\r\nHCOrg=New\r\n");
    MapFields f;
    addRadioGroups(f);
    f.texts["HostName"] = "h";
    f.texts["HCName"] = "Same";
    f.texts["HCOrg"] = "Old";
    f.texts["HCMail"] = "someone@old";
    RecordStore(f, dir.path(kSettings)).loadRecord(RecordKind::Host);
    QVERIFY(!f.setTextLog.contains("HCName"));
    QCOMPARE(f.texts.value("HCOrg"), QStringLiteral("New"));
    QCOMPARE(f.texts.value("HCMail"), QString());
    QVERIFY(f.setTextLog.contains("HCMail"));
    QVERIFY(f.isChecked("NewHostRadio")); // HostType is not loaded

    // A name with no record leaves every field as it is.
    f.setTextLog.clear();
    f.texts["HostName"] = "none";
    RecordStore(f, dir.path(kSettings)).loadRecord(RecordKind::Host);
    QVERIFY(f.setTextLog.isEmpty());
}

void RecordStoreTest::loadSelectsPublicChoice()
{
    TestDir dir;
    QVERIFY(QDir(dir.path()).mkdir("contacts"));
    writeBytes(dir.path("contacts/yes.ini"), "[ContactReg]\r\nPublic=Y\r\nContactname=Yes\r\n");
    writeBytes(dir.path("contacts/no.ini"), "[ContactReg]\r\nPublic=N\r\nContactname=no\r\n");
    writeBytes(dir.path("contacts/odd.ini"), "[ContactReg]\r\nPublic=x\r\nContactname=odd\r\n");
    MapFields f;
    addRadioGroups(f);
    QStringList checks;
    f.onCheck = [&](const QString &r) { checks << r; };
    RecordStore store(f, dir.path(kSettings));
    f.texts["Contactname"] = "yes";
    store.loadRecord(RecordKind::Contact);
    QVERIFY(f.isChecked("PublicYesRadio"));
    QCOMPARE(f.texts.value("Contactname"), QStringLiteral("Yes")); // the stored spelling
    f.texts["Contactname"] = "no";
    store.loadRecord(RecordKind::Contact);
    QVERIFY(f.isChecked("PublicNoRadio") && !f.isChecked("PublicYesRadio"));
    f.texts["Contactname"] = "odd";
    store.loadRecord(RecordKind::Contact);
    QVERIFY(f.isChecked("PublicNoRadio"));
    QCOMPARE(checks, (QStringList{"PublicYesRadio", "PublicNoRadio"}));
}

void RecordStoreTest::saveKeepsOtherKeysAndStoresComboText()
{
    TestDir dir;
    QVERIFY(QDir(dir.path()).mkdir("domains"));
    writeBytes(dir.path("domains/d.com.ini"),
               "[DomainReg]\r\nExtra=kept\r\nAuthScheme=PGP\r\n\r\n[Other]\r\nk=v\r\n");
    MapFields f;
    f.texts["DomainNameEdit"] = "d.com";
    f.texts["AuthScheme"] = "crypt-pw typed";
    f.selected["AuthScheme"] = "CRYPT-PW";
    RecordStore(f, dir.path(kSettings)).saveRecord(RecordKind::Domain);
    const IniDocument ini = IniDocument::load(dir.path("domains/d.com.ini"));
    QCOMPARE(ini.value("DomainReg", "AuthScheme"), QStringLiteral("crypt-pw typed"));
    QCOMPARE(ini.value("DomainReg", "Extra"), QStringLiteral("kept"));
    QCOMPARE(ini.value("Other", "k"), QStringLiteral("v"));
    QCOMPARE(keysOf(dir.path("domains/d.com.ini"), "DomainReg").mid(0, 2), (QStringList{"Extra", "AuthScheme"}));
}

void RecordStoreTest::namesIgnoreCase()
{
    TestDir dir;
    QVERIFY(QDir(dir.path()).mkdir("Domains"));
    writeBytes(dir.path("Domains/Example.COM.ini"), "[DomainReg]\r\nOCityEdit=Springfield\r\n");
    writeBytes(dir.path("Domains/EXAMPLE.com.TXT"), "template\r\n");
    writeBytes(dir.path("HOSTS.CBX"), "ns1\r\n");

    QCOMPARE(RecordStore::recordFolder(RecordKind::Domain), dir.path("Domains"));
    QCOMPARE(RecordStore::textCopyPath(RecordKind::Domain, "example.com"), dir.path("Domains/EXAMPLE.com.TXT"));
    QCOMPARE(RecordStore::recordFilePath(RecordKind::Domain, "other.com"), dir.path("Domains/other.com.ini"));
    QCOMPARE(RecordStore::listFilePath(RecordKind::Host), dir.path("HOSTS.CBX"));
    QCOMPARE(RecordStore::listFilePath(RecordKind::Contact), dir.path("Contacts.cbx"));

    MapFields f;
    f.texts["DomainNameEdit"] = "example.com";
    RecordStore store(f, dir.path(kSettings));
    store.loadRecord(RecordKind::Domain);
    QCOMPARE(f.texts.value("OCityEdit"), QStringLiteral("Springfield"));

    f.texts["DomainNameEdit"] = "EXAMPLE.COM";
    f.texts["OCityEdit"] = "Shelbyville";
    store.saveRecord(RecordKind::Domain);
    QStringList files = QDir(dir.path("Domains")).entryList(QDir::Files);
    files.sort();
    QCOMPARE(files, (QStringList{"EXAMPLE.com.TXT", "Example.COM.ini"}));
    QCOMPARE(IniDocument::load(dir.path("Domains/Example.COM.ini")).value("DomainReg", "OCityEdit"),
             QStringLiteral("Shelbyville"));
    QVERIFY(!QFile::exists(dir.path("domains")));

    store.loadDefaultsAndLists();
    QCOMPARE(f.lists.value("HostName"), QStringList{"ns1"});
}

void RecordStoreTest::lookupSeesFilesCreatedByOthers_data()
{
    QTest::addColumn<bool>("notifications");
    QTest::newRow("change notifications") << true;
    QTest::newRow("time stamps only") << false;
}

void RecordStoreTest::lookupSeesFilesCreatedByOthers()
{
    QFETCH(bool, notifications);
    DirectoryIndex::setChangeNotifications(notifications);
    const auto restore = qScopeGuard([] { DirectoryIndex::setChangeNotifications(true); });
    TestDir dir;
    const QString folder = dir.path("f");
    QVERIFY(QDir(dir.path()).mkdir("f"));
    writeBytes(folder + "/a.ini", "");
    QCOMPARE(DirectoryIndex::find(folder, "A.INI"), QStringLiteral("a.ini"));
    QCOMPARE(DirectoryIndex::find(folder, "b.ini"), QString());
    writeBytes(folder + "/B.ini", "");
    QCOMPARE(DirectoryIndex::find(folder, "b.ini"), QStringLiteral("B.ini"));
    QFile::remove(folder + "/B.ini");
    QCOMPARE(DirectoryIndex::find(folder, "b.ini"), QString());
    // Two spellings of one name: removing one leaves the other found.
    writeBytes(folder + "/D.ini", "");
    writeBytes(folder + "/d.INI", "");
    QVERIFY(!DirectoryIndex::find(folder, "D.Ini").isEmpty());
    QFile::remove(folder + "/D.ini");
    QCOMPARE(DirectoryIndex::find(folder, "D.Ini"), QStringLiteral("d.INI"));
    QVERIFY(QFile::rename(folder + "/d.INI", folder + "/e.ini"));
    QCOMPARE(DirectoryIndex::find(folder, "D.Ini"), QString());
    QCOMPARE(DirectoryIndex::find(folder, "E.INI"), QStringLiteral("e.ini"));
    // The folder replaced by another one of the same name.
    QVERIFY(QDir(folder).removeRecursively());
    QVERIFY(QDir(dir.path()).mkdir("f"));
    writeBytes(folder + "/New.ini", "");
    QCOMPARE(DirectoryIndex::find(folder, "new.ini"), QStringLiteral("New.ini"));
    QCOMPARE(DirectoryIndex::find(folder, "e.ini"), QString());

    // Changes within one time stamp tick leave the folder's time stamp as it
    // was; a listing taken too close to that stamp must not be trusted.
    const QByteArray native = QFile::encodeName(folder);
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    const struct timespec wholeSecond{now.tv_sec, 0};          // a file system with 1 s stamps
    const struct timespec ahead{now.tv_sec + 30, 123456789};   // a server clock ahead of ours
    int n = 0;
    for (const struct timespec &stamp : {wholeSecond, ahead}) {
        const struct timespec times[2] = {stamp, stamp};
        const QString file = QStringLiteral("Same-Tick-%1.ini").arg(++n);
        QCOMPARE(::utimensat(AT_FDCWD, native.constData(), times, 0), 0);
        QCOMPARE(DirectoryIndex::find(folder, file.toLower()), QString());
        writeBytes(folder + "/" + file, "");
        QCOMPARE(::utimensat(AT_FDCWD, native.constData(), times, 0), 0);
        QCOMPARE(DirectoryIndex::find(folder, file.toLower()), file);
    }
}

void RecordStoreTest::contactListIsSorted()
{
    TestDir dir;
    writeBytes(dir.path("Contacts.cbx"), "zoe\r\nAdam\r\nmia\r\n");
    MapFields f;
    addRadioGroups(f);
    RecordStore store(f, dir.path(kSettings));
    store.loadDefaultsAndLists();
    QCOMPARE(f.lists.value("Contactname"), (QStringList{"Adam", "mia", "zoe"}));
    f.texts["Contactname"] = "Bea";
    store.updateNameList(RecordKind::Contact);
    f.texts["Contactname"] = "Zack";
    store.updateNameList(RecordKind::Contact);
    QCOMPARE(readBytes(dir.path("Contacts.cbx")), QByteArray("Adam\r\nBea\r\nmia\r\nZack\r\nzoe\r\n"));
    QCOMPARE(f.lists.value("Contactname"), (QStringList{"Adam", "Bea", "mia", "Zack", "zoe"}));

    // Domains and hosts keep the order of addition.
    f.lists["HostName"] = QStringList{"z.host"};
    f.texts["HostName"] = "a.host";
    store.updateNameList(RecordKind::Host);
    QCOMPARE(readBytes(dir.path("hosts.cbx")), QByteArray("z.host\r\na.host\r\n"));
}

void RecordStoreTest::contactListSortsAsTheUserExpects_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("stored");   // the list file, in file order
    QTest::addColumn<QString>("added");        // then shown with New checked
    QTest::addColumn<QStringList>("expected"); // the list afterwards

    QTest::newRow("C locale: accents beside their letters")
        << "C" << QStringList{"Zoe", "émile", "Eve", "adam", "Ålund"} << "Oscar"
        << QStringList{"adam", "Ålund", "émile", "Eve", "Oscar", "Zoe"};
    QTest::newRow("French") << "fr_FR" << QStringList{"Zoé", "Étienne", "eric", "Élodie", "zack"} << "Emma"
                            << QStringList{"Élodie", "Emma", "eric", "Étienne", "zack", "Zoé"};
    QTest::newRow("Swedish: Å, Ä, Ö after Z") << "sv_SE" << QStringList{"Östen", "Anna", "Åsa", "Zorro", "Ärla"} << "Bo"
                                                << QStringList{"Anna", "Bo", "Zorro", "Åsa", "Ärla", "Östen"};
    QTest::newRow("case alone") << "C" << QStringList{"bea", "BEN", "Anna", "adam"} << "Beatrix"
                                << QStringList{"adam", "Anna", "bea", "Beatrix", "BEN"};
}

void RecordStoreTest::contactListSortsAsTheUserExpects()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, stored);
    QFETCH(QString, added);
    QFETCH(QStringList, expected);
    const QLocale saved;
    QLocale::setDefault(QLocale(locale));
    const auto restore = qScopeGuard([&] { QLocale::setDefault(saved); });

    TestDir dir;
    writeBytes(dir.path("Contacts.cbx"), (stored.join("\r\n") + "\r\n").toLatin1());
    MapFields f;
    addRadioGroups(f);
    RecordStore store(f, dir.path(kSettings));
    store.loadDefaultsAndLists();
    QStringList withoutAdded = expected;
    withoutAdded.removeOne(added);
    QCOMPARE(f.lists.value("Contactname"), withoutAdded);
    f.texts["Contactname"] = added;
    store.updateNameList(RecordKind::Contact);
    QCOMPARE(f.lists.value("Contactname"), expected);
    QCOMPARE(readBytes(dir.path("Contacts.cbx")), (expected.join("\r\n") + "\r\n").toLatin1());
}

void RecordStoreTest::newNameAlreadyListedInOtherCase()
{
    TestDir dir;
    MapFields f;
    addRadioGroups(f);
    f.lists["DomainNameEdit"] = QStringList{"Example.com"};
    f.texts["DomainNameEdit"] = "EXAMPLE.COM";
    RecordStore store(f, dir.path(kSettings));
    store.updateNameList(RecordKind::Domain);
    QVERIFY(!QFile::exists(dir.path("domains.cbx"))); // not rewritten
    QCOMPARE(f.lists.value("DomainNameEdit"), QStringList{"Example.com"});

    // Modify leaves list and files alone.
    f.check("ModifyDomainRadio");
    f.texts["DomainNameEdit"] = "new.com";
    store.updateNameList(RecordKind::Domain);
    QVERIFY(!QFile::exists(dir.path("domains.cbx")));
}

void RecordStoreTest::deleteTypedName()
{
    TestDir dir;
    QVERIFY(QDir(dir.path()).mkdir("domains"));
    writeBytes(dir.path("domains/B.com.ini"), "[DomainReg]\r\n");
    writeBytes(dir.path("domains/b.COM.txt"), "x\r\n");
    writeBytes(dir.path("domains/keep.com.ini"), "[DomainReg]\r\n");
    MapFields f;
    addRadioGroups(f);
    f.check("DeleteDomainRadio");
    f.lists["DomainNameEdit"] = QStringList{"a.com", "b.com"};
    f.texts["DomainNameEdit"] = "b.com"; // typed: nothing selected
    RecordStore(f, dir.path(kSettings)).updateNameList(RecordKind::Domain);
    QCOMPARE(readBytes(dir.path("domains.cbx")), QByteArray("a.com\r\nb.com\r\n"));
    QCOMPARE(QDir(dir.path("domains")).entryList(QDir::Files), QStringList{"keep.com.ini"});

    // Again, with the files gone: not an error.
    RecordStore(f, dir.path(kSettings)).updateNameList(RecordKind::Domain);
    QCOMPARE(f.lists.value("DomainNameEdit"), (QStringList{"a.com", "b.com"}));
}

void RecordStoreTest::deletePickedName()
{
    TestDir dir;
    QVERIFY(QDir(dir.path()).mkdir("hosts"));
    writeBytes(dir.path("hosts/ns2.ini"), "[HostReg]\r\n");
    MapFields f;
    addRadioGroups(f);
    f.check("DeleteHostRadio");
    f.lists["HostName"] = QStringList{"ns1", "ns2", "ns3"};
    f.texts["HostName"] = "ns2";
    f.selectedIndexes["HostName"] = 1;
    RecordStore(f, dir.path(kSettings)).updateNameList(RecordKind::Host);
    QCOMPARE(f.lists.value("HostName"), (QStringList{"ns1", "ns3"}));
    QCOMPARE(readBytes(dir.path("hosts.cbx")), QByteArray("ns1\r\nns3\r\n"));
    QVERIFY(!QFile::exists(dir.path("hosts/ns2.ini")));
}

void RecordStoreTest::refusedNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("problem");
    QTest::newRow("plain") << "example.com" << "";
    QTest::newRow("spaces and dots") << " a..b " << "";
    QTest::newRow("latin-1") << QString::fromLatin1("m\xfcller.de") << "";
    QTest::newRow("251 bytes") << QString(251, QLatin1Char('x')) << "";
    QTest::newRow("125 two-byte characters") << QString(125, QChar(0xe9)) << "";
    QTest::newRow("slash") << "a/b" << "The name \"a/b\" cannot be used: it contains \"/\".";
    QTest::newRow("backslash") << "a\\b" << "The name \"a\\b\" cannot be used: it contains \"\\\".";
    QTest::newRow("parent") << ".." << "The name \"..\" cannot be used: it names a folder.";
    QTest::newRow("dot") << "." << "The name \".\" cannot be used: it names a folder.";
    QTest::newRow("empty") << "" << "The name \"\" cannot be used: it is empty.";
    QTest::newRow("nul") << QString("a") + QChar(0) + "b" << "The name \"a\\0b\" cannot be used: it contains a NUL character.";
    QTest::newRow("line break") << "a\r\nb" << "The name \"a\r\nb\" cannot be used: it contains a line break.";
    QTest::newRow("C1 control") << QString(QChar(0x85))
                                << QString("The name \"%1\" cannot be used: it contains a control character.").arg(QChar(0x85));
    QTest::newRow("252 bytes") << QString(252, QLatin1Char('x'))
                               << "The name \"" + QString(252, QLatin1Char('x')) +
                                      "\" cannot be used: it is too long for a file name.";
    QTest::newRow("126 two-byte characters")
        << QString(126, QChar(0xe9))
        << "The name \"" + QString(126, QChar(0xe9)) + "\" cannot be used: it is too long for a file name.";
    QTest::newRow("not latin-1") << QString("a") + QChar(0x20ac)
                                 << QString("The name \"a") + QChar(0x20ac) + "\" cannot be used: it contains \"" +
                                        QChar(0x20ac) + "\", which the name lists cannot hold.";
}

void RecordStoreTest::refusedNames()
{
    QFETCH(QString, name);
    QFETCH(QString, problem);
    QCOMPARE(RecordStore::recordNameProblem(name), problem);

    TestDir dir;
    MapFields f;
    addRadioGroups(f);
    f.texts["DomainNameEdit"] = name;
    RecordStore store(f, dir.path(kSettings));
    if (problem.isEmpty()) {
        store.saveRecord(RecordKind::Domain);
        QVERIFY(QFile::exists(dir.path("domains/" + name + ".ini")));
        store.updateNameList(RecordKind::Domain);
        QCOMPARE(f.lists.value("DomainNameEdit"), QStringList{name});
    } else {
        QVERIFY_THROWS_EXCEPTION(EIniFileError, store.saveRecord(RecordKind::Domain));
        store.updateNameList(RecordKind::Domain);
        QVERIFY(f.lists.value("DomainNameEdit").isEmpty());
        QCOMPARE(QDir(dir.path("domains")).entryList(QDir::Files), QStringList{});
    }
}

void RecordStoreTest::refusedNameNeverReadsOutside()
{
    TestDir dir;
    writeBytes(dir.path("outside.ini"), "[DomainReg]\r\nAOrgEdit=not a record\r\n");
    QVERIFY(QDir(dir.path()).mkdir("domains"));
    writeBytes(dir.path("domains/..ini"), "[DomainReg]\r\nAOrgEdit=dot dot\r\n");
    MapFields f;
    f.texts["AOrgEdit"] = "mine";
    RecordStore store(f, dir.path(kSettings));
    for (const QString &name : QStringList{"../outside", "..\\outside", "."}) {
        f.texts["DomainNameEdit"] = name;
        store.loadRecord(RecordKind::Domain);
    }
    QCOMPARE(f.texts.value("AOrgEdit"), QStringLiteral("mine"));
    QVERIFY(f.setTextLog.isEmpty());

    // A Delete with such a name removes nothing outside the folder.
    addRadioGroups(f);
    f.check("DeleteDomainRadio");
    f.texts["DomainNameEdit"] = "../outside";
    store.updateNameList(RecordKind::Domain);
    QVERIFY(QFile::exists(dir.path("outside.ini")));
}

void RecordStoreTest::storedValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("raw"); // the line as written; empty: not checked

    QTest::newRow("single line") << "plain text" << QByteArray("PurposeEdit=plain text");
    QTest::newRow("escapes look-alike") << "C:\\new\\red \\r\\n" << QByteArray("PurposeEdit=C:\\new\\red \\r\\n");
    QTest::newRow("end look-alike") << "x\\E" << QByteArray("PurposeEdit=x\\E");
    QTest::newRow("two lines") << "first line\r\nsecond line" << QByteArray();
    QTest::newRow("trailing break") << "one\r\n" << QByteArray();
    QTest::newRow("empty lines") << "\r\n\r\n" << QByteArray();
    QTest::newRow("blanks kept") << "  lead\r\ntrail  " << QByteArray();
    QTest::newRow("quotes kept") << "\"a\r\nb\"" << QByteArray();
    QTest::newRow("backslashes") << "a\\\r\n\\nb\\" << QByteArray();
    QTest::newRow("lone LF and CR") << "a\nb\rc" << QByteArray();
    QTest::newRow("marker alone") << "\\ML\\" << QByteArray();
    QTest::newRow("marker inside") << "see \\ML\\ here" << QByteArray();
    QTest::newRow("marker and blanks") << "  \\ML\\x  " << QByteArray();
    QTest::newRow("quoted marker") << "\"\\ML\\x\"" << QByteArray();
    QTest::newRow("marker with end") << "\\ML\\a\\E" << QByteArray();
    // As long as a value reads back; escapes make the stored form longer.
    const QString line = QString(254, QLatin1Char('a')) + QLatin1Char('\\');
    const QString fourLines = line + "\r\n" + line + "\r\n" + line + "\r\n" + line.left(1023 - 3 * 257);
    QTest::newRow("1023 characters in four lines") << fourLines << QByteArray();
    QTest::newRow("1023 characters in one line") << QString(1023, QLatin1Char('w')) << QByteArray();
}

void RecordStoreTest::storedValues()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, raw);
    TestDir dir;
    MapFields f;
    addRadioGroups(f);
    f.texts["DomainNameEdit"] = "p.com";
    f.texts["PurposeEdit"] = text;
    RecordStore store(f, dir.path(kSettings));
    store.saveRecord(RecordKind::Domain);
    store.saveDefaults(RecordKind::Domain);
    const QByteArray file = readBytes(dir.path("domains/p.com.ini"));
    QCOMPARE(file.count("\r\n"), 54); // still one line per key
    if (!raw.isEmpty())
        QVERIFY(file.contains("\r\n" + raw + "\r\n"));

    MapFields back;
    back.texts["DomainNameEdit"] = "p.com";
    RecordStore(back, dir.path(kSettings)).loadRecord(RecordKind::Domain);
    QCOMPARE(back.texts.value("PurposeEdit"), text);
    MapFields defaults;
    RecordStore(defaults, dir.path(kSettings)).loadDefaultsAndLists();
    QCOMPARE(defaults.texts.value("PurposeEdit"), text);
}

void RecordStoreTest::writeIntoNonWritablePlace()
{
    TestDir dir;
    // A file where the record folder should be: the folder cannot be made.
    writeBytes(dir.path("domains"), "not a folder");
    MapFields f;
    addRadioGroups(f);
    f.texts["DomainNameEdit"] = "x.com";
    RecordStore store(f, dir.path(kSettings));
    try {
        store.saveRecord(RecordKind::Domain);
        QFAIL("saved into a file");
    } catch (const EIniFileError &e) {
        QCOMPARE(e.Message(), "Unable to write to " + dir.path("domains/x.com.ini"));
    }
    store.loadRecord(RecordKind::Domain); // finds nothing, reports nothing
    QVERIFY(f.setTextLog.isEmpty());

    // Settings beside a missing folder.
    RecordStore lost(f, dir.path("gone/zandolet.ini"));
    try {
        lost.saveDefaults(RecordKind::Host);
        QFAIL("saved defaults into a missing folder");
    } catch (const EIniFileError &e) {
        QCOMPARE(e.Message(), "Unable to write to " + dir.path("gone/zandolet.ini"));
    }

    // A name list that cannot be replaced keeps the platform's text.
    QVERIFY(QDir(dir.path()).mkdir("hosts.cbx"));
    f.texts["HostName"] = "ns1";
    try {
        store.updateNameList(RecordKind::Host);
        QFAIL("wrote a list over a folder");
    } catch (const EInOutError &e) {
        QCOMPARE(e.Message(), QStringLiteral("File access denied"));
    }
    // A full disk while the list is written leaves the old list whole.
    QStringList many;
    for (int i = 0; i < 400; ++i)
        many << QStringLiteral("contact %1").arg(i, 4, 10, QLatin1Char('0'));
    writeBytes(dir.path("Contacts.cbx"), "old\r\n");
    f.texts["Contactname"] = "new";
    f.lists["Contactname"] = many;
    {
        FileSizeLimit limit(1024);
        try {
            store.updateNameList(RecordKind::Contact);
            QFAIL("a cut-short list was reported as written");
        } catch (const EInOutError &e) {
            QCOMPARE(e.Message(), QStringLiteral("Disk full")); // EFBIG, shown like a full disk
        }
    }
    QCOMPARE(readBytes(dir.path("Contacts.cbx")), QByteArray("old\r\n"));
}

// What closing the window asks about: the fields against what a load of the
// stored record would give them.
void RecordStoreTest::unstoredChanges_data()
{
    QTest::addColumn<bool>("stored"); // saved first with `before`
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("differs");
    QTest::newRow("stored, blanks around a value") << true << "OOrgNameEdit" << " Ex Inc " << " Ex Inc " << "New" << false;
    QTest::newRow("stored, two-line purpose") << true << "PurposeEdit" << "one\r\ntwo " << "one\r\ntwo " << "New" << false;
    QTest::newRow("stored, changed") << true << "OOrgNameEdit" << "Ex Inc" << "Ex Ltd" << "Modify" << true;
    QTest::newRow("stored scheme, opened") << true << "AuthScheme" << "crypt-pw" << "CRYPT-PW" << "New" << false;
    QTest::newRow("stored scheme, changed") << true << "AuthScheme" << "crypt-pw" << "PGP" << "New" << true;
    QTest::newRow("stored, marked for deletion") << true << "OOrgNameEdit" << "Ex Inc" << "Ex Ltd" << "Delete" << false;
    QTest::newRow("nothing stored, nothing typed") << false << "OOrgNameEdit" << "" << "" << "New" << false;
    QTest::newRow("nothing stored, typed") << false << "OOrgNameEdit" << "" << "Ex Inc" << "New" << true;
}

void RecordStoreTest::unstoredChanges()
{
    QFETCH(bool, stored);
    QFETCH(QString, field);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, action);
    QFETCH(bool, differs);
    TestDir dir;
    MapFields f;
    addRadioGroups(f);
    f.texts["DomainNameEdit"] = "ex.com";
    f.texts[field] = before;
    RecordStore store(f, dir.path(kSettings));
    if (stored)
        store.saveRecord(RecordKind::Domain);
    f.texts[field] = after;
    f.check(action + "DomainRadio");
    QCOMPARE(UnstoredChanges::differs(f, RecordKind::Domain), differs);
    QCOMPARE(UnstoredChanges::kinds(f), differs ? QList<RecordKind>{RecordKind::Domain} : QList<RecordKind>{});
}

void RecordStoreTest::changedOutside_data()
{
    QTest::addColumn<QByteArray>("before");  // the file when loaded; empty: none
    QTest::addColumn<QByteArray>("outside"); // what another program writes then; empty: nothing
    QTest::addColumn<int>("choice");         // RecordFileGuard::Choice answered, if asked
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QString>("stored");     // HostIPAddress in the file afterwards
    QTest::addColumn<QString>("field");      // and in the fields
    const QByteArray own = "[HostReg]\r\nHostIPAddress=192.0.2.1\r\n", import = "[HostReg]\r\nHostIPAddress=192.0.2.12\r\n";
    const int reload = int(RecordFileGuard::Choice::Reload), overwrite = int(RecordFileGuard::Choice::Overwrite),
              cancel = int(RecordFileGuard::Choice::Cancel);
    QTest::newRow("unchanged") << own << QByteArray() << cancel << false << "192.0.2.99" << "192.0.2.99";
    QTest::newRow("changed, reload") << own << import << reload << true << "192.0.2.12" << "192.0.2.12";
    QTest::newRow("changed, overwrite") << own << import << overwrite << true << "192.0.2.99" << "192.0.2.99";
    QTest::newRow("changed, cancel") << own << import << cancel << true << "192.0.2.12" << "192.0.2.99";
    QTest::newRow("made outside") << QByteArray() << import << cancel << true << "192.0.2.12" << "192.0.2.99";
}

// A record file another program changed after it was loaded is written only
// when the user says so; Reload brings the change into the fields.
void RecordStoreTest::changedOutside()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, outside);
    QFETCH(int, choice);
    QFETCH(bool, asked);
    QFETCH(QString, stored);
    QFETCH(QString, field);
    TestDir dir;
    const QString path = dir.path("hosts/ns2.example.net.ini");
    if (!before.isEmpty())
        writeBytes(path, before);
    MapFields fields;
    int questions = 0;
    RecordFileGuard guard([&](const QString &changed) {
        ++questions;
        if (QFileInfo(changed) != QFileInfo(path))
            QTest::qFail("asked about another file", __FILE__, __LINE__);
        return RecordFileGuard::Choice(choice);
    });
    RecordStore store(fields, QString());
    store.setFileGuard(&guard);
    fields.texts["HostName"] = "ns2.example.net";
    store.loadRecord(RecordKind::Host);
    fields.texts["HostIPAddress"] = "192.0.2.99";
    if (!outside.isEmpty())
        writeBytes(path, outside);
    const RenderResult result = renderRecord(RecordKind::Host, fields, store, QDateTime::currentDateTime());
    QCOMPARE(questions, asked ? 1 : 0);
    QCOMPARE(result.written, stored == "192.0.2.99");
    QCOMPARE(IniDocument::load(path).value("HostReg", "HostIPAddress"), stored);
    QCOMPARE(fields.texts.value("HostIPAddress"), field);
    QCOMPARE(QFileInfo::exists(dir.path("hosts/ns2.example.net.txt")), result.written);
}

QTEST_GUILESS_MAIN(RecordStoreTest)
#include "tst_recordstore.moc"
