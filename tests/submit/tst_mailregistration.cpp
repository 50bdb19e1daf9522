// Mailing a registration from the review pages of the real main window, to a
// real SMTP server (and a scripted one for refusals).
#include "CompleteRecords.h"
#include "FormHarness.h"
#include "MapFields.h"
#include "RecordCheckRun.h"
#include "RecordStore.h"
#include "ReviewForm.h"
#include "ReviewPage.h"
#include "ScriptedServer.h"
#include "SmtpSink.h"
#include "TMailWorkflow.h"
#include "TReviewPages.h"
#include "TextCopy.h"
#include "msmsg.h"
#include "mssmtp.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <unistd.h>

namespace {

const QString kQuestion = QStringLiteral(
    "You are about to mail this registration.  We strongly suggest you click SHOW FORM and review your entries "
    "before you proceed.  Click YES to mail the registration.  Click NO to cancel.");
const QString kSent = QStringLiteral("Your registratuion has been sent.");

struct Kind {
    RecordKind kind;
    QString nameField, mailButton, listFile, folder, subject, schemeField;
};

const Kind kKinds[] = {
    {RecordKind::Domain, "DomainNameEdit", "BitBtn1", "domains.cbx", "domains", "Internic DOMAIN Registration",
     "AuthScheme"},
    {RecordKind::Host, "HostName", "HostMailtoNic", "hosts.cbx", "hosts", "Internic HOST Registration",
     "HostAuthScheme"},
    {RecordKind::Contact, "Contactname", "ContactMailtoNic", "Contacts.cbx", "contacts",
     "Internic CONTACT Registration", "ContactAuthorizationType"},
};


QString localHostName()
{
    char name[512] = {};
    ::gethostname(name, sizeof name - 1);
    return QString::fromLatin1(name);
}

// A whole session whose server waits `seconds` before it accepts the data.
QString slowSession(int seconds)
{
    return QStringLiteral("S: 220 test ready\nC: HELO %1\nS: 250 hello\n"
                          "C: MAIL FROM:<me@example.com>\nS: 250 ok\n"
                          "C: RCPT TO:<hostmaster@example.net>\nS: 250 ok\n"
                          "C: DATA\nS: 354 go ahead\nD:\nW: %2\nS: 250 queued\nC: QUIT\nS: 221 bye\nX:\n")
        .arg(localHostName())
        .arg(seconds * 1000);
}


// The value of a header of a plain message, continuation lines joined.
QString header(const QByteArray &message, const QByteArray &label)
{
    const QList<QByteArray> lines = message.left(message.indexOf("\r\n\r\n")).split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines[i].startsWith(label + ':')) {
            QByteArray v = lines[i].mid(label.size() + 1).trimmed();
            while (i + 1 < lines.size() && (lines[i + 1].startsWith(' ') || lines[i + 1].startsWith('\t')))
                v += ' ' + lines[++i].trimmed();
            return QString::fromLatin1(v);
        }
    return {};
}

QStringList bodyLines(const QByteArray &message)
{
    QByteArray body = message.mid(message.indexOf("\r\n\r\n") + 4);
    if (body.endsWith("\r\n"))
        body.chop(2);
    QStringList out;
    for (const QByteArray &l : body.split('\n'))
        out << QString::fromLatin1(l.endsWith('\r') ? l.chopped(1) : l);
    // The data phase ends with an empty line before the final ".".
    if (!out.isEmpty() && out.back().isEmpty())
        out.removeLast();
    return out;
}

// The review pages and the mail workflow without a main window: the record
// over a map, the review pages' controls on their own, the store in the
// case's folder.
struct WorkflowRig {
    MapFields fields;
    ControlFields controls;
    std::vector<std::unique_ptr<QWidget>> pages;
    ScriptedPrompter prompter;
    RecordStore store;
    MailSettings settings;
    TmsSMTP smtp;
    TReviewPages review{TReviewPages::Parts{fields, controls, prompter, store}};
    ReviewForm reviewForm{review};
    RecordCheckRun checks{fields, nullptr, {}};
    TMailWorkflow mail{TMailWorkflow::Parts{fields, controls, prompter, store, reviewForm, settings, smtp, checks}};

