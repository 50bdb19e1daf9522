// What a user installs: the tree `cmake --install` makes and the Debian
// package CPack makes, unpacked with dpkg. Both must hold the program, a valid
// desktop entry, the icons and the help, and the program must start from them.
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;    // standard output and error
    QString stdOut; // standard output alone
};

Run run(const QString &program, const QStringList &args, const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(QStringLiteral(ZANDOLET_BUILD_DIR));
    p.start(program, args);
    Run r;
    if (p.waitForFinished(600000) && p.exitStatus() == QProcess::NormalExit)
        r.exitCode = p.exitCode();
    r.stdOut = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.out = r.stdOut + QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

const int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

} // namespace

class TestPackage : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_deb;
    QMap<QString, QString> m_prefixes; // "install tree", "deb" -> folder that holds bin/, share/

    void addRowsPerPrefix(const std::function<void(const QString &, const QString &)> &add)
    {
        for (auto it = m_prefixes.cbegin(); it != m_prefixes.cend(); ++it)
            add(it.key(), it.value());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString tree = m_dir.filePath(QStringLiteral("tree"));
        Run r = run(QStringLiteral(ZANDOLET_CMAKE), {QStringLiteral("--install"), QStringLiteral("."),
                                                    QStringLiteral("--prefix"), tree});
        QVERIFY2(r.exitCode == 0, qPrintable(r.out));
        m_prefixes.insert(QStringLiteral("install tree"), tree);

        const QString out = m_dir.filePath(QStringLiteral("cpack"));
        r = run(QStringLiteral(ZANDOLET_CPACK), {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), out,
                                                QStringLiteral("--config"), QStringLiteral("CPackConfig.cmake")});
        QVERIFY2(r.exitCode == 0, qPrintable(r.out));
        const QStringList debs = QDir(out).entryList({QStringLiteral("*.deb")}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        m_deb = QDir(out).filePath(debs.first());
        const QString root = m_dir.filePath(QStringLiteral("root"));
        r = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_deb, root});
        QVERIFY2(r.exitCode == 0, qPrintable(r.out));
        m_prefixes.insert(QStringLiteral("deb"), root + QStringLiteral("/usr"));
    }

    void installedFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("iconSize"); // valid for icons
        addRowsPerPrefix([](const QString &name, const QString &prefix) {
            const auto row = [&](const QString &rel, QSize size = {}) {
                QTest::addRow("%s: %s", qPrintable(name), qPrintable(rel)) << prefix + QLatin1Char('/') + rel << size;
            };
            row(QStringLiteral("bin/zandolet"));
            row(QStringLiteral("share/applications/zandolet.desktop"));
            for (int n : kIconSizes)
                row(QStringLiteral("share/icons/hicolor/%1x%1/apps/zandolet.png").arg(n), QSize(n, n));
            row(QStringLiteral("share/doc/zandolet/html/contents.html"));
            row(QStringLiteral("share/doc/zandolet/html/1031.html"));
            row(QStringLiteral("share/man/man1/zandolet.1.gz"));
            row(QStringLiteral("bin/zandolet-cli"));
            row(QStringLiteral("share/man/man1/zandolet-cli.1.gz"));
            row(QStringLiteral("share/bash-completion/completions/zandolet-cli"));
        });
    }

    void installedFiles()
    {
        QFETCH(QString, path);
        QFETCH(QSize, iconSize);
        const QFileInfo file(path);
        QVERIFY2(file.isFile() && file.size() > 0, qPrintable(path));
        if (path.contains(QLatin1String("/bin/")))
            QVERIFY(file.isExecutable());
        if (iconSize.isValid()) {
            const QImage icon(path);
            QCOMPARE(icon.size(), iconSize);
            QVERIFY(icon.hasAlphaChannel());
        }
    }

    void desktopEntry_data()
    {
        QTest::addColumn<QString>("prefix");
        addRowsPerPrefix([](const QString &name, const QString &prefix) { QTest::newRow(qPrintable(name)) << prefix; });
    }

    void desktopEntry()
    {
        QFETCH(QString, prefix);
        const QString entry = prefix + QStringLiteral("/share/applications/zandolet.desktop");
        const Run check = run(QStringLiteral("desktop-file-validate"), {entry});
        QVERIFY2(check.exitCode == 0 && check.out.trimmed().isEmpty(), qPrintable(check.out));

        QFile f(entry);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QMap<QString, QString> keys;
        for (const QByteArray &line : f.readAll().split('\n'))
            if (const int eq = line.indexOf('='); eq > 0)
                keys.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)));
        const QStringList categories = keys.value(QStringLiteral("Categories")).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        QVERIFY(categories.contains(QStringLiteral("Network")) && categories.contains(QStringLiteral("Email")));
        QVERIFY(!keys.value(QStringLiteral("Comment")).isEmpty());
        QVERIFY(keys.value(QStringLiteral("Keywords")).split(QLatin1Char(';'), Qt::SkipEmptyParts).size() >= 5);
        // The menu starts the installed program and shows the installed icon.
        QVERIFY(QFileInfo(prefix + QStringLiteral("/bin/") + keys.value(QStringLiteral("Exec")).section(QLatin1Char(' '), 0, 0)).isExecutable());
        QVERIFY(QFileInfo::exists(prefix + QStringLiteral("/share/icons/hicolor/48x48/apps/") + keys.value(QStringLiteral("Icon")) + QStringLiteral(".png")));
    }

    void programStarts_data() { desktopEntry_data(); }

    void programStarts()
    {
        QFETCH(QString, prefix);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        const Run started = run(prefix + QStringLiteral("/bin/zandolet"), {QStringLiteral("--version")}, env);
        QCOMPARE(started.exitCode, 0);
        QCOMPARE(started.stdOut.trimmed(), QStringLiteral("Zandolet 1.5"));
        const Run cli = run(prefix + QStringLiteral("/bin/zandolet-cli"), {QStringLiteral("--version")}, env);
        QCOMPARE(cli.exitCode, 0);
        QCOMPARE(cli.stdOut.trimmed(), QStringLiteral("zandolet-cli 1.5"));
    }

    // Debian's own check of a package finds no error in it.
    void lintianFindsNoError()
    {
        const Run check = run(QStringLiteral("lintian"), {m_deb});
        QVERIFY2(check.exitCode == 0, qPrintable(check.out));
        QVERIFY2(!check.out.contains(QRegularExpression(QStringLiteral("^E: "), QRegularExpression::MultilineOption)),
                 qPrintable(check.out));
    }

    // The package names what it needs and holds nothing it would leave behind.
    void packageControl()
    {
        const Run fields = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_deb, QStringLiteral("Package"),
                                                            QStringLiteral("Depends")});
        QCOMPARE(fields.exitCode, 0);
        QVERIFY(fields.out.contains(QLatin1String("Package: zandolet")));
        for (const char *dependency : {"libqt6widgets6", "libqt6printsupport6", "libqt6network6", "fonts-liberation",
                                       "netbase", "shared-mime-info", "ca-certificates", "libqt6keychain1", "libsecret-1-0"})
            QVERIFY2(fields.out.contains(QLatin1String(dependency)), qPrintable(fields.out));

        const Run contents = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), m_deb});
        QCOMPARE(contents.exitCode, 0);
        for (const QString &line : contents.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QString path = line.section(QLatin1Char(' '), -1);
            QVERIFY2(path == QLatin1String("./") || path.startsWith(QLatin1String("./usr/")), qPrintable(line));
        }
        // No maintainer scripts: removing the package removes exactly its files.
        const Run info = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-I"), m_deb});
        for (const char *script : {"preinst", "postinst", "prerm", "postrm"})
            QVERIFY2(!info.out.contains(QLatin1String(script)), qPrintable(info.out));
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
