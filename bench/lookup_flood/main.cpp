// The WhoIs page against a server that floods it: how long until the answer
// is cut and closed, the longest the window went without handling events, and
// the memory it grew by; the whois client reading as much serves as the
// reference. Then the CPU a look-up uses while it waits for a connection that
// never completes (goal: under 1% of a core).
//
// Usage: bench_lookup_flood [wait-seconds=5]
#include "FormHarness.h"
#include "LookUpPeers.h"
#include "ReplyLimit.h"
#include "ScriptedServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTemporaryDir>

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

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int waitSeconds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    writeBytes(dir.filePath("z.ini"), "[Setup]\r\nWhoIs Server=127.0.0.1\r\n");
    ScriptedPrompter prompter;
    TForm1 form(dir.filePath("z.ini"), &prompter);
    form.setText("tDomain", "example.com");
    auto *button = form.control<QPushButton>("bLookUp");

    // The flood: lines without end, cut at the bound.
    QProcess server;
    server.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(kEndlessServer)});
    if (!server.waitForReadyRead(10000)) {
        std::fprintf(stderr, "cannot start /usr/bin/python3\n");
        return 1;
    }
    form.lookUpPorts.whois = static_cast<quint16>(server.readLine().trimmed().toUInt());
    const long rssBefore = maxRssKb();
    qint64 longestGap = 0;
    QElapsedTimer sinceTick;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
    });
    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    ticker.start(5);
    button->click();
    while (server.state() == QProcess::Running)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const qint64 oursMs = clock.elapsed();
    ticker.stop();
    const long rssGrowth = maxRssKb() - rssBefore;
    const int lines = form.control<QPlainTextEdit>("mResponse")->blockCount();

    ScriptedServer reference("C: example.com\n");
    reference.SendRaw(flood(ReplyLimit::MaxBytes));
    reference.Load("X:");
    reference.Start();
    clock.restart();
    const qsizetype whoisLines = whoisClient(reference.Port(), "example.com").size();
    const qint64 whoisMs = clock.elapsed();

    std::printf("Endless flood, cut at %lld KB: %lld ms until cut and closed (%d lines shown, last: %s)\n",
                static_cast<long long>(ReplyLimit::MaxBytes / 1024), static_cast<long long>(oursMs), lines,
                qPrintable(form.control<QPlainTextEdit>("mResponse")->document()->lastBlock().text()));
    std::printf("  longest time without handling events: %lld ms; memory grew by %ld KB\n",
                static_cast<long long>(longestGap), rssGrowth);
    std::printf("whois client reading the same 1 MB: %lld ms (%lld lines); ratio page/whois %.2f\n",
                static_cast<long long>(whoisMs), static_cast<long long>(whoisLines),
                whoisMs ? double(oursMs) / double(whoisMs) : 0.0);

    // The wait for a connection that never completes.
    StalledListener stalled;
    form.lookUpPorts.whois = stalled.port();
    form.lookUpPorts.waitMs = waitSeconds * 1000;
    const double cpu = cpuSeconds();
    clock.restart();
    button->click();
    const double used = cpuSeconds() - cpu;
    const double wall = double(clock.elapsed()) / 1000;
    std::printf("Wait of %.1f s for a connection: %.3f s CPU, %.2f%% of a core (goal: under 1%%); box: %s\n", wall,
                used, 100 * used / wall, qPrintable(prompter.warnings.join(", ")));
    return 0;
}
