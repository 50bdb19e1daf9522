#include "NameList.h"

#include "AtomicFile.h"
#include "InputFile.h"
#include "Latin1.h"

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
    QByteArray bytes;
    if (InputFile::read(path, bytes) != InputFile::Outcome::Read)
        return {};
    // An empty line names no record; skipping it keeps a file of blank lines
    // from becoming millions of entries.
    return Latin1::lines(bytes, Latin1::EmptyLines::Skip);
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
