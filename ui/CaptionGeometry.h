#pragma once
// Where the parts of a caption bar go: the icon at the left, the buttons from
// the right, the text in what is left between them.
#include <QFlags>
#include <QList>
#include <QRect>

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };

enum TBorderIcon { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
Q_DECLARE_FLAGS(TBorderIcons, TBorderIcon)
Q_DECLARE_OPERATORS_FOR_FLAGS(TBorderIcons)

enum class CaptionButtonKind { Close, Maximize, Restore, Minimize, Help };

struct CaptionButton {
    CaptionButtonKind kind;
    QRect rect;
    bool enabled;   // a missing minimize or maximize is drawn, but inactive
};

// Sizes the platform's window metrics would give.
struct CaptionMetrics {
    int frame;         // border width around the window
    int height;        // caption height
    int smallIcon;     // icon size and button width
    int toolButton;    // close button width of tool windows, plus 2
};

struct CaptionGeometry {
    QRect caption;                 // in window coordinates; empty without a border
    QRect icon;                    // in caption coordinates; empty when none is drawn
    QList<CaptionButton> buttons;  // in caption coordinates, right to left
    QRect text;                    // in caption coordinates, before the hook

    static bool isToolWindow(TFormBorderStyle style);
    static bool isSizeable(TFormBorderStyle style);
    static int frameWidth(TFormBorderStyle style);
    static CaptionGeometry compute(QSize window, TFormBorderStyle style, TBorderIcons icons, bool maximized,
                                   const CaptionMetrics &metrics);
};
