#pragma once
// A record without a window: the fields as texts, the radios as a set.
// Checking a radio unchecks the others of its group (a kind's action radios,
// the Public choice). Enabled states are kept but change nothing here, since
// no rendering or check reads them.
#include "IFields.h"

#include <QHash>
#include <QSet>

class RecordFields : public IFields {
public:
    QString text(const QString &field) const override { return m_texts.value(field); }
    void setText(const QString &field, const QString &text) override { m_texts[field] = text; }
    QString selectedEntry(const QString &combo) const override;
    bool isChecked(const QString &radio) const override { return m_checked.contains(radio); }
    void check(const QString &radio) override;
    // Leaves every radio of `radio`'s group unchecked.
    void uncheckGroup(const QString &radio);
    bool isEnabled(const QString &field) const override { return !m_disabled.contains(field); }
    void setEnabled(const QString &field, bool enabled) override;
    QString caption(const QString &label) const override { return m_captions.value(label); }
    void setCaption(const QString &label, const QString &caption) override { m_captions[label] = caption; }
    QStringList items(const QString &combo) const override { return m_items.value(combo); }
    void setItems(const QString &combo, const QStringList &items) override { m_items[combo] = items; }
    int selectedIndex(const QString &combo) const override { return m_selected.value(combo, -1); }
    void setSelectedIndex(const QString &combo, int index) override { m_selected[combo] = index; }

private:
    QHash<QString, QString> m_texts;
    QSet<QString> m_checked;
    QSet<QString> m_disabled;
    QHash<QString, QString> m_captions;
    QHash<QString, QStringList> m_items;
    QHash<QString, int> m_selected;
};
