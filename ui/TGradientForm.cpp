#include "TGradientForm.h"

#include "FormAccessible.h"

#include <QAction>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWhatsThis>
#include <QWindow>
#include <qdrawutil.h>

namespace {

constexpr int kSmallIcon = 16;
constexpr Qt::WindowFlags kButtonHints = Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                         Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint |
                                         Qt::WindowContextHelpButtonHint;

// The classic caption glyphs, scaled to the button.
void drawGlyph(QPainter &p, CaptionButtonKind kind, const QRect &button, const QColor &color)
{
    const QRect r = button.adjusted(button.width() / 4, button.height() / 4, -button.width() / 4, -button.height() / 4);
    const int t = qMax(1, r.height() / 5);   // stroke
    p.save();
    p.setRenderHint(QPainter::Antialiasing, kind == CaptionButtonKind::Close);
    switch (kind) {
    case CaptionButtonKind::Close:
        p.setPen(QPen(color, t + 0.5));
        p.drawLine(QPointF(r.topLeft()), QPointF(r.bottomRight()) + QPointF(1, 1));
        p.drawLine(QPointF(r.left(), r.bottom() + 1), QPointF(r.right() + 1, r.top()));
        break;
    case CaptionButtonKind::Minimize:
        p.fillRect(r.left(), r.bottom() - 1, r.width() * 3 / 4, 2, color);
        break;
    case CaptionButtonKind::Maximize:
        p.fillRect(r.left(), r.top(), r.width(), t + 1, color);
        p.setPen(color);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        break;
    case CaptionButtonKind::Restore: {
        const QRect back = r.adjusted(r.width() / 3, 0, 0, -r.height() / 3);
        const QRect front = r.adjusted(0, r.height() / 3, -r.width() / 3, 0);
        p.setPen(color);
        p.fillRect(back.left(), back.top(), back.width(), t, color);
        p.drawRect(back.adjusted(0, 0, -1, -1));
        p.fillRect(front, p.background());
        p.fillRect(front.left(), front.top(), front.width(), t, color);
        p.drawRect(front.adjusted(0, 0, -1, -1));
        break;
    }
    case CaptionButtonKind::Help: {
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(button.height() - 2);
        p.setFont(f);
        p.setPen(color);
        p.drawText(button, Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    }
    p.restore();
}

} // namespace

TGradientForm::TGradientForm(QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags | Qt::FramelessWindowHint), m_type(windowType())
{
    static const bool accessible = [] {
        QAccessible::installFactory(FormAccessible::factory);
        return true;
    }();
    Q_UNUSED(accessible);
    rebuildTables();
    recreateFont();
    setMouseTracking(true);

    buildWindowMenu();
    applyMargins();
}

void TGradientForm::buildWindowMenu()
{
    m_windowMenu = new QMenu(this);
    m_windowMenu->setObjectName(QStringLiteral("WindowMenu"));
    const struct {
        const char *text;
        std::function<void()> run;
        std::function<bool()> enabled;   // none: always
    } items[] = {
        {"&Restore", [this] { showNormal(); }, [this] { return isMaximized(); }},
        {"&Move", [this] { startMove(QCursor::pos()); }, [this] { return !isMaximized(); }},
        {"&Size",
         [this] {
             if (windowHandle())
                 windowHandle()->startSystemResize(Qt::RightEdge | Qt::BottomEdge);
         },
         [this] { return !isMaximized() && CaptionGeometry::isSizeable(borderStyle()); }},
        {"Mi&nimize", [this] { showMinimized(); }, [this] { return bool(borderIcons() & biMinimize); }},
        {"Ma&ximize", [this] { showMaximized(); }, [this] { return !isMaximized() && (borderIcons() & biMaximize); }},
        {"&Close", [this] { close(); }, nullptr},
    };
    QAction *action = nullptr;
    for (const auto &item : items) {
        if (!item.enabled)
            m_windowMenu->addSeparator();
        action = m_windowMenu->addAction(QLatin1String(item.text));
        connect(action, &QAction::triggered, this, item.run);
        if (item.enabled)
            connect(m_windowMenu, &QMenu::aboutToShow, action, [action, enabled = item.enabled] { action->setEnabled(enabled()); });
    }
    // Alt+F4 is the close item's own key: without a window manager nobody
    // else would close a frameless window on it.
    action->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
    auto *menuKey = new QAction(this);
    menuKey->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Space));
    menuKey->setShortcutContext(Qt::WindowShortcut);
    connect(menuKey, &QAction::triggered, this, &TGradientForm::showWindowMenu);
    addAction(menuKey);
}

// ---- properties ----

