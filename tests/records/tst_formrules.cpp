// Copy and clear buttons, Clear All, the scheme and authentication rules and
// the action radios' rules, over a map of fields.
#include "FieldCatalogue.h"
#include "FormRules.h"
#include "IPrompter.h"
#include "MapFields.h"

#include <QtTest>
#include <algorithm>

namespace {

class ScriptedPrompter : public IPrompter {
public:
    QList<bool> answers;
    QStringList asked;
    void information(const QString &t) override { asked << "info:" + t; }
    bool confirm(const QString &t) override
    {
        asked << t;
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    Answer askYesNoCancel(const QString &t, Answer) override
    {
        asked << t;
        return Answer::No;
    }
    void error(const QString &t) override { asked << "error:" + t; }
    void warning(const QString &t) override { asked << "warning:" + t; }
    bool confirmDefaultNo(const QString &t) override
    {
        asked << "default no:" + t;
        return false;
    }
    void beep() override { asked << "beep"; }
    bool choosePrinter(QPrinter *) override { return false; }
};

// Every field of the domain blocks holds its own name.
void fillBlocks(MapFields &f)
{
    for (const char *b : {"O", "A", "T", "B", "NS"})
        for (const QString &n : blockFields(QLatin1String(b)))
            f.texts[n] = n;
}

// The window's behaviour: checking a radio runs its rule.
void wireClicks(MapFields &f, IPrompter &p)
{
    f.groups << QStringList{"NewDomainRadio", "ModifyDomainRadio", "DeleteDomainRadio"}
             << QStringList{"NewHostRadio", "ModifyHostRadio", "DeleteHostRadio"}
             << QStringList{"NewContactRadio", "ModifyContactRadio", "DeleteContactRadio"};
    f.onCheck = [&f, &p](const QString &r) { actionClicked(f, p, r); };
}

const QStringList kAddr{"OrgEdit", "AddrEdit", "CityEdit", "StateEdit", "ZipEdit", "CountryEdit"};
const QStringList kOrg{"OOrgNameEdit", "OAddrEdit", "OCityEdit", "OStateEdit", "OZipEdit", "OCountryEdit"};

// "target=source" for each of the org block's fields and a block's address part.
QStringList orgTo(const QString &block)
{
    QStringList out;
    for (int i = 0; i < 6; ++i)
        out << block + kAddr[i] + "=" + kOrg[i];
    return out;
}
QStringList toOrg(const QString &block)
{
    QStringList out;
    for (int i = 0; i < 6; ++i)
        out << kOrg[i] + "=" + block + kAddr[i];
    return out;
}
QStringList twelve(const QString &from, const QString &to)
{
    QStringList out;
    for (const QString &stem : contactBlockStems())
        out << to + stem + "=" + from + stem;
    return out;
}
QStringList cleared(const QString &block)
{
    QStringList out;
    for (const QString &n : blockFields(block))
        out << n + "=";
    return out;
}

} // namespace

class FormRulesTest : public QObject {
    Q_OBJECT

private slots:
    void buttonTable();
    void copyButton_data();
    void copyButton();
    void copyFromEmptyBlockClears();
    void clearAllOrder_data();
    void clearAllOrder();
    void schemeRule_data();
    void schemeRule();
    void schemeRuleKeepsInfoText();
    void authenticationLabel_data();
    void authenticationLabel();
    void hostActions();
    void contactActions();
    void domainDeleteNo();
};

void FormRulesTest::buttonTable()
{
    const auto &b = copyButtons();
    QCOMPARE(b.size(), size_t(33));
    QStringList names, cancel;
    for (const CopyButtonDef &s : b) {
        names << s.name;
        if (s.isCancel)
            cancel << s.name;
        QVERIFY(s.isCancel == (s.caption == "Clear"));
    }
    QCOMPARE(names.mid(0, 8), (QStringList{"O1", "O2", "O3", "O4", "O5", "O6", "O7", "O8"}));
    QCOMPARE(names.mid(24), (QStringList{"B1", "B2", "B3", "B4", "B5", "B6", "BitBtn32", "BitBtn33", "BitBtn3"}));
    QCOMPARE(cancel, (QStringList{"O8", "A8", "T8", "BitBtn33", "BitBtn3"}));
    QCOMPARE(cancelButtonNames(),
             (QStringList{"O8", "A8", "T8", "BitBtn33", "BitBtn3", "HostCancel", "ContactClear"}));
    const auto def = [&](const QString &name) {
        return *std::find_if(b.begin(), b.end(), [&](const CopyButtonDef &s) { return s.name == name; });
    };
    QCOMPARE(def("BitBtn32").caption, QStringLiteral("Copy From Tech"));
    QCOMPARE(def("BitBtn32").page, QStringLiteral("Billing"));
    QCOMPARE(def("T6").caption, QStringLiteral("Copy From Admin"));
    QCOMPARE(def("BitBtn3").page, QStringLiteral("Name Servers"));
    QVERIFY(!names.contains("BitBtn2"));
}

void FormRulesTest::copyButton_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("changes"); // "target=source field" or "target=" for cleared

