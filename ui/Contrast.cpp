#include "Contrast.h"

#include <algorithm>
#include <cmath>

namespace {

double channel(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &c)
{
    const QColor rgb = c.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

} // namespace

namespace Contrast {

double ratio(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor mix(const QColor &from, const QColor &to, double amount)
{
    const QColor f = from.toRgb(), t = to.toRgb();
    // Whole 8-bit steps, as the colour is painted: a ratio checked here holds on screen.
    const auto blend = [amount](int a, int b) { return int(std::lround(a + (b - a) * amount)); };
    return QColor(blend(f.red(), t.red()), blend(f.green(), t.green()), blend(f.blue(), t.blue()));
}

QColor readableOn(const QColor &background, const QColor &wanted, double least)
{
    if (ratio(background, wanted) >= least)
        return wanted;
    const QColor black(Qt::black), white(Qt::white);
    const QColor end = ratio(background, black) >= ratio(background, white) ? black : white;
    // The smallest step that reads well keeps as much of the wanted colour as it can.
    for (int step = 1; step < 20; ++step) {
        const QColor c = mix(wanted, end, step / 20.0);
        if (ratio(background, c) >= least)
            return c;
    }
    return end;
}

} // namespace Contrast
