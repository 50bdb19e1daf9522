// How the store's files land on disk: owner-only modes, links followed,
// crash leftovers removed, a file-size limit and read-only files reported,
// and name lists read without their empty lines.
#include "AtomicFile.h"
#include "DirectoryIndex.h"
#include "Exception.h"
#include "IniFile.h"
#include "MapFields.h"
#include "NameList.h"
#include "RecordStore.h"
#include "TestDir.h"
#include "TextCopy.h"

#include <QtTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Writes the store's file of `what` into the current folder and returns its path.
QString writeStoreFile(const QString &what, const QString &settings)
{
    MapFields f;
    f.texts["DomainNameEdit"] = "ex.com";
    f.texts["AuthInfoEdit"] = "secret";
    f.checked << "NewDomainRadio";
    RecordStore store(f, settings);
    if (what == QLatin1String("record file")) {
        store.saveRecord(RecordKind::Domain);
        return RecordStore::recordFilePath(RecordKind::Domain, "ex.com");
    }
    if (what == QLatin1String("settings file")) {
        store.saveDefaults(RecordKind::Domain);
        return settings;
    }
    if (what == QLatin1String("settings password")) {
        IniFile(settings).writeStrings("Setup", {{"Password", "secret"}}, AtomicFile::Access::OwnerOnly);
        return settings;
    }
    if (what == QLatin1String("text copy")) {
        RecordStore::ensureFolder(RecordKind::Domain);
        const QString path = RecordStore::textCopyPath(RecordKind::Domain, "ex.com");
        TextCopy::write(path, {"Authorization: secret"});
        return path;
    }
    const QString path = RecordStore::listFilePath(RecordKind::Domain);
    NameList::write(path, {"ex.com"});
    return path;
}

mode_t modeOf(const QString &path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

void age(const QString &path, int seconds)
{
    const timeval then[2] = {{time(nullptr) - seconds, 0}, {time(nullptr) - seconds, 0}};
    QCOMPARE(::utimes(QFile::encodeName(path).constData(), then), 0);
}

const QStringList kStoreFiles = {"record file", "settings file", "text copy", "name list"};

} // namespace

class StoreFilesTest : public QObject {
    Q_OBJECT

private slots:
    void init() { DirectoryIndex::clear(); }

