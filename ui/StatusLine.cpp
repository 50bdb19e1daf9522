#include "StatusLine.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {
// The gap a line edit leaves between its frame and its text.
constexpr int kTextGap = 2;
} // namespace

StatusLine::StatusLine(const QString &text, QWidget *parent) : QLineEdit(parent)
{
    setReadOnly(true);
    connect(this, &QLineEdit::textChanged, this, [this](const QString &now) {
        setToolTip(now);
        setCursorPosition(0); // scrolled to the start when focused
        update();
    });
    setText(text);
}

void StatusLine::paintEvent(QPaintEvent *event)
{
    if (hasFocus()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame frame;
    initStyleOption(&frame);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &frame, &painter, this);
    const QMargins margins = textMargins();
    const QRect area = style()
                           ->subElementRect(QStyle::SE_LineEditContents, &frame, this)
                           .adjusted(kTextGap + margins.left(), margins.top(), -kTextGap - margins.right(),
                                     -margins.bottom());
    painter.setClipRect(area);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(area, int(Qt::AlignLeft | Qt::AlignVCenter) | Qt::TextSingleLine,
                     fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
}
