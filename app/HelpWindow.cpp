#include "HelpWindow.h"

#include "HelpPlacement.h"

#include <QAction>
#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QHBoxLayout>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

HelpWindow::HelpWindow(QWidget *owner) : QWidget(owner, Qt::Window), m_browser(new QTextBrowser(this)), m_owner(owner)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Zandolet Help"));
    m_browser->setOpenExternalLinks(false);

    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(4, 4, 4, 0);
    QAction *back = addButton(bar, QStringLiteral("HelpBack"), QStringLiteral("Back"), QKeySequence::Back);
    QAction *forward = addButton(bar, QStringLiteral("HelpForward"), QStringLiteral("Forward"), QKeySequence::Forward);
    QAction *contents = addButton(bar, QStringLiteral("HelpContents"), QStringLiteral("Contents"), {});
    bar->addStretch(1);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(contents, &QAction::triggered, this,
            [this] { m_browser->setSource(QUrl(QStringLiteral("qrc") + topicUrl(0))); });
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

    auto *close = new QAction(this);
    close->setShortcuts({QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)});
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(bar);
    layout->addWidget(m_browser);
    resize(560, 480);
    connect(m_browser, &QTextBrowser::sourceChanged, this,
            [this] { setWindowTitle(QStringLiteral("Zandolet Help - ") + m_browser->documentTitle()); });
}

QAction *HelpWindow::addButton(QHBoxLayout *bar, const QString &name, const QString &text, const QKeySequence &key)
{
    auto *action = new QAction(text, this);
    action->setShortcut(key);
    addAction(action);
    auto *button = new QToolButton(this);
    button->setObjectName(name);
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addWidget(button);
    return action;
}

QString HelpWindow::topicUrl(int context)
{
    const QString topic = QStringLiteral(":/help/%1.html").arg(context);
    if (context && QFile::exists(topic))
        return topic;
    return QStringLiteral(":/help/contents.html");
}

void HelpWindow::showTopic(int context, QWidget *over)
{
    QWidget *asker = over ? over : m_owner;
    if (!isVisible() && asker)
        placeBeside(asker);
    moveTo(asker);
    m_browser->setSource(QUrl(QStringLiteral("qrc") + topicUrl(context)));
    show();
    raise();
    activateWindow();
}

void HelpWindow::placeBeside(const QWidget *asker)
{
    const QScreen *screen = asker->screen() ? asker->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // Until the window manager has framed the window once, its frame is a
    // guess: a title bar and a thin border, so that the title bar lands on screen.
    const QRect inner = geometry(), outer = frameGeometry();
    QMargins margins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                     outer.bottom() - inner.bottom());
    if (margins.isNull())
        margins = QMargins(4, 28, 4, 4);
    const QSize wanted = size().grownBy(margins);
    const QRect frame = helpPlacement(asker->frameGeometry(), wanted, screen->availableGeometry());
    resize(frame.size().shrunkBy(margins));
    move(frame.topLeft());
}

void HelpWindow::moveTo(QWidget *parent)
{
    if (parentWidget() == parent)
        return;
    if (m_over)
        m_over->removeEventFilter(this);
    m_over = parent == m_owner ? nullptr : parent;
    if (m_over)
        m_over->installEventFilter(this);
    const QRect geometry = this->geometry();
    const bool wasVisible = isVisible();
    setParent(parent, windowFlags());
    setGeometry(geometry);
    if (wasVisible)
        show();
}

bool HelpWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The modal window is closing: go back to the owner before it is destroyed.
    if (watched == m_over && event->type() == QEvent::Hide)
        moveTo(m_owner);
    return QWidget::eventFilter(watched, event);
}
