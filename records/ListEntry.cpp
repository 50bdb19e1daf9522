#include "ListEntry.h"

#include "Blanks.h"
#include "FieldCatalogue.h"

namespace {

const QStringList *fixedList(const QString &combo)
{
    const FieldDef *f = findField(combo);
    return f && f->type == ControlType::Combo && !f->items.isEmpty() ? &f->items : nullptr;
}

} // namespace

bool hasFixedList(const QString &combo)
{
    return fixedList(combo) != nullptr;
}

QString listEntryFor(const QString &combo, const QString &text)
{
    if (const QStringList *entries = fixedList(combo))
        for (const QString &entry : *entries)
            if (entry.compare(Blanks::trimmed(text), Qt::CaseInsensitive) == 0)
                return entry;
    return {};
}
