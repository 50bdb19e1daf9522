#pragma once
// The colours of one caption state: entry 0 is black, entry N - 1 the
// caption colour, and the entries between rise in equal steps.
#include <QColor>
#include <QList>

class GradientTable {
public:
    static constexpr int kMinColors = 8;
    static constexpr int kMaxColors = 256;

    GradientTable() = default;
    GradientTable(const QColor &caption, int colors);

    int size() const { return int(m_colors.size()); }
    QColor at(int i) const { return m_colors.at(i); }

    // The first pixel of band q when the first N - 1 entries are stretched
    // over `width` pixels, pixel x showing entry x * (N - 1) / width; band N - 1
    // starts at `width`. The last entry itself is never shown: the caption
    // ends one step short of the table's last colour.
    int bandStart(int q, int width) const;

private:
    QList<QColor> m_colors;
};
