#include "EppStep.h"

QString eppObjectWord(EppObject object)
{
    switch (object) {
    case EppObject::Domain: return QStringLiteral("domain");
    case EppObject::Host: return QStringLiteral("host");
    case EppObject::Contact: return QStringLiteral("contact");
    case EppObject::None: break;
    }
    return {};
}

QString EppStep::text() const
{
    const QString what = object == EppObject::None ? name : eppObjectWord(object) + QLatin1Char(' ') + name;
    switch (stage) {
    case Stage::Connecting: return QStringLiteral("Connecting to %1").arg(name);
    case Stage::LoggingIn: return QStringLiteral("Logging in");
    case Stage::Checking: return QStringLiteral("Checking %1").arg(what);
    case Stage::Reading: return QStringLiteral("Reading %1").arg(what);
    case Stage::Creating: return QStringLiteral("Creating %1").arg(what);
    case Stage::Deleting: return QStringLiteral("Deleting %1").arg(what);
    case Stage::Polling: return QStringLiteral("Reading the message queue");
    case Stage::LoggingOut: return QStringLiteral("Logging out");
    case Stage::Updating: {
        QStringList parts;
        if (!adding.isEmpty())
            parts << QStringLiteral("adding ") + adding.join(QStringLiteral(", "));
        if (!removing.isEmpty())
            parts << QStringLiteral("removing ") + removing.join(QStringLiteral(", "));
        if (!changing.isEmpty())
            parts << QStringLiteral("changing ") + changing.join(QStringLiteral(", "));
        return parts.isEmpty() ? QStringLiteral("Updating %1").arg(name)
                               : QStringLiteral("Updating %1: %2").arg(name, parts.join(QStringLiteral(", ")));
    }
    }
    return {};
}