void TGradientForm::SetCaption(const QString &text)
{
    if (text == m_caption)
        return;
    m_caption = text;
    setWindowTitle(text);
    repaintCaption();
}

void TGradientForm::SetGradientColors(int colors)
{
    if (colors == m_gradientColors || colors < GradientTable::kMinColors || colors > GradientTable::kMaxColors)
        return;
    m_gradientColors = colors;
    rebuildTables();
    update();
}

void TGradientForm::SetPaintGradient(TGFPaintWhen when)
{
    if (when == m_paintGradient)
        return;
    m_paintGradient = when;
    update();
}

void TGradientForm::setClientSize(int width, int height)
{
    m_clientSize = QSize(width, height);
    applyMargins();
}

void TGradientForm::centerOnScreen()
{
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

// ---- form attributes ----

TFormBorderStyle TGradientForm::borderStyle() const
{
    const bool fixed = minimumSize() == maximumSize() || (layout() && layout()->sizeConstraint() == QLayout::SetFixedSize);
    switch (m_type) {
    case Qt::Dialog:
    case Qt::Sheet:
        return TFormBorderStyle::bsDialog;
    case Qt::Tool:
        return fixed ? TFormBorderStyle::bsToolWindow : TFormBorderStyle::bsSizeToolWin;
    default:
        return fixed ? TFormBorderStyle::bsSingle : TFormBorderStyle::bsSizeable;
    }
}

TBorderIcons TGradientForm::borderIcons() const
{
    const Qt::WindowFlags f = windowFlags();
    TBorderIcons icons;
    if (f & (Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint))
        icons |= biSystemMenu;
    if (f & Qt::WindowMinimizeButtonHint)
        icons |= biMinimize;
    if (f & Qt::WindowMaximizeButtonHint)
        icons |= biMaximize;
    if (f & Qt::WindowContextHelpButtonHint)
        icons |= biHelp;
    return icons;
}

CaptionGeometry TGradientForm::geometry() const
{
    const TFormBorderStyle style = borderStyle();
    const int fontHeight = QFontMetrics(m_captionFont, this).height();
    const bool tool = CaptionGeometry::isToolWindow(style);
    const int height = tool ? qMax(15, fontHeight + 2) : qMax(18, fontHeight + 4);
    const CaptionMetrics metrics{CaptionGeometry::frameWidth(style), height, kSmallIcon, height - 2};
    return CaptionGeometry::compute(size(), style, borderIcons(), isMaximized(), metrics);
}

void TGradientForm::rebuildTables()
{
    const QPalette pal = QGuiApplication::palette();
    m_tables[0] = GradientTable(pal.color(QPalette::Disabled, QPalette::Highlight), m_gradientColors);
    m_tables[1] = GradientTable(pal.color(QPalette::Active, QPalette::Highlight), m_gradientColors);
}

void TGradientForm::recreateFont()
{
    m_captionFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
}

void TGradientForm::applyMargins()
{
    const CaptionGeometry g = geometry();
    const int frame = CaptionGeometry::frameWidth(borderStyle());
    setContentsMargins(frame, frame + g.caption.height(), frame, frame);
    if (m_clientSize.isValid())
        setFixedSize(m_clientSize.grownBy(contentsMargins()));
}

// ---- events ----

bool TGradientForm::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::WindowTitleChange:
        SetCaption(windowTitle());
        break;
    case QEvent::Polish:
        applyMargins();
        break;
    case QEvent::WinIdChange:
        // The button hints stay the widget's (they are the caption's buttons);
        // the platform window gets none, or the desktop would decorate it.
        if (QWindow *w = windowHandle())
            w->setFlags((w->flags() & ~kButtonHints) | Qt::CustomizeWindowHint | Qt::FramelessWindowHint);
        break;
    case QEvent::ThemeChange:
    case QEvent::ApplicationFontChange:
        recreateFont();
        applyMargins();
        if (event->type() == QEvent::ApplicationFontChange)
            break;
        [[fallthrough]];
    case QEvent::ApplicationPaletteChange:
    case QEvent::PaletteChange:
        rebuildTables();
        update();
        break;
    case QEvent::ActivationChange:
    case QEvent::WindowStateChange:
        update();
        break;
    default:
        break;
    }
    return QDialog::event(event);
}

void TGradientForm::keyPressEvent(QKeyEvent *event)
{
    // Enter and Escape end a dialog; in the main window they belong to its pages.
    if (isDialogForm())
        QDialog::keyPressEvent(event);
    else
        QWidget::keyPressEvent(event);
}

void TGradientForm::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    paintFrame(painter);
    const CaptionGeometry g = geometry();
    if (!g.caption.isEmpty() && event->rect().intersects(g.caption))
        paintCaption(painter, g);
}

