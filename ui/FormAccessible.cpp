#include "FormAccessible.h"

#include "CaptionButtonAccessible.h"
#include "TGradientForm.h"

FormAccessible::FormAccessible(TGradientForm *form)
    : QAccessibleWidget(form, form->windowType() == Qt::Dialog ? QAccessible::Dialog : QAccessible::Window)
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
    auto *form = qobject_cast<TGradientForm *>(object);
    return form ? new FormAccessible(form) : nullptr;
}

int FormAccessible::captionButtonCount() const
{
    return static_cast<int>(static_cast<TGradientForm *>(widget())->captionButtons().size());
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
            new CaptionButtonAccessible(static_cast<TGradientForm *>(widget()), index));
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
