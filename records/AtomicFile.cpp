#include "AtomicFile.h"

#include "Exception.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void AtomicFile::fail(int errnoValue)
{
    int code = 0;
    const QString text = errorText(errnoValue, &code);
    throw EInOutError(text, code);
}

QString AtomicFile::errorText(int errnoValue, int *code)
{
    struct Row {
        int err;
        int code;
        const char *text;
    };
    static const Row rows[] = {
        {ENOENT, 2, "File not found"},       {ENOTDIR, 3, "Invalid filename"},
        {ENAMETOOLONG, 3, "Invalid filename"}, {EINVAL, 3, "Invalid filename"},
        {EMFILE, 4, "Too many open files"},  {ENFILE, 4, "Too many open files"},
        {EACCES, 5, "File access denied"},   {EPERM, 5, "File access denied"},
        {EROFS, 5, "File access denied"},    {EISDIR, 5, "File access denied"},
        {ENOSPC, 101, "Disk full"},          {EDQUOT, 101, "Disk full"},
    };
    for (const Row &r : rows) {
        if (r.err == errnoValue) {
            if (code)
                *code = r.code;
            return QLatin1String(r.text);
        }
    }
    if (code)
        *code = errnoValue;
    return QStringLiteral("I/O error %1").arg(errnoValue);
}

void AtomicFile::write(const QString &path, const QByteArray &bytes, Sync sync)
{
    // A NUL would silently cut the name short at the system call.
    if (path.isEmpty() || path.contains(QChar(0)))
        fail(EINVAL);
    const QFileInfo info(path);
    QByteArray tmpl = QFile::encodeName(info.absolutePath()) + "/.zandolet-XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0)
        fail(errno);
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    int err = 0;
    while (left > 0 && !err) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno != EINTR)
                err = errno;
            continue;
        }
        p += n;
        left -= n;
    }
    // Permissions as a newly created file would get (mkstemp makes it 0600).
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat old;
    const mode_t mode = ::stat(target.constData(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~mask);
    if (!err && ::fchmod(fd, mode) != 0)
        err = errno;
    // Data before the rename, so a crash leaves the old file or the new one.
    if (!err && sync == Sync::Flush && ::fdatasync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && !err)
        err = errno;
    if (!err && ::rename(tmpl.constData(), target.constData()) != 0)
        err = errno;
    if (err) {
        ::unlink(tmpl.constData());
        fail(err);
    }
}
