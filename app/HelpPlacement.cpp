#include "HelpPlacement.h"

#include <algorithm>

QRect helpPlacement(const QRect &asker, const QSize &frame, const QRect &available)
{
    const QSize size = frame.boundedTo(available.size());
    const int roomRight = available.right() - asker.right();
    const int roomLeft = asker.left() - available.left();
    int x;
    if (roomRight >= size.width())
        x = asker.right() + 1;
    else if (roomLeft >= size.width())
        x = asker.left() - size.width();
    else if (roomRight >= roomLeft)
        x = available.right() + 1 - size.width();
    else
        x = available.left();
    const int y = std::clamp(asker.top(), available.top(), available.bottom() + 1 - size.height());
    return QRect(QPoint(x, y), size);
}
