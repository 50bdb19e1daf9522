#include "WholeFile.h"

#include "Exception.h"

#include <QFile>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Below this a single read is as quick as starting threads.
constexpr qint64 ParallelFrom = 8ll << 20;
constexpr int MostThreads = 4;

[[noreturn]] void FailWith(const QFile &file)
{
    throw EInOutError(file.errorString(), static_cast<int>(file.error()));
}

QByteArray ReadAll(QFile &file)
{
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        FailWith(file);
    return content;
}

} // namespace

void WholeFile::Fail(int error)
{
    throw EInOutError(QString::fromLocal8Bit(std::strerror(error)), error);
}

qint64 WholeFile::ReadAt(int fd, qint64 offset, char *to, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, to + done, static_cast<size_t>(size - done), offset + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -errno;
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

QByteArray WholeFile::Read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        FailWith(file);
    const qint64 size = file.isSequential() ? 0 : file.size();
    const int threads = std::clamp(QThread::idealThreadCount(), 1, MostThreads);
    if (size < ParallelFrom || threads < 2)
        return ReadAll(file);

    // Most of a large read into fresh memory goes to the kernel handing out
    // pages; several threads fill their parts side by side.
    QByteArray content(size, Qt::Uninitialized);
    const qint64 part = (size / threads + 4095) & ~qint64(4095);
    std::vector<qint64> got(threads, 0);
    auto read = [&](int i) {
        const qint64 offset = std::min(size, i * part);
        got[i] = ReadAt(file.handle(), offset, content.data() + offset, std::min(part, size - offset));
    };
    std::vector<std::thread> helpers;
    for (int i = 1; i < threads; ++i)
        helpers.emplace_back(read, i);
    read(0);
    for (std::thread &helper : helpers)
        helper.join();

    qint64 total = 0;
    for (int i = 0; i < threads; ++i) {
        if (got[i] < 0)
            WholeFile::Fail(int(-got[i]));
        total += got[i];
    }
    if (total != size) {
        // The file changed size while it was read: read it once more, in order.
        file.seek(0);
        return ReadAll(file);
    }
    // It may also have grown since its size was taken.
    if (!file.seek(size))
        FailWith(file);
    const QByteArray tail = ReadAll(file);
    if (!tail.isEmpty())
        content += tail;
    return content;
}
