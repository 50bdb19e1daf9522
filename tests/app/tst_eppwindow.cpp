// The review pages' Send to Registry and Registry view against the scripted
// registry: what goes out, what the status line says, what becomes of the
// record's files, fields and name list.
#include "EppRegistry.h"
#include "FormHarness.h"
#include "EppSetupPage.h"
#include "RecordStore.h"

#include <QAction>
#include <QJsonDocument>
#include <QLabel>
#include <QRegularExpression>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

namespace {
using Fields = QList<QPair<QString, QString>>;

const QByteArray kStore = R"({"domains": {"example.com": {"ns": ["ns1.example.com", "ns2.example.net"], "hostAttr": [],
  "registrant": "REG1", "contacts": [["admin", "ADM1"], ["tech", "ADM1"]], "pw": "old-pw"}},
 "hosts": {"ns1.example.com": {"addrs": ["192.0.2.1"]}, "ns2.example.net": {"addrs": []}, "ns3.example.net": {"addrs": []}},
 "contacts": {"REG1": {"postal": {"type": "int", "name": "Example Inc.", "street": [], "city": "Springfield", "cc": "US"},
                       "email": "reg@example.com", "pw": "c-pw"},
              "ADM1": {"postal": {"type": "int", "name": "Ann Admin", "street": [], "city": "Springfield", "cc": "US"},
                       "email": "ann@example.com", "pw": "c-pw"}}, "messages": []})";
const Fields kNew{{"AuthInfoEdit", "s3cret-Auth"}, {"OOrgNameEdit", "Example Org"}, {"OCityEdit", "Springfield"},
                  {"OCountryEdit", "US"}, {"ANameEdit", "Ann Other"}, {"ACityEdit", "Springfield"},
                  {"ACountryEdit", "US"}, {"APhoneEdit", "+1 703 555 0100"}, {"AMailEdit", "ann@example.org"},
                  {"THandleEdit", "ADM1"}, {"PriNSEdit", "ns1.example.org"}, {"PriNSIPEdit", "192.0.2.1"},
                  {"SecNSEdit", "ns2.example.net"}};
const Fields kModify{{"AuthInfoEdit", "old-pw"}, {"AHandleEdit", "ADM1"}, {"THandleEdit", "ADM1"},
                     {"PriNSEdit", "ns1.example.com"}, {"SecNSEdit", "ns3.example.net"}};
} // namespace

class TestEppWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<EppRegistry> m_registry;
    std::unique_ptr<WorkFolder> m_work;
    ScriptedPrompter m_prompter;
    std::unique_ptr<TForm1> m_form;

    void open(const QString &mode = {})
    {
        m_registry = std::make_unique<EppRegistry>(mode, QJsonDocument::fromJson(kStore).object());
        QVERIFY2(m_registry->Start(), qPrintable(m_registry->ErrorText()));
        m_work = std::make_unique<WorkFolder>();
        writeBytes(m_work->filePath("z.ini"), "[Setup]\r\nEPP Server=" + m_registry->Server().toLatin1() +
                                                   "\r\nEPP Client ID=zandolet\r\nEPP Password=secret-pw\r\nEPP CA File=" +
                                                   m_registry->AuthorityFile().toLocal8Bit() + "\r\n");
        m_prompter = ScriptedPrompter();
        m_prompter.cautionAnswers = {true}; // the offline check's question: send anyway
        m_form = makeForm(m_work->filePath("z.ini"), m_prompter);
    }
    // Names the domain, fills `fields` and presses Send to Registry.
    void send(const QString &name, const char *radio, const Fields &fields)
    {
        QTest::keyClicks(m_form->control<QComboBox>("DomainNameEdit")->lineEdit(), name);
        m_form->control<QRadioButton>(QLatin1String(radio))->setChecked(true);
        for (const auto &[field, text] : fields)
            m_form->setText(field, text);
        m_form->control<QPushButton>("DomainSendToRegistry")->click();
    }
    QString status() const { return m_form->control<QLineEdit>("status")->text(); }
    QStringList changes()
    {
        QStringList seen;
        for (const QString &line : m_registry->Log())
            if (line.startsWith("create") || line.startsWith("update") || line.startsWith("delete"))
                seen << (line.contains(" contact ") ? line.section(' ', 0, 1) : line.section(' ', 0, 2)); // contact ids are made up
        return seen;
    }

