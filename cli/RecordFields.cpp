#include "RecordFields.h"

#include "ListEntry.h"
#include "RecordKind.h"

namespace {

QStringList groupOf(const QString &radio)
{
    for (const KindInfo &k : recordKinds()) {
        const QStringList group{QLatin1String(k.newRadio), QLatin1String(k.modifyRadio), QLatin1String(k.deleteRadio)};
        if (group.contains(radio))
            return group;
    }
    const QStringList publicChoice{QStringLiteral("PublicYesRadio"), QStringLiteral("PublicNoRadio")};
    return publicChoice.contains(radio) ? publicChoice : QStringList{radio};
}

} // namespace

QString RecordFields::selectedEntry(const QString &combo) const
{
    if (hasFixedList(combo))
        return listEntryFor(combo, text(combo));
    return items(combo).value(selectedIndex(combo));
}

void RecordFields::check(const QString &radio)
{
    uncheckGroup(radio);
    m_checked.insert(radio);
}

void RecordFields::uncheckGroup(const QString &radio)
{
    for (const QString &other : groupOf(radio))
        m_checked.remove(other);
}

void RecordFields::setEnabled(const QString &field, bool enabled)
{
    if (enabled)
        m_disabled.remove(field);
    else
        m_disabled.insert(field);
}