    explicit WorkflowRig(const QString &settingsPath) : pages(buildPages(controls)), store(fields, settingsPath)
    {
        for (const FieldDef &f : fieldCatalogue())
            if (f.checkedAtStart)
                fields.checked.insert(f.name);
        // Records the check before a send finds nothing in.
        for (const KindInfo &k : recordKinds()) {
            for (const auto &[field, value] : completeFields(k.kind))
                fields.texts[field] = value;
        }
    }
    static std::vector<std::unique_ptr<QWidget>> buildPages(ControlFields &controls)
    {
        std::vector<std::unique_ptr<QWidget>> pages;
        for (const KindInfo &k : recordKinds())
            pages.emplace_back(buildReviewPage(k.kind, controls, [] { return QSize(); }));
        return pages;
    }
};

} // namespace

class TestMailRegistration : public QObject {
    Q_OBJECT
    std::unique_ptr<WorkFolder> m_dir;
    ScriptedPrompter m_prompter;
    std::unique_ptr<TForm1> m_form;
    QStringList m_statusLog; // "page:progress:text" for every status change

    void newForm(const QString &server, const QString &sender = "me@example.com",
                 const QString &mailto = "hostmaster@example.net", const PreMailCheckFactory &check = {},
                 const QString &moreSetup = {})
    {
        m_form.reset();
        QFile::remove(m_dir->filePath("zandolet.ini"));
        QFile settings(m_dir->filePath("zandolet.ini"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(QStringLiteral("[Setup]\r\nServer=%1\r\nEMail Address=%2\r\nName=Pat Admin\r\nMailto=%3\r\n%4")
                           .arg(server, sender, mailto, moreSetup)
                           .toLatin1());
        settings.close();
        m_prompter = ScriptedPrompter();
        m_form = makeForm(m_dir->filePath("zandolet.ini"), m_prompter, check);
        // Records the check before a send finds nothing in, so that no warning comes first.
        for (const KindInfo &k : recordKinds()) {
            for (const auto &[field, value] : completeFields(k.kind))
                m_form->setText(field, value);
        }
        m_statusLog.clear();
        for (const char *page : {"status", "hoststatus", "Cstatus"}) {
            auto *status = m_form->control<QLineEdit>(QLatin1String(page));
            const QString bar = page == QLatin1String("status") ? "MailProgress"
                                : page == QLatin1String("hoststatus") ? "HostMailProgress"
                                                                       : "Cmailprogress";
            connect(status, &QLineEdit::textChanged, this, [this, page, bar](const QString &text) {
                m_statusLog << QStringLiteral("%1:%2:%3")
                                   .arg(QLatin1String(page))
                                   .arg(m_form->control<QProgressBar>(bar)->value())
                                   .arg(text);
            });
        }
    }

    void typeName(const Kind &k, const QString &name)
    {
        QTest::keyClicks(m_form->control<QComboBox>(k.nameField)->lineEdit(), name);
    }

    void clickMail(const Kind &k) { m_form->control<QPushButton>(k.mailButton)->click(); }

    // A form whose check with the network finds `problem` on PriNSEdit (none when empty).
    ScriptedCheck *newCheckedForm(const QString &server, const QString &problem, bool warning, int delayMs,
                                  const QString &setup = {})
    {
        ScriptedCheck *check = nullptr;
        const auto found = problem.isEmpty() ? RegistrationProblems() : RegistrationProblems{{"PriNSEdit", problem, true, warning}};
        newForm(server, "me@example.com", "hostmaster@example.net",
                [&] { return std::unique_ptr<PreMailCheck>(check = new ScriptedCheck(found, delayMs)); }, setup);
        return check;
    }

    QString recordFile(const Kind &k, const QString &name) const
    {
        return m_dir->filePath(k.folder + "/" + name + ".ini");
    }

private slots:
    // Every case starts in an empty folder of its own.
    void init()
    {
        m_dir = std::make_unique<WorkFolder>();
        QVERIFY(m_dir->isValid());
    }
    void cleanup() { m_form.reset(); }

    void mailsEachKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("domain") << 0;
        QTest::newRow("host") << 1;
        QTest::newRow("contact") << 2;
    }
    void mailsEachKind()
    {
        QFETCH(int, kind);
        const Kind &k = kKinds[kind];
        SmtpSink sink;
        QVERIFY2(sink.Start(), qPrintable(sink.ErrorText()));
        newForm(sink.Address());
        const QString name = QStringLiteral("Example%1.com").arg(kind);
        typeName(k, name);

        // The list is updated after the send, not before.
        QStringList listDuringSend{"unset"};
        connect(m_form->control<QLineEdit>("status"), &QLineEdit::textChanged, this, [&](const QString &text) {
            if (text == QLatin1String("Sending message"))
                listDuringSend = m_form->items(k.nameField);
        });
        clickMail(k);
        QCOMPARE(m_prompter.errors, QStringList());
        // A complete record: no warning before the question.
        QCOMPARE(m_prompter.log, (QStringList{"Q: " + kQuestion, "I: " + kSent}));
        QCOMPARE(m_prompter.beeps, 1);
        QCOMPARE(listDuringSend, QStringList());
        QCOMPARE(m_form->items(k.nameField), QStringList{name});
        QCOMPARE(readBytes(m_dir->filePath(k.listFile)), name.toLatin1() + "\r\n");

        QVERIFY(sink.WaitForMessages(1));
        QCOMPARE(sink.Messages().size(), 1);
        const SmtpSink::Message m = sink.Messages().at(0);
        QCOMPARE(m.mailFrom, QStringLiteral("me@example.com"));
        QCOMPARE(m.rcptTo, QStringList{"hostmaster@example.net"});
        QVERIFY(header(m.data, "From").contains("me@example.com"));
        QVERIFY(header(m.data, "From").contains("Pat Admin"));
        QCOMPARE(header(m.data, "To"), QStringLiteral("<hostmaster@example.net>"));
        QCOMPARE(header(m.data, "Subject"), name + " " + k.subject);
        const QStringList copy = TextCopy::read(m_dir->filePath(k.folder + "/" + name + ".txt"));
        QCOMPARE(bodyLines(m.data), copy);
        QCOMPARE(memoLines(*m_form, k.kind), copy);
    }

    // A record with a problem is mailed only when the user says so; No is the default.
    void warningBeforeMailing_data()
    {
        QTest::addColumn<bool>("mailAnyway");
        QTest::newRow("Yes") << true;
        QTest::newRow("No") << false;
    }
    void warningBeforeMailing()
    {
        QFETCH(bool, mailAnyway);
        SmtpSink sink;
        QVERIFY2(sink.Start(), qPrintable(sink.ErrorText()));
        newForm(sink.Address());
        typeName(kKinds[0], "example.com");
        m_form->setText("SecNSIPEdit", "10.1.2.3");
        if (mailAnyway)
            m_prompter.cautionAnswers = {true};
        clickMail(kKinds[0]);
        QStringList expected{"N: The registry may refuse this registration. It has 1 problem:\n\n"
                             "Name server 2 address 10.1.2.3 is a private address\n\nMail it anyway?"};
        if (mailAnyway)
            expected << "Q: " + kQuestion << "I: " + kSent;
        QCOMPARE(m_prompter.log, expected);
        QCOMPARE(QFile::exists(recordFile(kKinds[0], "example.com")), mailAnyway);
        QCOMPARE(m_form->items("DomainNameEdit"), mailAnyway ? QStringList{"example.com"} : QStringList());
        if (mailAnyway)
            QVERIFY(sink.WaitForMessages(1));
        QCOMPARE(m_form->text("SecNSIPEdit"), QStringLiteral("10.1.2.3"));
    }

    void statusSequenceOnAllPages()
    {
        SmtpSink sink;
        QVERIFY2(sink.Start(), qPrintable(sink.ErrorText()));
        newForm(sink.Address());
        typeName(kKinds[1], "ns1.example.com");
        clickMail(kKinds[1]);
        QCOMPARE(m_prompter.errors, QStringList());
        const QStringList steps{"30:Opening connection", "10:Preparing message",   "50:Sending message",
                                "70:Message has been sent", "100:Closing connection", "0:Connection closed"};
        QStringList expected;
        for (const QString &step : steps)
            for (const char *page : {"status", "hoststatus", "Cstatus"})
                expected << QLatin1String(page) + QLatin1Char(':') + step;
        QCOMPARE(m_statusLog, expected);
    }

    void deleteMailedRemovesEntryAndFiles()
    {
        SmtpSink sink;
        QVERIFY2(sink.Start(), qPrintable(sink.ErrorText()));
        newForm(sink.Address());
        const Kind &k = kKinds[0];
        typeName(k, "gone.example");
        clickMail(k);
        m_form->setText(k.nameField, QString());
        typeName(k, "kept.example");
        clickMail(k);
        QCOMPARE(m_form->items(k.nameField), (QStringList{"gone.example", "kept.example"}));
        QVERIFY(QFile::exists(recordFile(k, "gone.example")));

        m_prompter.answers = {true}; // yes to the deletion question
        m_form->control<QRadioButton>("DeleteDomainRadio")->click();
        pickEntry(*m_form, k.nameField, 0);
        QCOMPARE(m_form->text(k.nameField), QStringLiteral("gone.example"));
        clickMail(k);
        QCOMPARE(m_prompter.errors, QStringList());
        QCOMPARE(m_form->items(k.nameField), QStringList{"kept.example"});
        QCOMPARE(readBytes(m_dir->filePath(k.listFile)), QByteArray("kept.example\r\n"));
        QVERIFY(!QFile::exists(recordFile(k, "gone.example")));
        QVERIFY(!QFile::exists(m_dir->filePath("domains/gone.example.txt")));
        QVERIFY(sink.WaitForMessages(3));
    }

    void deleteRefusedByServerKeepsEverything()
    {
        const Kind &k = kKinds[2];
        {
            SmtpSink sink;
            QVERIFY2(sink.Start(), qPrintable(sink.ErrorText()));
            newForm(sink.Address());
            typeName(k, "Doe, Jane");
            clickMail(k);
            QCOMPARE(m_prompter.errors, QStringList());
        }
        ScriptedServer server(QStringLiteral("S: 220 test ready\nC: HELO %1\nS: 250 hello\n"
                                             "C: MAIL FROM:<me@example.com>\nS: 250 ok\n"
                                             "C: RCPT TO:<hostmaster@example.net>\nS: 550 No such user here\n"
                                             "C: QUIT\nS: 221 bye\n")
                                  .arg(localHostName()));
        server.Start();
        newForm(server.Address());
        QCOMPARE(m_form->items(k.nameField), QStringList{"Doe, Jane"});
        m_prompter.answers = {true, true};
        m_form->control<QRadioButton>("DeleteContactRadio")->click();
        pickEntry(*m_form, k.nameField, 0);
        clickMail(k);
        QVERIFY2(server.WaitFinished(), qPrintable(server.Log()));
        QCOMPARE(server.Mismatches(), QStringList());
        QCOMPARE(m_prompter.errors, QStringList{"550 No such user here"});
        QVERIFY(!m_prompter.informations.contains(kSent));
        QCOMPARE(m_form->items(k.nameField), QStringList{"Doe, Jane"});
        QVERIFY(QFile::exists(recordFile(k, "Doe, Jane")));
        QVERIFY(QFile::exists(m_dir->filePath("contacts/Doe, Jane.txt")));
        QVERIFY(m_statusLog.join('|').contains("Cstatus:0:Connection closed|"));
        QVERIFY(m_statusLog.endsWith("Cstatus:0:550 No such user here"));
        // A refused message is never shown or sounded as sent.
        QVERIFY2(!m_statusLog.join('|').contains("Message has been sent"), qPrintable(m_statusLog.join('|')));
        QCOMPARE(m_prompter.beeps, 0);
    }

    void missingSettingsOpenNoConnection_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<QString>("mailto");
        QTest::addColumn<QString>("error");
        QTest::newRow("server") << "" << "me@example.com" << "hostmaster@example.net"
                                << "Server property is required";
        QTest::newRow("sender") << "127.0.0.1:1" << "" << "hostmaster@example.net"
                                << "The address of sender is required";
        QTest::newRow("mailbox") << "127.0.0.1:1" << "me@example.com" << ""
                                 << "At least one Recipient, CC or BCC must be entered";
    }
    void missingSettingsOpenNoConnection()
    {
        QFETCH(QString, server);
        QFETCH(QString, sender);
        QFETCH(QString, mailto);
        QFETCH(QString, error);
        newForm(server, sender, mailto);
        typeName(kKinds[0], "example.com");
        clickMail(kKinds[0]);
        QCOMPARE(m_prompter.errors, QStringList{error});
        QCOMPARE(m_form->items("DomainNameEdit"), QStringList());
        QVERIFY(QFile::exists(recordFile(kKinds[0], "example.com")));
        QVERIFY(!m_statusLog.join(' ').contains("Opening connection"));
    }

