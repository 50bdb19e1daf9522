// The record pages driven like a user does: keystrokes in name boxes, rules,
// Escape, Show Form and Print.
#include "CompleteRecords.h"
#include "FieldCatalogue.h"
#include "FormHarness.h"
#include "FormRules.h"
#include "IniFile.h"
#include "Latin1Guard.h"
#include "PdfWords.h"
#include "RecordKeys.h"
#include "RegistrationCheck.h"
#include "StoredValue.h"
#include "TemplateLabel.h"
#include "TemplateRenderer.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolTip>


class TestRecordPages : public QObject {
    Q_OBJECT
    std::unique_ptr<WorkFolder> m_dir;
    ScriptedPrompter m_prompter;
    std::unique_ptr<TForm1> m_form;

    void showPage(int outer, int inner)
    {
        auto *pages = m_form->findChild<QTabWidget *>("PageControl1");
        pages->setCurrentIndex(outer);
        qobject_cast<QTabWidget *>(pages->currentWidget())->setCurrentIndex(inner);
    }
    QLineEdit *nameEdit(const char *field) { return m_form->control<QComboBox>(field)->lineEdit(); }
    // Every record field's text and picked entry.
    QStringList values() const
    {
        QStringList v;
        for (const FieldDef &f : fieldCatalogue())
            if (f.type != ControlType::Radio)
                v << f.name + '=' + m_form->text(f.name) + '|' + m_form->selectedEntry(f.name);
        return v;
    }
    void fillRecords()
    {
        for (const char *f : {"OOrgNameEdit", "OCityEdit", "ACityEdit", "ANameEdit", "TMailEdit", "PriNSEdit",
                              "DomainNameEdit", "HostName", "HCName", "Contactname", "ContactMail"})
            m_form->setText(QLatin1String(f), QLatin1String(f) + QStringLiteral(" value"));
        m_form->setText("PurposeEdit", "line one\r\nline two");
        pickEntry(*m_form, "AuthScheme", 1);
        pickEntry(*m_form, "HostAuthScheme", 2);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<WorkFolder>();
        QVERIFY(m_dir->isValid());
        m_prompter = ScriptedPrompter();
        m_form = makeForm(m_dir->filePath("zandolet.ini"), m_prompter);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    void cleanup() { m_form.reset(); }

    void typingANameLoadsEveryRecordOnTheWay()
    {
        writeBytes(m_dir->filePath("domains/ex.ini"), "[DomainReg]\r\nOOrgNameEdit=Ex Org\r\nAHandleEdit=EX1\r\n");
        m_form->setText("TNameEdit", "kept");
        QTest::keyClicks(nameEdit("DomainNameEdit"), "e");
        QCOMPARE(m_form->text("OOrgNameEdit"), QString());
        QTest::keyClicks(nameEdit("DomainNameEdit"), "X");  // "eX" finds "ex.ini"
        QCOMPARE(m_form->text("OOrgNameEdit"), QStringLiteral("Ex Org"));
        QCOMPARE(m_form->text("AHandleEdit"), QStringLiteral("EX1"));
        QCOMPARE(m_form->text("TNameEdit"), QString()); // a key the file lacks loads empty
        m_form->setText("TNameEdit", "typed later");
        QTest::keyClicks(nameEdit("DomainNameEdit"), "ample.com");
        QCOMPARE(m_form->text("OOrgNameEdit"), QStringLiteral("Ex Org"));
        QCOMPARE(m_form->text("TNameEdit"), QStringLiteral("typed later"));
        QVERIFY(m_prompter.log.isEmpty());
    }

    void schemeRuleRunsOnTypingOnly()
    {
        QTest::keyClicks(m_form->control<QComboBox>("AuthScheme")->lineEdit(), "crypt-pw");
        QVERIFY(!m_form->isEnabled("AuthInfoEdit"));
        m_form->setText("AuthScheme", QString());
        QTest::keyClicks(m_form->control<QComboBox>("AuthScheme")->lineEdit(), "CRYPT-P");
        QVERIFY(!m_form->isEnabled("AuthInfoEdit"));
        QTest::keyClicks(m_form->control<QComboBox>("AuthScheme")->lineEdit(), "W");
        QVERIFY(m_form->isEnabled("AuthInfoEdit"));
        QCOMPARE(m_form->caption("Label52"), QStringLiteral("Password"));
        // Setting the text from the program runs no rule.
        m_form->setText("AuthScheme", "PGP");
        QVERIFY(m_form->isEnabled("AuthInfoEdit"));
        pickEntry(*m_form, "AuthScheme", 2);
        QVERIFY(!m_form->isEnabled("AuthInfoEdit"));
        QCOMPARE(m_form->caption("Label52"), QStringLiteral("n/a"));
    }

    // Every way a scheme or notify box gets its text: the box shows what the
    // template prints, the info field follows it, and a text that is no entry
    // is named by the check before mailing.
    void schemeBoxesPrintWhatTheyShow_data()
    {
        for (const char *c : {"path", "box", "value", "shown", "problem"})
            QTest::addColumn<QString>(c);
        const QString noEntry = "Authorization scheme \"CRYPTPW\" is not one of: MAIL-FROM, CRYPT-PW, PGP";
        QTest::newRow("reopened") << "load" << "AuthScheme" << "CRYPT-PW" << "CRYPT-PW" << "";
        QTest::newRow("reopened, lower case") << "load" << "ContactAuthorizationType" << "crypt-pw" << "CRYPT-PW" << "";
        QTest::newRow("reopened, no entry") << "load" << "HostAuthScheme" << "CRYPTPW" << "CRYPTPW" << noEntry;
        QTest::newRow("Return") << "Return" << "AuthScheme" << "crypt-pw" << "CRYPT-PW" << "";
        QTest::newRow("Return, no entry") << "Return" << "AuthScheme" << "CRYPTPW" << "CRYPTPW" << noEntry;
        QTest::newRow("Tab") << "Tab" << "HostAuthScheme" << "crypt-pw" << "CRYPT-PW" << "";
        QTest::newRow("Tab, notify") << "Tab" << "ContactNotifyUpdates" << "not-care" << "NOT-CARE" << "";
        QTest::newRow("Tab, blanks") << "Tab" << "HostAuthScheme" << " crypt-pw " << "CRYPT-PW" << "";
        QTest::newRow("picked") << "pick" << "ContactAuthenticationType" << "PGP" << "PGP" << "";
        QTest::newRow("pasted") << "paste" << "ContactAuthorizationType" << "CRYPT-PW" << "CRYPT-PW" << "";
        QTest::newRow("default") << "default" << "AuthScheme" << "crypt-pw" << "CRYPT-PW" << "";
        QTest::newRow("default, notify") << "default" << "ContactNotifyUse" << "before-use" << "BEFORE-USE" << "";
        QTest::newRow("undone") << "undo" << "HostAuthScheme" << "CRYPT-PW" << "CRYPT-PW" << "";
    }
    void schemeBoxesPrintWhatTheyShow()
    {
        QFETCH(QString, path);
        QFETCH(QString, box);
        QFETCH(QString, value);
        QFETCH(QString, shown);
        QFETCH(QString, problem);
        const RecordKind kind = findField(box)->kind;
        const KindInfo &k = kindInfo(kind);
        if (path == "default") {
            for (const KeyBinding &b : defaultsStartupOrder(kind))
                if (b.field == box)
                    writeBytes(m_dir->filePath("zandolet.ini"),
                               QString("[%1]\r\n%2=%3").arg(k.section, b.key, value).toLatin1());
            m_form = makeForm(m_dir->filePath("zandolet.ini"), m_prompter);
            m_form->show();
        }
        m_form->control<QRadioButton>(k.modifyRadio)->click(); // opens the contact's authorization box
        auto *combo = m_form->control<QComboBox>(box);
        for (QWidget *w = combo; w->parentWidget(); w = w->parentWidget())
            if (auto *tabs = qobject_cast<QTabWidget *>(w->parentWidget()->parentWidget()))
                tabs->setCurrentWidget(w);
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        combo->setFocus();
        if (path == "load") {
            writeBytes(m_dir->filePath(QString("%1/ex.ini").arg(k.folder)),
                       QString("[%1]\r\nContactname=ex\r\n%2=%3").arg(k.section, box, value).toLatin1());
            QTest::keyClicks(nameEdit(k.nameField), "ex");
        } else if (path == "Return" || path == "Tab") {
            QTest::keyClicks(combo->lineEdit(), value);
            QTest::keyClick(combo->lineEdit(), path == "Tab" ? Qt::Key_Tab : Qt::Key_Return);
            QCOMPARE(combo->hasFocus(), path != "Tab");
        } else if (path == "pick" || path == "undo") {
            pickEntry(*m_form, box, int(findField(box)->items.indexOf(value)));
        } else if (path == "paste") {
            QGuiApplication::clipboard()->setText(value);
            QTest::keyClick(combo->lineEdit(), Qt::Key_V, Qt::ControlModifier);
        }
        if (path == "undo") {
            m_form->control<QPushButton>(k.clearAllButton)->click();
            QCOMPARE(combo->currentText(), QString());
            m_form->Undo1Click();
        }
        if (m_form->text(k.nameField).isEmpty())
            m_form->setText(k.nameField, "ex");
        m_form->control<QPushButton>(k.showButton)->click();

        QCOMPARE(combo->currentText(), shown);
        const QStringList memo = memoLines(*m_form, kind);
        for (const FieldDef &f : fieldCatalogue())
            if (f.kind == kind && !f.items.isEmpty()) {
                const QString line = memo.filter(QRegularExpression('^' + f.line + "\\.")).value(0);
                const QString text = m_form->control<QComboBox>(f.name)->currentText();
                QVERIFY2(line.endsWith(": " + (f.items.contains(text) ? text : QString())), qPrintable(line));
            }
        for (const SchemeRuleDef &r : schemeRules())
            if (r.schemeField == box && findField(box)->items.contains(shown))
                QCOMPARE(m_form->isEnabled(r.infoField), shown == "CRYPT-PW");
        QStringList found;
        for (const RegistrationProblem &p : checkRegistration(*m_form, kind))
            if (p.field == box)
                found << p.text;
        QCOMPARE(found, problem.isEmpty() ? QStringList() : QStringList{problem});
        QCOMPARE(m_prompter.errors, QStringList());
    }

    // What a record prints before it is stored is what it prints reopened and
    // what zandolet-cli renders from the stored file, however the value came
    // in; and a record file written by version 1.5 is stored again unchanged.
    void printedIsStored_data()
    {
        for (const char *c : {"path", "field", "value", "printed"})
            QTest::addColumn<QString>(c);
        const QString nb(QChar(0xA0)), over(1100, 'w');
        const QStringList rows[] = { // path, field, value, what is printed when it is not the value
            {"typed", "AuthScheme", "CRYPT-PW ", "CRYPT-PW"}, {"typed", "ContactNotifyUpdates", "after-update ", "AFTER-UPDATE"},
            {"typed", "HostAuthScheme", "PGP ", "PGP"},       {"typed", "OCityEdit", " Springfield"},
            {"typed", "OOrgNameEdit", "Acme" + nb},           {"pasted", "OCityEdit", "\"Springfield\""},
            {"pasted", "ContactAuthenticationType", " mail-from ", "MAIL-FROM"}, {"pasted", "HCCountry", "Deutschland", "De"},
            {"pasted", "PurposeEdit", "  Books\nmore  ", "  Books"}, {"loaded", "HostAuthScheme", "\" CRYPT-PW \"", "CRYPT-PW"},
            {"loaded", "ContactAuthorizationType", "crypt-pw\t", "CRYPT-PW"}, {"loaded", "ContactCity", nb + "Lyon" + nb},
            {"loaded", "HCCountry", "Deutschland"},           {"loaded", "HCName", over, over.left(1023)},
            {"defaulted", "ContactNotifyUse", "before-use ", "BEFORE-USE"}, {"defaulted", "HCCity", "'Quoted'"},
            {"defaulted", "AAddrEdit", " 1 Main St "},        {"imported", "AuthScheme", " Mail-From", "MAIL-FROM"},
            {"imported", "ContactAddr", "\"Rue 1"},           {"imported", "HCCountry", "Deutschland"},
            {"written by 1.5", "TOrgEdit", "Acme" + nb},    {"written by 1.5", "HCAddr", "in 'quoted' and \"double\" out"},
        };
        for (const QStringList &r : rows)
            QTest::addRow("%s %s", qPrintable(r[0]), qPrintable(r[1])) << r[0] << r[1] << r[2] << r.value(3, r[2]);
    }
    void printedIsStored()
    {
        QFETCH(QString, path);
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, printed);
        const RecordKind kind = findField(field)->kind;
        const KindInfo &k = kindInfo(kind);
        const QString key = std::ranges::find(recordWriteOrder(kind), field, &KeyBinding::field)->key;
        const QString old = QString(ZANDOLET_TEST_DATA "/records/%1/ex.ini").arg(k.folder);
        QProcess cli;
        const auto run = [&](const QStringList &args) {
            // A settings file named on the command line must be there.
            if (!QFile::exists(m_dir->filePath("zandolet.ini")))
                writeBytes(m_dir->filePath("zandolet.ini"), "[Setup]\r\nCheck Network=No\r\n");
            cli.start(ZANDOLET_CLI, QStringList{"--settings", "zandolet.ini"} + args);
            return cli.waitForFinished() && cli.exitCode() == 0;
        };
        const auto show = [&] {
            QTest::keyClicks(nameEdit(k.nameField), "ex");
            m_form->control<QPushButton>(k.showButton)->click();
            return memoLines(*m_form, kind).filter(QRegularExpression("^(?!Processed )"));
        };
        QWidget *w = m_form->control(field);
        if (auto *c = qobject_cast<QComboBox *>(w))
            w = c->lineEdit();
        if (path == "pasted") {
            QApplication::clipboard()->setText(value);
            QMetaObject::invokeMethod(w, "paste");
        } else if (path == "loaded") {
            writeBytes(k.folder + QString("/ex.ini"), QString("[%1]\r\nContactname=ex\r\n%2=%3").arg(k.section, key, value).toLatin1());
        } else if (path == "imported") {
            writeBytes("in.csv", QString("%1,%2\nex,\"%3\"").arg(k.nameField, key, QString(value).replace("\"", "\"\"")).toUtf8());
            QVERIFY(run({"import", k.folder, "in.csv"}));
        } else if (path == "written by 1.5") {
            QVERIFY(QDir().mkdir(k.folder) && QFile::copy(old, k.folder + QString("/ex.ini")));
        } else {
            for (const QChar c : value)
                QTest::sendKeyEvent(QTest::Press, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        if (path == "defaulted") {
            m_form->control<QPushButton>(k.defaultButton)->click();
            m_form = makeForm(m_dir->filePath("zandolet.ini"), m_prompter);
        }
        const QStringList before = show();
        if (path == "written by 1.5") // stored again as it was
            QCOMPARE(readBytes(k.folder + QString("/ex.ini")), readBytes(old));
        m_form = makeForm(m_dir->filePath("zandolet.ini"), m_prompter);
        QCOMPARE(show(), before);
        QVERIFY(run({"render", k.folder, "ex", "--new"}));
        QCOMPARE(QString::fromLatin1(cli.readAllStandardOutput()).split("\r\n").filter(QRegularExpression("^(?!Processed )")),
                 before + QStringList{""});
        const auto row = std::ranges::find(templateRows(kind), field, &TemplateRow::field);
        QVERIFY2(before.contains(templateLabel(*row) + printed), qPrintable(before.join('\n')));
        QCOMPARE(m_prompter.errors, QStringList());
    }

    void deleteQuestionAnsweredNoGoesBackToNew()
    {
        m_prompter.answers = {false};
        m_form->control<QRadioButton>("DeleteHostRadio")->click();
        QCOMPARE(m_prompter.questions,
                 QStringList{"You just chose to DELETE a host.  Is this what you really want to do?"});
        QVERIFY(m_form->isChecked("NewHostRadio"));
        QVERIFY(!m_form->isChecked("DeleteHostRadio"));
        QVERIFY(!m_form->isEnabled("HostNicHandle"));
        m_form->control<QRadioButton>("ModifyContactRadio")->click();
        QVERIFY(m_form->isEnabled("ContactNicHandle"));
    }

    void escapePressesThePagesCancelButton()
    {
        showPage(0, 5); // Name Servers
        m_form->setText("PriNSEdit", "ns1.example.com");
        m_form->setText("OOrgNameEdit", "Org stays");
        QTest::keyClick(m_form->control("PriNSEdit"), Qt::Key_Escape);
        QCOMPARE(m_form->text("PriNSEdit"), QString());
        QCOMPARE(m_form->text("OOrgNameEdit"), QStringLiteral("Org stays"));

        showPage(0, 6); // the domain review page: Escape does nothing
        m_form->setText("DomainNameEdit", "example.com");
        QTest::keyClick(m_form->control("Memo1"), Qt::Key_Escape);
        QCOMPARE(m_form->text("DomainNameEdit"), QStringLiteral("example.com"));

        showPage(1, 2); // the host review page: Escape is Clear All
        m_form->setText("HostName", "ns1.example.com");
        QTest::keyClick(m_form->control("Memo2"), Qt::Key_Escape);
        QCOMPARE(m_form->text("HostName"), QString());
    }

    void copyButtonsFromTheWindow()
    {
        m_form->setText("OCityEdit", "Springfield");
        m_form->setText("ANameEdit", "Admin Name");
        m_form->control<QPushButton>("O4")->click(); // Copy to ALL
        for (const char *f : {"ACityEdit", "TCityEdit", "BCityEdit"})
            QCOMPARE(m_form->text(QLatin1String(f)), QStringLiteral("Springfield"));
        QCOMPARE(m_form->text("ANameEdit"), QStringLiteral("Admin Name"));
        QCOMPARE(displayCaption(m_form->control<QPushButton>("BitBtn32")->text()), QStringLiteral("Copy From Tech"));
    }

    void undoGivesBackWhatAButtonChanged_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("outer");
        QTest::addColumn<int>("inner");
        QTest::newRow("domain Clear All") << "BitBtn2" << 0 << 6;
        QTest::newRow("host Clear All") << "HostCancel" << 1 << 2;
        QTest::newRow("contact Clear All") << "ContactClear" << 2 << 2;
        QTest::newRow("Copy to ALL") << "O4" << 0 << 1;
        QTest::newRow("Copy From Tech") << "BitBtn32" << 0 << 4;
        QTest::newRow("name servers Clear") << "BitBtn3" << 0 << 5;
        // Escape in a field clears its page; the field has no undo of its own to take Ctrl+Z.
        QTest::newRow("Escape in a field") << "PriNSEdit" << 0 << 5;
    }

    void undoGivesBackWhatAButtonChanged()
    {
        QFETCH(QString, button);
        QFETCH(int, outer);
        QFETCH(int, inner);
        fillRecords();
        const QStringList before = values();
        showPage(outer, inner);
        QWidget *b = m_form->control(button);
        if (qobject_cast<QPushButton *>(b)) {
            QTest::mouseClick(b, Qt::LeftButton);
        } else {
            b->setFocus();
            QTest::keyClick(b, Qt::Key_Escape);
        }
        QVERIFY(values() != before);
        QTest::keyClick(b, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(values(), before);
        QVERIFY(m_prompter.log.isEmpty());
    }

    // What was typed after a Clear All is never overwritten by its undo.
    void undoIsOnlyForTheUntouchedResult()
    {
        fillRecords();
        m_form->control<QPushButton>("BitBtn2")->click();
        QTest::keyClicks(m_form->control("OOrgNameEdit"), "N");
        m_form->Undo1Click();
        QCOMPARE(m_form->text("OOrgNameEdit"), QStringLiteral("N"));
        QCOMPARE(m_form->text("DomainNameEdit"), QString());
    }

    void showFormRendersAndKeepsTheListInStep()
    {
        QTest::keyClicks(nameEdit("HostName"), "ns1.example.com");
        m_form->control<QPushButton>("HostShowForm")->click();
        QCOMPARE(m_prompter.errors, QStringList());
        const QStringList memo = memoLines(*m_form, RecordKind::Host);
        QCOMPARE(memo.size(), 28);
        QVERIFY(memo.contains(QStringLiteral("Host Version Number: 1.0")));
        QCOMPARE(m_form->items("HostName"), QStringList{"ns1.example.com"});
        QCOMPARE(readBytes(m_dir->filePath("hosts.cbx")), QByteArray("ns1.example.com\r\n"));
        QVERIFY(QFile::exists(m_dir->filePath("hosts/ns1.example.com.txt")));

        // New again, other case: no second entry, no rewrite.
        QFile::remove(m_dir->filePath("hosts.cbx"));
        m_form->setText("HostName", "NS1.Example.COM");
        m_form->control<QPushButton>("HostShowForm")->click();
        QCOMPARE(m_form->items("HostName"), QStringList{"ns1.example.com"});
        QVERIFY(!QFile::exists(m_dir->filePath("hosts.cbx")));

        // Modify: list and files stay.
        m_form->control<QRadioButton>("ModifyHostRadio")->click();
        m_form->control<QPushButton>("HostShowForm")->click();
        QCOMPARE(m_form->items("HostName"), QStringList{"ns1.example.com"});
        QVERIFY(QFile::exists(m_dir->filePath("hosts/ns1.example.com.ini")));

        // Delete of a typed name: the list keeps its entry, the files go, the memo keeps the template.
        m_prompter.answers = {true};
        m_form->control<QRadioButton>("DeleteHostRadio")->click();
        m_form->setText("HostName", "ns1.example.com");
        m_form->control<QPushButton>("HostShowForm")->click();
        QCOMPARE(m_form->items("HostName"), QStringList{"ns1.example.com"});
        QCOMPARE(readBytes(m_dir->filePath("hosts.cbx")), QByteArray("ns1.example.com\r\n"));
        QVERIFY(!QFile::exists(m_dir->filePath("hosts/ns1.example.com.ini")));
        QVERIFY(!QFile::exists(m_dir->filePath("hosts/ns1.example.com.txt")));
        QVERIFY(memoLines(*m_form, RecordKind::Host).contains(QStringLiteral("Host Version Number: 1.0")));
        QCOMPARE(m_prompter.errors, QStringList());
    }

    // Show Form names the problems on the status line and on their fields,
    // each until its field changes.
    void showFormMarksProblems()
    {
        for (const auto &[field, value] : completeFields(RecordKind::Domain))
            m_form->setText(field, value);
        m_form->setText("DomainNameEdit", "example_1.com");
        m_form->setText("SecNSIPEdit", "10.1.2.3");
        auto *status = m_form->control<QLineEdit>("status");
        auto *name = m_form->control<QComboBox>("DomainNameEdit");
        auto *address = m_form->control<QLineEdit>("SecNSIPEdit");
        const QString nameProblem = "Domain name example_1.com has the character \"_\"";
        m_form->control<QPushButton>("ShowForm")->click();
        QCOMPARE(m_prompter.log, QStringList());
        QCOMPARE(status->text(), "2 problems: " + nameProblem);
        QCOMPARE(name->toolTip(), nameProblem);
        QCOMPARE(address->toolTip(), QStringLiteral("Name server 2 address 10.1.2.3 is a private address"));
        QVERIFY(address->property("registrationProblem").toBool());
        QVERIFY(address->palette().color(QPalette::Base) != m_form->palette().color(QPalette::Base));

        address->selectAll();
        QTest::keyClicks(address, "192.0.2.9");
        QVERIFY(!address->property("registrationProblem").toBool());
        QCOMPARE(address->toolTip(), QString());
        QCOMPARE(address->palette().color(QPalette::Base), m_form->palette().color(QPalette::Base));
        QCOMPARE(name->toolTip(), nameProblem);
        m_form->setText("DomainNameEdit", "example1.com"); // as a load does
        QCOMPARE(name->toolTip(), findField("DomainNameEdit")->hint);
        QCOMPARE(status->text(), "2 problems: " + nameProblem);

        m_form->control<QPushButton>("ShowForm")->click();
        QCOMPARE(status->text(), QStringLiteral("status..."));
        QCOMPARE(m_prompter.log, QStringList());
    }

    void showFormRefusesEmptyAndUnusableNames()
    {
        m_form->control<QPushButton>("ContactShowForm")->click();
        m_form->setText("DomainNameEdit", "../escape");
        m_form->control<QPushButton>("ShowForm")->click();
        QCOMPARE(m_prompter.informations.size(), 2);
        QCOMPARE(m_prompter.informations.at(0),
                 QStringLiteral("You did not enter a Contact Name on the Aithorization, Notify & Authentication tab."));
        QVERIFY(m_prompter.informations.at(1).contains("/"));
        QVERIFY(!QFile::exists(m_dir->filePath("escape.txt")));
        QVERIFY(!QFile::exists(m_dir->path() + "/../escape.txt"));
        QVERIFY(memoLines(*m_form, RecordKind::Domain).isEmpty());
    }

    void printWritesTheMemoToTheChosenPrinter()
    {
        const QString pdf = m_dir->filePath("out.pdf");
        // Cancel prints nothing.
        m_form->setText("Contactname", "Doe, Jane");
        m_form->control<QPushButton>("ContactPrint")->click();
        QVERIFY(!QFile::exists(pdf));
        QCOMPARE(m_prompter.log, QStringList{"P: print dialog"});

        m_prompter.printerChoice = [&](QPrinter *printer) {
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            return true;
        };
        // Before any Show Form: an empty job.
        m_form->control<QPushButton>("ContactPrint")->click();
        QCOMPARE(m_prompter.errors, QStringList());
        QVERIFY(QFile::exists(pdf));
        QFile::remove(pdf);
        m_form->control<QPushButton>("ContactShowForm")->click();
        m_form->control<QPushButton>("ContactPrint")->click();
        QVERIFY(readBytes(pdf).startsWith("%PDF"));

        m_form->setText("Contactname", QString());
        m_prompter.log.clear();
        m_form->control<QPushButton>("ContactPrint")->click();
        QCOMPARE(m_prompter.log.size(), 1);
        QVERIFY(m_prompter.log.at(0).startsWith("I: You did not enter a Contact Name"));
    }

    // The print dialog of every page offers what was chosen at the last print,
    // and a PDF keeps its text off the paper's edges.
    void printerKeepsTheLastChoices()
    {
        const QString pdf = m_dir->filePath("first.pdf");
        m_form->setText("DomainNameEdit", "example.com");
        m_form->control<QPushButton>("ShowForm")->click();
        m_form->setText("HostName", "ns1.example.com");
        m_form->control<QPushButton>("HostShowForm")->click();

        QStringList offeredFiles;
        QList<int> offeredCopies;
        m_prompter.printerChoice = [&](QPrinter *printer) {
            offeredFiles << printer->outputFileName();
            offeredCopies << printer->copyCount();
            if (offeredFiles.size() == 1) {
                printer->setOutputFormat(QPrinter::PdfFormat);
                printer->setOutputFileName(pdf);
                printer->setCopyCount(2);
            }
            return true;
        };
        m_form->control<QPushButton>("BitBtn4")->click();
        QCOMPARE(m_prompter.errors, QStringList());
        m_form->control<QPushButton>("HostPrint")->click();
        QCOMPARE(offeredFiles, (QStringList{QString(), pdf}));
        QCOMPARE(offeredCopies, (QList<int>{1, 2}));

        // The host page printed last; its text starts inside the margins of
        // text printing: a quarter inch at the sides, half an inch at the top.
        const QList<PdfWord> words = pdfWords(pdf);
        QVERIFY(!words.isEmpty());
        QVERIFY(std::any_of(words.begin(), words.end(), [](const PdfWord &w) { return w.text == "ns1.example.com"; }));
        double left = 1e9, top = 1e9;
        for (const PdfWord &w : words) {
            left = std::min(left, w.xMin);
            top = std::min(top, w.yMin);
        }
        QVERIFY2(left >= 18 - 0.5, qPrintable(QString::number(left)));
        QVERIFY2(top >= 36 - 0.5, qPrintable(QString::number(top)));
        QVERIFY2(left < 18 + 6, qPrintable(QString::number(left))); // at the margin, not somewhere inside
    }

    void charactersOutsideLatin1AreRefused()
    {
        auto *org = m_form->control<QLineEdit>("OOrgNameEdit");
        const auto type = [org](const QString &text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
            QApplication::sendEvent(org, &press);
        };
        type("A");
        type(QStringLiteral("\u20AC"));
        type("B");
        QCOMPARE(org->text(), QStringLiteral("AB"));
        type(QStringLiteral("\u00E9"));
        QCOMPARE(org->text(), QStringLiteral("AB\u00E9"));
        auto *purpose = m_form->control<QPlainTextEdit>("PurposeEdit");
        purpose->insertPlainText(QStringLiteral("x\u4E2Dy"));
        QCOMPARE(purpose->toPlainText(), QStringLiteral("xy"));
    }
    // A name is picked only from the drop-down list or with the arrow keys; a
    // typed name that equals an entry is not, so a Delete keeps that entry.
    void onlyAChoiceFromTheListPicksAnEntry_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("listAfter");
        QTest::newRow("typed, focus leaves") << "focus" << QStringList{"a.example", "b.example"};
        QTest::newRow("typed, Enter") << "enter" << QStringList{"a.example", "b.example"};
        QTest::newRow("arrow key") << "arrow" << QStringList{"a.example"};
        QTest::newRow("typed, then chosen from the list") << "list" << QStringList{"a.example"};
    }
    void onlyAChoiceFromTheListPicksAnEntry()
    {
        QFETCH(QString, how);
        QFETCH(QStringList, listAfter);
        for (const char *name : {"a.example", "b.example"}) {
            m_form->setText("DomainNameEdit", name);
            m_form->control<QPushButton>("ShowForm")->click();
        }
        QCOMPARE(m_form->items("DomainNameEdit"), (QStringList{"a.example", "b.example"}));
        m_prompter.answers = {true};
        m_form->control<QRadioButton>("DeleteDomainRadio")->click();
        showPage(0, 0);
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        QLineEdit *edit = nameEdit("DomainNameEdit");
        edit->setFocus();
        QTRY_VERIFY(edit->hasFocus());
        if (how == QLatin1String("arrow")) {
            m_form->setText("DomainNameEdit", "a.example");
            QTest::keyClick(edit, Qt::Key_Down);
        } else if (how == QLatin1String("list")) {
            m_form->setText("DomainNameEdit", QString());
            QTest::keyClicks(edit, "b");
            auto *combo = m_form->control<QComboBox>("DomainNameEdit");
            combo->showPopup();
            QAbstractItemView *view = combo->view();
            QTRY_VERIFY(view->isVisible());
            QTest::qWait(QApplication::doubleClickInterval() + 100); // a click right after opening is ignored
            const QPoint entry = view->visualRect(view->model()->index(1, 0)).center();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, entry);
            QTRY_VERIFY(!view->isVisible());
        } else {
            m_form->setText("DomainNameEdit", QString());
            QTest::keyClicks(edit, "b.example");
            if (how == QLatin1String("enter"))
                QTest::keyClick(edit, Qt::Key_Return);
            else
                edit->clearFocus();
        }
        QCOMPARE(m_form->text("DomainNameEdit"), QStringLiteral("b.example"));
        m_form->control<QPushButton>("ShowForm")->click();
        QCOMPARE(m_prompter.errors, QStringList());
        QCOMPARE(m_form->items("DomainNameEdit"), listAfter);
        QCOMPARE(readBytes(m_dir->filePath("domains.cbx")), listAfter.join("\r\n").toLatin1() + "\r\n");
        QVERIFY(!QFile::exists(m_dir->filePath("domains/b.example.ini")));
        QVERIFY(QFile::exists(m_dir->filePath("domains/a.example.ini")));
    }

