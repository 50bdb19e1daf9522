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
    void failureThrows_data();
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

void TestMailTempFile::failureThrows_data()
{
    QTest::addColumn<QByteArray>("tmpdir");
    QTest::newRow("missing folder") << QByteArray("/nonexistent-zandolet-dir");
    // The test binary itself: a file where a folder should be.
    QTest::newRow("not a folder") << QFile::encodeName(QCoreApplication::applicationFilePath());
}

void TestMailTempFile::failureThrows()
{
    QFETCH(QByteArray, tmpdir);
    const QByteArray old = qgetenv("TMPDIR");
    qputenv("TMPDIR", tmpdir);
    QString message, created;
    try {
        TTempFileStream stream;
        created = stream.TempFileName();
    } catch (const EInOutError &e) {
        message = e.Message();
    }
    if (old.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", old);
    QVERIFY2(created.isEmpty(), qPrintable(created));
    QVERIFY(!message.isEmpty());
}

QTEST_GUILESS_MAIN(TestMailTempFile)
#include "tst_mailtempfile.moc"