    void pgpIsNotMailed()
    {
        ScriptedServer server(QStringLiteral("S: 220 never\n"));
        server.Start();
        newForm(server.Address());
        const Kind &k = kKinds[1];
        typeName(k, "ns9.example.com");
        m_form->setText(k.schemeField, "pgp"); // the form prints it as PGP
        clickMail(k);
        QCOMPARE(m_prompter.informations,
                 QStringList{"You have selected PGP as your Authorization type. If you wish to use PGP Encryption, "
                             "cut and paste the form out of the window and use PGP software to mail it."});
        QVERIFY(!memoLines(*m_form, k.kind).isEmpty());
        QVERIFY(QFile::exists(recordFile(k, "ns9.example.com")));
        QCOMPARE(m_form->items(k.nameField), QStringList());
        QVERIFY(m_statusLog.isEmpty());
        QTest::qWait(100);
        QVERIFY(server.Received().isEmpty());
    }

    void noToTheQuestionWritesNothing()
    {
        newForm("127.0.0.1:1");
        typeName(kKinds[0], "example.org");
        m_prompter.answers = {false};
        clickMail(kKinds[0]);
        QCOMPARE(m_prompter.questions, QStringList{kQuestion});
        QVERIFY(!QFile::exists(recordFile(kKinds[0], "example.org")));
        QVERIFY(memoLines(*m_form, RecordKind::Domain).isEmpty());
    }

