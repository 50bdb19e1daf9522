#pragma once
// Lets Ctrl+Z (the platform's undo key) reach the window's Edit > Undo from
// inside a text field when the field has nothing of its own to undo: right
// after Escape cleared its page, the field would otherwise swallow the key.
#include <QObject>
#include <functional>

class QWidget;

class UndoShortcut : public QObject {
public:
    // `window`: the fields' window; `canUndo`: whether the window has an undo to give.
    UndoShortcut(QWidget *window, std::function<bool()> canUndo);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    std::function<bool()> m_canUndo;
};
