#include "UndoShortcut.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

UndoShortcut::UndoShortcut(QWidget *window, std::function<bool()> canUndo)
    : QObject(window), m_window(window), m_canUndo(std::move(canUndo))
{
    qApp->installEventFilter(this);
}

bool UndoShortcut::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride || !static_cast<QKeyEvent *>(event)->matches(QKeySequence::Undo))
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != m_window)
        return false;
    bool ownUndo = false;
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        ownUndo = edit->isUndoAvailable();
    else if (auto *memo = qobject_cast<QPlainTextEdit *>(widget))
        ownUndo = memo->document()->isUndoAvailable();
    else
        return false;
    if (ownUndo || !m_canUndo())
        return false;
    // Not overridden: the key goes on to the window's shortcut.
    event->ignore();
    return true;
}
