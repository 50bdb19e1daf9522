// Starting the real program: where there is no display or no way to reach
// one it says why on standard error and exits with a failure, never by a crash.
// --version and --help answer on standard output without any display.
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class TestStartUp : public QObject {
    Q_OBJECT

private slots:
    void startsOrRefuses_data();
    void startsOrRefuses();
    void documentsAgree();
};

void TestStartUp::startsOrRefuses_data()
{
    QTest::addColumn<QStringList>("environment"); // set after DISPLAY, WAYLAND_DISPLAY and the platform are removed
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // expected in standard output or error
    QTest::addColumn<bool>("onlyStandardOutput"); // and nothing on standard error

    // A platform that cannot start names its plugin and what to install or set.
    const QString plugin = QStringLiteral("Zandolet cannot start: the Qt platform plugin ");
    const bool hasWayland = !QDir(QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms").entryList({"*wayland*"}).isEmpty();
    QTest::newRow("no display at all") << QStringList() << QStringList() << 1 << QStringLiteral("needs a graphical display") << false;
    // Display numbers far above any a test machine runs.
    QTest::newRow("X display nobody serves") << QStringList{"DISPLAY=:917", "QT_QPA_PLATFORM=xcb"} << QStringList() << 1
                                             << plugin + "\"xcb\" could not reach its display (DISPLAY=\":917\"" << false;
    QTest::newRow("platform that is not installed") << QStringList{"QT_QPA_PLATFORM=nonesuch"} << QStringList() << 1
                                                    << plugin + "\"nonesuch\" is not installed.\nSet QT_QPA_PLATFORM" << false;
    QTest::newRow("Wayland without its plugin or compositor") << QStringList{"QT_QPA_PLATFORM=wayland"} << QStringList() << 1
        << plugin + (hasWayland ? "\"wayland\" could not reach its display" : "\"wayland\" is not installed.\nInstall the package qt6-wayland, or set QT_QPA_PLATFORM=xcb") << false;
    QTest::newRow("version") << QStringList() << QStringList{"--version"} << 0 << QStringLiteral("Zandolet 1.5\n") << true;
    QTest::newRow("help") << QStringList() << QStringList{"-h"} << 0 << QStringLiteral("--version") << true;
    QTest::newRow("version on a display nobody serves")
        << QStringList{"DISPLAY=:917", "QT_QPA_PLATFORM=xcb"} << QStringList{"-v"} << 0 << QStringLiteral("Zandolet 1.5\n")
        << true;
    // A wrong option is answered before the display is looked for; Qt's own
    // single-dash options are whole words, never bundled letters (-reverse is no -v).
    const QString unknown = QStringLiteral("Unknown option 'frobnicate'");
    QTest::newRow("unknown option") << QStringList{"QT_QPA_PLATFORM=offscreen"} << QStringList{"--frobnicate"} << 2 << unknown << false;
    QTest::newRow("unknown option, no display") << QStringList() << QStringList{"--frobnicate"} << 2 << unknown << false;
    QTest::newRow("unknown option among Qt's") << QStringList() << QStringList{"-style", "Fusion", "-reverse", "--frobnicate"}
                                               << 2 << unknown << false;
    QTest::newRow("Qt's options then help") << QStringList() << QStringList{"-platformtheme", "gtk3", "--platform", "xcb", "-reverse", "-h"}
                                            << 0 << QStringLiteral("Usage: ") << true;
}

void TestStartUp::startsOrRefuses()
{
    QFETCH(QStringList, environment);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QFETCH(bool, onlyStandardOutput);

    QTemporaryDir work;
    QVERIFY(work.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XAUTHORITY"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), work.filePath(QStringLiteral("config")));
    for (const QString &assignment : environment)
        env.insert(assignment.section(QLatin1Char('='), 0, 0), assignment.section(QLatin1Char('='), 1));

    QProcess program;
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(work.path());
    program.start(QStringLiteral(ZANDOLET_PROGRAM), arguments);
    QVERIFY2(program.waitForFinished(60000), "the program did not end");
    const QString standardOutput = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString standardError = QString::fromLocal8Bit(program.readAllStandardError());
    const QString out = standardOutput + standardError;
    QCOMPARE(program.exitStatus(), QProcess::NormalExit); // an abort is a crash to QProcess
    QCOMPARE(program.exitCode(), exitCode);
    QVERIFY2(out.contains(output), qPrintable(out));
    if (onlyStandardOutput) {
        QVERIFY2(standardOutput.contains(output), qPrintable(out));
        QCOMPARE(standardError, QString());
    }
    // Nothing was written: no records, no settings.
    QCOMPARE(QDir(work.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

// The manual page and the help say what the program does: the status of an
// unknown option (the rows above), and the settings file's places.
void TestStartUp::documentsAgree()
{
    QFile man(QStringLiteral(ZANDOLET_SOURCE "/docs/zandolet.1"));
    QVERIFY(man.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(man.readAll());
    const QString exit = page.section(QStringLiteral(".SH EXIT STATUS"), 1).section(QStringLiteral(".SH"), 0, 0);
    const QStringList unknown = exit.split(QLatin1Char(';')).filter(QStringLiteral("unknown"));
    QCOMPARE(unknown.size(), 1);
    QCOMPARE(unknown.first().trimmed().left(2), QStringLiteral("2 "));
    QFile help(QStringLiteral(ZANDOLET_SOURCE "/resources/help/contents.html"));
    QVERIFY(help.open(QIODevice::ReadOnly));
    const QString settings = QString::fromUtf8(help.readAll()).section(QStringLiteral("<b>settings file</b>"), 1).section(QStringLiteral("</p>"), 0, 0);
    QVERIFY2(settings.contains(QStringLiteral("$XDG_CONFIG_HOME/zandolet/zandolet.ini")), qPrintable(settings));
}

QTEST_GUILESS_MAIN(TestStartUp)
#include "tst_startup.moc"
