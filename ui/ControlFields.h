#pragma once
// The record seam over a window's controls: each field is the control of the
// same name, registered as the window builds its pages.
#include "IFields.h"

#include <QHash>
#include <QWidget>

class ControlFields : public IFields {
public:
    // Any control by its control name; nullptr when there is none.
    QWidget *control(const QString &name) const { return m_controls.value(name); }
    template <class T> T *control(const QString &name) const { return qobject_cast<T *>(control(name)); }

    // Names `w` and makes it the field of that name.
    void registerControl(QWidget *w, const QString &name);
    // The name box's entry the user picked, -1 after typing.
    void setPicked(const QString &combo, int index) { m_pickedIndex[combo] = index; }

    QString text(const QString &field) const override;
    void setText(const QString &field, const QString &text) override;
    QString selectedEntry(const QString &combo) const override;
    bool isChecked(const QString &radio) const override;
    void check(const QString &radio) override;
    bool isEnabled(const QString &field) const override;
    void setEnabled(const QString &field, bool enabled) override;
    QString caption(const QString &label) const override;
    void setCaption(const QString &label, const QString &caption) override;
    QStringList items(const QString &combo) const override;
    void setItems(const QString &combo, const QStringList &items) override;
    int selectedIndex(const QString &combo) const override;
    void setSelectedIndex(const QString &combo, int index) override;

private:
    QHash<QString, QWidget *> m_controls;
    QHash<QString, int> m_pickedIndex;
};
