#pragma once
// The copy of the RDAP bootstrap file kept between look-ups, so that IANA is
// asked at most once a day, and a look-up still finds its server when the
// file cannot be fetched.
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
    // bootstrap file's size.
    std::optional<Copy> load() const;

    // Replaces the copy atomically; false with the reason in `error`.
    bool store(const QByteArray &bytes, QString *error) const;

private:
    QString m_folder;
    QString m_path;
};