    void anotherMailClickDuringASendStartsNothingAndCancelStops()
    {
        // A server that greets and then stays silent keeps the send waiting.
        ScriptedServer server(QStringLiteral("S: 220 slow\nW: 3000\n"));
        server.Start();
        newForm(server.Address());
        const Kind &k = kKinds[0];
        typeName(k, "slow.example");
        auto *stop = m_form->control<QPushButton>("DomainCancelSend");
        QVERIFY(!stop->isEnabled());
        bool clickedAgain = false;
        connect(m_form->control<QLineEdit>("status"), &QLineEdit::textChanged, this, [&](const QString &text) {
            if (text != QLatin1String("Opening connection"))
                return;
            QTimer::singleShot(200, this, [&] {
                clickedAgain = true;
                clickMail(kKinds[1]); // another page's mail button during the send
                QVERIFY(stop->isEnabled());
                stop->click();
            });
        });
        m_prompter.answers = {true};
        clickMail(k);
        QVERIFY(clickedAgain);
        QCOMPARE(m_prompter.informations, QStringList());
        QCOMPARE(m_prompter.errors, QStringList{"Operation has been canceled"});
        // The cancel shows on the domain and host pages only; closing follows,
        // and then every page says that the send was stopped.
        const QString log = m_statusLog.join('|');
        QVERIFY2(log.contains(":Operation has been canceled|hoststatus:30:Operation has been canceled|"), qPrintable(log));
        QVERIFY(!log.contains("Cstatus:30:Operation has been canceled"));
        QVERIFY2(log.endsWith("Cstatus:0:Connection closed|status:0:Operation has been canceled|"
                              "hoststatus:0:Operation has been canceled|Cstatus:0:Operation has been canceled"),
                 qPrintable(log));
        QVERIFY(!stop->isEnabled());
        QCOMPARE(m_form->items(k.nameField), QStringList());
        QVERIFY(m_form->control<QPushButton>(k.mailButton)->isEnabled());
    }

