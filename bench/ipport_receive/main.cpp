// Receives a stream of 80-byte lines from a local peer through TIPPort's
// OnDataIn and compares the time with `socat -u TCP:... - | wc -l` on the
// same stream. Prints times, ratios and peak memory; never fails.
// Arguments: [megabytes=256] [rounds=3]
#include "TIPPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>
#include <arpa/inet.h>
#include <atomic>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int LineBytes = 80;
constexpr int LinesPerBlock = 819; // one 65520-byte write

long PeakKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Serves every connection the same stream of lines, then closes it.
class StreamPeer {
public:
    explicit StreamPeer(qint64 blocks) : m_blocks(blocks)
    {
        for (int i = 0; i < LinesPerBlock; ++i) {
            QByteArray line = QByteArray::number(i).rightJustified(LineBytes - 2, 'z');
            m_block += line + "\r\n";
        }
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(m_listener, reinterpret_cast<sockaddr *>(&address), length) != 0 || listen(m_listener, 4) != 0)
            qFatal("cannot listen");
        getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~StreamPeer()
    {
        shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        close(m_listener);
    }
    quint16 Port() const { return m_port; }
    qint64 Lines() const { return m_blocks * LinesPerBlock; }
    qint64 Bytes() const { return m_blocks * m_block.size(); }

private:
    void Serve()
    {
        for (;;) {
            const int peer = accept(m_listener, nullptr, nullptr);
            if (peer < 0)
                return;
            for (qint64 i = 0; i < m_blocks; ++i) {
                for (qsizetype done = 0; done < m_block.size();) {
                    const ssize_t n = write(peer, m_block.constData() + done, size_t(m_block.size() - done));
                    if (n <= 0)
                        break;
                    done += n;
                }
            }
            close(peer);
        }
    }

    qint64 m_blocks;
    QByteArray m_block;
    int m_listener = -1;
    quint16 m_port = 0;
    std::thread m_thread;
};

// Best of rounds, in seconds; the run returns the number of lines it saw.
double Best(int rounds, qint64 expected, const char *what, const std::function<qint64()> &run)
{
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        const qint64 lines = run();
        best = std::min(best, clock.nsecsElapsed() / 1e9);
        if (lines != expected)
            std::printf("  %s: saw %lld lines, expected %lld\n", what, qint64(lines), qint64(expected));
    }
    return best;
}

qint64 ReceiveThroughPort(quint16 port, quint16 bufferSize, quint32 maxLineLength)
{
    TIPPort ip;
    qint64 lines = 0;
    QEventLoop loop;
    ip.OnDataIn = [&lines](QObject *, const QByteArray &text, bool eol) { lines += eol && text.size() == LineBytes - 2; };
    ip.OnDisconnected = [&loop](QObject *, int, const QString &) { loop.quit(); };
    ip.SetWinsockLoaded(true);
    ip.SetEOL("\r\n");
    ip.SetInBufferSize(bufferSize);
    ip.SetMaxLineLength(maxLineLength);
    ip.SetRemoteHost(QStringLiteral("127.0.0.1"));
    ip.SetRemotePort(port);
    ip.SetConnected(true);
    loop.exec();
    return lines;
}

qint64 ReceiveThroughSocat(quint16 port)
{
    QProcess shell;
    shell.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"), QStringLiteral("socat -u TCP:127.0.0.1:%1 - | wc -l").arg(port)});
    shell.waitForFinished(-1);
    return shell.readAllStandardOutput().trimmed().toLongLong();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qint64 megabytes = args.size() > 1 ? std::max(1ll, args.at(1).toLongLong()) : 256;
    const int rounds = args.size() > 2 ? std::max(1, args.at(2).toInt()) : 3;
    StreamPeer peer(megabytes * 1024 * 1024 / (LineBytes * LinesPerBlock) + 1);
    std::printf("%.1f MB of %d-byte lines (%lld lines), best of %d\n", peer.Bytes() / 1048576.0, LineBytes,
                qint64(peer.Lines()), rounds);

    const long before = PeakKb();
    const double ours = Best(rounds, peer.Lines(), "OnDataIn",
                             [&] { return ReceiveThroughPort(peer.Port(), 2048, 2048); });
    const long after = PeakKb();
    const double tuned = Best(rounds, peer.Lines(), "OnDataIn (64 KB)",
                              [&] { return ReceiveThroughPort(peer.Port(), 65535, 65535); });
    std::printf("OnDataIn, default buffers (2048):  %.3f s  %.0f MB/s\n", ours, peer.Bytes() / 1048576.0 / ours);
    std::printf("OnDataIn, InBufferSize and MaxLineLength 65535:  %.3f s  %.0f MB/s\n", tuned,
                peer.Bytes() / 1048576.0 / tuned);
    std::printf("peak memory growth over the default runs: %ld KB\n", after - before);

    if (QStandardPaths::findExecutable(QStringLiteral("socat")).isEmpty()) {
        std::printf("socat not found: no reference figure\n");
        return 0;
    }
    const double socat = Best(rounds, peer.Lines(), "socat | wc -l", [&] { return ReceiveThroughSocat(peer.Port()); });
    std::printf("socat -u | wc -l:  %.3f s  %.0f MB/s\n", socat, peer.Bytes() / 1048576.0 / socat);
    std::printf("ratio ours/socat: default %.2f, 64 KB %.2f (goal at most 1.5)\n", ours / socat, tuned / socat);
    return 0;
}
