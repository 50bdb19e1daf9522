#include "AnchoredBox.h"

AnchoredBox::AnchoredBox(QWidget *content, std::function<QSize()> growth, Qt::Orientations held)
    : m_content(content), m_growth(std::move(growth)), m_held(held)
{
    m_content->setParent(this);
    setSizePolicy(m_content->sizePolicy());
}

QSize AnchoredBox::sizeHint() const
{
    return m_content->sizeHint();
}

QSize AnchoredBox::minimumSizeHint() const
{
    return m_content->minimumSizeHint();
}

void AnchoredBox::resizeEvent(QResizeEvent *)
{
    place();
}

void AnchoredBox::showEvent(QShowEvent *)
{
    // A hidden page was resized with the window but is placed when it shows.
    place();
}

void AnchoredBox::place()
{
    const QSize growth = m_growth().expandedTo(QSize(0, 0));
    QSize held = size();
    if (m_held & Qt::Horizontal)
        held.rwidth() -= growth.width();
    if (m_held & Qt::Vertical)
        held.rheight() -= growth.height();
    m_content->setGeometry(QRect(QPoint(0, 0), held));
}
