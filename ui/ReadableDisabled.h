#pragma once
// The greyed look of disabled controls, kept readable: each disabled text
// colour of `palette` that reads badly on its own background is moved just
// far enough from it. `fieldBase`, when valid, is the background of disabled
// fields (the main window's silver).
#include <QColor>
#include <QPalette>

void makeDisabledReadable(QPalette &palette, const QColor &fieldBase = QColor());
