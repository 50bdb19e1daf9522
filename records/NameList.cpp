#include "NameList.h"

#include "AtomicFile.h"

#include <QCollator>
#include <QFile>
#include <QLocale>

#include <algorithm>

namespace {

// Names sort the way the user's language sorts them, accented letters beside
// their base letters, without regard to case. The C locale knows no such
// order, only code points, so there names sort as English sorts them.
QCollator nameCollator()
{
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
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
    const QCollator collator = nameCollator();
    std::stable_sort(names.begin(), names.end(),
                     [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
}

qsizetype NameList::sortedPosition(const QStringList &names, const QString &name)
{
    const QCollator collator = nameCollator();
    return std::upper_bound(names.begin(), names.end(), name,
                            [&](const QString &a, const QString &b) { return collator.compare(a, b) < 0; }) -
           names.begin();
}
