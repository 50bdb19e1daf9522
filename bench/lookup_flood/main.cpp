// The look-up pages against servers that flood them: the longest the window
// goes without handling events (goal: under 100 ms) under an endless flood
// cut at the bound, 20,000 short lines, and five 10 MB Finger answers; the
// whois client reading as much serves as the reference. RDAP look-ups
// against hostile HTTPS servers: event gap and memory (goal: under 50 MB
// more). Then the CPU a
// look-up uses while it waits for a connection that never completes (goal:
// under 1% of a core).
//
// Usage: bench_lookup_flood [wait-seconds=5]
#include "FingerPage.h"
#include "FormHarness.h"
#include "LookUpPeers.h"
#include "RdapLookup.h"
#include "RdapServer.h"
#include "ReplyLimit.h"
#include "ScriptedServer.h"
#include "WhoisPage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>

#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

long maxRssKb()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return use.ru_maxrss;
}

QByteArray flood(qsizetype bytes)
{
    return (QByteArray(98, 'x') + "\r\n").repeated(bytes / 100);
}

// A server in its own process that answers with lines until the client goes,
// so that the memory measured here is the window's alone.
const char *const kEndlessServer = R"(
import socket, sys
l = socket.socket(); l.bind(('127.0.0.1', 0)); l.listen(1)
print(l.getsockname()[1], flush=True)
c, _ = l.accept(); c.recv(512)
chunk = (b'x' * 98 + b'\r\n') * 1000
try:
    while True: c.sendall(chunk)
except OSError:
    pass
)";