void TGradientForm::paintFrame(QPainter &painter)
{
    if (borderStyle() != TFormBorderStyle::bsNone)
        qDrawWinPanel(&painter, rect(), palette(), false);
}

void TGradientForm::paintCaption(QPainter &painter, const CaptionGeometry &g)
{
    const bool active = isActiveWindow();
    const GradientTable &table = m_tables[active ? 1 : 0];
    const int w = g.caption.width(), h = g.caption.height();
    const qreal ratio = devicePixelRatioF();
    QImage image(QSize(w, h) * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    // Text on the image comes out as large as on the window.
    image.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
    image.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
    QPainter canvas(&image);

    if (m_paintGradient == gfpNever || (m_paintGradient == gfpActive && !active)) {
        canvas.fillRect(0, 0, w, h, table.at(table.size() - 1));
    } else {
        for (int q = 0; q + 1 < table.size(); ++q) {
            const int x0 = table.bandStart(q, w), x1 = table.bandStart(q + 1, w);
            if (x1 > x0)
                canvas.fillRect(x0, 0, x1 - x0, h, table.at(q));
        }
    }

    if (!g.icon.isEmpty()) {
        const QIcon icon = windowIcon().isNull() ? style()->standardIcon(QStyle::SP_TitleBarMenuButton) : windowIcon();
        // Centred in a caption taller than the classic 18 pixels.
        icon.paint(&canvas, g.icon.translated(0, (h - kSmallIcon) / 2 - g.icon.top()));
    }

    for (const CaptionButton &b : g.buttons) {
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = b.rect;
        option.state = QStyle::State_None;
        if (b.enabled)
            option.state |= QStyle::State_Enabled;
        option.state |= m_pressed == b.kind && m_pressedInside ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawControl(QStyle::CE_PushButtonBevel, &option, &canvas, this);
        if (b.enabled) {
            drawGlyph(canvas, b.kind, b.rect, palette().color(QPalette::Active, QPalette::ButtonText));
        } else {   // etched, as a missing button looks
            drawGlyph(canvas, b.kind, b.rect.translated(1, 1), palette().color(QPalette::Light));
            drawGlyph(canvas, b.kind, b.rect, palette().color(QPalette::Disabled, QPalette::ButtonText));
        }
    }

    QRect r = g.text;
    canvas.setFont(m_captionFont);
    if (OnCaptionPaint)
        OnCaptionPaint(this, canvas, r);
    r.setLeft(r.left() + 2);
    canvas.setFont(m_captionFont);
    canvas.setPen(Qt::white);
    const QString text = canvas.fontMetrics().elidedText(m_caption, Qt::ElideRight, r.width());
    canvas.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    canvas.end();
    painter.drawImage(g.caption.topLeft(), image);
}

void TGradientForm::repaintCaption()
{
    if (isVisible())
        repaint(geometry().caption);
}

// ---- mouse ----

QList<CaptionButton> TGradientForm::captionButtons() const
{
    const CaptionGeometry g = geometry();
    QList<CaptionButton> out;
    for (auto b = g.buttons.crbegin(); b != g.buttons.crend(); ++b)
        out.append({b->kind, b->rect.translated(g.caption.topLeft()), b->enabled});
    return out;
}

std::optional<CaptionButton> TGradientForm::buttonAt(const CaptionGeometry &g, QPoint pos) const
{
    const QPoint local = pos - g.caption.topLeft();
    for (const CaptionButton &b : g.buttons)
        if (b.rect.contains(local))
            return b;
    return std::nullopt;
}

Qt::Edges TGradientForm::sizingEdges(QPoint pos) const
{
    Qt::Edges edges;
    const TFormBorderStyle style = borderStyle();
    if (!CaptionGeometry::isSizeable(style) || isMaximized())
        return edges;
    const int frame = CaptionGeometry::frameWidth(style);
    if (pos.x() < frame)
        edges |= Qt::LeftEdge;
    if (pos.x() >= width() - frame)
        edges |= Qt::RightEdge;
    if (pos.y() < frame)
        edges |= Qt::TopEdge;
    if (pos.y() >= height() - frame)
        edges |= Qt::BottomEdge;
    return edges;
}

void TGradientForm::mousePressEvent(QMouseEvent *event)
{
    if (m_dragOffset) {   // the click that ends a move from the window menu
        endMove();
        return;
    }
    const QPoint pos = event->position().toPoint();
    const CaptionGeometry g = geometry();
    if (event->button() == Qt::RightButton && g.caption.contains(pos)) {
        showWindowMenu();
        return;
    }
    if (event->button() != Qt::LeftButton)
        return QDialog::mousePressEvent(event);
    if (const Qt::Edges edges = sizingEdges(pos)) {
        if (windowHandle())
            windowHandle()->startSystemResize(edges);
        return;
    }
    if (!g.caption.contains(pos))
        return QDialog::mousePressEvent(event);
    if (const auto button = buttonAt(g, pos)) {
        if (button->enabled) {
            m_pressed = button->kind;
            m_pressedInside = true;
            repaintCaption();
        }
        return;
    }
    if (g.icon.contains(pos - g.caption.topLeft()))
        showWindowMenu();
    else
        m_movePress = event->globalPosition().toPoint();
}

void TGradientForm::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (m_dragOffset) {
        moveOrigin(event->globalPosition().toPoint() - *m_dragOffset);
        return;
    }
    // The move starts with the drag, not the press: a plain click would leave
    // the window manager moving the window after the button is already up.
    if (m_movePress && (event->buttons() & Qt::LeftButton)) {
        const QPoint press = *m_movePress;
        m_movePress.reset();
        startMove(press);
        if (m_dragOffset)
            moveOrigin(event->globalPosition().toPoint() - *m_dragOffset);
        return;
    }
    if (m_pressed) {
        const auto button = buttonAt(geometry(), pos);
        const bool inside = button && button->kind == *m_pressed;
        if (inside != m_pressedInside) {
            m_pressedInside = inside;
            repaintCaption();
        }
        return;
    }
    // The sizing cursors of the borders.
    const Qt::Edges edges = sizingEdges(pos);
    if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
        setCursor(Qt::SizeFDiagCursor);
    else if (edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge))
        setCursor(Qt::SizeBDiagCursor);
    else if (edges & (Qt::LeftEdge | Qt::RightEdge))
        setCursor(Qt::SizeHorCursor);
    else if (edges & (Qt::TopEdge | Qt::BottomEdge))
        setCursor(Qt::SizeVerCursor);
    else
        unsetCursor();
    QDialog::mouseMoveEvent(event);
}

