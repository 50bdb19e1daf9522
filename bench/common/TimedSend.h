#pragma once
// What the SMTP benchmarks share: the process's CPU time and one SendMail
// timed in its composing and exchange parts.
#include "Exception.h"
#include "msmsg.h"
#include "mssmtp.h"

#include <QElapsedTimer>
#include <cstdio>
#include <sys/resource.h>

inline double CpuSeconds()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

// Seconds of one SendMail of a configured component, or -1 when it failed.
inline double TimedSendMail(TmsSMTP &smtp)
{
    QElapsedTimer clock;
    double composed = 0;
    const double cpu0 = CpuSeconds();
    smtp.OnSending = [&](QObject *) { composed = clock.nsecsElapsed() / 1e9; };
    clock.start();
    try {
        smtp.SendMail();
    } catch (const Exception &e) {
        std::printf("SendMail failed: %s\n", qPrintable(e.Message()));
        return -1;
    }
    const double total = clock.nsecsElapsed() / 1e9;
    std::printf("  SendMail: composing %.3f s, exchange %.3f s, CPU %.3f s\n", composed, total - composed,
                CpuSeconds() - cpu0);
    return total;
}
