#pragma once
// Lets pending events run during long work, at most once per time slice,
// so the window keeps responding without paying for it on every byte.
#include <QElapsedTimer>

class TEventSlice {
public:
    static constexpr int SliceMs = 20;

    TEventSlice();
    // Runs pending events when the slice has passed.
    void Tick();
    // Runs pending events now.
    void RunNow();

private:
    QElapsedTimer m_clock;
};
