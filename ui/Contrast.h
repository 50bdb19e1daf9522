#pragma once
// Text colours chosen by contrast, so that a colour the program picks for a
// look of its own (a tint, a greyed state, a brand colour) stays readable in
// any desktop palette, light or dark. Ratios are those of WCAG 2.x.
#include <QColor>

namespace Contrast {

// The least ratio between a text and its background that reads well.
inline constexpr double kReadable = 4.5;
// What a chosen colour aims at: thin anti-aliased strokes seldom reach their
// full colour on screen, so the painted text lands a little lower.
inline constexpr double kChosen = 5.0;

// 1.0 (same luminance) to 21.0 (black on white); the order does not matter.
double ratio(const QColor &a, const QColor &b);

// `wanted` when it reads well on `background`, otherwise `wanted` moved just
// far enough towards black or white (whichever reads better) that it does.
QColor readableOn(const QColor &background, const QColor &wanted, double least = kChosen);

// `from` moved the share `amount` (0..1) of the way to `to`.
QColor mix(const QColor &from, const QColor &to, double amount);

} // namespace Contrast
