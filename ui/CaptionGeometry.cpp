#include "CaptionGeometry.h"

bool CaptionGeometry::isToolWindow(TFormBorderStyle style)
{
    return style == TFormBorderStyle::bsToolWindow || style == TFormBorderStyle::bsSizeToolWin;
}

bool CaptionGeometry::isSizeable(TFormBorderStyle style)
{
    return style == TFormBorderStyle::bsSizeable || style == TFormBorderStyle::bsSizeToolWin;
}

int CaptionGeometry::frameWidth(TFormBorderStyle style)
{
    if (style == TFormBorderStyle::bsNone)
        return 0;
    return isSizeable(style) ? 4 : 3;
}

CaptionGeometry CaptionGeometry::compute(QSize window, TFormBorderStyle style, TBorderIcons icons, bool maximized,
                                         const CaptionMetrics &m)
{
    CaptionGeometry g;
    if (style == TFormBorderStyle::bsNone)
        return g;
    g.caption = QRect(m.frame, m.frame, window.width() - 2 * m.frame, m.height);
    const int w = g.caption.width(), h = g.caption.height();
    // Edges as half-open pixel ranges [left, right).
    int left = 1, right = w;

    if ((icons & biSystemMenu) && (style == TFormBorderStyle::bsSingle || style == TFormBorderStyle::bsSizeable)) {
        g.icon = QRect(left + 1, 1, m.smallIcon, m.smallIcon);
        left += m.smallIcon + 1;
    }

    // Buttons sit in the caption inset by 2 on every side.
    const int top = 2, height = h - 4;
    int edge = right - 2;
    auto place = [&](CaptionButtonKind kind, int width, bool enabled) {
        g.buttons.append({kind, QRect(edge - width, top, width, height), enabled});
        edge -= width;
    };
    if (isToolWindow(style)) {
        place(CaptionButtonKind::Close, m.toolButton - 2, true);
        right = edge - 5;
    } else {
        const int bw = m.smallIcon;
        if (icons & biSystemMenu) {
            place(CaptionButtonKind::Close, bw, true);
            edge -= 2;
            right -= bw + 2;
        }
        if (style != TFormBorderStyle::bsDialog) {
            place(maximized ? CaptionButtonKind::Restore : CaptionButtonKind::Maximize, bw, bool(icons & biMaximize));
            place(CaptionButtonKind::Minimize, bw, bool(icons & biMinimize));
            right -= 2 * bw;
        } else if (icons & biHelp) {
            place(CaptionButtonKind::Help, bw, true);
            right -= bw;
        }
        right -= 3;
    }
    g.text = QRect(left, 0, qMax(0, right - left), h);
    return g;
}
