#pragma once
// A temporary folder made the current directory for one test, and helpers to
// read and write files in it as bytes.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>
#include <csignal>

class TestDir {
public:
    TestDir() : m_old(QDir::currentPath())
    {
        QVERIFY(m_dir.isValid());
        QDir::setCurrent(m_dir.path());
    }
    ~TestDir() { QDir::setCurrent(m_old); }
    QString path(const QString &rel = {}) const { return rel.isEmpty() ? m_dir.path() : m_dir.filePath(rel); }

private:
    QTemporaryDir m_dir;
    QString m_old;
};

inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

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
