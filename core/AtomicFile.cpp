#include "AtomicFile.h"

#include "Exception.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
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
        {EFBIG, 101, "Disk full"}, // over the file-size limit (SIGXFSZ is ignored)
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

namespace {

// Over a file-size limit (ulimit -f) the kernel sends SIGXFSZ, whose default
// ends the program with everything typed lost. Ignored, the write fails with
// EFBIG and is reported like a full disk. Set at every write, so nothing that
// restored the default in between can bring the old ending back.
void ignoreFileSizeSignal()
{
    ::signal(SIGXFSZ, SIG_IGN);
}

bool isOurTempName(const char *name)
{
    static const char prefix[] = ".zandolet-";
    if (std::strncmp(name, prefix, sizeof prefix - 1) != 0)
        return false;
    const char *rest = name + sizeof prefix - 1;
    int n = 0;
    for (; rest[n]; ++n)
        if (!std::isalnum(uchar(rest[n])))
            return false;
    return n == 6;
}

// Removes temporary files a crashed write left in `folder`; scans a folder
// at most once a minute, so saving many records costs one scan.
void removeStaleTemps(const QByteArray &folder)
{
    static QHash<QByteArray, qint64> lastScan;
    const qint64 now = std::time(nullptr);
    auto it = lastScan.find(folder);
    if (it != lastScan.end() && now - *it < AtomicFile::StaleTempSeconds)
        return;
    lastScan.insert(folder, now);
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const uid_t me = ::geteuid();
    while (const dirent *e = ::readdir(dir)) {
        if (!isOurTempName(e->d_name))
            continue;
        struct stat st;
        if (::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISREG(st.st_mode) && st.st_uid == me && now - st.st_mtime > AtomicFile::StaleTempSeconds)
            ::unlinkat(::dirfd(dir), e->d_name, 0);
    }
    ::closedir(dir);
}

int syncFolder(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int err = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return err;
}

// Whether the regular file `path` (described by `st`) holds exactly `bytes`.
bool holds(const QByteArray &path, const struct stat &st, const QByteArray &bytes)
{
    if (st.st_size != bytes.size())
        return false;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    char buffer[65536];
    qsizetype at = 0;
    bool same = true;
    while (same) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            same = n == 0 && at == bytes.size();
            break;
        }
        same = at + n <= bytes.size() && std::memcmp(buffer, bytes.constData() + at, size_t(n)) == 0;
        at += n;
    }
    ::close(fd);
    return same;
}

} // namespace

void AtomicFile::write(const QString &path, const QByteArray &bytes, Sync sync, Access access, Links links)
{
    ignoreFileSizeSignal();
    // A NUL would silently cut the name short at the system call.
    if (path.isEmpty() || path.contains(QChar(0)))
        fail(EINVAL);
    QByteArray target = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    struct stat old;
    bool exists = ::lstat(target.constData(), &old) == 0;
    if (exists && S_ISLNK(old.st_mode) && links == Links::Replace)
        exists = false;
    else if (exists && S_ISLNK(old.st_mode)) {
        // Edits must keep reaching the file the link points to.
        char *real = ::realpath(target.constData(), nullptr);
        if (!real)
            fail(errno); // a dangling link is not ours to replace
        target = real;
        std::free(real);
        exists = ::stat(target.constData(), &old) == 0;
    }
    // Only a regular file is ever replaced: never a pipe, and never a device
    // a link leads to (as root the rename would succeed).
    if (exists && !S_ISREG(old.st_mode))
        fail(S_ISDIR(old.st_mode) ? EISDIR : EACCES);
    if (exists && ::access(target.constData(), W_OK) != 0)
        fail(errno);
    // Closing the window writes the settings and its state; replacing a file
    // with the bytes it holds costs two disk flushes and changes nothing.
    if (exists && (access == Access::Keep || (old.st_mode & 077) == 0) && holds(target, old, bytes))
        return;
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? target.left(slash) : QByteArray("/");
    removeStaleTemps(folder);
    QByteArray tmpl = folder + "/.zandolet-XXXXXX";
    const int fd = ::mkstemp(tmpl.data());
    if (fd < 0)
        fail(errno);
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
    // mkstemp made it 0600, which a new file keeps; an old file's group and
    // others lose their bits when a password goes in.
    const mode_t mode = access == Access::OwnerOnly ? (old.st_mode & 07700) : (old.st_mode & 07777);
    if (!err && exists && ::fchmod(fd, mode) != 0)
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
    // The rename itself lives in the folder.
    if (sync == Sync::Flush && (err = syncFolder(folder)) != 0)
        fail(err);
}
