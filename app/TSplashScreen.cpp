#include "TSplashScreen.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

TSplashScreen::TSplashScreen(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      SplashTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("SplashScreen"));
    auto *panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    auto *picture = new QLabel(panel);
    picture->setPixmap(QPixmap(QStringLiteral(":/images/logo.png")));
    picture->setScaledContents(true);
    picture->setFixedSize(145, 97);
    auto *version = new QLabel(QStringLiteral("Version 1.5"), panel);
    version->setFrameStyle(QFrame::Box | QFrame::Sunken);
    version->setAlignment(Qt::AlignCenter);
    auto *col = new QVBoxLayout(panel);
    col->setContentsMargins(6, 6, 6, 6);
    col->addWidget(picture, 0, Qt::AlignHCenter);
    col->addWidget(version);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel);
    setFixedSize(161, 148);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    // A coarse timer may tick up to 5% early; the splash must stay a full second.
    SplashTimer->setTimerType(Qt::PreciseTimer);
    SplashTimer->setInterval(1000);
    connect(SplashTimer, &QTimer::timeout, this, &TSplashScreen::SplashTimerTimer);
    m_showing = true;
    SplashTimer->start();
}

void TSplashScreen::SplashTimerTimer()
{
    m_showing = false;
    SplashTimer->stop();
}
