#pragma once
// A scroll area's frame drawn once more over its scroll bars and viewport.
// At fractional scales (1.25x, 1.5x) the children, placed on whole logical
// pixels, cover the right and bottom edges of the frame their parent painted;
// this transparent twin of the frame lies above them and keeps it whole.
#include <QFrame>

class QAbstractScrollArea;

class FrameOverlay : public QFrame {
    Q_OBJECT
public:
    explicit FrameOverlay(QAbstractScrollArea *area);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
