#include "DirectoryIndex.h"

#include <QFile>
#include <QHash>
#include <QMutex>

#include <dirent.h>
#include <sys/stat.h>
#include <time.h>

namespace {

// A listing taken this long after the folder's last change cannot miss a
// later change that kept the same time stamp: longer than the time stamp
// granularity. Time stamps with a sub-second part come from the kernel's
// coarse clock (a tick of at most 10 ms); whole seconds suggest a file system
// that keeps only those (FAT: 2 s).
constexpr qint64 kSettleFineNs = 50'000'000;
constexpr qint64 kSettleCoarseNs = 2'100'000'000;

qint64 settleTime(qint64 mtime)
{
    return mtime % 1'000'000'000 == 0 ? kSettleCoarseNs : kSettleFineNs;
}

qint64 ns(const struct timespec &t)
{
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

struct Listing {
    dev_t dev = 0;
    ino_t ino = 0;
    qint64 mtime = 0;
    qint64 listedAt = 0;
    QHash<QByteArray, QByteArray> byFolded; // folded name -> name as stored
};

QMutex g_mutex;
QHash<QString, Listing> g_listings;

// Case-folded UTF-8; plain ASCII names (nearly all) are folded bytewise
// without building a QString.
QByteArray fold(const char *name)
{
    QByteArray out(name);
    for (char &c : out) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return QFile::decodeName(name).toCaseFolded().toUtf8();
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return out;
}

QByteArray fold(const QString &name)
{
    return fold(QFile::encodeName(name).constData());
}

bool readListing(const QByteArray &folder, Listing &out)
{
    DIR *d = ::opendir(folder.constData());
    if (!d)
        return false;
    out.byFolded.clear();
    out.byFolded.reserve(1024);
    while (const dirent *e = ::readdir(d)) {
        const char *n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        out.byFolded.insert(fold(n), QByteArray(n));
    }
    ::closedir(d);
    return true;
}

} // namespace

QString DirectoryIndex::find(const QString &folder, const QString &name)
{
    const QByteArray dirPath = QFile::encodeName(folder);
    struct stat st;
    if (::lstat((dirPath + '/' + QFile::encodeName(name)).constData(), &st) == 0)
        return name;
    if (::stat(dirPath.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return {};

    QMutexLocker lock(&g_mutex);
    Listing &l = g_listings[folder];
    const bool fresh = l.dev == st.st_dev && l.ino == st.st_ino && l.mtime == ns(st.st_mtim) &&
                       l.listedAt - l.mtime >= settleTime(l.mtime);
    if (!fresh) {
        struct timespec now;
        ::clock_gettime(CLOCK_REALTIME, &now);
        if (!readListing(dirPath, l)) {
            g_listings.remove(folder);
            return {};
        }
        l.dev = st.st_dev;
        l.ino = st.st_ino;
        l.mtime = ns(st.st_mtim);
        l.listedAt = ns(now);
        // A handful of folders per current directory; start over if someone
        // walks through many.
        if (g_listings.size() > 64) {
            Listing keep = l;
            g_listings.clear();
            g_listings.insert(folder, keep);
            return QFile::decodeName(keep.byFolded.value(fold(name)));
        }
    }
    return QFile::decodeName(l.byFolded.value(fold(name)));
}

void DirectoryIndex::clear()
{
    QMutexLocker lock(&g_mutex);
    g_listings.clear();
}
