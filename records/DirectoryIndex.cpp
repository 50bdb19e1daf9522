#include "DirectoryIndex.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QSet>

#include <cerrno>
#include <dirent.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

// Without change notifications, a listing taken this long after the folder's
// last change cannot miss a later change that kept the same time stamp: it is
// longer than the time stamp granularity. Stamps with a sub-second part come
// from the kernel's coarse clock (a tick of at most 10 ms); whole seconds
// suggest a file system that keeps only those (FAT: 2 s).
constexpr qint64 kSettleFineNs = 50'000'000;
constexpr qint64 kSettleCoarseNs = 2'100'000'000;
constexpr qsizetype kMaxFolders = 64;

qint64 settleTime(qint64 mtime)
{
    return mtime % 1'000'000'000 == 0 ? kSettleCoarseNs : kSettleFineNs;
}

qint64 ns(const struct timespec &t)
{
    return qint64(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

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

struct Listing {
    dev_t dev = 0;
    ino_t ino = 0;
    qint64 mtime = 0;
    qint64 listedAt = 0;
    int wd = -1;                  // inotify watch, -1 without
    bool valid = false;
    bool changedByEvents = false; // events arrived since the time stamp was taken
    QHash<QByteArray, QByteArray> byFolded; // folded name -> one name as stored
    QSet<QByteArray> ambiguous;             // folded names held by more than one entry

    void add(const char *name)
    {
        const QByteArray key = fold(name);
        const auto it = byFolded.constFind(key);
        if (it == byFolded.cend())
            byFolded.insert(key, QByteArray(name));
        else if (it.value() != name)
            ambiguous.insert(key);
    }
    void remove(const char *name)
    {
        const QByteArray key = fold(name);
        const auto it = byFolded.find(key);
        if (it == byFolded.end() || it.value() != name)
            return;
        if (ambiguous.contains(key))
            valid = false; // another spelling may remain; only a new listing knows
        else
            byFolded.erase(it);
    }
};

class Index {
public:
    ~Index()
    {
        if (m_inotify >= 0)
            ::close(m_inotify);
    }
    QString find(const QString &folder, const QString &name);
    void clear();
    void setNotifications(bool on)
    {
        clear();
        m_notificationsOff = !on;
    }

private:
    void drainEvents();
    bool relist(const QString &folder, const QByteArray &native, const struct stat &st, Listing &l);
    void dropWatch(Listing &l);
    void evictIfFull(const QString &keep);

    QMutex m_mutex;
    QHash<QString, Listing> m_listings;
    QHash<int, QString> m_folderOfWatch;
    int m_inotify = -2; // -2: not tried yet, -1: unavailable
    bool m_notificationsOff = false;
};

void Index::drainEvents()
{
    if (m_inotify < 0)
        return;
    alignas(struct inotify_event) char buf[16384];
    for (;;) {
        const ssize_t n = ::read(m_inotify, buf, sizeof buf);
        if (n <= 0)
            return; // EAGAIN: nothing more queued
        for (ssize_t off = 0; off < n;) {
            const auto *ev = reinterpret_cast<const struct inotify_event *>(buf + off);
            off += ssize_t(sizeof(struct inotify_event) + ev->len);
            if (ev->mask & IN_Q_OVERFLOW) {
                for (Listing &l : m_listings)
                    l.valid = false;
                continue;
            }
            const auto w = m_folderOfWatch.constFind(ev->wd);
            if (w == m_folderOfWatch.cend())
                continue;
            const auto it = m_listings.find(w.value());
            if (it == m_listings.end())
                continue;
            Listing &l = it.value();
            if (ev->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED)) {
                dropWatch(l); // the path may come back as another folder
                l.valid = false;
                continue;
            }
            if (ev->len == 0)
                continue;
            if (ev->mask & (IN_CREATE | IN_MOVED_TO))
                l.add(ev->name);
            else if (ev->mask & (IN_DELETE | IN_MOVED_FROM))
                l.remove(ev->name);
            l.changedByEvents = true;
        }
    }
}

void Index::dropWatch(Listing &l)
{
    if (l.wd >= 0) {
        ::inotify_rm_watch(m_inotify, l.wd);
        m_folderOfWatch.remove(l.wd);
        l.wd = -1;
    }
}

bool Index::relist(const QString &folder, const QByteArray &native, const struct stat &st, Listing &l)
{
    if (m_inotify == -2 && !m_notificationsOff)
        m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    // Watch first, list second: a change during the listing then arrives as
    // an event, which is harmless to apply twice.
    if (l.wd < 0 && m_inotify >= 0 && !m_notificationsOff) {
        l.wd = ::inotify_add_watch(m_inotify, native.constData(),
                                   IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                                       IN_MOVE_SELF | IN_ONLYDIR);
        if (l.wd >= 0)
            m_folderOfWatch.insert(l.wd, folder);
    }
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    DIR *d = ::opendir(native.constData());
    if (!d)
        return false;
    l.byFolded.clear();
    l.ambiguous.clear();
    while (const dirent *e = ::readdir(d)) {
        const char *n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        l.add(n);
    }
    ::closedir(d);
    l.dev = st.st_dev;
    l.ino = st.st_ino;
    l.mtime = ns(st.st_mtim);
    l.listedAt = ns(now);
    l.valid = true;
    l.changedByEvents = false;
    return true;
}

void Index::evictIfFull(const QString &keep)
{
    if (m_listings.size() <= kMaxFolders)
        return;
    for (auto it = m_listings.begin(); it != m_listings.end();) {
        if (it.key() == keep) {
            ++it;
            continue;
        }
        dropWatch(it.value());
        it = m_listings.erase(it);
    }
}

QString Index::find(const QString &folder, const QString &name)
{
    const QByteArray native = QFile::encodeName(folder);
    const QByteArray file = QFile::encodeName(name);
    struct stat st;
    if (::lstat((native + '/' + file).constData(), &st) == 0)
        return name;
    if (::stat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return {};

    QMutexLocker lock(&m_mutex);
    drainEvents();
    Listing &l = m_listings[folder];
    const qint64 mtime = ns(st.st_mtim);
    bool fresh = l.valid && l.dev == st.st_dev && l.ino == st.st_ino;
    if (fresh && l.wd >= 0) {
        // Local changes arrive as events. A new time stamp without any event
        // is a change we were not told about (a network share): list again.
        fresh = l.mtime == mtime || l.changedByEvents;
    } else if (fresh) {
        fresh = l.mtime == mtime && l.listedAt - l.mtime >= settleTime(l.mtime);
    }
    if (fresh) {
        l.mtime = mtime;
        l.changedByEvents = false;
    } else {
        if (l.valid && (l.dev != st.st_dev || l.ino != st.st_ino))
            dropWatch(l); // another folder now has this path
        if (!relist(folder, native, st, l)) {
            dropWatch(l);
            m_listings.remove(folder);
            return {};
        }
    }
    const QString real = QFile::decodeName(l.byFolded.value(fold(file.constData())));
    evictIfFull(folder);
    return real;
}

void Index::clear()
{
    QMutexLocker lock(&m_mutex);
    for (Listing &l : m_listings)
        dropWatch(l);
    m_listings.clear();
    drainEvents(); // discard what was queued for the dropped watches
}

Index &index()
{
    static Index i;
    return i;
}

} // namespace

QString DirectoryIndex::find(const QString &folder, const QString &name)
{
    return index().find(folder, name);
}

void DirectoryIndex::clear()
{
    index().clear();
}

void DirectoryIndex::setChangeNotifications(bool on)
{
    index().setNotifications(on);
}
