#include "DirectoryIndex.h"

#include <QFile>
#include <QHash>
#include <QMutex>

#include <dirent.h>
#include <sys/stat.h>
#include <time.h>

namespace {

// Longer than the coarsest time stamp granularity of the file systems we
// meet (FAT: 2 s), so a listing taken this long after the folder's last
// change cannot be missing a change that kept the same time stamp.
constexpr qint64 kSettleNs = 2'100'000'000;

qint64 ns(const struct timespec &t)
{
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

struct Listing {
    dev_t dev = 0;
    ino_t ino = 0;
    qint64 mtime = 0;
    qint64 listedAt = 0;
    QHash<QString, QString> byFolded; // case-folded name -> real name
};

QMutex g_mutex;
QHash<QString, Listing> g_listings;

QString fold(const QString &s)
{
    return s.toCaseFolded();
}

bool readListing(const QByteArray &folder, Listing &out)
{
    DIR *d = ::opendir(folder.constData());
    if (!d)
        return false;
    out.byFolded.clear();
    while (const dirent *e = ::readdir(d)) {
        const char *n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        const QString name = QFile::decodeName(n);
        out.byFolded.insert(fold(name), name);
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
                       l.listedAt - l.mtime >= kSettleNs;
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
            return keep.byFolded.value(fold(name));
        }
    }
    return l.byFolded.value(fold(name));
}

void DirectoryIndex::clear()
{
    QMutexLocker lock(&g_mutex);
    g_listings.clear();
}