    void newFilesAreOwnerOnlyExistingKeepTheirMode_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("before"); // mode of an existing file, 0: none
        QTest::addColumn<int>("after");
        for (const QString &w : kStoreFiles) {
            QTest::addRow("new %s", qPrintable(w)) << w << 0 << 0600;
            QTest::addRow("existing %s", qPrintable(w)) << w << 0644 << 0644;
        }
        // A password makes even an old file owner-only.
        QTest::newRow("new settings password") << "settings password" << 0 << 0600;
        QTest::newRow("existing settings password") << "settings password" << 0644 << 0600;
    }

    void newFilesAreOwnerOnlyExistingKeepTheirMode()
    {
        QFETCH(QString, what);
        QFETCH(int, before);
        QFETCH(int, after);
        TestDir dir;
        const mode_t oldMask = ::umask(022);
        QString path;
        if (before) {
            path = writeStoreFile(what, dir.path("zandolet.ini"));
            QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(before)), 0);
        }
        path = writeStoreFile(what, dir.path("zandolet.ini"));
        ::umask(oldMask);
        QCOMPARE(int(modeOf(path)), after);
    }

    // Closing the window saves settings that rarely changed: the same bytes
    // leave the file as it is (no replacement, no flush); new bytes replace it.
    void sameBytesLeaveTheFileAlone()
    {
        TestDir dir;
        const auto inode = [](const QString &path) {
            struct stat st {};
            ::stat(QFile::encodeName(path).constData(), &st);
            return st.st_ino;
        };
        for (const QString &w : kStoreFiles) {
            const QString path = writeStoreFile(w, dir.path("zandolet.ini"));
            const ino_t first = inode(path);
            QCOMPARE(inode(writeStoreFile(w, dir.path("zandolet.ini"))), first);
            AtomicFile::write(path, "changed");
            QVERIFY2(inode(path) != first, qPrintable(w));
            QCOMPARE(readBytes(path), QByteArray("changed"));
        }
    }

    void recordFileLinkIsFollowed()
    {
        TestDir dir;
        RecordStore::ensureFolder(RecordKind::Domain);
        writeBytes(dir.path("shared/ex.ini"), "[DomainReg]\r\nOOrgNameEdit=Old\r\n");
        QCOMPARE(::symlink("../shared/ex.ini", "domains/ex.com.ini"), 0);
        MapFields f;
        f.texts["DomainNameEdit"] = "ex.com";
        f.texts["OOrgNameEdit"] = "New Org";
        RecordStore store(f, dir.path("zandolet.ini"));
        store.saveRecord(RecordKind::Domain);
        QVERIFY(QFileInfo(dir.path("domains/ex.com.ini")).isSymLink());
        QVERIFY(readBytes(dir.path("shared/ex.ini")).contains("\r\nOOrgNameEdit=New Org\r\n"));
        QCOMPARE(QDir(dir.path("domains")).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{"ex.com.ini"});
        QCOMPARE(QDir(dir.path("shared")).entryList(QDir::Files | QDir::Hidden), QStringList{"ex.ini"});

        // A link to nothing is not replaced by a plain file.
        QVERIFY(QFile::remove(dir.path("shared/ex.ini")));
        QVERIFY_THROWS_EXCEPTION(EIniFileError, store.saveRecord(RecordKind::Domain));
        QVERIFY(QFileInfo(dir.path("domains/ex.com.ini")).isSymLink());
        QVERIFY(!QFileInfo::exists(dir.path("shared/ex.ini")));

        // Nor is anything but a regular file a link leads to (a pipe here: a
        // real device must never be put at risk by a faulty writer).
        QCOMPARE(::mkfifo("pipe", 0600), 0);
        QCOMPARE(::symlink("pipe", "domains.cbx"), 0);
        QVERIFY_THROWS_EXCEPTION(EInOutError, NameList::write(dir.path("domains.cbx"), {"x"}));
        QVERIFY(QFileInfo(dir.path("domains.cbx")).isSymLink());
        struct stat st {};
        QCOMPARE(::stat("pipe", &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
    }

    void staleTemporaryFilesAreRemovedOthersKept()
    {
        TestDir dir;
        const QStringList files = {".zandolet-Old123", ".zandolet-New456", ".zandolet-notes", "zandolet-Abc789"};
        for (const QString &f : files) {
            writeBytes(dir.path(f), "x");
            if (f != QLatin1String(".zandolet-New456"))
                age(dir.path(f), 120);
        }
        QVERIFY(QDir().mkdir(dir.path(".zandolet-Dir123")));
        age(dir.path(".zandolet-Dir123"), 120);
        NameList::write(dir.path("domains.cbx"), {"a"});
        QStringList left = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        left.sort();
        QCOMPARE(left, QStringList({".zandolet-Dir123", ".zandolet-New456", ".zandolet-notes", "domains.cbx",
                                    "zandolet-Abc789"}));
    }

    // In a child: SIGXFSZ would end the whole test program.
    void fileSizeLimitFailsLikeAFullDisk()
    {
        TestDir dir;
        const QString path = dir.path("domains.cbx");
        NameList::write(path, {"kept"});
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            ::signal(SIGXFSZ, SIG_DFL);
            const rlimit limit{4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            try {
                NameList::write(path, QStringList(2000, QStringLiteral("a-long-enough-name")));
            } catch (const EInOutError &e) {
                ::_exit(e.Message() == QLatin1String("Disk full") && e.ErrorCode == 101 ? 0 : 2);
            }
            ::_exit(3);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY2(WIFEXITED(status), "killed by a signal");
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(NameList::read(path), QStringList{"kept"});
    }

    // Root may write anything, so the refusal is checked as an ordinary user.
    void readOnlyTextCopyAndListAreRefused_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("text copy") << QStringLiteral("text copy");
        QTest::newRow("name list") << QStringLiteral("name list");
    }

    void readOnlyTextCopyAndListAreRefused()
    {
        QFETCH(QString, what);
        TestDir dir;
        const QString path = writeStoreFile(what, dir.path("zandolet.ini"));
        const QByteArray before = readBytes(path);
        const uid_t nobody = 65534;
        if (::geteuid() == 0) {
            for (const QString &p : {dir.path(), QFileInfo(path).absolutePath(), path})
                QCOMPARE(::chown(QFile::encodeName(p).constData(), nobody, nobody), 0);
            QCOMPARE(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
        }
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0444), 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            if (::geteuid() == 0 && (::setgid(nobody) != 0 || ::setuid(nobody) != 0))
                ::_exit(4);
            try {
                if (what == QLatin1String("text copy"))
                    TextCopy::write(path, {"changed"});
                else
                    NameList::write(path, {"changed"});
            } catch (const EInOutError &e) {
                ::_exit(e.Message() == QLatin1String("File access denied") && e.ErrorCode == 5 ? 0 : 2);
            }
            ::_exit(3);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        if (WEXITSTATUS(status) == 4)
            QSKIP("cannot drop root privileges here");
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(readBytes(path), before);
        QCOMPARE(int(modeOf(path)), 0444);
    }

    void emptyNamesInAListAreSkipped()
    {
        TestDir dir;
        writeBytes(dir.path("hosts.cbx"), "ns1\r\n\r\n\nns2\r\n\r\n");
        MapFields f;
        RecordStore(f, dir.path("zandolet.ini")).loadDefaultsAndLists();
        QCOMPARE(f.lists.value("HostName"), QStringList({"ns1", "ns2"}));
    }
};

QTEST_GUILESS_MAIN(StoreFilesTest)
#include "tst_storefiles.moc"
