// The render operation on disk: the text copy and then the record file, in
// the kind's folder under the current directory.
#include "Exception.h"
#include "IniFile.h"
#include "MapFields.h"
#include "RecordCase.h"
#include "RecordStore.h"
#include "TemplateRenderer.h"
#include "TextCopy.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

const QString kDataDir = QStringLiteral(ZANDOLET_TEST_DATA "/templates");

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QString recordFile(const RecordCase &rc)
{
    return RecordStore::recordFilePath(rc.kind, rc.fields.text(QLatin1String(kindInfo(rc.kind).nameField)));
}

} // namespace

class TstRenderFiles : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void writesBothFiles_data();
    void writesBothFiles();
    void recordKeepsTextOfCombos();
    void rerenderReplacesTextCopy();
    void existingFileOfOtherCaseIsReused();
    void failedTextCopyWritesNoRecord_data();
    void failedTextCopyWritesNoRecord();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCwd;
};

void TstRenderFiles::init()
{
    m_oldCwd = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void TstRenderFiles::cleanup()
{
    QDir::setCurrent(m_oldCwd);
    m_dir.reset();
}

void TstRenderFiles::writesBothFiles_data()
{
    QTest::addColumn<QString>("caseName");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("lineCount");
    QTest::newRow("domain") << "domain_full" << "domains" << "zandolet-press.com" << 212;
    QTest::newRow("domain, mixed case, 3-line purpose") << "domain_purpose3" << "domains" << "MixedCase-Press.COM" << 214;
    QTest::newRow("host") << "host_full" << "hosts" << "ns1.zandolet-press.com" << 28;
    QTest::newRow("contact") << "contact_full" << "contacts" << "Ada Admin" << 31;
}

void TstRenderFiles::writesBothFiles()
{
    QFETCH(QString, caseName);
    QFETCH(QString, folder);
    QFETCH(QString, fileName);
    QFETCH(int, lineCount);
    RecordCase rc = RecordCase::load(kDataDir + QLatin1Char('/') + caseName);
    RecordStore store(rc.fields, m_dir->filePath(QStringLiteral("zandolet.ini")));

    const RenderResult r = renderRecord(rc.kind, rc.fields, store, rc.now);
    const QString base = QDir(m_dir->path()).filePath(folder + QLatin1Char('/') + fileName);
    QCOMPARE(QFileInfo(r.textPath).absoluteFilePath(), base + QStringLiteral(".txt"));

    const QByteArray text = fileBytes(r.textPath);
    QCOMPARE(text, TextCopy::encode(renderLines(rc.kind, rc.fields, rc.now), r.textPath));
    QCOMPARE(text.count("\r\n"), lineCount);
    QVERIFY(text.endsWith("\r\n"));
    QCOMPARE(text.count('\n'), lineCount); // no bare line feeds
    QCOMPARE(text.count('\r'), lineCount);

    const QString section = QLatin1String(kindInfo(rc.kind).section);
    const QByteArray record = fileBytes(base + QStringLiteral(".ini"));
    QVERIFY2(record.startsWith('[' + section.toLatin1() + "]\r\n"), record.constData());
    QCOMPARE(entries(QFileInfo(r.textPath).path()),
             (QStringList{fileName + QStringLiteral(".ini"), fileName + QStringLiteral(".txt")}));
}

// The template prints a combo's selected entry, the record keeps its text.
void TstRenderFiles::recordKeepsTextOfCombos()
{
    RecordCase rc = RecordCase::load(kDataDir + QStringLiteral("/domain_purpose3"));
    RecordStore store(rc.fields, m_dir->filePath(QStringLiteral("zandolet.ini")));
    const RenderResult r = renderRecord(rc.kind, rc.fields, store, rc.now);
    QVERIFY(TextCopy::read(r.textPath).contains(QStringLiteral("0b. Auth Scheme................: PGP")));
    QCOMPARE(IniDocument::load(recordFile(rc)).value(QStringLiteral("DomainReg"), QStringLiteral("AuthScheme")),
             QStringLiteral("pgp"));
    QCOMPARE(IniDocument::load(recordFile(rc)).value(QStringLiteral("DomainReg"), QStringLiteral("DomainNameEdit")), QString());
}

void TstRenderFiles::rerenderReplacesTextCopy()
{
    RecordCase rc = RecordCase::load(kDataDir + QStringLiteral("/domain_purpose3"));
    RecordStore store(rc.fields, m_dir->filePath(QStringLiteral("zandolet.ini")));
    const RenderResult first = renderRecord(rc.kind, rc.fields, store, rc.now);
    const qint64 longSize = QFileInfo(first.textPath).size();

    rc.fields.texts[QStringLiteral("PurposeEdit")] = QStringLiteral("short");
    rc.fields.texts[QStringLiteral("OCityEdit")] = QStringLiteral("Dover");
    const RenderResult second = renderRecord(rc.kind, rc.fields, store, rc.now.addSecs(60));
    QCOMPARE(second.textPath, first.textPath);
    QCOMPARE(fileBytes(second.textPath), TextCopy::encode(renderLines(rc.kind, rc.fields, rc.now.addSecs(60)), {}));
    QVERIFY(QFileInfo(second.textPath).size() < longSize);
    QCOMPARE(IniDocument::load(recordFile(rc)).value(QStringLiteral("DomainReg"), QStringLiteral("OCityEdit")),
             QStringLiteral("Dover"));
}

// File names compare without regard to case: a render of "example.com" goes
// into the existing "Example.COM" files instead of creating a second pair.
void TstRenderFiles::existingFileOfOtherCaseIsReused()
{
    MapFields f;
    f.texts[QStringLiteral("DomainNameEdit")] = QStringLiteral("Example.COM");
    RecordStore store(f, m_dir->filePath(QStringLiteral("zandolet.ini")));
    const RenderResult first = renderRecord(RecordKind::Domain, f, store, QDateTime::currentDateTime());
    f.texts[QStringLiteral("DomainNameEdit")] = QStringLiteral("example.com");
    const RenderResult second = renderRecord(RecordKind::Domain, f, store, QDateTime::currentDateTime());
    QCOMPARE(second.textPath, first.textPath);
    QCOMPARE(entries(m_dir->filePath(QStringLiteral("domains"))), (QStringList{"Example.COM.ini", "Example.COM.txt"}));
    QVERIFY(TextCopy::read(second.textPath).contains(QStringLiteral("2.  Complete Domain Name.......: example.com")));
}

void TstRenderFiles::failedTextCopyWritesNoRecord_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("obstacle"); // "dir:<path>" or "file:<path>" made first
    QTest::addColumn<QString>("message");
    QTest::newRow("a folder where the text copy goes") << "blocked.com" << "dir:domains/blocked.com.txt"
                                                       << "File access denied";
    QTest::newRow("record folder is a plain file") << "plain.com" << "file:domains" << "Invalid filename";
    // "refused": the store's reason why the name cannot name a file.
    QTest::newRow("name too long") << QString(300, QLatin1Char('x')) << "" << "refused";
    QTest::newRow("name with a folder") << "sub/x.com" << "" << "refused";
    QTest::newRow("name leaving the folder") << "../x.com" << "" << "refused";
}

