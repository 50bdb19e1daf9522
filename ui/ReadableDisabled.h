#pragma once
// The greyed look of disabled controls, kept readable: each disabled text
// colour that reads badly on its own background is moved just far enough from
// it. `fieldBase`, when valid, is the background of disabled fields (the main
// window's silver).
#include <QColor>
#include <QObject>
#include <QPalette>

class QWidget;

void makeDisabledReadable(QPalette &palette, const QColor &fieldBase = QColor());

// Gives `window` that look now and again whenever the desktop's palette
// changes (a switch between light and dark while the program runs).
class ReadableDisabled : public QObject {
    Q_OBJECT
public:
    ReadableDisabled(QWidget *window, const QColor &fieldBase = QColor());

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void apply();

    QWidget *m_window;
    QColor m_fieldBase;
};
