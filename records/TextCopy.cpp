#include "TextCopy.h"

#include "AtomicFile.h"
#include "Exception.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

[[noreturn]] void fail(int err)
{
    int code = 0;
    const QString text = AtomicFile::errorText(err, &code);
    throw EInOutError(text, code);
}

QByteArray nativePath(const QString &path)
{
    // A NUL would silently cut the name short at the system call.
    if (path.isEmpty() || path.contains(QChar(0)))
        fail(EINVAL);
    return QFile::encodeName(path);
}

// A fresh temporary file in the folder of `target`. Its name is short, so a
// record name too long for the folder fails at the rename with its own error.
int createTemporary(const QByteArray &target, QByteArray *tmp)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray() : target.left(slash + 1);
    for (int attempt = 0; attempt < 16; ++attempt) {
        *tmp = folder + ".zt-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        const int fd = ::open(tmp->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

[[noreturn]] void discardAndFail(const QByteArray &tmp, int err)
{
    ::unlink(tmp.constData());
    fail(err);
}

} // namespace

QByteArray TextCopy::encode(const QStringList &lines, const QString &path)
{
    QByteArray out;
    qsizetype size = 0;
    for (const QString &l : lines)
        size += l.size() + 2;
    out.reserve(size);
    for (const QString &l : lines) {
        for (QChar c : l)
            if (c.unicode() > 0xff)
                throw Exception(QStringLiteral("The character \"%1\" cannot be written to %2").arg(c, path));
        out += l.toLatin1();
        out += "\r\n";
    }
    return out;
}

// No fsync: the copy is derived from the record and rewritten by every
// render, so it is not worth a disk flush on the Show Form path (the record
// file, the real data, is flushed by its writer).
void TextCopy::write(const QString &path, const QStringList &lines)
{
    const QByteArray bytes = encode(lines, path);
    const QByteArray target = nativePath(path);
    QByteArray tmp;
    const int fd = createTemporary(target, &tmp);
    if (fd < 0)
        fail(errno);
    if (!writeAll(fd, bytes)) {
        const int err = errno;
        ::close(fd);
        discardAndFail(tmp, err);
    }
    if (::close(fd) != 0)
        discardAndFail(tmp, errno);
    if (::rename(tmp.constData(), target.constData()) != 0)
        discardAndFail(tmp, errno);
}

QStringList TextCopy::read(const QString &path)
{
    const QByteArray native = nativePath(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        fail(errno);
    QByteArray bytes;
    char buf[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            fail(err);
        }
        bytes.append(buf, n);
    }
    ::close(fd);

    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n')
            continue;
        lines << QString::fromLatin1(bytes.constData() + start, i - start);
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines << QString::fromLatin1(bytes.constData() + start, bytes.size() - start);
    return lines;
}
