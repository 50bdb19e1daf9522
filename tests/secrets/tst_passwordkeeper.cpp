// The SMTP password in a real desktop keyring: a session bus and
// gnome-keyring-daemon started and unlocked here, in a home of their own.
// Before they run, with no session bus at all, the settings file keeps it.
#include "EppSettings.h"
#include "FormHarness.h"
#include "IniFile.h"
#include "PasswordKeeper.h"
#include "TSetupDlg.h"
#include "msmsg.h"
#include "mssmtp.h"

#include <QtDBus>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/stat.h>

namespace {

using Pw = std::optional<QString>;
// For a test's own set-up calls, which no window waits on.
constexpr int kPatientMs = 10000;

int ModeOf(const QString &path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return int(st.st_mode & 07777);
}

void WriteSettings(const QString &path, const QByteArray &setup, mode_t mode)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[Setup]\r\nServer=127.0.0.1\r\n" + setup);
    file.close();
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

} // namespace

class TestPasswordKeeper : public QObject {
    Q_OBJECT
    enum State { Unlocked, Locked, UnlockedLater, Silent, NoBus };
    QTemporaryDir m_home;
    QProcess m_bus;
    QProcess m_keyring;
    bool m_keyringUp = false;

    // The password a window opened on the settings file uses, after `setup`;
    // the window is closed again, which saves the settings.
    QString OpenAndClose(const QString &settings, const std::function<void(TForm1 &)> &setup = {})
    {
        ScriptedPrompter prompter;
        auto form = makeForm(settings, prompter);
        const QString password = shownSettings(*form).mail.password;
        if (setup)
            setup(*form);
        form->close();
        return password;
    }

