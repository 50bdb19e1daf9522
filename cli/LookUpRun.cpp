#include "LookUpRun.h"

#include "ExitStatus.h"
#include "LookUpText.h"
#include "PortLookUpJob.h"

#include <QEventLoop>

int lookUpStatus(const LookUpOutcome &outcome)
{
    switch (outcome.kind) {
    case LookUpOutcome::Kind::Found:
    case LookUpOutcome::Kind::Answered:
        return ExitStatus::Done;
    case LookUpOutcome::Kind::NotFound:
        return ExitStatus::Problems;
    case LookUpOutcome::Kind::Refused:
    case LookUpOutcome::Kind::TransportFailure:
    case LookUpOutcome::Kind::CutShort:
        break;
    }
    return ExitStatus::Failure;
}

int runLookUpJob(PortLookUpJob &job, const Console &console, const std::function<void()> &start)
{
    int status = ExitStatus::Failure;
    const auto said = [&](const QString &line) { console.error(visibleText(line)); };
    QObject::connect(&job, &PortLookUpJob::statusLine, [&](const QString &line) {
        // An empty step only sets the answer off on a page.
        if (!line.isEmpty())
            console.note(visibleText(line));
    });
    QObject::connect(&job, &PortLookUpJob::answerLines, [&](const QStringList &lines) {
        for (const QString &line : lines)
            console.line(visibleText(line));
    });
    QObject::connect(&job, &PortLookUpJob::errorLine, said);
    QObject::connect(&job, &PortLookUpJob::connectTimedOut, [&] { said(PortLookUpJob::timedOutText()); });
    QObject::connect(&job, &PortLookUpJob::portError,
                     [&](int code, const QString &description) { said(PortLookUpJob::portErrorText(code, description)); });
    QEventLoop loop;
    QObject::connect(&job, &PortLookUpJob::done, &loop, [&](const LookUpOutcome &outcome) {
        status = lookUpStatus(outcome);
        loop.quit();
    });
    start();
    if (job.isRunning())
        loop.exec();
    return status;
}
