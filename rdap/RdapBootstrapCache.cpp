#include "RdapBootstrapCache.h"

#include "AtomicFile.h"
#include "Exception.h"
#include "RdapBootstrap.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

RdapBootstrapCache::RdapBootstrapCache(const QString &folder, const QUrl &source) : m_folder(folder)
{
    const QByteArray key =
        QCryptographicHash::hash(source.toEncoded(), QCryptographicHash::Sha256).toHex().left(16);
    m_path = QDir(folder).filePath(QStringLiteral("rdap-dns-%1.json").arg(QLatin1String(key)));
}

QString RdapBootstrapCache::defaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("zandolet"));
}

bool RdapBootstrapCache::Copy::isFresh(const QDateTime &now) const
{
    return saved.isValid() && saved <= now && saved.secsTo(now) < FreshSeconds;
}

bool RdapBootstrapCache::trusted(uint owner, uint mode, uint user)
{
    return owner == user && (mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::optional<RdapBootstrapCache::Copy> RdapBootstrapCache::load() const
{
    struct stat folder {};
    if (::lstat(QFile::encodeName(m_folder).constData(), &folder) != 0 || !S_ISDIR(folder.st_mode) ||
        !trusted(folder.st_uid, folder.st_mode, ::geteuid()))
        return std::nullopt;
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    struct stat file {};
    if (::fstat(fd, &file) != 0 || !S_ISREG(file.st_mode) || !trusted(file.st_uid, file.st_mode, ::geteuid()) ||
        file.st_size > RdapBootstrap::MaxBytes)
        return std::nullopt;
    Copy copy;
    copy.bytes.resize(qsizetype(file.st_size));
    qsizetype got = 0;
    while (got < copy.bytes.size()) {
        const ssize_t n = ::read(fd, copy.bytes.data() + got, size_t(copy.bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt;
        got += n;
    }
    copy.saved = QDateTime::fromSecsSinceEpoch(file.st_mtim.tv_sec, Qt::UTC);
    return copy;
}

bool RdapBootstrapCache::makeFolder(QString *error) const
{
    const QByteArray folder = QFile::encodeName(m_folder);
    const auto refuse = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("%1 %2").arg(m_folder, why);
        return false;
    };
    // Ours alone: our own folder, closed to everyone else.
    const auto ownAlone = [&](const struct stat &st) {
        if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
            return refuse(QStringLiteral("is not yours"));
        return (st.st_mode & 07777) == 0700 || ::chmod(folder.constData(), 0700) == 0 ||
               refuse(QStringLiteral("cannot be made yours alone"));
    };
    struct stat st {};
    if (::lstat(folder.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return ownAlone(st);
        // A link or a file in its place is replaced by a folder of our own.
        if (::unlink(folder.constData()) != 0)
            return refuse(QStringLiteral("is not a folder"));
    }
    if (!QDir().mkpath(QFileInfo(m_folder).absolutePath()) || (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST))
        return refuse(QStringLiteral("cannot be created"));
    // Made meanwhile by someone else: checked as any folder found there.
    return ::lstat(folder.constData(), &st) == 0 ? ownAlone(st) : refuse(QStringLiteral("cannot be created"));
}

bool RdapBootstrapCache::store(const QByteArray &bytes, QString *error) const
{
    if (!makeFolder(error))
        return false;
    try {
        // A lost copy is fetched again: no need to wait for the disk. A link in
        // its place is replaced, never written through.
        AtomicFile::write(m_path, bytes, AtomicFile::Sync::NoFlush, AtomicFile::Access::OwnerOnly,
                          AtomicFile::Links::Replace);
    } catch (const EInOutError &e) {
        if (error)
            *error = e.Message();
        return false;
    }
    return true;
}