    void closingTheWindowStopsTheSend()
    {
        ScriptedServer server(QStringLiteral("S: 220 slow\nW: 3000\n"));
        server.Start();
        newForm(server.Address());
        m_form->show();
        typeName(kKinds[2], "Roe, Richard");
        connect(m_form->control<QLineEdit>("Cstatus"), &QLineEdit::textChanged, this, [&](const QString &text) {
            if (text == QLatin1String("Opening connection"))
                QTimer::singleShot(200, m_form.get(), [&] { m_form->close(); });
        });
        clickMail(kKinds[2]);
        QCOMPARE(m_prompter.errors, QStringList{"Operation has been canceled"});
        QVERIFY(!m_form->isVisible());
        QVERIFY(m_form->control<QPushButton>("ContactMailtoNic")->isEnabled());
        QCOMPARE(m_form->items("Contactname"), QStringList());
    }
    // What a send is about is fixed when its button is pressed: another name
    // typed or picked while it runs is neither listed nor deleted.
    void sendFinishesWithTheRecordItWasStartedFor_data()
    {
        QTest::addColumn<bool>("deletion");
        QTest::newRow("New") << false;
        QTest::newRow("Delete") << true;
    }
    void sendFinishesWithTheRecordItWasStartedFor()
    {
        QFETCH(bool, deletion);
        const Kind &k = kKinds[0];
        ScriptedServer server(slowSession(1));
        server.Start();
        newForm(server.Address());
        if (deletion) {
            for (const char *name : {"gone.example", "other.example"}) {
                m_form->setText(k.nameField, name);
                m_form->control<QPushButton>("ShowForm")->click();
            }
            m_prompter.answers = {true};
            m_form->control<QRadioButton>("DeleteDomainRadio")->click();
            pickEntry(*m_form, k.nameField, 0);
        } else {
            typeName(k, "first.example");
        }
        // The user turns to another record while the server is slow to accept the data.
        connect(m_form->control<QLineEdit>("status"), &QLineEdit::textChanged, this, [&](const QString &text) {
            if (text != QLatin1String("Sending message"))
                return;
            QTimer::singleShot(100, m_form.get(), [&] {
                if (deletion) {
                    pickEntry(*m_form, k.nameField, 1);
                } else {
                    m_form->setText(k.nameField, QString());
                    typeName(k, "second.example");
                }
            });
        });
        clickMail(k);
        QVERIFY2(server.WaitFinished(), qPrintable(server.Log()));
        QCOMPARE(server.Mismatches(), QStringList());
        QCOMPARE(m_prompter.errors, QStringList());
        QCOMPARE(m_prompter.informations, QStringList{kSent});
        QCOMPARE(m_form->text(k.nameField), QLatin1String(deletion ? "other.example" : "second.example"));
        const QStringList list{deletion ? "other.example" : "first.example"};
        QCOMPARE(m_form->items(k.nameField), list);
        QCOMPARE(readBytes(m_dir->filePath(k.listFile)), list.at(0).toLatin1() + "\r\n");
        if (deletion) {
            QVERIFY(!QFile::exists(recordFile(k, "gone.example")));
            QVERIFY(!QFile::exists(m_dir->filePath("domains/gone.example.txt")));
            QVERIFY(QFile::exists(recordFile(k, "other.example")));
            QVERIFY(QFile::exists(m_dir->filePath("domains/other.example.txt")));
        }
    }

