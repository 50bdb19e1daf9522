#include "FieldsUndo.h"

#include "FieldCatalogue.h"
#include "IFields.h"

namespace {

QStringList valueFields(RecordKind kind)
{
    QStringList names;
    for (const FieldSpec &f : fieldCatalogue())
        if (f.kind == kind && f.type != ControlType::Radio)
            names << f.name;
    return names;
}

} // namespace

QList<FieldsUndo::Value> FieldsUndo::read(const IFields &fields) const
{
    QList<Value> values;
    for (const QString &name : m_names)
        values.append({fields.text(name), fields.selectedIndex(name), fields.selectedEntry(name)});
    return values;
}

void FieldsUndo::record(IFields &fields, RecordKind kind, const std::function<void()> &change)
{
    m_names = valueFields(kind);
    m_before = read(fields);
    m_after.clear();
    change();
    const QList<Value> after = read(fields);
    if (after != m_before)
        m_after = after;
}

bool FieldsUndo::canUndo(const IFields &fields) const
{
    return !m_after.isEmpty() && read(fields) == m_after;
}

bool FieldsUndo::undo(IFields &fields)
{
    if (!canUndo(fields))
        return false;
    m_after.clear();
    for (qsizetype i = 0; i < m_names.size(); ++i) {
        const Value &v = m_before[i];
        fields.setText(m_names[i], v.text);
        if (v.picked >= 0 && fields.items(m_names[i]).value(v.picked) == v.pickedEntry)
            fields.setSelectedIndex(m_names[i], v.picked);
    }
    return true;
}