    QTest::newRow("O1 org to admin") << "O1" << orgTo("A");
    QTest::newRow("O3 org to billing") << "O3" << orgTo("B");
    QTest::newRow("O4 org to all") << "O4" << orgTo("A") + orgTo("T") + orgTo("B");
    QTest::newRow("O6 from tech") << "O6" << toOrg("T");
    QTest::newRow("A1 admin to org") << "A1" << toOrg("A");
    QTest::newRow("A2 admin to tech") << "A2" << twelve("A", "T");
    QTest::newRow("A5 from org") << "A5" << orgTo("A");
    QTest::newRow("A7 from billing") << "A7" << twelve("B", "A");
    QTest::newRow("T6 from admin") << "T6" << twelve("A", "T");
    QTest::newRow("B6 from admin") << "B6" << twelve("A", "B");
    QTest::newRow("BitBtn32 from tech") << "BitBtn32" << twelve("T", "B");
    QTest::newRow("O8 clear") << "O8" << cleared("O");
    QTest::newRow("T8 clear") << "T8" << cleared("T");
    QTest::newRow("BitBtn33 clear") << "BitBtn33" << cleared("B");
    QTest::newRow("BitBtn3 clear") << "BitBtn3" << cleared("NS");
    QTest::newRow("unknown") << "BitBtn99" << QStringList{};
}

void FormRulesTest::copyButton()
{
    QFETCH(QString, button);
    QFETCH(QStringList, changes);
    MapFields f;
    fillBlocks(f);
    const auto before = f.texts;
    runCopyButton(f, button);

    auto expected = before;
    for (const QString &c : changes) {
        const QString target = c.section('=', 0, 0), source = c.section('=', 1);
        expected[target] = source.isEmpty() ? QString() : before.value(source);
    }
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(f.texts.value(it.key()), it.value());
}

void FormRulesTest::copyFromEmptyBlockClears()
{
    MapFields f;
    fillBlocks(f);
    for (const QString &n : blockFields("T"))
        f.texts[n] = QString();
    runCopyButton(f, "B7" /* none */);
    runCopyButton(f, "T4"); // to org, admin and billing
    for (const QString &n : kOrg)
        QCOMPARE(f.texts.value(n), QString());
    for (const QString &n : blockFields("A") + blockFields("B"))
        QCOMPARE(f.texts.value(n), QString());
    QCOMPARE(f.texts.value("PriNSEdit"), QStringLiteral("PriNSEdit"));
}

void FormRulesTest::clearAllOrder_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("order");
    QStringList domain;
    for (const char *b : {"O", "A", "T", "B", "NS"})
        domain << blockFields(QLatin1String(b));
    domain << "PurposeEdit" << "AuthInfoEdit" << "AuthScheme" << "DomainNameEdit";
    QTest::newRow("domain") << int(RecordKind::Domain) << domain;
    QTest::newRow("host") << int(RecordKind::Host)
                          << QStringList{"HostName",  "HostNicHandle", "HostAuthScheme", "HostAuthInfo",
                                         "HostIPAddress", "HCNicHandle", "HCRole", "HCName", "HCOrg", "HCAddr",
                                         "HCCity", "HCState", "HCZip", "HCCountry", "HCPhone", "HCFax", "HCMail"};
    QTest::newRow("contact") << int(RecordKind::Contact)
                             << QStringList{"Contactname", "ContactAuthorizationType", "ContactAuthorizationInfo",
                                            "ContactNotifyUpdates", "ContactNotifyUse", "ContactAuthenticationType",
                                            "ContactAuthenticationInfo", "ContactNicHandle", "ContactRole",
                                            "ContactOrgName", "ContactAddr", "ContactCity", "ContactState",
                                            "ContactZip", "ContactCountry", "ContactPhone", "ContactFax",
                                            "ContactMail"};
}

