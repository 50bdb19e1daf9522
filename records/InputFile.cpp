#include "InputFile.h"

#include "AtomicFile.h"
#include "Exception.h"
#include "InputLimits.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

[[noreturn]] void refuse(const QString &path, const QString &why)
{
    throw EInOutError(QStringLiteral("%1 cannot be read: %2.").arg(path, why), 5);
}

// errno of a failed read, or 0.
int readAll(int fd, qint64 size, QByteArray &bytes)
{
    bytes.resize(size);
    qint64 got = 0;
    char *p = bytes.data();
    while (got < size) {
        const ssize_t n = ::read(fd, p + got, size_t(size - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            break; // shrank under us: what is there is the file
        got += n;
    }
    bytes.truncate(got);
    return 0;
}

} // namespace

InputFile::Outcome InputFile::read(const QString &path, QByteArray &bytes, int *error)
{
    bytes.clear();
    int ignored = 0;
    int &err = error ? *error : ignored;
    err = 0;
    if (path.isEmpty() || path.contains(QChar(0))) {
        err = EINVAL;
        return Outcome::Missing;
    }
    const QByteArray native = QFile::encodeName(path);
    // O_NONBLOCK: opening a named pipe must not wait for a writer.
    const Fd fd(::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) {
        err = errno;
        return err == ENOENT || err == ENOTDIR ? Outcome::Missing : Outcome::Unreadable;
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) {
        err = errno;
        return Outcome::Unreadable;
    }
    if (S_ISDIR(st.st_mode)) {
        err = EISDIR; // cannot be read as a file, but nothing to wait for either
        return Outcome::Unreadable;
    }
    if (!S_ISREG(st.st_mode))
        refuse(path, QStringLiteral("it is not a regular file"));
    if (st.st_size > InputLimits::MaxFileBytes)
        refuse(path, QStringLiteral("it is larger than %1 MB").arg(InputLimits::MaxFileBytes / (1024 * 1024)));
    err = readAll(fd.get(), st.st_size, bytes);
    return err == 0 ? Outcome::Read : Outcome::Unreadable;
}

QByteArray InputFile::readOrThrow(const QString &path)
{
    QByteArray bytes;
    int err = 0;
    if (read(path, bytes, &err) != Outcome::Read)
        AtomicFile::fail(err);
    return bytes;
}
