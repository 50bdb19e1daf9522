#pragma once
// Helpers of the record tests: key orders read from files, and a file-size
// limit that makes writes fail like a full disk.
#include "TestFiles.h"

#include <sys/resource.h>
#include <csignal>

using TestDir = WorkFolder;

// Key names of a section, in file order, from the file's text.
inline QStringList keysOf(const QString &path, const QString &section)
{
    QStringList keys;
    bool in = false;
    for (const QByteArray &raw : readBytes(path).split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            in = line.compare(QLatin1Char('[') + section + QLatin1Char(']'), Qt::CaseInsensitive) == 0;
            continue;
        }
        if (in && line.contains(QLatin1Char('=')))
            keys << line.left(line.indexOf(QLatin1Char('=')));
    }
    return keys;
}

// Writes larger than `bytes` fail (EFBIG) while it lives, also for root, like a
// full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit l = m_old;
        l.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &l);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};
