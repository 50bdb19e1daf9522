#pragma once
#include <QWidget>

class QTimer;

// Shown while the program starts: for at least one second, and until the
// main window exists.
class TSplashScreen : public QWidget {
    Q_OBJECT
public:
    explicit TSplashScreen(QWidget *parent = nullptr);
    // Set on creation, cleared by the timer's first tick.
    bool Showing() const { return m_showing; }
    QTimer *SplashTimer;

private:
    void SplashTimerTimer();
    bool m_showing = false;
};
