#pragma once
// The copy of the RDAP bootstrap file kept between look-ups, so that IANA is
// asked at most once a day, and a look-up still finds its server when the
// file cannot be fetched. The copy decides where look-ups go, so only a copy
// that no one else could have written is read: a regular file of the user's
// own, in a folder of the user's own, neither writable by others. Writing
// replaces the file name itself, never what a link there points to.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUrl>
#include <optional>

class RdapBootstrapCache {
public:
    static constexpr qint64 FreshSeconds = 24 * 60 * 60;

    // `folder` holds the copy; each bootstrap URL has a file of its own, so
    // that pointing the program elsewhere never uses the other file's copy.
    RdapBootstrapCache(const QString &folder, const QUrl &source);

    // $XDG_CACHE_HOME/zandolet (~/.cache/zandolet when unset).
    static QString defaultFolder();

    QString filePath() const { return m_path; }

    struct Copy {
        QByteArray bytes;
        QDateTime saved;
        // Less than a day old at `now` (a copy from the future is not).
        bool isFresh(const QDateTime &now) const;
    };

    // nullopt when there is no copy, or it is not a regular file of a
    // bootstrap file's size, or it or its folder is not trusted.
    std::optional<Copy> load() const;

    // Replaces the copy atomically (a file 0600 in a folder 0700, which is
    // made so when it is the user's own); false with the reason in `error`.
    bool store(const QByteArray &bytes, QString *error) const;

    // Whether a file or folder with this owner and mode is one that only
    // `user` could have written.
    static bool trusted(uint owner, uint mode, uint user);

private:
    bool makeFolder(QString *error) const;

    QString m_folder;
    QString m_path;
};
