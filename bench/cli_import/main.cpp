// `zandolet-cli import host` of a CSV file of N host rows (default 200) into
// an empty folder, the whole process timed; the goal is under a second. The
// reference is /usr/bin/python3 writing N files of the same size the same way
// (temporary file, fsync, rename, fsync of the folder), which is the floor the
// disk sets; the program's own CPU time is printed beside it. Prints medians
// and the ratio; never fails.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRounds = 5;

const char *const kReference = R"(
import os, sys
n, size = int(sys.argv[1]), int(sys.argv[2])
os.mkdir('hosts')
d = os.open('hosts', os.O_RDONLY)
for i in range(n):
    tmp, final = f'hosts/.t{i}', f'hosts/ns{i}.example.net.ini'
    with open(tmp, 'wb') as f:
        f.write(b'x' * size); f.flush(); os.fsync(f.fileno())
    os.rename(tmp, final); os.fsync(d)
)";

// CPU time of the children reaped so far, in ms.
double childCpuMs()
{
    rusage u{};
    ::getrusage(RUSAGE_CHILDREN, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

double runMs(const QString &program, const QStringList &args, const QString &folder)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), p.readAllStandardError().constData());
        return -1;
    }
    return double(t.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, atoi(argv[1])) : 200;
    QByteArray csv = "HostName,HostType,HostAuthScheme,HostIPAddress,HCName,HCOrg,HCMail\r\n";
    for (int i = 0; i < rows; ++i)
        csv += QStringLiteral("ns%1.example.net,N,MAIL-FROM,192.0.2.%2,Hostmaster,\"Example, Inc.\",hm@example.net\r\n")
                   .arg(i).arg(i % 250).toLatin1();
    std::vector<double> cli, ref, cpu;
    qint64 recordBytes = 0;
    for (int r = 0; r < kRounds; ++r) {
        QTemporaryDir a, b;
        QFile f(a.filePath("hosts.csv"));
        if (!f.open(QIODevice::WriteOnly) || f.write(csv) != csv.size())
            return 1;
        f.close();
        const double cpuBefore = childCpuMs();
        cli.push_back(runMs(QStringLiteral(ZANDOLET_CLI), {"--settings", a.filePath("z.ini"), "import", "host", "hosts.csv"}, a.path()));
        cpu.push_back(childCpuMs() - cpuBefore);
        recordBytes = QFileInfo(a.filePath("hosts/ns1.example.net.ini")).size();
        ref.push_back(runMs(QStringLiteral("/usr/bin/python3"), {"-c", kReference, QString::number(rows), QString::number(recordBytes)}, b.path()));
        if (QDir(a.filePath("hosts")).entryList(QDir::Files).size() != rows)
            std::fprintf(stderr, "round %d: not %d records written\n", r, rows);
    }
    const double c = median(cli), p = median(ref);
    std::printf("import of %d host rows (records of %lld bytes), median of %d runs:\n", rows, recordBytes, kRounds);
    std::printf("  zandolet-cli import   %8.1f ms   (goal: under 1000 ms: %s)\n", c, c < 1000 ? "met" : "MISSED");
    std::printf("    of it CPU           %8.1f ms   (the rest waits for the disk's flushes)\n", median(cpu));
    std::printf("  python3 same writes   %8.1f ms\n", p);
    std::printf("  ratio                 %8.2f\n", p > 0 ? c / p : 0.0);
    return 0;
}