void TGradientForm::mouseReleaseEvent(QMouseEvent *event)
{
    m_movePress.reset();
    if (m_dragOffset && event->button() == Qt::LeftButton) {
        endMove();
        return;
    }
    if (!m_pressed)
        return QDialog::mouseReleaseEvent(event);
    const CaptionButtonKind kind = *m_pressed;
    const bool inside = m_pressedInside;
    m_pressed.reset();
    m_pressedInside = false;
    repaintCaption();
    if (inside)
        pressButton(kind);
}

void TGradientForm::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double-click on the caption's text maximises and restores, as on a title bar.
    const QPoint pos = event->position().toPoint();
    const CaptionGeometry g = geometry();
    if (event->button() == Qt::LeftButton && g.caption.contains(pos) && !buttonAt(g, pos) &&
        !g.icon.contains(pos - g.caption.topLeft()) && (borderIcons() & biMaximize)) {
        m_movePress.reset();
        if (isMaximized())
            showNormal();
        else
            showMaximized();
        return;
    }
    QDialog::mouseDoubleClickEvent(event);
}

void TGradientForm::pressButton(CaptionButtonKind kind)
{
    switch (kind) {
    case CaptionButtonKind::Close:
        close();
        break;
    case CaptionButtonKind::Minimize:
        showMinimized();
        break;
    case CaptionButtonKind::Maximize:
        showMaximized();
        break;
    case CaptionButtonKind::Restore:
        showNormal();
        break;
    case CaptionButtonKind::Help:
        QWhatsThis::enterWhatsThisMode();
        break;
    }
}

void TGradientForm::showWindowMenu()
{
    if (!(borderIcons() & biSystemMenu))
        return;
    const QRect caption = geometry().caption;
    m_windowMenu->popup(mapToGlobal(caption.bottomLeft() + QPoint(0, 1)));
}

void TGradientForm::startMove(QPoint globalPos)
{
    // The platform's move works on X11 and Wayland alike; where there is none
    // (no window manager), the window follows the pointer itself.
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    m_dragOffset = globalPos - (isWindow() ? pos() : mapToGlobal(QPoint()));
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton))
        grabMouse(Qt::SizeAllCursor);
}

void TGradientForm::moveOrigin(QPoint global)
{
    // A form shown inside another window moves in its parent's coordinates.
    move(isWindow() ? global : parentWidget()->mapFromGlobal(global));
}

void TGradientForm::endMove()
{
    m_dragOffset.reset();
    if (mouseGrabber() == this)
        releaseMouse();
}
