// Reading large ordinary files: a 50 MB settings file of blank lines and of
// "key=value" lines (start-up: the file read and every default looked up),
// the same as a record file loaded by a keystroke and saved, and a 40 MB name
// list of empty lines. Each case runs in a child process so its peak memory is
// its own. Prints wall and CPU time (CPU is what counts on a busy machine) and
// peak memory, with their ratios to the goals (1 s, 3 times the file's size)
// and to `wc -l` on the same file; never fails.
#include "MapFields.h"
#include "NameList.h"
#include "RecordStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr qint64 kMB = 1024 * 1024;

// Writes `bytes` of repeated lines made by `line(i)`.
void writeLines(const QString &path, qint64 bytes, const std::function<QByteArray(qint64)> &line)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        std::exit(1);
    QByteArray chunk;
    qint64 written = 0;
    for (qint64 i = 0; written < bytes; ++i) {
        chunk += line(i);
        if (chunk.size() > 1 << 20 || written + chunk.size() >= bytes) {
            f.write(chunk);
            written += chunk.size();
            chunk.clear();
        }
    }
}

long peakKB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

struct Figures {
    double ms = 0;
    double cpuMs = 0;
    long kb = 0;
};

double cpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// Runs `work` in a child; its time and its growth of peak memory.
Figures inChild(const std::function<void()> &work)
{
    int fds[2];
    if (::pipe(fds) != 0)
        std::exit(1);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        const long before = peakKB();
        const double cpuBefore = cpuMs();
        QElapsedTimer t;
        t.start();
        work();
        Figures f{t.nsecsElapsed() / 1e6, cpuMs() - cpuBefore, peakKB() - before};
        if (::write(fds[1], &f, sizeof f) != sizeof f)
            ::_exit(1);
        ::_exit(0);
    }
    ::close(fds[1]);
    Figures f;
    if (::read(fds[0], &f, sizeof f) != sizeof f)
        f = {-1, -1, -1};
    ::close(fds[0]);
    ::waitpid(pid, nullptr, 0);
    return f;
}

double wcMs(const QString &path)
{
    QElapsedTimer t;
    t.start();
    QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("wc -l '%1' >/dev/null").arg(path)});
    return t.nsecsElapsed() / 1e6;
}

void report(const char *what, const QString &path, const Figures &f)
{
    const double mb = QFileInfo(path).size() / double(kMB);
    const double wc = wcMs(path);
    std::printf("%-42s %3.0f MB  %7.1f ms, CPU %7.1f ms (%.2f of 1 s, %5.1f x wc -l)  peak +%6.1f MB (%.2f x file, goal < 3)\n",
                what, mb, f.ms, f.cpuMs, f.cpuMs / 1000.0, f.ms / wc, f.kb / 1024.0, f.kb / 1024.0 / mb);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QDir().mkdir(QStringLiteral("domains"));
    const QString blank = dir.filePath(QStringLiteral("blank.ini"));
    const QString keys = dir.filePath(QStringLiteral("keys.ini"));
    const QString record = dir.filePath(QStringLiteral("domains/big.com.ini"));
    const QString list = dir.filePath(QStringLiteral("domains.cbx"));
    writeLines(blank, 50 * kMB, [](qint64) { return QByteArray("\r\n"); });
    writeLines(keys, 50 * kMB, [](qint64 i) {
        return i == 0 ? QByteArray("[DomainReg]\r\n") : "Key" + QByteArray::number(i) + "=value " + QByteArray::number(i) + "\r\n";
    });
    QFile::copy(keys, record);
    writeLines(list, 40 * kMB, [](qint64) { return QByteArray("\r\n"); });

    const auto startUp = [](const QString &settings) {
        return [settings] {
            MapFields f;
            RecordStore(f, settings).loadDefaultsAndLists();
        };
    };
    report("settings, blank lines (start-up)", blank, inChild(startUp(blank)));
    report("settings, key=value lines (start-up)", keys, inChild(startUp(keys)));
    report("record file, key=value lines (keystroke)", record, inChild([] {
               MapFields f;
               f.texts[QStringLiteral("DomainNameEdit")] = QStringLiteral("big.com");
               RecordStore(f, QString()).loadRecord(RecordKind::Domain);
           }));
    report("record file, key=value lines (save)", record, inChild([] {
               MapFields f;
               f.texts[QStringLiteral("DomainNameEdit")] = QStringLiteral("big.com");
               RecordStore(f, QString()).saveRecord(RecordKind::Domain);
           }));
    report("name list, empty lines", list, inChild([list] { (void)NameList::read(list); }));
    return 0;
}
