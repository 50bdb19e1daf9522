#include "ControlFields.h"

#include "FieldMark.h"
#include "Latin1Guard.h"
#include "ListEntry.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>

void ControlFields::registerControl(QWidget *w, const QString &name)
{
    w->setObjectName(name);
    m_controls.insert(name, w);
}

QString ControlFields::text(const QString &field) const
{
    QWidget *w = control(field);
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *c = qobject_cast<QComboBox *>(w))
        return c->currentText();
    if (auto *m = qobject_cast<QPlainTextEdit *>(w)) {
        QString t = memoText(m);
        t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        return t;
    }
    return {};
}

void ControlFields::setText(const QString &field, const QString &text)
{
    QWidget *w = control(field);
    if (!w)
        return;
    // No change handler runs, but a problem shown on the field is out of date.
    FieldMark::clear(w);
    const QSignalBlocker block(w);
    if (auto *e = qobject_cast<QLineEdit *>(w)) {
        fitTypingLimit(e, text);
        e->setText(text);
    } else if (auto *c = qobject_cast<QComboBox *>(w)) {
        const QSignalBlocker blockEdit(c->lineEdit());
        c->setEditText(text);
        setPicked(field, -1);
    } else if (auto *m = qobject_cast<QPlainTextEdit *>(w)) {
        m->setPlainText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    }
}

QString ControlFields::selectedEntry(const QString &combo) const
{
    if (hasFixedList(combo))
        return listEntryFor(combo, text(combo));
    const int i = selectedIndex(combo);
    auto *c = control<QComboBox>(combo);
    return c && i >= 0 && i < c->count() ? c->itemText(i) : QString();
}

int ControlFields::selectedIndex(const QString &combo) const
{
    if (hasFixedList(combo)) {
        const QString entry = selectedEntry(combo);
        return entry.isEmpty() ? -1 : int(items(combo).indexOf(entry));
    }
    return m_pickedIndex.value(combo, -1);
}

void ControlFields::setSelectedIndex(const QString &combo, int index)
{
    // A box with a fixed list selects what its text stands for.
    if (!hasFixedList(combo))
        setPicked(combo, index);
}

bool ControlFields::isChecked(const QString &radio) const
{
    auto *r = control<QAbstractButton>(radio);
    return r && r->isChecked();
}

void ControlFields::check(const QString &radio)
{
    // Checking runs the radio's click rule through its toggled signal.
    if (auto *r = control<QAbstractButton>(radio))
        r->setChecked(true);
}

bool ControlFields::isEnabled(const QString &field) const
{
    QWidget *w = control(field);
    return w && w->isEnabled();
}

void ControlFields::setEnabled(const QString &field, bool enabled)
{
    // The silver look of a disabled field comes from the window's palette.
    if (QWidget *w = control(field))
        w->setEnabled(enabled);
}

QString ControlFields::caption(const QString &label) const
{
    auto *l = control<QLabel>(label);
    return l ? l->text() : QString();
}

void ControlFields::setCaption(const QString &label, const QString &caption)
{
    if (auto *l = control<QLabel>(label))
        l->setText(caption);
}

QStringList ControlFields::items(const QString &combo) const
{
    QStringList out;
    if (auto *c = control<QComboBox>(combo))
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
    return out;
}

void ControlFields::setItems(const QString &combo, const QStringList &items)
{
    auto *c = control<QComboBox>(combo);
    if (!c)
        return;
    const QSignalBlocker block(c);
    const QSignalBlocker blockEdit(c->lineEdit());
    const QString text = c->currentText();
    c->clear();
    c->addItems(items);
    c->setEditText(text);
    setPicked(combo, -1);
}
