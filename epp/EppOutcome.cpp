#include "EppOutcome.h"

namespace {

QString failureWords(EppOutcome::Failure failure)
{
    switch (failure) {
    case EppOutcome::Failure::Settings: return QStringLiteral("The EPP settings are not usable");
    case EppOutcome::Failure::Resolve: return QStringLiteral("The registry's name could not be resolved");
    case EppOutcome::Failure::Connect: return QStringLiteral("The registry could not be reached");
    case EppOutcome::Failure::Tls: return QStringLiteral("The TLS connection failed");
    case EppOutcome::Failure::Framing: return QStringLiteral("The registry sent a frame we refuse");
    case EppOutcome::Failure::Timeout: return QStringLiteral("The registry did not answer in time");
    case EppOutcome::Failure::OutOfStep: return QStringLiteral("The registry's answer is out of step");
    case EppOutcome::Failure::Closed: return QStringLiteral("The registry ended the session");
    case EppOutcome::Failure::None: break;
    }
    return QStringLiteral("The session failed");
}

// What a step did, once the registry took it: "created host ns1.example.com".
QString doneText(const EppStep &s)
{
    const QString what = s.object == EppObject::None ? s.name : eppObjectWord(s.object) + QLatin1Char(' ') + s.name;
    switch (s.stage) {
    case EppStep::Stage::Creating: return QStringLiteral("created ") + what;
    case EppStep::Stage::Deleting: return QStringLiteral("deleted ") + what;
    case EppStep::Stage::Updating: {
        const QString text = s.text(); // "Updating NAME: ..."
        return QStringLiteral("updated") + text.mid(text.indexOf(QLatin1Char(' ')));
    }
    default: break;
    }
    return s.text();
}

} // namespace

QString EppOutcome::text() const
{
    switch (result) {
    case Result::Success: {
        QStringList what;
        for (const EppStep &s : done)
            what << doneText(s);
        QString line = what.isEmpty() ? QStringLiteral("Done") : QStringLiteral("Done: ") + what.join(QStringLiteral("; "));
        if (!message.isEmpty() && done.isEmpty())
            line += QStringLiteral(": ") + message;
        if (!svTrid.isEmpty())
            line += QStringLiteral(" (svTRID %1)").arg(svTrid);
        return line;
    }
    case Result::Refused: {
        QString line = QStringLiteral("Refused by the registry");
        if (refusedStep.stage != EppStep::Stage::Connecting)
            line += QStringLiteral(" (") + refusedStep.text() + QLatin1Char(')');
        line += QStringLiteral(": %1 %2").arg(code).arg(message);
        if (!reasons.isEmpty())
            line += QStringLiteral(" (") + reasons.join(QStringLiteral("; ")) + QLatin1Char(')');
        return line;
    }
    case Result::Problems:
        return problems.size() == 1 ? QStringLiteral("Not sent: ") + problems.first()
                                    : QStringLiteral("Not sent: %1 problems, the first: %2").arg(problems.size()).arg(problems.value(0));
    case Result::Failed:
        return detail.isEmpty() ? failureWords(failure) + QLatin1Char('.') : failureWords(failure) + QStringLiteral(": ") + detail;
    case Result::Cancelled:
        return QStringLiteral("Cancelled.");
    }
    return {};
}