// The longest stretch without a turn of the event loop while `busy` holds.
qint64 longestGap(const std::function<bool()> &busy)
{
    qint64 longest = 0;
    QElapsedTimer sinceTick;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { longest = std::max(longest, sinceTick.restart()); });
    sinceTick.start();
    ticker.start(5);
    // The lines of an answer may still be shown after its look-up has ended.
    QElapsedTimer after;
    while (busy() || !after.isValid() || after.elapsed() < 200) {
        if (!after.isValid() && !busy())
            after.start();
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return std::max(longest, sinceTick.elapsed());
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int waitSeconds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    ScriptedPrompter prompter;
    QWidget window;
    LookUpOptions options;
    options.connectWaitMs = waitSeconds * 1000;
    options.fingerPort = closedPort();
    auto *whois = new WhoisPage(prompter, options, &window);
    auto *finger = new FingerPage(prompter, options, &window);
    window.show();
    whois->tDomain->setText("example.com");

    // The endless flood, cut at the bound.
    QProcess server;
    server.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(kEndlessServer)});
    if (!server.waitForReadyRead(10000)) {
        std::fprintf(stderr, "cannot start /usr/bin/python3\n");
        return 1;
    }
    whois->setServer("127.0.0.1:" + server.readLine().trimmed());
    const long rssBefore = maxRssKb();
    QElapsedTimer clock;
    clock.start();
    whois->bLookUp->click();
    qint64 oursMs = 0;
    const qint64 endlessGap = longestGap([&] {
        const bool running = server.state() == QProcess::Running;
        if (!running && !oursMs)
            oursMs = clock.elapsed();
        return running;
    });
    const long rssGrowth = maxRssKb() - rssBefore;

    ScriptedServer reference("C: example.com\n");
    reference.SendRaw(flood(ReplyLimit::MaxBytes));
    reference.Load("X:");
    reference.Start();
    clock.restart();
    const qsizetype whoisLines = whoisClient(reference.Port(), "example.com").size();
    const qint64 whoisMs = clock.elapsed();

    std::printf("Endless flood, cut at %lld KB: %lld ms until cut and closed (%d lines shown, last: %s)\n",
                static_cast<long long>(ReplyLimit::MaxBytes / 1024), static_cast<long long>(oursMs),
                whois->mResponse->blockCount(), qPrintable(whois->mResponse->document()->lastBlock().text()));
    std::printf("  longest time without handling events: %lld ms (goal: under 100); memory grew by %ld KB\n",
                static_cast<long long>(endlessGap), rssGrowth);
    std::printf("whois client reading the same 1 MB: %lld ms (%lld lines); ratio page/whois %.2f\n",
                static_cast<long long>(whoisMs), static_cast<long long>(whoisLines),
                whoisMs ? double(oursMs) / double(whoisMs) : 0.0);

    // 20,000 short lines on the WhoIs page.
    QByteArray shortLines;
    for (int i = 0; i < 20000; ++i)
        shortLines += "line " + QByteArray::number(i) + "\r\n";
    ScriptedServer shortFlood("C: example.com\n");
    shortFlood.SendRaw(shortLines);
    shortFlood.Load("X:");
    whois->setServer(QStringLiteral("127.0.0.1:%1").arg(shortFlood.Start()));
    whois->bLookUp->click();
    const qint64 shortGap = longestGap([&] { return whois->running(); });
    std::printf("20,000 short lines: longest time without handling events %lld ms (goal: under 100); %d lines shown\n",
                static_cast<long long>(shortGap), whois->mResponse->blockCount());

    // Five 10 MB Finger answers, each cut at the bound, into one list; the
    // servers share the page's port on five loopback addresses.
    qint64 fingerGap = 0;
    for (int i = 1; i <= 5; ++i) {
        ScriptedServer big("C: root\n");
        big.SendRaw(flood(10 * 1024 * 1024));
        big.Load("X:");
        big.Start(QStringLiteral("127.0.0.%1").arg(i), options.fingerPort);
        finger->tHost->setText(QStringLiteral("root@127.0.0.%1").arg(i));
        finger->fingerlookup->click();
        fingerGap = std::max(fingerGap, longestGap([&] { return finger->running(); }));
    }
    std::printf("Five 10 MB Finger answers: longest time without handling events %lld ms (goal: under 100); "
                "%d entries kept\n",
                static_cast<long long>(fingerGap), finger->lResponse->count());

    // RDAP against hostile servers, each ended at its bound.
    RdapServer rdap(QStringLiteral(ZANDOLET_TEST_DATA "/rdap"));
    if (!rdap.Start()) {
        std::fprintf(stderr, "cannot start the RDAP server: %s\n", qPrintable(rdap.ErrorText()));
        return 1;
    }
    QTemporaryDir cache;
    for (const char *kind : {"endless", "continue", "gzip", "over", "over-chunked", "drip"}) {
        RdapLookup::Options o;
        o.bootstrapUrl = rdap.Url(QStringLiteral("/chunked/dns.json"));
        o.cacheFolder = cache.path();
        o.extraCaCertificates = rdap.Authority();
        o.lookUpTimeoutMs = 3000; // the drip ends here
        RdapLookup lookUp(o);
        QString why;
        QObject::connect(&lookUp, &RdapLookup::errorLine, [&why](const QString &line) { why = line; });
        const long before = maxRssKb();
        lookUp.start(QStringLiteral("example.") + QLatin1String(kind));
        const qint64 gap = longestGap([&] { return lookUp.isRunning(); });
        std::printf("RDAP %s: longest time without handling events %lld ms (goal: under 100); memory grew by %ld KB "
                    "(goal: under 50 MB); %s\n",
                    kind, static_cast<long long>(gap), maxRssKb() - before, qPrintable(why));
    }

    // The wait for a connection that never completes.
    StalledListener stalled;
    whois->setServer(QStringLiteral("127.0.0.1:%1").arg(stalled.port()));
    const double cpu = cpuSeconds();
    clock.restart();
    whois->bLookUp->click();
    while (prompter.warnings.isEmpty())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double used = cpuSeconds() - cpu;
    const double wall = double(clock.elapsed()) / 1000;
    std::printf("Wait of %.1f s for a connection: %.3f s CPU, %.2f%% of a core (goal: under 1%%); box: %s\n", wall,
                used, 100 * used / wall, qPrintable(prompter.warnings.join(", ")));
    return 0;
}