    // Once the server has accepted the data the registration is sent, whatever
    // happens at QUIT; a hang-up before that still fails, and says so.
    void endOfTheExchange_data()
    {
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("error");
        QTest::newRow("QUIT answered") << "C: QUIT\nS: 221 bye\nX:\n" << "";
        QTest::newRow("closed without answering QUIT") << "C: QUIT\nX:\n" << "";
        QTest::newRow("QUIT answer without CR LF") << "C: QUIT\nR: 221 bye\nX:\n" << "";
        QTest::newRow("QUIT refused") << "C: QUIT\nS: 500 what\nX:\n" << "";
        QTest::newRow("QUIT never answered") << "C: QUIT\nW: 3000\n" << "";
        QTest::newRow("closed after the data, no reply") << "X:\n" << "The server closed the connection";
        QTest::newRow("closed inside the data reply") << "S: 250-queued\nX:\n" << "The server closed the connection";
    }
    void endOfTheExchange()
    {
        QFETCH(QString, end);
        QFETCH(QString, error);
        const Kind &k = kKinds[1];
        ScriptedServer server(QStringLiteral("S: 220 test ready\nC: HELO %1\nS: 250 hello\n"
                                             "C: MAIL FROM:<me@example.com>\nS: 250 ok\n"
                                             "C: RCPT TO:<hostmaster@example.net>\nS: 250 ok\n"
                                             "C: DATA\nS: 354 go ahead\nD:\n")
                                  .arg(localHostName()) +
                              (error.isEmpty() ? QStringLiteral("S: 250 queued\n") : QString()) + end);
        server.Start();
        WorkflowRig rig(m_dir->filePath("zandolet.ini"));
        rig.smtp.SetTimeOut(1);
        // Read when the send starts, not when the workflow was made.
        rig.settings.server = server.Address();
        rig.settings.senderAddress = "me@example.com";
        rig.settings.mailto = "hostmaster@example.net";
        rig.fields.texts[k.nameField] = "ns1.example.com";
        QStringList statusLog;
        connect(rig.controls.control<QLineEdit>("hoststatus"), &QLineEdit::textChanged, this, [&](const QString &text) {
            statusLog << QString::number(rig.controls.control<QProgressBar>("HostMailProgress")->value()) + ':' + text;
        });
        rig.controls.control<QPushButton>(k.mailButton)->click();
        QVERIFY2(server.WaitFinished(), qPrintable(server.Log()));
        QCOMPARE(server.Mismatches(), QStringList());
        QCOMPARE(server.Received().count("DATA"), 1);
        const QString status = rig.controls.control<QLineEdit>("hoststatus")->text();
        if (error.isEmpty()) {
            QCOMPARE(rig.prompter.errors, QStringList());
            QCOMPARE(rig.prompter.informations, QStringList{kSent});
            QCOMPARE(rig.fields.items(k.nameField), QStringList{"ns1.example.com"});
            QVERIFY2(statusLog.contains("70:Message has been sent"), qPrintable(statusLog.join('|')));
            QCOMPARE(status, QStringLiteral("Connection closed"));
        } else {
            QCOMPARE(rig.prompter.errors, QStringList{error});
            QCOMPARE(rig.prompter.informations, QStringList());
            QCOMPARE(rig.fields.items(k.nameField), QStringList());
            for (const char *page : {"status", "hoststatus", "Cstatus"})
                QCOMPARE(rig.controls.control<QLineEdit>(QLatin1String(page))->text(), error);
        }
        for (const char *bar : {"MailProgress", "HostMailProgress", "Cmailprogress"})
            QCOMPARE(rig.controls.control<QProgressBar>(QLatin1String(bar))->value(), 0);
    }

