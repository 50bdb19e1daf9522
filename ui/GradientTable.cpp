#include "GradientTable.h"

#include <cmath>

GradientTable::GradientTable(const QColor &caption, int colors)
{
    const QColor rgb = caption.toRgb();
    const double steps = colors - 1;
    const double red = rgb.red() / steps, green = rgb.green() / steps, blue = rgb.blue() / steps;
    m_colors.reserve(colors);
    for (int i = 0; i < colors; ++i)
        m_colors.append(QColor(int(std::lround(red * i)), int(std::lround(green * i)), int(std::lround(blue * i))));
}

int GradientTable::bandStart(int q, int width) const
{
    const qint64 bands = size() - 1;
    // The smallest x with x * bands / width >= q.
    return int((qint64(q) * width + bands - 1) / bands);
}
