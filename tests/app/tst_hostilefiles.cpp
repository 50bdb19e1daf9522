// Files that are not plain files where the program expects one: a named pipe
// or a link to /dev/zero as the settings file, a name list or a record file.
// The window must answer at once with an error, never wait or read for ever.
#include "FormHarness.h"
#include "NonRegularFiles.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(SpecialKind)

class TestHostileFiles : public QObject {
    Q_OBJECT

private slots:
    void specialFilesAreRefusedWithAnError_data()
    {
        QTest::addColumn<SpecialKind>("kind");
        QTest::addColumn<QString>("file"); // relative to the work folder
        QTest::addColumn<bool>("atStartUp");
        const std::pair<SpecialKind, const char *> kinds[] = {{SpecialKind::Pipe, "pipe"},
                                                              {SpecialKind::ZeroLink, "/dev/zero link"}};
        for (const auto &[kind, name] : kinds) {
            QTest::addRow("%s as settings", name) << kind << QStringLiteral("zandolet.ini") << true;
            QTest::addRow("%s as name list", name) << kind << QStringLiteral("hosts.cbx") << true;
            QTest::addRow("%s as record file", name) << kind << QStringLiteral("domains/ex.com.ini") << false;
        }
    }

    void specialFilesAreRefusedWithAnError()
    {
        QFETCH(SpecialKind, kind);
        QFETCH(QString, file);
        QFETCH(bool, atStartUp);
        WorkFolder dir;
        QDir().mkpath(dir.filePath("domains"));
        writeBytes(dir.filePath("Contacts.cbx"), "zed\r\nann\r\n");
        QVERIFY(makeSpecialFile(kind, dir.filePath(file)));
        const PipeRelease release(dir.filePath(file), 3s);

        ScriptedPrompter prompter;
        auto form = makeForm(dir.filePath("zandolet.ini"), prompter);
        if (!atStartUp) {
            QVERIFY(prompter.log.isEmpty());
            QTest::keyClicks(form->control<QComboBox>("DomainNameEdit")->lineEdit(), "ex.com");
        }
        QVERIFY(!release.released());
        QCOMPARE(prompter.log.size(), 1);
        const QString expected = QStringLiteral("E: %1 cannot be read: it is not a regular file.");
        QCOMPARE(prompter.log.at(0), expected.arg(QFileInfo(dir.filePath(file)).absoluteFilePath()));
        // What could be read still is.
        QCOMPARE(form->items("Contactname"), QStringList({"ann", "zed"}));
        // Nothing replaced the refused file.
        QVERIFY(!QFileInfo(dir.filePath(file)).isFile());
    }
};

QTEST_MAIN(TestHostileFiles)
#include "tst_hostilefiles.moc"