    // While a send runs the mail buttons are off and Stop is on; the send is
    // not held up by any box and still completes.
    void mailButtonsRestDuringASend()
    {
        ScriptedServer server(slowSession(1));
        server.Start();
        newForm(server.Address());
        typeName(kKinds[2], "Roe, Richard");
        QStringList during;
        connect(m_form->control<QLineEdit>("Cstatus"), &QLineEdit::textChanged, this, [&](const QString &text) {
            if (text != QLatin1String("Sending message"))
                return;
            QTimer::singleShot(100, m_form.get(), [&] {
                for (const Kind &k : kKinds) {
                    auto *mail = m_form->control<QPushButton>(k.mailButton);
                    during << QStringLiteral("%1:%2").arg(k.mailButton).arg(mail->isEnabled());
                    QTest::mouseClick(mail, Qt::LeftButton);
                }
                for (const char *stop : {"DomainCancelSend", "HostCancelSend", "ContactCancelSend"})
                    during << QStringLiteral("%1:%2").arg(QLatin1String(stop)).arg(m_form->control<QPushButton>(stop)->isEnabled());
            });
        });
        clickMail(kKinds[2]);
        QVERIFY2(server.WaitFinished(), qPrintable(server.Log()));
        QCOMPARE(server.Mismatches(), QStringList());
        QCOMPARE(during, (QStringList{"BitBtn1:0", "HostMailtoNic:0", "ContactMailtoNic:0", "DomainCancelSend:1",
                                      "HostCancelSend:1", "ContactCancelSend:1"}));
        QCOMPARE(m_prompter.log, (QStringList{"Q: " + kQuestion, "I: " + kSent}));
        QCOMPARE(server.Received().count("DATA"), 1);
        for (const Kind &k : kKinds)
            QVERIFY(m_form->control<QPushButton>(k.mailButton)->isEnabled());
        QVERIFY(!m_form->control<QPushButton>("ContactCancelSend")->isEnabled());
    }

