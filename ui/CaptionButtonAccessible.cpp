#include "CaptionButtonAccessible.h"

#include "CaptionButtons.h"

#include <QWidget>

CaptionButtonAccessible::CaptionButtonAccessible(QWidget *form, int place) : m_form(form), m_place(place) {}

CaptionButtons *CaptionButtonAccessible::buttons() const
{
    return dynamic_cast<CaptionButtons *>(m_form.data());
}

QString CaptionButtonAccessible::name(CaptionButtonKind kind)
{
    switch (kind) {
    case CaptionButtonKind::Close:
        return QStringLiteral("Close");
    case CaptionButtonKind::Maximize:
        return QStringLiteral("Maximize");
    case CaptionButtonKind::Restore:
        return QStringLiteral("Restore");
    case CaptionButtonKind::Minimize:
        return QStringLiteral("Minimize");
    case CaptionButtonKind::Help:
        break;
    }
    return QStringLiteral("Help");
}

bool CaptionButtonAccessible::isValid() const
{
    const CaptionButtons *b = buttons();
    return b && m_place < b->captionButtons().size();
}

QWindow *CaptionButtonAccessible::window() const
{
    return m_form ? m_form->window()->windowHandle() : nullptr;
}

QAccessibleInterface *CaptionButtonAccessible::parent() const
{
    return m_form ? QAccessible::queryAccessibleInterface(m_form.data()) : nullptr;
}

QString CaptionButtonAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name || !isValid())
        return {};
    return name(buttons()->captionButtons().at(m_place).kind);
}

QRect CaptionButtonAccessible::rect() const
{
    if (!isValid())
        return {};
    const QRect r = buttons()->captionButtons().at(m_place).rect;
    return QRect(m_form->mapToGlobal(r.topLeft()), r.size());
}

QAccessible::State CaptionButtonAccessible::state() const
{
    QAccessible::State s;
    if (!isValid()) {
        s.invalid = true;
        return s;
    }
    s.invisible = !m_form->isVisible();
    s.disabled = !buttons()->captionButtons().at(m_place).enabled;
    return s;
}

void *CaptionButtonAccessible::interface_cast(QAccessible::InterfaceType type)
{
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
}

QStringList CaptionButtonAccessible::actionNames() const
{
    return {pressAction()};
}

void CaptionButtonAccessible::doAction(const QString &actionName)
{
    if (actionName != pressAction() || !isValid())
        return;
    const CaptionButton b = buttons()->captionButtons().at(m_place);
    if (b.enabled)
        buttons()->pressButton(b.kind);
}
