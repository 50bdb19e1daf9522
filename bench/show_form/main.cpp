// Show Form timings for a full domain record: the template lines alone, and
// the whole render (text copy and record file), in an empty record folder
// and in one holding 5,000 records. References: both files saved with
// QSaveFile (what any atomic, flushed save of the same bytes costs), and one
// bare write + fsync of the record file's bytes (the disk's flush cost, paid
// once by the record file). Prints medians and ratios; never fails.
#include "FieldCatalogue.h"
#include "MapFields.h"
#include "RecordStore.h"
#include "TemplateRenderer.h"
#include "TextCopy.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <functional>
#include <vector>

namespace {

constexpr int kRuns = 300;
constexpr int kStored = 5000;
constexpr double kGoalMs = 5.0;

double medianMs(const std::function<void()> &work)
{
    std::vector<double> t;
    t.reserve(kRuns);
    QElapsedTimer timer;
    for (int i = 0; i < kRuns; ++i) {
        timer.start();
        work();
        t.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

MapFields fullDomain()
{
    MapFields f;
    for (const FieldDef &s : fieldCatalogue())
        if (s.kind == RecordKind::Domain && s.type != ControlType::Radio)
            f.texts.insert(s.name, QStringLiteral("%1 value for the template").arg(s.name));
    f.texts[QStringLiteral("DomainNameEdit")] = QStringLiteral("zandolet-press.com");
    f.texts[QStringLiteral("PurposeEdit")] = QStringLiteral("Publishing\r\nbooks and journals\r\nmailing list");
    f.texts[QStringLiteral("AuthScheme")] = QStringLiteral("CRYPT-PW");
    f.selected[QStringLiteral("AuthScheme")] = QStringLiteral("CRYPT-PW");
    f.checked.insert(QStringLiteral("NewDomainRadio"));
    return f;
}

void saveBoth(const QString &a, const QByteArray &x, const QString &b, const QByteArray &y)
{
    for (const auto &[path, bytes] : {std::pair{a, x}, std::pair{b, y}}) {
        QSaveFile f(path);
        if (f.open(QIODevice::WriteOnly)) {
            f.write(bytes);
            f.commit();
        }
    }
}

void writeAndFlush(const QString &path, const QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0)
        return;
    if (::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size())
        ::fsync(fd);
    ::close(fd);
}

void report(const char *what, double ms, double referenceMs)
{
    std::printf("%-44s median %7.3f ms   %5.2fx goal (%.0f ms)   %5.2fx reference\n", what, ms, ms / kGoalMs, kGoalMs,
                ms / referenceMs);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 0;
    QDir::setCurrent(dir.path());

    MapFields fields = fullDomain();
    RecordStore store(fields, dir.filePath(QStringLiteral("zandolet.ini")));
    const QDateTime now = QDateTime::currentDateTime();

    const double lines = medianMs([&] { renderLines(RecordKind::Domain, fields, now); });
    RenderResult r = renderRecord(RecordKind::Domain, fields, store, now);
    const QByteArray text = TextCopy::encode(renderLines(RecordKind::Domain, fields, now), r.textPath);
    QFile ini(RecordStore::recordFilePath(RecordKind::Domain, fields.text(QStringLiteral("DomainNameEdit"))));
    ini.open(QIODevice::ReadOnly);
    const QByteArray record = ini.readAll();
    ini.close();

    const QString refA = dir.filePath(QStringLiteral("ref.txt")), refB = dir.filePath(QStringLiteral("ref.ini"));
    const double reference = medianMs([&] { saveBoth(refA, text, refB, record); });
    const double flush = medianMs([&] { writeAndFlush(refB, record); });
    const double textOnly = medianMs([&] {
        TextCopy::write(r.textPath, renderLines(RecordKind::Domain, fields, now));
    });
    const double empty = medianMs([&] { renderRecord(RecordKind::Domain, fields, store, now); });

    const QString folder = RecordStore::recordFolder(RecordKind::Domain);
    for (int i = 0; i < kStored; ++i) {
        QFile f(folder + QStringLiteral("/stored-%1.example.com.ini").arg(i));
        if (f.open(QIODevice::WriteOnly))
            f.write(record);
    }
    const double crowded = medianMs([&] { renderRecord(RecordKind::Domain, fields, store, now); });

    std::printf("Show Form, full domain record (%lld-byte text copy, %lld-byte record file), %d runs\n",
                static_cast<long long>(text.size()), static_cast<long long>(record.size()), kRuns);
    std::printf("reference: both files saved with QSaveFile     median %7.3f ms\n", reference);
    std::printf("reference: one write + fsync of the record    median %7.3f ms\n", flush);
    report("template lines only", lines, reference);
    report("render + text copy (no record file)", textOnly, reference);
    report("render + both files, empty folder", empty, reference);
    report("render + both files, 5,000 stored records", crowded, reference);
    return 0;
}
