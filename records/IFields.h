#pragma once
// The record seam: renderers, the store and the form rules read and change a
// record only through this interface, addressed by control name. The main
// window implements it over its controls; tests implement it over a map.
#include <QString>
#include <QStringList>

class IFields {
public:
    virtual ~IFields() = default;

    // Current text of an edit, memo or combo box (memo lines joined by CR LF).
    virtual QString text(const QString &field) const = 0;
    // Sets the text without running the field's change handler.
    virtual void setText(const QString &field, const QString &text) = 0;

    // Text of the combo box's selected list entry; empty when none is selected.
    // A box with a fixed list (ListEntry.h) selects the entry its text stands for.
    virtual QString selectedEntry(const QString &combo) const = 0;

    virtual bool isChecked(const QString &radio) const = 0;
    // Checks a radio as a user click does: its click handler runs.
    virtual void check(const QString &radio) = 0;

    virtual bool isEnabled(const QString &field) const = 0;
    // Enables or disables a field together with its enabled look (silver when disabled).
    virtual void setEnabled(const QString &field, bool enabled) = 0;

    virtual QString caption(const QString &label) const = 0;
    virtual void setCaption(const QString &label, const QString &caption) = 0;

    // Drop-down list of a name box.
    virtual QStringList items(const QString &combo) const = 0;
    virtual void setItems(const QString &combo, const QStringList &items) = 0;
    // Position of the selected entry; -1 when none is selected (for a name
    // box, also after the user typed in it).
    virtual int selectedIndex(const QString &combo) const = 0;
    // Marks entry `index` of a name box's list as picked, as the user's pick
    // does, but without running a handler; the text stays as it is. A box
    // with a fixed list ignores it.
    virtual void setSelectedIndex(const QString &combo, int index) = 0;
};