void FormRulesTest::clearAllOrder()
{
    QFETCH(int, kind);
    QFETCH(QStringList, order);
    MapFields f;
    for (const QString &n : order)
        f.texts[n] = "x";
    f.checked << "DeleteContactRadio" << "PublicYesRadio";
    f.disabled << "ContactAuthorizationType";
    f.captions["Label52"] = "Password";
    f.lists["Contactname"] = QStringList{"a"};
    clearAll(f, RecordKind(kind));
    QCOMPARE(f.setTextLog, order);
    for (const QString &n : order)
        QCOMPARE(f.texts.value(n), QString());
    QCOMPARE(f.checked, (QSet<QString>{"DeleteContactRadio", "PublicYesRadio"}));
    QVERIFY(!f.isEnabled("ContactAuthorizationType"));
    QCOMPARE(f.captions.value("Label52"), QStringLiteral("Password"));
    QCOMPARE(f.lists.value("Contactname"), QStringList{"a"});
    QCOMPARE(clearAllButtons()[size_t(kind)].name,
             QStringList({"BitBtn2", "HostCancel", "ContactClear"})[kind]);
    QCOMPARE(clearAllButtons()[size_t(kind)].isCancel, kind != int(RecordKind::Domain));
}

void FormRulesTest::schemeRule_data()
{
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QString>("info");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("startEnabled");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("enabled");

    const struct {
        const char *scheme, *info, *label;
    } fields[] = {{"AuthScheme", "AuthInfoEdit", "Label52"},
                  {"HostAuthScheme", "HostAuthInfo", "Label61"},
                  {"ContactAuthorizationType", "ContactAuthorizationInfo", "Label86"}};
    for (const auto &s : fields) {
        auto row = [&](const char *what, const QString &text, bool startEnabled, const QString &caption,
                       bool enabled) {
            QTest::addRow("%s %s", s.scheme, what)
                << QString(s.scheme) << QString(s.info) << QString(s.label) << text << startEnabled << caption
                << enabled;
        };
        row("crypt", "CRYPT-PW", false, "Password", true);
        row("mail", "MAIL-FROM", true, "n/a", false);
        row("pgp", "PGP", true, "n/a", false);
        row("lower case", "crypt-pw", false, "Authorization Info", false);
        row("partly typed", "CRYPT-P", false, "Authorization Info", false);
        row("other after crypt", "CRYPT-PWX", true, "Password", true);
        row("blank", " PGP", true, "Password", true);
        row("empty", "", true, "Password", true);
    }
}

void FormRulesTest::schemeRule()
{
    QFETCH(QString, scheme);
    QFETCH(QString, info);
    QFETCH(QString, label);
    QFETCH(QString, text);
    QFETCH(bool, startEnabled);
    QFETCH(QString, caption);
    QFETCH(bool, enabled);
    MapFields f;
    f.texts[scheme] = text;
    f.setEnabled(info, startEnabled);
    f.captions[label] = startEnabled ? "Password" : "Authorization Info";
    schemeChanged(f, scheme);
    QCOMPARE(f.captions.value(label), caption);
    QCOMPARE(f.isEnabled(info), enabled);
}

void FormRulesTest::schemeRuleKeepsInfoText()
{
    MapFields f;
    f.texts["AuthScheme"] = "MAIL-FROM";
    f.texts["AuthInfoEdit"] = "secret";
    schemeChanged(f, "AuthScheme");
    QVERIFY(!f.isEnabled("AuthInfoEdit"));
    QCOMPARE(f.texts.value("AuthInfoEdit"), QStringLiteral("secret"));
    QVERIFY(f.setTextLog.isEmpty());
    // Only its own info field and label change.
    QVERIFY(f.isEnabled("HostAuthInfo") && !f.captions.contains("Label61"));
}

