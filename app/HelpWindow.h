#pragma once
// Shows the help pages compiled into the program; each help context number
// is a page of its own.
#include <QWidget>

class QTextBrowser;

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget *parent = nullptr);
    // 0 (or a number without a page) shows the contents.
    void showTopic(int context);
    // The resource that holds the topic of `context`.
    static QString topicUrl(int context);
    QTextBrowser *browser() const { return m_browser; }

private:
    QTextBrowser *m_browser;
};
