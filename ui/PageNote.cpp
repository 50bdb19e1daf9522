#include "PageNote.h"

#include <QAccessible>
#include <QTimer>

PageNote::PageNote(QWidget *over) : QLabel(over), m_hide(new QTimer(this))
{
    setObjectName(QStringLiteral("pageNote"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setWordWrap(true);
    setFrameShape(QFrame::Box);
    setMargin(4);
    // The tool tip colours: a note of passing news, readable in any theme.
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::WindowText, pal.color(QPalette::ToolTipText));
    setPalette(pal);
    m_hide->setSingleShot(true);
    connect(m_hide, &QTimer::timeout, this, &QWidget::hide);
    hide();
}

void PageNote::showText(const QString &text, int ms)
{
    setText(text);
    setAccessibleName(text);
    const QWidget *over = parentWidget();
    const int gap = 6;
    const int width = over->width() - 2 * gap;
    const int height = heightForWidth(width);
    setGeometry(gap, over->height() - height - gap, width, height);
    show();
    raise();
    m_hide->start(ms);
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}
