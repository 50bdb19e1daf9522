#pragma once
// Base of the main window and its dialogs: a frameless window that paints its
// own caption bar, a gradient from black to the caption colour, with the
// window icon, the caption buttons and the caption text over it. Dragging the
// caption, its buttons, the window menu (icon or Alt+Space) and Alt+F4 do what
// a title bar does. Modal use is QDialog's (`exec`, `done`); the main window
// shares the base but keeps Enter and Escape for its pages.
//
// Caption colours: the application palette's Highlight, of the Active group
// for an active window and of the Disabled group (a greyed highlight) for an
// inactive one. Caption font: the platform's title font.
#include "CaptionButtons.h"
#include "CaptionGeometry.h"
#include "GradientTable.h"

#include <QDialog>
#include <QFont>
#include <array>
#include <functional>
#include <optional>

class QMenu;

class TGradientForm : public QDialog, public CaptionButtons {
    Q_OBJECT
public:
    enum TGFPaintWhen { gfpAlways, gfpActive, gfpNever };
    Q_ENUM(TGFPaintWhen)
    // May paint on the caption and change the text rectangle `R`.
    using TGFOnCaptionPaint = std::function<void(TGradientForm *Sender, QPainter &Canvas, QRect &R)>;

    // The border icons are read from `flags` (system menu, minimize, maximize,
    // context help); the border style from the window type and whether the
    // size is fixed.
    explicit TGradientForm(QWidget *parent = nullptr, Qt::WindowFlags flags = {});

    // Also what the desktop shows as the window's title.
    QString Caption() const { return m_caption; }
    void SetCaption(const QString &text);
    int GradientColors() const { return m_gradientColors; }
    void SetGradientColors(int colors);
    void SetPaintGradient(TGFPaintWhen when);
    TGFOnCaptionPaint OnCaptionPaint;

    // Fixes the window's size so that the area below the caption is this big.
    void setClientSize(int width, int height);
    // Places the window in the middle of its screen.
    void centerOnScreen();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    // A dialog keeps its border and its Enter and Escape when it is shown
    // inside another window; the kind is the one the form was made with.
    bool isDialogForm() const { return m_type == Qt::Dialog; }
    TFormBorderStyle borderStyle() const;
    TBorderIcons borderIcons() const;
    CaptionGeometry geometry() const;
    void buildWindowMenu();
    void rebuildTables();
    void recreateFont();
    void applyMargins();
    void repaintCaption();
    void paintFrame(QPainter &painter);
    void paintCaption(QPainter &painter, const CaptionGeometry &g);
    QList<CaptionButton> captionButtons() const override;
    std::optional<CaptionButton> buttonAt(const CaptionGeometry &g, QPoint pos) const;
    Qt::Edges sizingEdges(QPoint pos) const;
    void pressButton(CaptionButtonKind kind) override;
    void showWindowMenu();
    void startMove(QPoint globalPos);
    void moveOrigin(QPoint global);
    void endMove();

    Qt::WindowType m_type;
    QString m_caption;
    int m_gradientColors = 64;
    TGFPaintWhen m_paintGradient = gfpAlways;
    std::array<GradientTable, 2> m_tables;   // inactive, active
    QFont m_captionFont;
    QSize m_clientSize;
    QMenu *m_windowMenu = nullptr;
    std::optional<CaptionButtonKind> m_pressed;   // a caption button held down
    bool m_pressedInside = false;
    std::optional<QPoint> m_movePress;           // where a press on the caption may start a move
    std::optional<QPoint> m_dragOffset;          // moving without the platform's help
};