void FormRulesTest::authenticationLabel_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::newRow("crypt") << "CRYPT-PW" << "Encrypted Password";
    QTest::newRow("mail") << "MAIL-FROM" << "E-Mail Address";
    QTest::newRow("pgp") << "PGP" << "Public PGP Key ID";
    QTest::newRow("lower") << "pgp" << "unchanged";
    QTest::newRow("empty") << "" << "unchanged";
}

void FormRulesTest::authenticationLabel()
{
    QFETCH(QString, text);
    QFETCH(QString, caption);
    MapFields f;
    f.texts["ContactAuthenticationType"] = text;
    f.captions["Label103"] = "unchanged";
    f.disabled << "x";
    authenticationChanged(f);
    QCOMPARE(f.captions.value("Label103"), caption);
    QVERIFY(f.isEnabled("ContactAuthenticationInfo"));
}

void FormRulesTest::hostActions()
{
    MapFields f;
    ScriptedPrompter p;
    wireClicks(f, p);
    f.check("ModifyHostRadio");
    QVERIFY(f.isEnabled("HostNicHandle"));
    f.check("NewHostRadio");
    QVERIFY(!f.isEnabled("HostNicHandle"));

    p.answers << true;
    f.check("DeleteHostRadio");
    QVERIFY(f.isEnabled("HostNicHandle"));
    QVERIFY(f.isChecked("DeleteHostRadio"));
    QCOMPARE(p.asked, QStringList{"You just chose to DELETE a host.  Is this what you really want to do?"});

    p.answers << false;
    f.check("DeleteHostRadio");
    QVERIFY(f.isChecked("NewHostRadio") && !f.isChecked("DeleteHostRadio"));
    QVERIFY(!f.isEnabled("HostNicHandle"));
    QCOMPARE(p.asked.size(), 2);
}

void FormRulesTest::contactActions()
{
    const QStringList four{"ContactAuthorizationInfo", "ContactAuthorizationType", "ContactNicHandle", "ContactRole"};
    MapFields f;
    ScriptedPrompter p;
    wireClicks(f, p);

    f.texts["ContactAuthorizationType"] = "PGP";
    f.check("ModifyContactRadio");
    for (const QString &n : four)
        QVERIFY(f.isEnabled(n));
    f.check("NewContactRadio");
    QVERIFY(!f.isEnabled("ContactAuthorizationInfo") && !f.isEnabled("ContactAuthorizationType") &&
            !f.isEnabled("ContactNicHandle"));
    QVERIFY(f.isEnabled("ContactRole"));

    f.texts["ContactAuthorizationType"] = "MAIL-FROM";
    f.check("ModifyContactRadio");
    QVERIFY(!f.isEnabled("ContactAuthorizationInfo"));
    QVERIFY(f.isEnabled("ContactAuthorizationType") && f.isEnabled("ContactNicHandle"));

    p.answers << true; // Yes enables all four, MAIL-FROM or not
    f.check("DeleteContactRadio");
    for (const QString &n : four)
        QVERIFY(f.isEnabled(n));

    p.answers << false;
    f.check("DeleteContactRadio");
    for (const QString &n : four)
        QVERIFY(!f.isEnabled(n));
    QVERIFY(f.isChecked("NewContactRadio"));
    QCOMPARE(p.asked.last(), QStringLiteral("You just chose to DELETE a contact.  Is this what you really want to do?"));
    QVERIFY(f.setTextLog.isEmpty());
}

void FormRulesTest::domainDeleteNo()
{
    MapFields f;
    ScriptedPrompter p;
    wireClicks(f, p);
    p.answers << false;
    f.check("DeleteDomainRadio");
    QVERIFY(f.isChecked("NewDomainRadio") && !f.isChecked("DeleteDomainRadio"));
    QCOMPARE(p.asked, QStringList{"You just chose to DELETE a domain.  Is this what you really want to do?"});
    QVERIFY(f.disabled.isEmpty());
    QVERIFY(actionRuleRadios().contains("DeleteDomainRadio") && !actionRuleRadios().contains("NewDomainRadio"));
}

QTEST_GUILESS_MAIN(FormRulesTest)
#include "tst_formrules.moc"
