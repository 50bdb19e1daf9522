// The INI module's rules: case-insensitive names, update in place, appends,
// creation on demand, read clean-up, and writes that never damage a file.
#include "Exception.h"
#include "IniFile.h"
#include "TestDir.h"

#include <QtTest>

#include <unistd.h>

class IniFileTest : public QObject {
    Q_OBJECT

private slots:
    void readsValues_data();
    void readsValues();
    void updatesKeyInPlace();
    void appendsKeyToItsSection();
    void writesInTheEncodingRead_data();
    void writesInTheEncodingRead();
    void appendsMissingSection();
    void createsMissingFile();
    void writeStringsIsOneReplace();
    void unreadableFileIsNeverOverwritten();
    void failedWriteKeepsOldFile();
    void writeIntoMissingFolderFails();
};

void IniFileTest::readsValues_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QByteArray base = "[Setup]\r\nServer=mail\r\n";
    QTest::newRow("exact") << base << "Setup" << "Server" << "mail";
    QTest::newRow("section case") << base << "SETUP" << "Server" << "mail";
    QTest::newRow("key case") << base << "Setup" << "sErVeR" << "mail";
    QTest::newRow("missing key") << base << "Setup" << "Name" << "";
    QTest::newRow("missing section") << base << "Other" << "Server" << "";
    QTest::newRow("key of other section") << QByteArray("[A]\r\nk=1\r\n[B]\r\nj=2\r\n") << "B" << "k" << "";
    QTest::newRow("blanks trimmed") << QByteArray("[S]\r\nk =   v w  \r\n") << "S" << "k" << "v w";
    QTest::newRow("double quotes") << QByteArray("[S]\r\nk=\" v \"\r\n") << "S" << "k" << " v ";
    QTest::newRow("single quotes") << QByteArray("[S]\r\nk='v'\r\n") << "S" << "k" << "v";
    QTest::newRow("unmatched quotes kept") << QByteArray("[S]\r\nk=\"v'\r\n") << "S" << "k" << "\"v'";
    QTest::newRow("lone quote kept") << QByteArray("[S]\r\nk=\"\r\n") << "S" << "k" << "\"";
    QTest::newRow("LF only") << QByteArray("[S]\nk=v\n") << "S" << "k" << "v";
    QTest::newRow("equals in value") << QByteArray("[S]\r\nk=a=b\r\n") << "S" << "k" << "a=b";
    QTest::newRow("latin-1") << QByteArray("[S]\r\nk=M\xfcller\r\n") << "S" << "k" << QString::fromLatin1("M\xfcller");
    QTest::newRow("utf-8") << QByteArray("[S]\r\nk=J\xc3\xb6rg Wei\xc3\x9f-Test\r\n") << "S" << "k" << QStringLiteral("J\u00f6rg Wei\u00df-Test");
    QTest::newRow("utf-8 with BOM") << QByteArray("\xef\xbb\xbf[S]\r\nk=\xc3\xa9\r\n") << "S" << "k" << QStringLiteral("\u00e9");
    QTest::newRow("broken utf-8 is latin-1") << QByteArray("[S]\r\nk=\xc3\xb6\r\nj=\xfc\r\n") << "S" << "k" << QString::fromLatin1("\xc3\xb6");
    QTest::newRow("cut to 1023") << (QByteArray("[S]\r\nk=") + QByteArray(1023, 'x') + "yz\r\n") << "S" << "k"
                                 << QString(1023, QLatin1Char('x'));
    QTest::newRow("1023 kept") << (QByteArray("[S]\r\nk=") + QByteArray(1023, 'x') + "\r\n") << "S" << "k"
                               << QString(1023, QLatin1Char('x'));
}

void IniFileTest::readsValues()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    TestDir dir;
    writeBytes(dir.path("s.ini"), file);
    QCOMPARE(IniDocument::load(dir.path("s.ini")).value(section, key), expected);
    QCOMPARE(IniDocument::load(dir.path("missing.ini")).value(section, key), QString());
}

void IniFileTest::updatesKeyInPlace()
{
    TestDir dir;
    const QString p = dir.path("s.ini");
    writeBytes(p, "; note\r\n[A]\r\none=1\r\nTWO=2\r\nthree=3\r\n\r\n[B]\r\ntwo=b\r\n");
    IniFile(p).writeStrings("a", {{"two", "new"}});
    QCOMPARE(readBytes(p), QByteArray("; note\r\n[A]\r\none=1\r\ntwo=new\r\nthree=3\r\n\r\n[B]\r\ntwo=b\r\n"));
}

void IniFileTest::appendsKeyToItsSection()
{
    TestDir dir;
    const QString p = dir.path("s.ini");
    writeBytes(p, "[A]\r\none=1\r\n\r\n[B]\r\nx=y\r\n");
    IniFile(p).writeStrings("A", {{"four", "4"}});
    QCOMPARE(readBytes(p), QByteArray("[A]\r\none=1\r\nfour=4\r\n\r\n[B]\r\nx=y\r\n"));
}

