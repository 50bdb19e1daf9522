// Composes messages with a 64 MB attachment into the temporary message file
// and compares the time with base64, uuencode and Python's quopri writing
// the same bytes to a file. Prints ratios (ours / theirs) and peak memory;
// never fails.
#include "TTempFileStream.h"
#include "TmsMessageEncoder.h"
#include "msmsg.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

namespace {

constexpr qint64 AttachmentSize = 64ll * 1024 * 1024;
constexpr int Rounds = 3;

long PeakKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Writes the file in slices so that making it does not raise the peak.
void MakeFile(const QString &path, const std::function<QByteArray(qint64)> &slice)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    for (qint64 done = 0; done < AttachmentSize;) {
        const QByteArray bytes = slice(std::min<qint64>(1 << 20, AttachmentSize - done));
        file.write(bytes);
        done += bytes.size();
    }
}

QByteArray RandomSlice(qint64 n)
{
    QByteArray bytes(n, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), n / 4);
    return bytes;
}

// Prose-like Latin-1 text: words, some "=" and accented letters, CR LF lines.
QByteArray TextSlice(qint64 n)
{
    static const char *const words[] = {"domain", "registration", "host", "contact", "caf\xE9", "a=b",
                                        "InterNIC", "template", "x"};
    QByteArray text;
    text.reserve(n + 100);
    auto *rng = QRandomGenerator::global();
    int lineLength = 0;
    while (text.size() < n) {
        text += words[rng->bounded(9)];
        lineLength += 8;
        if (lineLength > 40 + rng->bounded(120)) {
            text += "\r\n";
            lineLength = 0;
        } else {
            text += ' ';
        }
    }
    text.truncate(n);
    return text;
}

// Best of Rounds, in seconds.
double Best(const std::function<void()> &run)
{
    double best = 1e9;
    for (int i = 0; i < Rounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        run();
        best = std::min(best, clock.nsecsElapsed() / 1e9);
    }
    return best;
}

double Compose(const QString &path, TMsgEncoding encoding, TAttEncoding attEncoding, qint64 *outSize)
{
    return Best([&] {
        TmsMessage message;
        message.Sender()->SetAddress(QStringLiteral("bench@example.net"));
        message.Recipients()->AddAddress(QStringLiteral("to@example.net"), QString());
        message.SetEncoding(encoding);
        message.Body() << QStringLiteral("Attached.");
        TmsAttItem *item = message.Attachments()->Add();
        item->SetFileName(path);
        item->SetEncoding(attEncoding);
        message.Loaded();
        TTempFileStream stream;
        TmsMessageEncoder(message, stream).Encode();
        *outSize = stream.size();
    });
}

double Tool(const QString &program, const QStringList &args, const QString &input, const QString &output)
{
    return Best([&] {
        QProcess process;
        if (!input.isEmpty())
            process.setStandardInputFile(input);
        process.setStandardOutputFile(output);
        process.start(program, args);
        if (!process.waitForFinished(-1) || process.exitCode() != 0)
            std::printf("  (%s failed)\n", qPrintable(program));
    });
}

void Report(const char *what, double ours, qint64 outSize, const char *tool, double theirs)
{
    const double mb = AttachmentSize / (1024.0 * 1024.0);
    std::printf("%-18s ours %6.3f s (%7.1f MB/s, %lld bytes)  %-14s %6.3f s  ratio %.2f  peak %ld MB\n", what, ours,
                mb / ours, static_cast<long long>(outSize), tool, theirs, ours / theirs, PeakKb() / 1024);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString binary = dir.filePath(QStringLiteral("attachment.bin"));
    const QString text = dir.filePath(QStringLiteral("attachment.txt"));
    const QString out = dir.filePath(QStringLiteral("out"));
    MakeFile(binary, RandomSlice);
    MakeFile(text, TextSlice);
    const long baseKb = PeakKb();
    std::printf("attachment %lld MB, best of %d, peak before composing %ld MB\n",
                static_cast<long long>(AttachmentSize >> 20), Rounds, baseKb / 1024);

    qint64 size = 0;
    double ours = Compose(binary, meMIME, aeBase64, &size);
    Report("Base64", ours, size, "base64", Tool(QStringLiteral("base64"), {binary}, QString(), out));

    ours = Compose(binary, meUU, aeBase64, &size);
    Report("uuencode", ours, size, "uuencode", Tool(QStringLiteral("uuencode"), {binary, QStringLiteral("a.bin")}, QString(), out));

    ours = Compose(text, meMIME, aeQuotedPrintable, &size);
    Report("quoted-printable", ours, size, "python quopri",
           Tool(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-m"), QStringLiteral("quopri")}, text, out));

    const long peakMb = PeakKb() / 1024;
    std::printf("peak memory %ld MB, goal <= %lld MB (attachment + 32 MB)\n", peakMb,
                static_cast<long long>((AttachmentSize >> 20) + 32));
    return 0;
}
