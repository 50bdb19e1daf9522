#include "InWindowDialog.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>

namespace {

// Shades the owner's window and takes the clicks meant for it.
class Backdrop : public QWidget {
public:
    Backdrop(QWidget &owner, QDialog &dialog) : QWidget(&owner), m_dialog(dialog)
    {
        setObjectName(QStringLiteral("dialogBackdrop"));
        setFocusPolicy(Qt::NoFocus);
        owner.installEventFilter(this);
        fit();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), QColor(0, 0, 0, 96));
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            fit();
        return false;
    }

private:
    void fit()
    {
        setGeometry(parentWidget()->rect());
        QRect r(QPoint(), m_dialog.size());
        r.moveCenter(rect().center());
        m_dialog.move(qMax(0, r.left()), qMax(0, r.top()));
    }
    QDialog &m_dialog;
};

// While it lives the dialog is a child of the owner's window and the only
// part of it that takes input; the owner's controls, actions and shortcuts
// rest (the dialog's own keys, such as F1 and Alt+F4, would collide with them).
class Embedding {
public:
    explicit Embedding(QDialog &dialog)
        : m_dialog(dialog), m_owner(*dialog.parentWidget()->window()), m_flags(dialog.windowFlags()),
          m_focus(m_owner.focusWidget())
    {
        for (QWidget *child : m_owner.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            rest(child);
        for (QAction *action : m_owner.actions())
            rest(action);
        for (QShortcut *shortcut : m_owner.findChildren<QShortcut *>(Qt::FindDirectChildrenOnly))
            rest(shortcut);
        m_dialog.setWindowFlags((m_flags & ~Qt::WindowType_Mask) | Qt::Widget);
        m_dialog.setAutoFillBackground(true);
        m_backdrop = new Backdrop(m_owner, m_dialog);
        m_backdrop->show();
        m_dialog.raise();
        m_dialog.show();
        focusFirst();
        keepDefaultButton();
    }
    ~Embedding()
    {
        QObject::disconnect(m_focusWatch);
        delete m_backdrop;
        m_dialog.hide();
        m_dialog.setWindowFlags(m_flags);
        for (const QPointer<QObject> &object : m_resting)
            if (object)
                object->setProperty("enabled", true);
        if (m_focus)
            m_focus->setFocus(Qt::OtherFocusReason);
    }
    Embedding(const Embedding &) = delete;
    Embedding &operator=(const Embedding &) = delete;

private:
    // Only what is enabled now is enabled again afterwards.
    void rest(QObject *object)
    {
        if (object == &m_dialog || !object->property("enabled").toBool())
            return;
        object->setProperty("enabled", false);
        m_resting.append(object);
    }
    // The control the dialog chose, or else its first one.
    void focusFirst()
    {
        QWidget *chosen = m_dialog.focusWidget();
        for (QWidget *w = m_dialog.nextInFocusChain(); !chosen && m_dialog.isAncestorOf(w); w = w->nextInFocusChain())
            if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
                chosen = w;
        if (chosen)
            chosen->setFocus(Qt::TabFocusReason);
    }

    // A dialog that is no window is not told when focus leaves a button that
    // Tab made the default: Return would press nothing once Tab has passed
    // the buttons. Any other control gives the dialog's default back.
    void keepDefaultButton()
    {
        QPointer<QPushButton> main;
        for (QPushButton *b : m_dialog.findChildren<QPushButton *>())
            if (b->isDefault())
                main = b;
        if (!main)
            return;
        m_focusWatch = QObject::connect(qApp, &QApplication::focusChanged, &m_dialog, [this, main](QWidget *, QWidget *now) {
            auto *button = qobject_cast<QPushButton *>(now);
            if (main && now && m_dialog.isAncestorOf(now) && !(button && button->autoDefault()))
                main->setDefault(true);
        });
    }

    QDialog &m_dialog;
    QWidget &m_owner;
    QMetaObject::Connection m_focusWatch;
    const Qt::WindowFlags m_flags;
    QPointer<QWidget> m_focus;
    QList<QPointer<QObject>> m_resting;
    Backdrop *m_backdrop = nullptr;
};

} // namespace

bool InWindowDialog::suitsPlatform()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

int InWindowDialog::exec(QDialog &dialog)
{
    Embedding embedding(dialog);
    return dialog.exec();
}