    // A mail waits for the check with the network, its progress on the kind's status line; what it
    // found is asked about, marked as such. Stop, Escape or an edit ends the wait and the check.
    void mailWaitsForTheNetworkCheck_data()
    {
        QTest::addColumn<QString>("problem");
        QTest::addColumn<bool>("warning");
        QTest::addColumn<QString>("then");     // the answer to the question, or what ends the wait
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("question"); // before the usual one; empty: none
        const QString late = "ns1.example.net did not answer within 3 seconds";
        const QString found = late + " (found on the network)\n\nMail it anyway?";
        QTest::newRow("nothing found") << "" << false << "" << "" << "";
        QTest::newRow("problem, not mailed") << late << false << "No" << ""
                                             << "The registry may refuse this registration. It has 1 problem:\n\n" + found;
        QTest::newRow("warning, mailed") << late << true << "Yes" << "" << "This registration has 1 warning:\n\nWarning: " + found;
        QTest::newRow("off in Setup") << late << false << "" << "Check Network=No\r\n" << "";
        for (const char *end : {"Stop", "Escape", "edit"}) // edit: typed in a field of the record
            QTest::newRow(end) << late << false << end << "" << "";
    }
    void mailWaitsForTheNetworkCheck()
    {
        QFETCH(QString, problem);
        QFETCH(bool, warning);
        QFETCH(QString, then);
        QFETCH(QString, setup);
        QFETCH(QString, question);
        SmtpSink sink;
        QVERIFY2(sink.Start(), qPrintable(sink.ErrorText()));
        const bool ended = QStringList{"Stop", "Escape", "edit"}.contains(then);
        ScriptedCheck *check = newCheckedForm(sink.Address(), problem, warning, ended ? -1 : 100, setup);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        typeName(kKinds[0], "example.com");
        m_prompter.cautionAnswers = {then == "Yes"};
        clickMail(kKinds[0]);
        auto *stop = m_form->control<QPushButton>("DomainCancelSend");
        QCOMPARE(stop->isEnabled() && !m_form->control<QPushButton>(kKinds[1].mailButton)->isEnabled(), setup.isEmpty());
        if (then == "Stop")
            stop->click();
        else if (then == "Escape")
            QTest::keyClick(m_form.get(), Qt::Key_Escape);
        else if (then == "edit")
            QTest::keyClicks(m_form->control<QLineEdit>("SecNSEdit"), "x");
        const bool mailed = !ended && (question.isEmpty() || then == "Yes");
        const QStringList asked = question.isEmpty() ? QStringList() : QStringList{"N: " + question};
        QTRY_COMPARE(m_prompter.log, asked + (mailed ? QStringList{"Q: " + kQuestion, "I: " + kSent} : QStringList()));
        QCOMPARE(sink.WaitForMessages(1, mailed ? 5000 : 300), mailed);
        QCOMPARE(check->starts, int(setup.isEmpty()));
        QCOMPARE(check->cancels, int(ended));
        QCOMPARE(m_statusLog.filter(ScriptedCheck::kProgress).join('|'),
                 setup.isEmpty() ? "status:0:" + ScriptedCheck::kProgress : QString());
        if (ended)
            QCOMPARE(m_form->text("status"), QStringLiteral("Operation has been canceled"));
        QVERIFY(!stop->isEnabled() && m_form->control<QPushButton>(kKinds[0].mailButton)->isEnabled());
        if (then == "No")
            QCOMPARE(m_form->control("PriNSEdit")->toolTip(), problem + " (found on the network)");
    }

    // Show Form marks what the check with the network finds, unless the record changed since.
    void showFormJoinsTheNetworkProblems_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<bool>("marked");
        QTest::newRow("nothing") << "" << true;
        QTest::newRow("typed") << "typed" << false;
        QTest::newRow("set by the program") << "set" << false;
        QTest::newRow("shown again") << "shown" << true;
    }
    void showFormJoinsTheNetworkProblems()
    {
        QFETCH(QString, meanwhile);
        QFETCH(bool, marked);
        const QString problem = "ns1.example.net (192.0.2.1) does not answer authoritatively for example.com";
        ScriptedCheck *check = newCheckedForm("127.0.0.1:1", problem, false, 150);
        typeName(kKinds[0], "example.com");
        auto *show = m_form->control<QPushButton>("ShowForm");
        show->click();
        if (meanwhile == "typed")
            QTest::keyClicks(m_form->control<QLineEdit>("SecNSEdit"), "x");
        else if (meanwhile == "set")
            m_form->setText("SecNSEdit", "ns3.example.org");
        else if (meanwhile == "shown")
            show->click();
        QTest::qWait(400);
        QCOMPARE(m_form->control("PriNSEdit")->property("registrationProblem").toBool(), marked);
        QCOMPARE(m_form->text("status"), marked ? "1 problem (1 on the network): " + problem : "status...");
        QCOMPARE(check->cancels, int(meanwhile == "typed" || meanwhile == "shown"));
    }

    // "Save as Default" says so on its review page for a moment.
    void saveAsDefaultShowsThatItSaved()
    {
        newForm("127.0.0.1:1");
        m_form->setText("HostAuthScheme", "CRYPT-PW");
        auto *status = m_form->control<QLineEdit>("hoststatus");
        m_form->control<QPushButton>(QLatin1String(kindInfo(RecordKind::Host).defaultButton))->click();
        QCOMPARE(m_prompter.errors, QStringList());
        QVERIFY(readBytes(m_dir->filePath("zandolet.ini")).contains("[HostReg]"));
        QCOMPARE(status->text(), QStringLiteral("Saved as default"));
        QCOMPARE(m_form->control<QLineEdit>("status")->text(), QStringLiteral("status..."));
        QTRY_COMPARE_WITH_TIMEOUT(status->text(), QStringLiteral("status..."), 6000);
    }
};

QTEST_MAIN(TestMailRegistration)
#include "tst_mailregistration.moc"
