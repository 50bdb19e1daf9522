// Record store timings with 10,000 records in each record folder: one
// name-box keystroke (look-up and load of the named record, or a miss) and a
// domain record save. Prints medians and their ratio to the goals; never fails.
#include "DirectoryIndex.h"
#include "FieldCatalogue.h"
#include "IniFile.h"
#include "StoredValue.h"
#include "MapFields.h"
#include "RecordKeys.h"
#include "RecordStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr int kRecords = 10000;
constexpr int kRuns = 400;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void fillDomain(MapFields &f, int i)
{
    for (const KeyBinding &b : recordWriteOrder(RecordKind::Domain))
        f.texts[b.field] = QStringLiteral("value %1 of %2").arg(i).arg(b.field);
}

QString nameOf(int i)
{
    return QStringLiteral("Record-%1.example.com").arg(i, 5, 10, QLatin1Char('0'));
}

// Record files of every kind written directly (the save path is timed separately).
void populate(RecordKind kind)
{
    RecordStore::ensureFolder(kind);
    const QString folder = RecordStore::recordFolder(kind);
    QByteArray body = QByteArray("[") + kindInfo(kind).section + "]\r\n";
    for (const KeyBinding &b : recordWriteOrder(kind))
        body += b.key.toLatin1() + "=some stored value\r\n";
    for (int i = 0; i < kRecords; ++i) {
        QFile f(folder + QLatin1Char('/') + nameOf(i) + QStringLiteral(".ini"));
        if (f.open(QIODevice::WriteOnly))
            f.write(body);
    }
}

// Median milliseconds of typing `name` (one keystroke = set text + load).
double keystroke(RecordStore &store, MapFields &f, RecordKind kind, const std::vector<QString> &names,
                 int runs = kRuns)
{
    std::vector<double> t;
    QElapsedTimer timer;
    for (int r = 0; r < runs; ++r) {
        f.texts[QLatin1String(kindInfo(kind).nameField)] = names[size_t(r) % names.size()];
        timer.start();
        store.loadRecord(kind);
        t.push_back(timer.nsecsElapsed() / 1e6);
    }
    return median(t);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/rsbench-XXXXXX") : QString());
    if (!dir.isValid())
        return 0;
    QDir::setCurrent(dir.path());
    std::printf("record store benchmark in %s, %d records per folder, %d runs each\n", qPrintable(dir.path()),
                kRecords, kRuns);
    for (RecordKind k : {RecordKind::Domain, RecordKind::Host, RecordKind::Contact})
        populate(k);

    MapFields f;
    f.checked << QStringLiteral("NewDomainRadio") << QStringLiteral("NewHostRadio")
              << QStringLiteral("NewContactRadio");
    RecordStore store(f, dir.filePath(QStringLiteral("zandolet.ini")));

    std::vector<QString> hits, caseHits, misses;
    for (int i = 0; i < 100; ++i) {
        hits.push_back(nameOf(i * 97 % kRecords));
        caseHits.push_back(nameOf(i * 89 % kRecords).toUpper());
        misses.push_back(QStringLiteral("typing-%1.exampl").arg(i));
    }

    // A save by someone else just now: the next miss lists the folder again.
    std::vector<double> afterChange;
    for (int r = 0; r < 30; ++r) {
        QFile touch(RecordStore::recordFolder(RecordKind::Domain) + QStringLiteral("/touched-%1.ini").arg(r));
        if (touch.open(QIODevice::WriteOnly))
            touch.write("[DomainReg]\r\n");
        touch.close();
        afterChange.push_back(keystroke(store, f, RecordKind::Domain, {misses[size_t(r)]}, 1));
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
    }
    const double freshMiss = median(afterChange);
    struct Row {
        const char *what;
        RecordKind kind;
        const std::vector<QString> *names;
    } rows[] = {
        {"domain keystroke, exact name", RecordKind::Domain, &hits},
        {"domain keystroke, other case", RecordKind::Domain, &caseHits},
        {"domain keystroke, no record", RecordKind::Domain, &misses},
        {"host keystroke, exact name", RecordKind::Host, &hits},
        {"contact keystroke, other case", RecordKind::Contact, &caseHits},
    };
    const double goal = 2.0;
    for (const Row &r : rows) {
        const double ms = keystroke(store, f, r.kind, *r.names);
        std::printf("%-36s median %8.4f ms   goal %.1f ms   ratio %.3f\n", r.what, ms, goal, ms / goal);
    }
    std::printf("%-36s median %8.4f ms   goal %.1f ms   ratio %.3f\n", "first keystroke after a change",
                freshMiss, goal, freshMiss / goal);

    std::vector<double> saves;
    QElapsedTimer timer;
    for (int r = 0; r < kRuns / 4; ++r) {
        fillDomain(f, r);
        f.texts[QStringLiteral("DomainNameEdit")] = nameOf(r * 31 % kRecords);
        timer.start();
        store.saveRecord(RecordKind::Domain);
        saves.push_back(timer.nsecsElapsed() / 1e6);
    }
    const double save = median(saves);

    // New records: the name is not on disk yet, so the look-up misses in a
    // folder that the previous save has just changed.
    std::vector<double> newSaves;
    for (int r = 0; r < kRuns / 4; ++r) {
        f.texts[QStringLiteral("DomainNameEdit")] = QStringLiteral("brand-new-%1.example.com").arg(r);
        timer.start();
        store.saveRecord(RecordKind::Domain);
        newSaves.push_back(timer.nsecsElapsed() / 1e6);
    }

    // The same save without the disk: parse, set 53 keys, format.
    std::vector<double> inMemory;
    const QString sample = RecordStore::recordFilePath(RecordKind::Domain, nameOf(1));
    for (int r = 0; r < kRuns; ++r) {
        timer.start();
        IniDocument doc = IniDocument::load(sample);
        for (const KeyBinding &b : recordWriteOrder(RecordKind::Domain))
            doc.setValue(QStringLiteral("DomainReg"), b.key, StoredValue::encode(f.texts.value(b.field)));
        const QByteArray bytes = doc.toBytes();
        inMemory.push_back(timer.nsecsElapsed() / 1e6 + (bytes.isEmpty() ? 1 : 0));
    }
    std::printf("%-36s median %8.4f ms   (share of the save %.2f)\n", "  of which parse, set and format",
                median(inMemory), median(inMemory) / save);
    std::printf("%-36s median %8.4f ms   goal %.1f ms   ratio %.3f\n", "domain record save", save, 5.0, save / 5.0);
    const double newSave = median(newSaves);
    std::printf("%-36s median %8.4f ms   goal %.1f ms   ratio %.3f\n", "domain record save, new record", newSave, 5.0,
                newSave / 5.0);
    return 0;
}