// The error stops the render: no record file, no temporary file, and an
// earlier text copy is not touched.
void TstRenderFiles::failedTextCopyWritesNoRecord()
{
    QFETCH(QString, name);
    QFETCH(QString, obstacle);
    QFETCH(QString, message);
    if (obstacle.startsWith(QStringLiteral("dir:"))) {
        QVERIFY(QDir().mkpath(obstacle.mid(4)));
    } else if (obstacle.startsWith(QStringLiteral("file:"))) {
        QFile f(obstacle.mid(5));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a folder");
    }
    QDir().mkdir(QStringLiteral("domains"));
    const QStringList before = entries(QStringLiteral("domains"));

    MapFields f;
    f.texts[QStringLiteral("DomainNameEdit")] = name;
    RecordStore store(f, m_dir->filePath(QStringLiteral("zandolet.ini")));
    try {
        renderRecord(RecordKind::Domain, f, store, QDateTime::currentDateTime());
        QFAIL("the render succeeded");
    } catch (const Exception &e) {
        if (message == QLatin1String("refused")) {
            QVERIFY(!RecordStore::recordNameProblem(name).isEmpty());
            QCOMPARE(e.Message(), RecordStore::recordNameProblem(name));
        } else {
            QVERIFY(dynamic_cast<const EInOutError *>(&e));
            QCOMPARE(e.Message(), message);
        }
    }
    QVERIFY(!QFile::exists(QStringLiteral("x.com.txt")));
    QCOMPARE(entries(QStringLiteral("domains")), before);
    QCOMPARE(entries(m_dir->path()).filter(QStringLiteral(".ini")), QStringList());
}

QTEST_GUILESS_MAIN(TstRenderFiles)
#include "tst_render_files.moc"
