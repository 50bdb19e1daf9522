#pragma once
// A short note along the bottom of a widget (the page the user is on), for
// news that concerns a page the user may not see, such as its status line.
// It stays a few seconds, lets clicks through to what is beneath, and is
// announced to assistive tools as an alert.
#include <QLabel>

class QTimer;

class PageNote : public QLabel {
public:
    // `over`: the widget whose bottom edge the note covers; it becomes the parent.
    explicit PageNote(QWidget *over);
    // Shows `text` for `ms` milliseconds, replacing a note still shown.
    void showText(const QString &text, int ms = 8000);

private:
    QTimer *m_hide;
};
