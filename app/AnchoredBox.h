#pragma once
// Holds a widget at the size it has when the main window is at its default
// size, at the top left of the space it is given: the fields of a page keep
// their places while the memos grow with the window.
#include <QWidget>
#include <functional>

class AnchoredBox : public QWidget {
public:
    // `growth`: how far the window is beyond its default size now; `held`:
    // the directions in which `content` keeps its default size.
    AnchoredBox(QWidget *content, std::function<QSize()> growth, Qt::Orientations held = Qt::Horizontal | Qt::Vertical);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void place();

    QWidget *m_content;
    std::function<QSize()> m_growth;
    Qt::Orientations m_held;
};
