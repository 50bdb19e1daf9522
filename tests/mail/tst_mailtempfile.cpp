// The temporary message file: where it is, who may read it, when it goes.
#include "Exception.h"
#include "TTempFileStream.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>
#include <sys/stat.h>

class TestMailTempFile : public QObject {
    Q_OBJECT
private slots:
    void createdPrivateInTempDir();
    void namesAreUnique();
    void deletedOnDestructionAlsoAfterFailure();
    void readWrite();
    void failureThrows();
};

void TestMailTempFile::createdPrivateInTempDir()
{
    TTempFileStream stream;
    const QFileInfo info(stream.TempFileName());
    QVERIFY(info.exists());
    QCOMPARE(info.absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    QVERIFY(info.fileName().startsWith(QLatin1String("ms")));
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(stream.TempFileName()).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, mode_t(0600));
    QVERIFY(stream.isOpen());
    QCOMPARE(stream.size(), 0);
}

void TestMailTempFile::namesAreUnique()
{
    TTempFileStream a, b, c;
    QVERIFY(a.TempFileName() != b.TempFileName());
    QVERIFY(b.TempFileName() != c.TempFileName());
    QVERIFY(a.TempFileName() != c.TempFileName());
}

void TestMailTempFile::deletedOnDestructionAlsoAfterFailure()
{
    QString name;
    try {
        TTempFileStream stream;
        name = stream.TempFileName();
        stream.write("partial");
        throw Exception(QStringLiteral("Paragraph is too large"));
    } catch (const Exception &) {
    }
    QVERIFY(!name.isEmpty());
    QVERIFY(!QFile::exists(name));
}

void TestMailTempFile::readWrite()
{
    TTempFileStream stream;
    QCOMPARE(stream.write("hello world"), 11);
    QVERIFY(stream.seek(6));
    QCOMPARE(stream.read(5), QByteArray("world"));
    QVERIFY(stream.seek(0));
    QCOMPARE(stream.readAll(), QByteArray("hello world"));
}

void TestMailTempFile::failureThrows()
{
    // A temporary directory that does not exist cannot hold the file.
    const QByteArray old = qgetenv("TMPDIR");
    qputenv("TMPDIR", "/nonexistent-zandolet-dir");
    bool thrown = false;
    try {
        TTempFileStream stream;
    } catch (const EInOutError &e) {
        thrown = !e.Message().isEmpty();
    }
    if (old.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", old);
    QVERIFY(thrown);
}

QTEST_GUILESS_MAIN(TestMailTempFile)
#include "tst_mailtempfile.moc"
