#pragma once
// A fresh current directory per test, and whole files as bytes.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

// An empty temporary folder that is the current directory while it lives
// (record folders and name lists go there).
class WorkFolder {
public:
    WorkFolder()
    {
        QVERIFY(m_dir.isValid());
        QDir::setCurrent(m_dir.path());
    }
    ~WorkFolder()
    {
        // Leave the folder before it goes, unless another one is current by now.
        if (QDir::current() == QDir(m_dir.path()))
            QDir::setCurrent(QDir::tempPath());
    }
    bool isValid() const { return m_dir.isValid(); }
    // The folder, or `rel` inside it.
    QString path(const QString &rel = {}) const { return rel.isEmpty() ? m_dir.path() : m_dir.filePath(rel); }
    QString filePath(const QString &rel) const { return m_dir.filePath(rel); }

private:
    QTemporaryDir m_dir;
};

// Empty when the file cannot be read.
inline QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Creates the file's folder when it is missing.
inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A UTF-8 text file's lines, without the last line's end.
inline QStringList textLines(const QString &path)
{
    QString text = QString::fromUtf8(readBytes(path));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.split(QLatin1Char('\n'));
}
