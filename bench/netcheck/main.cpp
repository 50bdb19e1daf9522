// bench_netcheck [rounds=50]: the network check of a New domain with two
// name servers (8 questions: their addresses, then SOA and NS over UDP and
// SOA over TCP at each), against NSD on loopback in a network of its own.
// Reference: the same questions asked one after another by dnslib.
#include "NetworkCheck.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

double cpuSeconds()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

const char *const kReference = R"(
import sys, time
from dnslib import DNSRecord
rounds = int(sys.argv[1])
t = time.perf_counter(); c = time.process_time()
for _ in range(rounds):
    for name, kind in (('ns1.nets.test', 'A'), ('ns1.nets.test', 'AAAA'), ('ns2.nets.test', 'A'), ('ns2.nets.test', 'AAAA')):
        DNSRecord.question(name, kind).send('127.0.0.10', 53, timeout=3)
    for server in ('127.0.0.11', '127.0.0.12'):
        for kind, tcp in (('SOA', False), ('NS', False), ('SOA', True)):
            DNSRecord.question('fresh.com', kind).send(server, 53, tcp=tcp, timeout=3)
print('%f %f' % (time.perf_counter() - t, time.process_time() - c))
)";

} // namespace

int main(int argc, char **argv)
{
    // Loopback servers on port 53 need a network of their own.
    if (!qEnvironmentVariableIsSet("ZANDOLET_IN_PRIVATE_NET")) {
        execl(PRIVATE_NET, PRIVATE_NET, "--resolv", RESOLV_CONF, "--", argv[0], argc > 1 ? argv[1] : nullptr, nullptr);
        std::perror(PRIVATE_NET);
        return 1;
    }
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    QTemporaryDir work;
    QProcess peers;
    peers.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    peers.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(DNS_PEERS_SCRIPT), work.filePath("dns")});
    if (!peers.waitForReadyRead(25000) || peers.readLine().trimmed() != "READY") {
        std::printf("the DNS servers did not start\n");
        return 1;
    }
    NetworkCheckRequest request;
    request.name = QStringLiteral("fresh.com");
    request.nameServers = {{"PriNSEdit", "ns1.nets.test", "127.0.0.11", "PriNSIPEdit"},
                           {"SecNSEdit", "ns2.nets.test", "127.0.0.12", "SecNSIPEdit"}};
    NetworkCheck check;
    QEventLoop loop;
    qsizetype problems = 0;
    QObject::connect(&check, &NetworkCheck::finished, [&](const RegistrationProblems &p) {
        problems += p.size();
        loop.quit();
    });
    QElapsedTimer clock;
    const double cpu0 = cpuSeconds();
    clock.start();
    for (int i = 0; i < rounds; ++i) {
        check.start(request);
        loop.exec();
    }
    const double wall = clock.nsecsElapsed() / 1e9, cpu = cpuSeconds() - cpu0;
    std::printf("network check, %d rounds: %.2f ms wall, %.2f ms CPU a check (%lld problems; 0 expected)\n", rounds,
                1000 * wall / rounds, 1000 * cpu / rounds, static_cast<long long>(problems));
    QProcess reference;
    reference.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QLatin1String(kReference), QString::number(rounds)});
    reference.waitForFinished(600000);
    const QList<QByteArray> figures = reference.readAllStandardOutput().trimmed().split(' ');
    if (figures.size() == 2) {
        const double refWall = figures[0].toDouble(), refCpu = figures[1].toDouble();
        std::printf("dnslib, same questions one by one: %.2f ms wall, %.2f ms CPU a round\n", 1000 * refWall / rounds,
                    1000 * refCpu / rounds);
        std::printf("ratio (check / dnslib): wall %.2f, CPU %.2f\n", wall / refWall, cpu / refCpu);
    }
    peers.closeWriteChannel();
    peers.waitForFinished(10000);
    return 0;
}
