#include "TEventSlice.h"

#include <QCoreApplication>

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
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
    m_clock.restart();
}