void IniFileTest::writesInTheEncodingRead_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("expected");
    const QString weiss = QStringLiteral("Wei\u00df");
    QTest::newRow("utf-8") << QByteArray("[S]\r\na=\xc3\xb6\r\n") << weiss << QByteArray("[S]\r\na=\xc3\xb6\r\nb=Wei\xc3\x9f\r\n");
    QTest::newRow("utf-8 with BOM") << QByteArray("\xef\xbb\xbf[S]\r\na=x\r\n") << weiss
                                    << QByteArray("\xef\xbb\xbf[S]\r\na=x\r\nb=Wei\xc3\x9f\r\n");
    QTest::newRow("latin-1") << QByteArray("[S]\r\na=\xf6\r\n") << weiss << QByteArray("[S]\r\na=\xf6\r\nb=Wei\xdf\r\n");
    QTest::newRow("ascii") << QByteArray("[S]\r\na=x\r\n") << weiss << QByteArray("[S]\r\na=x\r\nb=Wei\xdf\r\n");
    // Latin-1 bytes that would read back as UTF-8 (here U+0561) go out as UTF-8 with a mark.
    QTest::newRow("latin-1 that looks like utf-8") << QByteArray("[S]\r\na=x\r\n") << QStringLiteral("\u00d5\u00a1")
                                                   << QByteArray("\xef\xbb\xbf[S]\r\na=x\r\nb=\xc3\x95\xc2\xa1\r\n");
}

// A file an editor saved as UTF-8 stays UTF-8; every other one is ISO-8859-1.
void IniFileTest::writesInTheEncodingRead()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, value);
    QFETCH(QByteArray, expected);
    TestDir dir;
    const QString p = dir.path("s.ini");
    writeBytes(p, file);
    IniFile(p).writeStrings("S", {{"b", value}});
    QCOMPARE(readBytes(p), expected);
    QCOMPARE(IniDocument::parse(readBytes(p)).value("S", "b"), value);
}

void IniFileTest::appendsMissingSection()
{
    TestDir dir;
    const QString p = dir.path("s.ini");
    writeBytes(p, "[A]\r\none=1\r\n");
    IniFile(p).writeStrings("C", {{"k", "v"}});
    QCOMPARE(readBytes(p), QByteArray("[A]\r\none=1\r\n\r\n[C]\r\nk=v\r\n"));
}

void IniFileTest::createsMissingFile()
{
    TestDir dir;
    const QString p = dir.path("new.ini");
    IniFile(p).writeStrings("Setup", {{"Server", "mail"}});
    QCOMPARE(readBytes(p), QByteArray("[Setup]\r\nServer=mail\r\n"));
    QCOMPARE(IniDocument::load(p).value("setup", "server"), QStringLiteral("mail"));
}

void IniFileTest::writeStringsIsOneReplace()
{
    TestDir dir;
    const QString p = dir.path("s.ini");
    writeBytes(p, "[S]\r\nb=old\r\n");
    IniFile(p).writeStrings("S", {{"a", "1"}, {"B", "2"}, {"c", "3"}});
    QCOMPARE(readBytes(p), QByteArray("[S]\r\nB=2\r\na=1\r\nc=3\r\n"));
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"s.ini"});
}

void IniFileTest::unreadableFileIsNeverOverwritten()
{
    TestDir dir;
    const QString p = dir.path("s.ini");
    if (::geteuid() == 0) {
        // Root reads every file; a folder in the file's place cannot be read as one.
        QVERIFY(QDir(dir.path()).mkdir("s.ini"));
        writeBytes(dir.path("s.ini/inside"), "keep");
    } else {
        writeBytes(p, "[S]\r\nk=secret\r\n");
        QVERIFY(QFile::setPermissions(p, QFileDevice::Permissions()));
    }
    QCOMPARE(IniDocument::load(p).value("S", "k"), QString());
    try {
        IniFile(p).writeStrings("S", {{"k", "v"}});
        QFAIL("an unreadable file was written");
    } catch (const EIniFileError &e) {
        QCOMPARE(e.Message(), "Unable to write to " + p);
    }
    if (::geteuid() == 0) {
        QCOMPARE(readBytes(dir.path("s.ini/inside")), QByteArray("keep"));
    } else {
        QVERIFY(QFile::setPermissions(p, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(readBytes(p), QByteArray("[S]\r\nk=secret\r\n"));
    }
}

void IniFileTest::failedWriteKeepsOldFile()
{
    TestDir dir;
    const QString p = dir.path("s.ini");
    const QByteArray old = "[S]\r\nk=old\r\n";
    writeBytes(p, old);
    {
        FileSizeLimit limit(4096); // like a disk that fills up during the write
        try {
            IniFile(p).writeStrings("S", {{"k", QString(8000, QLatin1Char('x'))}});
            QFAIL("a failed write was reported as success");
        } catch (const EIniFileError &e) {
            QCOMPARE(e.Message(), "Unable to write to " + p);
        }
    }
    QCOMPARE(readBytes(p), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"s.ini"});

    if (::geteuid() != 0) { // permission bits do not stop root
        // A file made read-only is not replaced, although its folder allows it.
        QVERIFY(QFile::setPermissions(p, QFileDevice::ReadOwner));
        QVERIFY_THROWS_EXCEPTION(EIniFileError, IniFile(p).writeStrings("S", {{"k", "new"}}));
        QVERIFY(QFile::setPermissions(p, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(readBytes(p), old);

        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QVERIFY_THROWS_EXCEPTION(EIniFileError, IniFile(p).writeStrings("S", {{"k", "new"}}));
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner));
        QCOMPARE(readBytes(p), old);
    }
}

void IniFileTest::writeIntoMissingFolderFails()
{
    TestDir dir;
    const QString p = dir.path("no/such/folder/s.ini");
    try {
        IniFile(p).writeStrings("S", {{"k", "v"}});
        QFAIL("write into a missing folder succeeded");
    } catch (const EIniFileError &e) {
        QCOMPARE(e.Message(), "Unable to write to " + p);
    }
    QVERIFY(!QFile::exists(dir.path("no")));
}

QTEST_GUILESS_MAIN(IniFileTest)
#include "tst_inifile.moc"
