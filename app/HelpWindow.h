#pragma once
// Shows the help pages compiled into the program; each help context number
// is a page of its own. One window lives as long as its owner and is hidden,
// not destroyed, when closed, so it keeps its size and history.
#include <QPointer>
#include <QWidget>

class QAction;
class QHBoxLayout;
class QTextBrowser;

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *owner = nullptr);
    // 0 (or a number without a page) shows the contents. `over` is a modal
    // window the topic was asked from: the help lives inside it while it is
    // shown (a modal window blocks every other one) and returns to its owner,
    // still open, when that window goes.
    void showTopic(int context, QWidget *over = nullptr);
    // The resource that holds the topic of `context`.
    static QString topicUrl(int context);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A button of the bar, driven by an action that also holds its key.
    QAction *addButton(QHBoxLayout *bar, const QString &name, const QString &text, const QKeySequence &key);
    void moveTo(QWidget *parent);
    // Places the window, still hidden, beside the window that asks for it.
    void placeBeside(const QWidget *asker);

    QTextBrowser *m_browser;
    QWidget *m_owner;
    QPointer<QWidget> m_over;
};
