// The SMTP password in a real desktop keyring: a session bus and
// gnome-keyring-daemon started and unlocked here, in a home of their own.
// Before they run, with no session bus at all, the settings file keeps it.
#include "FormHarness.h"
#include "IniFile.h"
#include "PasswordKeeper.h"
#include "TSetupDlg.h"
#include "msmsg.h"
#include "mssmtp.h"

#include <QLabel>
#include <QLineEdit>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {

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
        return m_keyringUp = StartDaemon();
    }

    // The daemon, its login keyring (made on the first start) unlocked.
    bool StartDaemon()
    {
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
                return true;
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

    // A daemon started again with its password comes back unlocked.
    bool Unlock()
    {
        m_keyring.terminate();
        m_keyring.waitForFinished(5000);
        return StartDaemon();
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
        PasswordKeeper keeper(m_home.filePath("none.ini"), 3000);
        QCOMPARE(keeper.save("s3cret"), QStringLiteral("s3cret"));
        QVERIFY(!keeper.keyringAnswers());
        QCOMPARE(keeper.load("from the file"), QStringLiteral("from the file"));

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

        PasswordKeeper keeper(m_home.filePath("a.ini"));
        QCOMPARE(keeper.save("first"), QString());
        QVERIFY(keeper.keyringAnswers());
        QCOMPARE(PasswordKeeper(m_home.filePath("b.ini")).save("second"), QString());
        // A keeper of its own reads what the keyring holds, per settings file.
        QCOMPARE(PasswordKeeper(m_home.filePath("a.ini")).load(QString()), QStringLiteral("first"));
        QCOMPARE(PasswordKeeper(m_home.filePath("b.ini")).load(QString()), QStringLiteral("second"));
        // A password the file still holds wins until it has been saved.
        QCOMPARE(PasswordKeeper(m_home.filePath("a.ini")).load("older"), QStringLiteral("older"));
        // An emptied password leaves the keyring.
        QCOMPARE(keeper.save(QString()), QString());
        QCOMPARE(PasswordKeeper(m_home.filePath("a.ini")).load(QString()), QString());
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

    // A locked keyring holds the password back: it is never taken as empty,
    // Setup says why, and neither an unchanged nor a newly typed password is
    // written into the settings file; the keyring keeps its own.
    void lockedKeyringNeverLooksEmpty()
    {
        if (!m_keyringUp)
            QSKIP("no keyring");
        WorkFolder work;
        const QString settings = work.filePath("zandolet.ini");
        WriteSettings(settings, "User Name=pat\r\n", 0644);
        OpenAndClose(settings, [](TForm1 &form) {
            runSetup(form, [](TSetupDlg *d) { d->PasswordEdit->setText("kept"); }, QDialog::Accepted);
        });
        QVERIFY(Lock());
        for (const QString typed : {"", "typed"}) {
            QString note;
            QCOMPARE(OpenAndClose(settings, [&](TForm1 &form) {
                         runSetup(form, [&](TSetupDlg *d) {
                             note = d->KeyringNote->isVisible() ? d->KeyringNote->text() : QString();
                             d->PasswordEdit->setText(typed);
                         }, QDialog::Accepted);
                     }),
                     QString());
            QCOMPARE(IniDocument::load(settings).value("Setup", "Password"), QString());
            QVERIFY2(note.contains("locked"), qPrintable(note));
        }
        QVERIFY(Unlock());
        QCOMPARE(OpenAndClose(settings), QStringLiteral("kept"));
    }
};

QTEST_MAIN(TestPasswordKeeper)
#include "tst_passwordkeeper.moc"
