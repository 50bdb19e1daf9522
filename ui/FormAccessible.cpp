#include "FormAccessible.h"

#include "CaptionButtonAccessible.h"
#include "CaptionButtons.h"

#include <QWidget>

// Only a dialog is ever shown inside another window.
FormAccessible::FormAccessible(QWidget *form)
    : QAccessibleWidget(form, form->windowType() == Qt::Dialog || !form->isWindow() ? QAccessible::Dialog
                                                                                    : QAccessible::Window)
{
}

FormAccessible::~FormAccessible()
{
    for (QAccessible::Id id : m_buttons)
        if (id)
            QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface *FormAccessible::factory(const QString &, QObject *object)
{
    auto *form = qobject_cast<QWidget *>(object);
    return form && dynamic_cast<CaptionButtons *>(object) ? new FormAccessible(form) : nullptr;
}

QString FormAccessible::text(QAccessible::Text t) const
{
    const QString text = QAccessibleWidget::text(t);
    // A dialog shown inside another window is no window, yet its caption still names it.
    if (t == QAccessible::Name && text.isEmpty())
        return widget()->windowTitle();
    return text;
}

int FormAccessible::captionButtonCount() const
{
    // Nothing once the form is being destroyed down to its widget.
    const auto *buttons = dynamic_cast<const CaptionButtons *>(widget());
    return buttons ? static_cast<int>(buttons->captionButtons().size()) : 0;
}

int FormAccessible::childCount() const
{
    return captionButtonCount() + QAccessibleWidget::childCount();
}

QAccessibleInterface *FormAccessible::child(int index) const
{
    const int buttons = captionButtonCount();
    if (index < 0)
        return nullptr;
    if (index >= buttons)
        return QAccessibleWidget::child(index - buttons);
    if (m_buttons.size() <= size_t(index))
        m_buttons.resize(index + 1, 0);
    QAccessible::Id &id = m_buttons[index];
    if (!id)
        id = QAccessible::registerAccessibleInterface(
            new CaptionButtonAccessible(widget(), index));
    return QAccessible::accessibleInterface(id);
}

int FormAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    for (size_t i = 0; i < m_buttons.size(); ++i)
        if (m_buttons[i] && QAccessible::accessibleInterface(m_buttons[i]) == child)
            return int(i) < captionButtonCount() ? int(i) : -1;
    const int index = QAccessibleWidget::indexOfChild(child);
    return index < 0 ? index : index + captionButtonCount();
}

QAccessibleInterface *FormAccessible::childAt(int x, int y) const
{
    const int buttons = captionButtonCount();
    for (int i = 0; i < buttons; ++i)
        if (QAccessibleInterface *b = child(i); b->rect().contains(x, y))
            return b;
    return QAccessibleWidget::childAt(x, y);
}