private slots:
    void cleanup() { m_form.reset(), m_registry.reset(), m_work.reset(); }

    // A New domain with a name server inside it and an admin block without a
    // handle: host, contacts, then the domain; the new handle fills the field,
    // is stored, and Undo takes it back.
    void newDomain()
    {
        open();
        QVERIFY(m_form->control<QPushButton>("DomainSendToRegistry")->isEnabled());
        send("example.org", "NewDomainRadio", kNew);
        QTRY_VERIFY2(status().startsWith("Registry created example.org (svTRID "), qPrintable(status()));
        QCOMPARE(changes(), (QStringList{"create host ns1.example.org", "create contact", "create contact",
                                         "create domain example.org"}));
        const QString handle = m_form->text("AHandleEdit");
        QVERIFY(!handle.isEmpty() && handle.size() <= 16);
        const QByteArray stored = readBytes(RecordStore::recordFilePath(RecordKind::Domain, "example.org"));
        QVERIFY(stored.contains("=" + handle.toLatin1() + "\r\n") && stored.contains("RegistrantHandle="));
        QVERIFY(readBytes("domains.cbx").contains("example.org"));
        QVERIFY(m_form->control<QPushButton>("BitBtn1")->isEnabled() && !m_form->control<QPushButton>("DomainCancelSend")->isEnabled());
        m_form->Undo1Click();
        QCOMPARE(m_form->text("AHandleEdit"), QString());
        QVERIFY(readBytes(m_work->filePath("domains/example.org.epp.log")).contains("<pw>********</pw>"));
        QCOMPARE(m_prompter.errors, QStringList());
    }

    // A New contact without a handle: the id the send made up is its Nic Handle, stored; the list gains it.
    void newContact()
    {
        open();
        QTest::keyClicks(m_form->control<QComboBox>("Contactname")->lineEdit(), "Jane Doe");
        for (const auto &[field, text] : Fields{{"ContactCity", "Springfield"}, {"ContactCountry", "US"},
                                               {"ContactMail", "jane@example.com"}, {"ContactAuthorizationInfo", "c-pw"},
                                               {"ContactPhone", "+1 703 555 0199"}})
            m_form->setText(field, text);
        m_form->control<QPushButton>("ContactSendToRegistry")->click();
        auto *line = m_form->control<QLineEdit>("Cstatus");
        QTRY_VERIFY2(line->text().startsWith("Registry created "), qPrintable(line->text()));
        const QString id = m_form->text("ContactNicHandle");
        QVERIFY(line->text().contains(id) && !id.isEmpty());
        QVERIFY(readBytes(RecordStore::recordFilePath(RecordKind::Contact, "Jane Doe")).contains("=" + id.toLatin1()));
        QVERIFY(readBytes("Contacts.cbx").contains("Jane Doe"));
        QVERIFY(line->toolTip().contains("Transcript: ") && line->toolTip().contains(".epp.log"));
    }

    // A Modify after one name server changed: one update with one add and one rem.
    void modifyDomain()
    {
        open();
        writeBytes("domains/example.com.ini", "[DomainReg]\r\nRegistrantHandle=REG1\r\n");
        send("example.com", "ModifyDomainRadio", kModify);
        QTRY_VERIFY2(status().startsWith("Registry updated example.com"), qPrintable(status()));
        QCOMPARE(m_registry->Log().filter(QRegularExpression("^(create|update|delete) ")),
                 QStringList{"update domain example.com -ns2.example.net +ns3.example.net"});
    }

    // The registry's view (Ctrl+I) in the memo, then what a Modify of the pages would change; nothing is sent.
    void registryView()
    {
        open();
        writeBytes("domains/example.com.ini", "[DomainReg]\r\nRegistrantHandle=REG1\r\n");
        QTest::keyClicks(m_form->control<QComboBox>("DomainNameEdit")->lineEdit(), "example.com");
        for (const auto &[field, text] : kModify)
            m_form->setText(field, text);
        auto *view = m_form->findChild<QAction *>("Memo1Registry");
        QCOMPARE(view->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_I));
        view->trigger();
        QTRY_VERIFY2(status().startsWith("Registry's view of example.com"), qPrintable(status()));
        const QString memo = memoLines(*m_form, RecordKind::Domain).join('\n');
        QVERIFY2(memo.contains("ns1.example.com") && memo.contains("adding ns3.example.net") &&
                     memo.contains("removing ns2.example.net"), qPrintable(memo));
        QCOMPARE(changes(), QStringList());
    }

    // Setup's Test: the greeting's server id and objects, or why there was none; the dialog keeps working.
    void setupTest()
    {
        open();
        QString said, wrong;
        runSetup(*m_form, [&](TSetupDlg *d) {
            d->Epp->EppTestButton->click();
            QTRY_VERIFY(d->Epp->EppTestResult->text().contains("answers"));
            said = d->Epp->EppTestResult->text();
            d->Epp->EppPasswordEdit->setText("wrong");
            d->Epp->EppTestButton->click();
            QTRY_VERIFY(d->Epp->EppTestResult->text().startsWith("Refused"));
            wrong = d->Epp->EppTestResult->text();
        }, QDialog::Rejected);
        QVERIFY2(said.contains("domain-1.0, host-1.0, contact-1.0"), qPrintable(said));
        QVERIFY2(wrong.contains("2200"), qPrintable(wrong));
    }

    // Refused (the domain exists): the registry's words in a box and on the line, nothing removed.
    void refusal()
    {
        open();
        writeBytes("domains.cbx", "example.com\r\n");
        Fields taken = kNew;
        taken[10].second = "ns1.example.com";
        send("example.com", "NewDomainRadio", taken);
        QTRY_COMPARE(m_prompter.errors.size(), 1);
        QVERIFY2(m_prompter.errors.first().contains("2302 Object exists"), qPrintable(m_prompter.errors.first()));
        QVERIFY2(status().startsWith("Refused by the registry"), qPrintable(status()));
        QVERIFY(QFile::exists(RecordStore::recordFilePath(RecordKind::Domain, "example.com")));
        QCOMPARE(readBytes("domains.cbx"), QByteArray("example.com\r\n"));
    }

    // Stop (and Escape) end a send that waits on a silent registry at once.
    void stop_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Stop") << false;
        QTest::newRow("Escape") << true;
    }
    void stop()
    {
        QFETCH(bool, escape);
        open("silence");
        m_form->show();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        send("example.org", "NewDomainRadio", kNew);
        auto *stopButton = m_form->control<QPushButton>("DomainCancelSend");
        QTRY_VERIFY(stopButton->isEnabled());
        QVERIFY(!m_form->control<QPushButton>("BitBtn1")->isEnabled());
        if (escape)
            QTest::keyClick(m_form.get(), Qt::Key_Escape);
        else
            stopButton->click();
        QCOMPARE(status(), QStringLiteral("Operation has been canceled"));
        QVERIFY(!stopButton->isEnabled() && m_form->control<QPushButton>("DomainSendToRegistry")->isEnabled());
        QVERIFY(!QFile::exists("domains.cbx"));
    }
};

QTEST_MAIN(TestEppWindow)
#include "tst_eppwindow.moc"
