#include "LookUpOutcome.h"

QString LookUpOutcome::line() const
{
    switch (kind) {
    case Kind::Found:
        return relatedFailure.isEmpty() ? QString()
                                        : QStringLiteral("The registrar's record could not be fetched: %1").arg(relatedFailure);
    case Kind::NotFound:
        return QStringLiteral("No match for %1.").arg(name);
    case Kind::Answered:
        return {};
    case Kind::Refused:
    case Kind::TransportFailure:
    case Kind::CutShort:
        break;
    }
    return reason;
}
