#pragma once
// Where a help window goes: beside the window that asked for it (right, else
// left), or, where neither side has room, over the side of it with more room;
// always wholly inside the screen's available area, shrunk if need be.
#include <QRect>

// `asker` and the result are frame rectangles (decorations included); `frame`
// is the help window's wanted frame size.
QRect helpPlacement(const QRect &asker, const QSize &frame, const QRect &available);