    // Pasted line breaks would split a template line; the purpose memo keeps its lines.
    void lineBreaksStayOutOfOneLineFields_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("after");
        QTest::newRow("edit") << "OOrgNameEdit" << "kept";
        QTest::newRow("name box") << "DomainNameEdit" << "kept";
        QTest::newRow("scheme box") << "AuthScheme" << "kept";
        QTest::newRow("memo") << "PurposeEdit" << "keptone\r\ntwo";
    }
    void lineBreaksStayOutOfOneLineFields()
    {
        QFETCH(QString, field);
        QFETCH(QString, after);
        m_form->setText(field, "kept");
        QWidget *w = m_form->control(field);
        QApplication::clipboard()->setText(QStringLiteral("one\r\ntwo"));
        if (auto *c = qobject_cast<QComboBox *>(w))
            w = c->lineEdit();
        if (auto *e = qobject_cast<QLineEdit *>(w)) {
            e->end(false);
            e->paste();
        } else {
            auto *m = qobject_cast<QPlainTextEdit *>(w);
            m->moveCursor(QTextCursor::End);
            m->paste();
        }
        QCOMPARE(m_form->text(field), after);
    }

    // The template carries what the field shows, however the text came in.
    void templateCarriesWhatTheFieldShows_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        const QString forged = QStringLiteral("3b. Street Address.............: Fake 1");
        const auto with = [](const char *a, int c, const char *b) { return QString(a) + QChar(c) + b; };
        const std::pair<const char *, QString> cases[] = {
            {"OOrgNameEdit", with("Jane", 0x1B, "Doe")}, {"Contactname", with("Jane", 0x01, "Doe")},
            {"HCName", with("Jane", 0x7F, "Doe")},       {"ContactCity", with("Caf", 0x85, "e")},
            {"PurposeEdit", with("Books", 0x1B, "more")}, {"OOrgNameEdit", "Org\r" + forged},
            {"OAddrEdit", "Street 1\r\n" + forged},
        };
        for (const char *path : {"typed", "pasted", "record file", "defaults"})
            for (int i = 0; i < int(std::size(cases)); ++i)
                QTest::addRow("%s, %s %d", path, cases[i].first, i) << path << cases[i].first << cases[i].second;
    }
    void templateCarriesWhatTheFieldShows()
    {
        QFETCH(QString, path);
        QFETCH(QString, field);
        QFETCH(QString, value);
        const RecordKind kind = findField(field)->kind;
        const KindInfo &k = kindInfo(kind);
        const auto widget = [&] {
            auto *c = m_form->control<QComboBox>(field);
            return c ? c->lineEdit() : m_form->control(field);
        };
        const bool record = path == "record file", stored = record || path == "defaults";
        const KeyTable &keys = record ? recordLoadOrder(kind) : defaultsStartupOrder(kind);
        const QString key = std::ranges::find(keys, field, &KeyBinding::field)->key;
        const QString file = record ? QLatin1String(k.folder) + "/rec.ini" : QStringLiteral("zandolet.ini");
        const QString name = record && field != "Contactname" ? "Contactname=rec\r\n" : "";
        const QString line = value.contains('\n') ? StoredValue::encode(value) : value; // a bare CR as it is
        QToolTip::hideText();
        if (path == "typed") {
            for (const QChar c : value)
                QTest::sendKeyEvent(QTest::Press, widget(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        } else if (path == "pasted") {
            QApplication::clipboard()->setText(value);
            QMetaObject::invokeMethod(widget(), "paste");
            const QChar bad = *std::find_if(value.begin(), value.end(), [](QChar c) { return c < u' ' || c > u'~'; });
            QCOMPARE(QToolTip::text(), bad == '\r' || bad == '\n' ? lineBreakReason() : controlReason(bad));
        } else {
            m_form.reset();
            writeBytes(m_dir->filePath(file), QString("[%1]\r\n%2%3=%4").arg(k.section, name, key, line).toLatin1());
            m_form = makeForm(m_dir->filePath("zandolet.ini"), m_prompter);
            QTest::keyClicks(nameEdit(k.nameField), record ? "rec" : "");
        }
        const QString status = m_form->control<QLineEdit>(k.status)->text();
        if (m_form->text(k.nameField).isEmpty())
            m_form->setText(k.nameField, "rec");
        auto *memo = qobject_cast<QPlainTextEdit *>(widget());
        const QString shown = memo ? memo->toPlainText() : qobject_cast<QLineEdit *>(widget())->displayText();
        m_form->control<QPushButton>(k.showButton)->click();
        const QStringList lines = memoLines(*m_form, kind);
        const auto row = std::ranges::find(templateRows(kind), field, &TemplateRow::field);
        QVERIFY2(lines.contains(templateLabel(*row) + shown), qPrintable(shown));
        for (const QChar c : lines.join(QString()))
            QVERIFY2(c >= u' ' && (c < u'\x7F' || c > u'\x9F'), qPrintable(QString::number(c.unicode(), 16)));
        QVERIFY2(!stored || (status.contains(key) && status.contains(file)), qPrintable(status));
    }

    // A no-break space is an ISO-8859-1 character like any other.
    void noBreakSpaceIsKeptFromMemoToFiles()
    {
        m_form->setText("DomainNameEdit", "nbsp.example");
        m_form->control<QPlainTextEdit>("PurposeEdit")->insertPlainText(QStringLiteral("Books\u00A0& more\nline two"));
        QCOMPARE(m_form->text("PurposeEdit"), QStringLiteral("Books\u00A0& more\r\nline two"));
        m_form->control<QPushButton>("ShowForm")->click();
        QCOMPARE(m_prompter.errors, QStringList());
        QVERIFY(memoLines(*m_form, RecordKind::Domain).join('\n').contains(QStringLiteral("Books\u00A0& more")));
        QVERIFY(readBytes(m_dir->filePath("domains/nbsp.example.txt")).contains("Books\xA0& more\r\n"));
        QVERIFY(readBytes(m_dir->filePath("domains/nbsp.example.ini")).contains("Books\xA0& more\\r\\nline two"));
        // And back from the record file.
        m_form->setText("PurposeEdit", QString());
        m_form->setText("DomainNameEdit", QString());
        QTest::keyClicks(nameEdit("DomainNameEdit"), "nbsp.example");
        QCOMPARE(m_form->text("PurposeEdit"), QStringLiteral("Books\u00A0& more\r\nline two"));
    }

    // A stored value reads back 1023 characters (a memo's line break is two),
    // so a field takes no more than that.
    void textBeyondWhatReadsBackIsRefused_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("fits"); // as pasted
        const QString line(254, QLatin1Char('p'));
        QTest::newRow("one-line field") << "OOrgNameEdit" << QString(1023, QLatin1Char('o'));
        QTest::newRow("four-line purpose") << "PurposeEdit"
                                           << line + '\n' + line + '\n' + line + '\n' + QString(1023 - 3 * 256, 'q');
    }

    void textBeyondWhatReadsBackIsRefused()
    {
        QFETCH(QString, field);
        QFETCH(QString, fits);
        QWidget *w = m_form->control(field);
        w->setFocus();
        const auto paste = [w](const QString &text) {
            QApplication::clipboard()->setText(text);
            QTest::keyClick(w, Qt::Key_V, Qt::ControlModifier);
        };
        paste(QString(5000, QLatin1Char('x')));
        QCOMPARE(m_form->text(field), QString());
        QCOMPARE(QToolTip::text(), tooLongReason());
        QToolTip::hideText();
        paste(fits);
        QCOMPARE(m_form->text(field).size(), 1023);
        QTest::keyClick(w, Qt::Key_Z);
        QCOMPARE(m_form->text(field).size(), 1023);
        QCOMPARE(QToolTip::text(), tooLongReason());
        QVERIFY(m_prompter.log.isEmpty());
    }

    // Closing asks once about a record that differs from what is stored for it.
    void closingOffersRecordsNotStored_data()
    {
        using A = IPrompter::Answer;
        QTest::addColumn<bool>("shownFirst"); // stored by Show Form before the typing
        QTest::addColumn<QString>("typed");   // into ContactMail afterwards
        QTest::addColumn<int>("answer");      // -1: no question expected
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("stored"); // ContactMail in the record file afterwards; empty: no file
        QTest::newRow("typed, Yes stores") << false << "pat@example.com" << int(A::Yes) << true << "pat@example.com";
        QTest::newRow("typed, No") << false << "pat@example.com" << int(A::No) << true << "";
        QTest::newRow("typed, Cancel stays") << false << "pat@example.com" << int(A::Cancel) << false << "";
        QTest::newRow("shown, unchanged") << true << "" << -1 << true << "old@example.com";
        QTest::newRow("shown, changed, Yes") << true << "x" << int(A::Yes) << true << "old@example.comx";
    }

    void closingOffersRecordsNotStored()
    {
        QFETCH(bool, shownFirst);
        QFETCH(QString, typed);
        QFETCH(int, answer);
        QFETCH(bool, closed);
        QFETCH(QString, stored);
        showPage(2, 0);
        QTest::keyClicks(nameEdit("Contactname"), "Pat Doe");
        showPage(2, 1);
        auto *mail = m_form->control<QLineEdit>("ContactMail");
        if (shownFirst) {
            QTest::keyClicks(mail, "old@example.com");
            m_form->control<QPushButton>("ContactShowForm")->click();
        }
        QTest::keyClicks(mail, typed);
        if (answer >= 0)
            m_prompter.choices = {IPrompter::Answer(answer)};

        QCOMPARE(m_form->close(), closed);
        QCOMPARE(m_form->isVisible(), !closed);
        QCOMPARE(m_prompter.questions, answer < 0 ? QStringList() : QStringList{
            "These records have changes that are not stored:\n\nContact Pat Doe\n\nStore them before closing?"});
        const QString record = m_dir->filePath("contacts/Pat Doe.ini");
        QCOMPARE(IniDocument::load(record).value("ContactReg", "ContactMail"), stored);
        QCOMPARE(QFile::exists(m_dir->filePath("contacts/Pat Doe.txt")), !stored.isEmpty());
        QCOMPARE(readBytes(m_dir->filePath("Contacts.cbx")), stored.isEmpty() ? QByteArray() : "Pat Doe\r\n");
        QCOMPARE(m_prompter.errors, QStringList());
    }

    // Escape says where the user is what it cleared; clears come back in turn; closing names a cleared record.
    void escapeIsVisibleAndRecoverable()
    {
        for (const char *f : {"DomainNameEdit", "OOrgNameEdit", "OCityEdit", "PriNSEdit"})
            m_form->setText(QLatin1String(f), QLatin1String(f) + QStringLiteral(" value"));
        const QStringList before = values();
        QWidget *org = m_form->control("OOrgNameEdit"), *ns = m_form->control("PriNSEdit");
        showPage(0, 1);
        QTest::keyClick(org, Qt::Key_Escape);
        showPage(0, 5);
        QTest::keyClick(ns, Qt::Key_Escape);
        QCOMPARE(m_form->text("OOrgNameEdit") + m_form->text("PriNSEdit"), QString());
        for (int undo = 0; undo < 2; ++undo)
            QTest::keyClick(ns, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(values(), before);
        showPage(0, 1);
        QTest::keyClick(org, Qt::Key_Escape);
        const QString said = "Escape: Org page cleared. Edit > Undo (Ctrl+Z) brings it back.";
        QCOMPARE(m_form->control<QLineEdit>("status")->text(), said);
        auto *note = m_form->findChild<QLabel *>("pageNote");
        QVERIFY(note && note->isVisible());
        QCOMPARE(note->text(), said);
        m_prompter.choices = {IPrompter::Answer::Yes};
        QVERIFY(m_form->close());
        QCOMPARE(m_prompter.questions, QStringList{"DomainNameEdit value was cleared; store it empty?"});
        QCOMPARE(m_prompter.presets, QList<IPrompter::Answer>{IPrompter::Answer::Cancel});
    }

    // A long status text shows its start in the window's font size; its tool tip holds it all.
    void statusLineShowsItsStart()
    {
        showPage(0, 6);
        auto *status = m_form->control<QLineEdit>("status");
        status->setText("9 problems:");
        const QImage alone = status->grab().toImage();
        const QString text = "9 problems: " + QString(300, 'x') + " needs a NIC handle";
        status->setText(text);
        QCOMPARE(status->font().pointSizeF(), m_form->font().pointSizeF());
        QCOMPARE(status->toolTip(), text);
        const QRect head(0, 0, status->fontMetrics().horizontalAdvance("9 problems:") + 3, alone.height());
        QCOMPARE(status->grab().toImage().copy(head), alone.copy(head));
    }
};

QTEST_MAIN(TestRecordPages)
#include "tst_recordpages.moc"
