#include "LookUpRun.h"

#include "ExitStatus.h"
#include "LookUpText.h"
#include "PortLookUpJob.h"

#include <QEventLoop>

int runLookUpJob(PortLookUpJob &job, const Console &console, const std::function<void()> &start, const QString &noMatch)
{
    int status = ExitStatus::Done;
    const auto failed = [&](const QString &line, int exitStatus) {
        console.error(visibleText(line));
        status = exitStatus;
    };
    QObject::connect(&job, &PortLookUpJob::statusLine, [&](const QString &line) {
        // An empty step only sets the answer off on a page.
        if (!line.isEmpty())
            console.note(visibleText(line));
    });
    QObject::connect(&job, &PortLookUpJob::answerLines, [&](const QStringList &lines) {
        for (const QString &line : lines)
            console.line(visibleText(line));
    });
    QObject::connect(&job, &PortLookUpJob::errorLine, [&](const QString &line) {
        failed(line, !noMatch.isEmpty() && line == noMatch ? ExitStatus::Problems : ExitStatus::Failure);
    });
    QObject::connect(&job, &PortLookUpJob::connectTimedOut,
                     [&] { failed(PortLookUpJob::timedOutText(), ExitStatus::Failure); });
    QObject::connect(&job, &PortLookUpJob::portError, [&](int code, const QString &description) {
        failed(PortLookUpJob::portErrorText(code, description), ExitStatus::Failure);
    });
    QEventLoop loop;
    QObject::connect(&job, &PortLookUpJob::done, &loop, &QEventLoop::quit);
    start();
    if (job.isRunning())
        loop.exec();
    return status;
}
