#include "RdapBootstrapCache.h"

#include "AtomicFile.h"
#include "Exception.h"
#include "InputFile.h"
#include "RdapBootstrap.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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

std::optional<RdapBootstrapCache::Copy> RdapBootstrapCache::load() const
{
    Copy copy;
    try {
        if (InputFile::read(m_path, copy.bytes) != InputFile::Outcome::Read)
            return std::nullopt;
    } catch (const EInOutError &) {
        return std::nullopt; // a pipe, a device or a huge file: no copy
    }
    if (copy.bytes.size() > RdapBootstrap::MaxBytes)
        return std::nullopt;
    copy.saved = QFileInfo(m_path).lastModified();
    return copy;
}

bool RdapBootstrapCache::store(const QByteArray &bytes, QString *error) const
{
    if (!QDir().mkpath(m_folder)) {
        if (error)
            *error = QStringLiteral("%1 cannot be created").arg(m_folder);
        return false;
    }
    try {
        // A lost copy is fetched again: no need to wait for the disk.
        AtomicFile::write(m_path, bytes, AtomicFile::Sync::NoFlush);
    } catch (const EInOutError &e) {
        if (error)
            *error = e.Message();
        return false;
    }
    return true;
}
