#include "TEventSlice.h"

#include <QCoreApplication>
#include <QThread>

TEventSlice::TEventSlice()
{
    m_clock.start();
}

void TEventSlice::Tick()
{
    if (m_clock.elapsed() >= SliceMs)
        RunNow();
}

void TEventSlice::RunNow()
{
    // Work on a thread of its own leaves the events to the application's thread.
    const QCoreApplication *app = QCoreApplication::instance();
    if (app && app->thread() == QThread::currentThread())
        QCoreApplication::processEvents();
    m_clock.restart();
}
