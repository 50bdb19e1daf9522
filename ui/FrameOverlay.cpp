#include "FrameOverlay.h"

#include <QAbstractScrollArea>
#include <QEvent>

FrameOverlay::FrameOverlay(QAbstractScrollArea *area) : QFrame(area)
{
    setObjectName(QStringLiteral("frameOverlay"));
    setFrameStyle(area->frameStyle());
    setLineWidth(area->lineWidth());
    setMidLineWidth(area->midLineWidth());
    // Only the frame is painted; clicks, wheel and focus belong to the area.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(area->rect());
    area->installEventFilter(this);
    raise();
}

bool FrameOverlay::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Resize:
        setGeometry(static_cast<QWidget *>(watched)->rect());
        // The area raises its scroll bars as it lays them out.
        raise();
        break;
    case QEvent::ChildAdded:
    case QEvent::Show:
        raise();
        break;
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}
