#include "NameList.h"

#include "AtomicFile.h"

#include <QFile>

#include <algorithm>

namespace {

bool lessIgnoringCase(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

} // namespace

QStringList NameList::read(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList names = QString::fromLatin1(f.readAll()).split(QLatin1Char('\n'));
    for (QString &n : names)
        if (n.endsWith(QLatin1Char('\r')))
            n.chop(1);
    // The break after the last line leaves one empty piece that is not a name.
    if (!names.isEmpty() && names.back().isEmpty())
        names.removeLast();
    return names;
}

void NameList::write(const QString &path, const QStringList &names)
{
    QByteArray bytes;
    for (const QString &n : names) {
        bytes += n.toLatin1();
        bytes += "\r\n";
    }
    AtomicFile::write(path, bytes);
}

bool NameList::containsIgnoringCase(const QStringList &names, const QString &name)
{
    return names.contains(name, Qt::CaseInsensitive);
}

void NameList::sortIgnoringCase(QStringList &names)
{
    std::stable_sort(names.begin(), names.end(), lessIgnoringCase);
}

qsizetype NameList::sortedPosition(const QStringList &names, const QString &name)
{
    return std::upper_bound(names.begin(), names.end(), name, lessIgnoringCase) - names.begin();
}
