#include "WindowState.h"

#include "Exception.h"
#include "TGradientForm.h"
#include "WindowGeometry.h"

#include <QEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

namespace {

// How much of the caption must be on a screen for the window to be reachable.
constexpr int kReachable = 48;

QScreen *screenShowing(const QRect &normal)
{
    const QRect caption(normal.topLeft(), QSize(normal.width(), 16));
    for (QScreen *s : QGuiApplication::screens()) {
        const QRect seen = s->availableGeometry().intersected(caption);
        if (seen.width() >= qMin(kReachable, normal.width()) && seen.height() > 0)
            return s;
    }
    return nullptr;
}

} // namespace

WindowState::WindowState(TGradientForm &window, QString path) : QObject(&window), m_window(window), m_path(std::move(path))
{
    m_window.installEventFilter(this);
}

QString WindowState::pathBeside(const QString &settingsPath)
{
    const QFileInfo info(settingsPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".state"));
}

void WindowState::show()
{
    const std::optional<WindowGeometry> g = WindowGeometry::load(m_path);
    QScreen *screen = g ? screenShowing(g->normal) : nullptr;
    if (!screen) {
        m_window.show();
        m_window.centerOnScreen();
        return;
    }
    // No larger than the screen; the window's minimum is its default size.
    m_window.setGeometry(QRect(g->normal.topLeft(), g->normal.size().boundedTo(screen->availableGeometry().size())));
    if (g->maximized)
        m_window.showMaximized();
    else
        m_window.show();
}

void WindowState::save() const
{
    const QWidget &w = m_window; // the form's own geometry() is its caption's
    WindowGeometry g;
    g.maximized = w.isMaximized();
    g.normal = g.maximized || w.isMinimized() ? w.normalGeometry() : w.geometry();
    if (!g.normal.isValid())
        return;
    try {
        g.save(m_path);
    } catch (const Exception &) {
    }
}

bool WindowState::eventFilter(QObject *watched, QEvent *event)
{
    // Hidden by the program: closed (a minimise is the window system's hide).
    if (watched == &m_window && event->type() == QEvent::Hide && !event->spontaneous())
        save();
    return false;
}
