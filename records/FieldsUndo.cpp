#include "FieldsUndo.h"

#include "FieldCatalogue.h"
#include "IFields.h"

#include <algorithm>

namespace {

QStringList valueFields(RecordKind kind)
{
    QStringList names;
    for (const FieldDef &f : fieldCatalogue())
        if (f.kind == kind && f.type != ControlType::Radio)
            names << f.name;
    return names;
}

} // namespace

FieldsUndo::Value FieldsUndo::read(const IFields &fields, const QString &name)
{
    return {fields.text(name), fields.selectedIndex(name), fields.selectedEntry(name)};
}

bool FieldsUndo::record(IFields &fields, RecordKind kind, Kind how, const QString &what,
                        const std::function<void()> &change)
{
    const QStringList names = valueFields(kind);
    QList<Value> before;
    for (const QString &name : names)
        before << read(fields, name);
    change();
    Step step{kind, how, what, {}};
    for (qsizetype i = 0; i < names.size(); ++i)
        if (const Value after = read(fields, names[i]); after != before[i])
            step.changes.append({names[i], before[i], after});
    if (step.changes.isEmpty())
        return false;
    m_steps.append(step);
    if (m_steps.size() > kMaxSteps)
        m_steps.removeFirst();
    return true;
}

bool FieldsUndo::canUndo(const IFields &fields) const
{
    if (m_steps.isEmpty())
        return false;
    const QList<Change> &changes = m_steps.last().changes;
    return std::all_of(changes.begin(), changes.end(),
                       [&](const Change &c) { return read(fields, c.field) == c.after; });
}

std::optional<FieldsUndo::Undone> FieldsUndo::undo(IFields &fields)
{
    if (!canUndo(fields))
        return std::nullopt;
    const Step step = m_steps.takeLast();
    for (const Change &c : step.changes) {
        fields.setText(c.field, c.before.text);
        if (c.before.picked >= 0 && fields.items(c.field).value(c.before.picked) == c.before.pickedEntry)
            fields.setSelectedIndex(c.field, c.before.picked);
    }
    return Undone{step.kind, step.what};
}

void FieldsUndo::forget(RecordKind kind)
{
    m_steps.removeIf([kind](const Step &s) { return s.kind == kind; });
}

bool FieldsUndo::wasCleared(const IFields &fields, RecordKind kind) const
{
    for (const Step &s : m_steps)
        if (s.kind == kind && s.how == Kind::Clear)
            for (const Change &c : s.changes)
                if (!c.before.text.isEmpty() && c.after.text.isEmpty() && fields.text(c.field).isEmpty())
                    return true;
    return false;
}