    bool StartKeyring()
    {
        m_bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
        if (!m_bus.waitForReadyRead(10000))
            return false;
        const QByteArray address = m_bus.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        m_keyring.setProcessChannelMode(QProcess::MergedChannels);
        m_keyring.start(QStringLiteral("gnome-keyring-daemon"),
                        {"--foreground", "--unlock", "--components=secrets"});
        if (!m_keyring.waitForStarted(10000))
            return false;
        m_keyring.write("unlock-me");
        m_keyring.closeWriteChannel();
        // Ready once it owns the Secret Service's name on the bus.
        for (int i = 0; i < 100; ++i) {
            if (Bus({"--dest=org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                     "string:org.freedesktop.secrets"})
                    .contains("boolean true"))
                return m_keyringUp = true;
            QTest::qWait(100);
        }
        return false;
    }

    static QByteArray Bus(const QStringList &call)
    {
        QProcess ask;
        ask.start(QStringLiteral("dbus-send"), QStringList{"--session", "--print-reply"} + call);
        return ask.waitForFinished(5000) ? ask.readAllStandardOutput() : QByteArray();
    }

    // Locks the login keyring as a screen lock or a user would.
    static bool Lock()
    {
        return Bus({"--dest=org.freedesktop.secrets", "/org/freedesktop/secrets", "org.freedesktop.Secret.Service.Lock",
                    "array:objpath:/org/freedesktop/secrets/collection/login"})
            .contains("collection/login");
    }

    // Unlocks the login keyring with its password, as the desktop's unlock prompt would.
    static bool Unlock()
    {
        QDBusConnection bus = QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), "unlock");
        auto call = [&](const QString &interface, const QString &method, const QVariantList &args) {
            QDBusMessage m = QDBusMessage::createMethodCall("org.freedesktop.secrets", "/org/freedesktop/secrets", interface, method);
            m.setArguments(args);
            return bus.call(m, QDBus::Block, 5000);
        };
        const QDBusMessage session = call("org.freedesktop.Secret.Service", "OpenSession", {"plain", QVariant::fromValue(QDBusVariant(""))});
        QDBusArgument secret;
        secret.beginStructure();
        secret << session.arguments().value(1).value<QDBusObjectPath>() << QByteArray() << QByteArray("unlock-me") << QString("text/plain");
        secret.endStructure();
        const QDBusMessage done = call("org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface", "UnlockWithMasterPassword",
                                       {QVariant::fromValue(QDBusObjectPath("/org/freedesktop/secrets/collection/login")), QVariant::fromValue(secret)});
        QDBusConnection::disconnectFromBus("unlock");
        return done.type() == QDBusMessage::ReplyMessage;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        // Nothing of the user's own desktop: no display to start a bus on, no bus, a home of our own.
        qunsetenv("DISPLAY");
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        QVERIFY(QDir(m_home.path()).mkpath("run"));
        QFile::setPermissions(m_home.filePath("run"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_home.filePath("run")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath("data")));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath("config")));
    }

    void cleanupTestCase()
    {
        for (QProcess *p : {&m_keyring, &m_bus}) {
            p->terminate();
            p->waitForFinished(5000);
        }
    }

    // No session bus: the settings file keeps the password, now owner-only,
    // and the Setup dialog says why.
    void withoutSessionBusTheFileKeepsIt()
    {
        PasswordKeeper keeper(m_home.filePath("none.ini"));
        QCOMPARE(keeper.save("s3cret"), Pw("s3cret"));
        QVERIFY(keeper.keyring() == PasswordKeeper::Keyring::None);
        QCOMPARE(keeper.load("from the file"), Pw("from the file"));

        WorkFolder work;
        const QString settings = work.filePath("zandolet.ini");
        WriteSettings(settings, "User Name=pat\r\nPassword=s3cret\r\n", 0644);
        QCOMPARE(OpenAndClose(settings, [](TForm1 &form) {
                     whenShown<TSetupDlg>([](TSetupDlg *dlg) {
                         QVERIFY(dlg->KeyringNote->isVisible());
                         dlg->reject();
                     });
                     form.Setup2Click();
                 }),
                 QStringLiteral("s3cret"));
        QVERIFY(IniDocument::load(settings).value("Setup", "Password") == QLatin1String("s3cret"));
        QCOMPARE(ModeOf(settings), 0600);
    }

    void keyringKeepsIt()
    {
        if (QStandardPaths::findExecutable("gnome-keyring-daemon").isEmpty())
            QSKIP("gnome-keyring-daemon is not installed (scripts/deps.sh installs it)");
        QVERIFY2(StartKeyring(), m_keyring.readAll().constData());

        // A new daemon may take its time over the first call.
        PasswordKeeper keeper(m_home.filePath("a.ini"), kPatientMs);
        QCOMPARE(keeper.save("first"), Pw(""));
        QVERIFY(keeper.keyring() == PasswordKeeper::Keyring::Answers);
        QCOMPARE(PasswordKeeper(m_home.filePath("b.ini")).save("second"), Pw(""));
        // A keeper of its own reads what the keyring holds, per settings file.
        QCOMPARE(PasswordKeeper(m_home.filePath("a.ini")).load(QString()), Pw("first"));
        QCOMPARE(PasswordKeeper(m_home.filePath("b.ini")).load(QString()), Pw("second"));
        // Every close saves the password: one the keyring is known to hold asks
        // it nothing, so even a keyring that has stopped answering is not waited on.
        PasswordKeeper closing(m_home.filePath("a.ini"), 300);
        QCOMPARE(closing.load(QString()), Pw("first"));
        QCOMPARE(::kill(pid_t(m_keyring.processId()), SIGSTOP), 0);
        const std::optional<QString> unchanged = closing.save("first"), changed = closing.save("changed");
        QCOMPARE(::kill(pid_t(m_keyring.processId()), SIGCONT), 0);
        QCOMPARE(unchanged, Pw(""));
        QVERIFY(!changed.has_value());
        // A password the file still holds wins until it has been saved.
        QCOMPARE(PasswordKeeper(m_home.filePath("a.ini")).load("older"), Pw("older"));
        // An emptied password leaves the keyring.
        QCOMPARE(keeper.save(QString()), Pw(""));
        QCOMPARE(PasswordKeeper(m_home.filePath("a.ini")).load(QString()), Pw(""));
    }

    // A password found in the settings file moves to the keyring at the next save.
    void settingsPasswordMovesToTheKeyring()
    {
        if (!m_keyringUp)
            QSKIP("no keyring");
        WorkFolder work;
        const QString settings = work.filePath("zandolet.ini");
        WriteSettings(settings, "User Name=pat\r\nPassword=legacy\r\n", 0644);
        QCOMPARE(OpenAndClose(settings, [](TForm1 &form) {
                     whenShown<TSetupDlg>([](TSetupDlg *dlg) {
                         QVERIFY(!dlg->KeyringNote->isVisible());
                         dlg->reject();
                     });
                     form.Setup2Click();
                 }),
                 QStringLiteral("legacy"));
        const IniDocument after = IniDocument::load(settings);
        QVERIFY(after.contains("Setup", "Password"));
        QCOMPARE(after.value("Setup", "Password"), QString());
        QCOMPARE(OpenAndClose(settings), QStringLiteral("legacy"));
    }

    // Each state of the keyring: what Setup shows and says, whether a send
    // starts, and that neither the settings file nor the keyring's own entry
    // changes after Setup's OK (the password left as shown, or typed) and the close.
    void keyringStates_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("inFile"); // the settings file's password, before and after
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("note"); // what the note under the password says, in part
        QTest::addColumn<bool>("sends");
        QTest::newRow("unlocked, with the entry") << int(Unlocked) << "" << "" << "kept" << "" << true;
        QTest::newRow("locked") << int(Locked) << "" << "" << "" << "keyring is locked" << false;
        QTest::newRow("locked, one typed") << int(Locked) << "" << "typed" << "" << "keyring is locked" << true;
        QTest::newRow("locked, the file holding one") << int(Locked) << "older" << "" << "older" << "" << true;
        QTest::newRow("unlocked before Setup") << int(UnlockedLater) << "" << "" << "kept" << "" << true;
        QTest::newRow("no answer") << int(Silent) << "" << "" << "" << "keyring did not answer" << false;
        QTest::newRow("no session bus") << int(NoBus) << "in the file" << "" << "in the file" << "No keyring" << true;
    }

    void keyringStates()
    {
        if (!m_keyringUp)
            QSKIP("no keyring");
        QFETCH(int, state);
        QFETCH(QString, inFile);
        QFETCH(QString, typed);
        QFETCH(QString, note);
        WorkFolder work;
        const QString settings = work.filePath("zandolet.ini");
        // The EPP login's password is kept as the SMTP login's is, under an entry of its own.
        WriteSettings(settings, "User Name=pat\r\nPassword=" + inFile.toUtf8() +
                                    "\r\nEPP Server=127.0.0.1:9\r\nEPP Client ID=zandolet\r\n", 0600);
        const QString entry = QFileInfo(settings).absoluteFilePath();
        QCOMPARE(PasswordKeeper(entry, kPatientMs).save("kept"), Pw(""));
        QCOMPARE(PasswordKeeper(EppSettings::keyringEntry(settings), kPatientMs).save("epp-kept"), Pw(""));

        const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        QVERIFY((state != Locked && state != UnlockedLater) || Lock());
        QVERIFY(state != Silent || ::kill(pid_t(m_keyring.processId()), SIGSTOP) == 0);
        if (state == NoBus)
            qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        ScriptedPrompter prompter;
        auto form = makeForm(settings, prompter);
        QVERIFY(state != UnlockedLater || Unlock());
        QString shown, said;
        runSetup(*form, [&](TSetupDlg *d) {
            shown = d->PasswordEdit->text();
            said = d->KeyringNote->isVisible() ? d->KeyringNote->text() : QString();
            if (!typed.isEmpty())
                d->PasswordEdit->setText(typed);
        }, QDialog::Accepted);
        form->control<QPushButton>("BitBtn1")->click();
        form->control<QPushButton>("HostSendToRegistry")->click();
        form->close(); // writes the settings
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
        QVERIFY(state != Silent || ::kill(pid_t(m_keyring.processId()), SIGCONT) == 0);
        QVERIFY(state != Locked || Unlock());

        QTEST(shown, "shown");
        QVERIFY2(note.isEmpty() ? said.isEmpty() : said.contains(note), qPrintable(said));
        // A send that cannot log in stops at once, saying why; one that can goes on to the record's checks.
        // A registry send stops before it connects whenever the keyring holds its password back.
        const QStringList epp = prompter.errors.filter("the EPP password is unknown");
        QCOMPARE(epp.size(), int(state == Locked || state == Silent));
        for (const QString &e : epp)
            prompter.errors.removeOne(e);
        QFETCH(bool, sends);
        QVERIFY2(sends ? prompter.errors.isEmpty() && !prompter.informations.isEmpty()
                       : prompter.errors.size() == 1 && prompter.errors.first().startsWith("Not sent") &&
                             prompter.errors.first().contains(note),
                 qPrintable(prompter.log.join('\n')));
        QCOMPARE(IniDocument::load(settings).value("Setup", "Password"), inFile);
        QCOMPARE(PasswordKeeper(entry, kPatientMs).load(QString()), Pw("kept"));
        QCOMPARE(PasswordKeeper(EppSettings::keyringEntry(settings), kPatientMs).load(QString()), Pw("epp-kept"));
    }
};

QTEST_MAIN(TestPasswordKeeper)
#include "tst_passwordkeeper.moc"
