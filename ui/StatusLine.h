#pragma once
// A one-line, read-only status text that always shows its start: a text too
// long for the line is cut at its end with an ellipsis, and the whole text is
// the tool tip. With the keyboard focus it is an ordinary line edit again, so
// that the text can be selected and copied.
#include <QLineEdit>

class StatusLine : public QLineEdit {
public:
    explicit StatusLine(const QString &text, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
