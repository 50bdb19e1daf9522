#include "PasswordKeeper.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <atomic>
#include <qt6keychain/keychain.h>

namespace {

const QString Service = QStringLiteral("Zandolet SMTP");
const QString SecretsName = QStringLiteral("org.freedesktop.secrets");
const QString SecretsPath = QStringLiteral("/org/freedesktop/secrets");

using Attributes = QMap<QString, QString>;

int remaining(const QDeadlineTimer &deadline)
{
    return int(std::max<qint64>(1, deadline.remainingTime()));
}

// The session bus as the keyring library finds it: the address named in the
// environment, else the user's bus socket.
QString sessionBusAddress()
{
    const QString named = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!named.isEmpty())
        return named;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString socket = QDir(runtime).filePath(QStringLiteral("bus"));
    return !runtime.isEmpty() && QFileInfo::exists(socket) ? QStringLiteral("unix:path=") + socket : QString();
}

// A call that gives up at the deadline; an error or no answer is an empty reply.
QList<QVariant> ask(const QString &bus, const QDeadlineTimer &deadline, const QString &service, const QString &path,
                    const QString &interface, const QString &method, const QList<QVariant> &arguments,
                    bool *answered = nullptr)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    // Never an unlock prompt on our behalf: a locked keyring is reported, not opened.
    call.setInteractiveAuthorizationAllowed(false);
    const QDBusMessage reply = QDBusConnection(bus).call(call, QDBus::Block, remaining(deadline));
    if (answered)
        *answered = reply.type() == QDBusMessage::ReplyMessage ||
                    reply.errorName() != QLatin1String("org.freedesktop.DBus.Error.NoReply");
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments() : QList<QVariant>();
}

} // namespace

PasswordKeeper::PasswordKeeper(QString entry, int waitMs) : m_entry(std::move(entry)), m_waitMs(waitMs)
{
    static std::atomic<int> count;
    m_bus = QStringLiteral("zandolet-keyring-%1").arg(++count);
}

PasswordKeeper::~PasswordKeeper()
{
    QDBusConnection::disconnectFromBus(m_bus);
}

bool PasswordKeeper::serviceThere(const QDeadlineTimer &deadline)
{
    if (!QDBusConnection(m_bus).isConnected()) {
        const QString address = sessionBusAddress();
        if (address.isEmpty())
            return false;
        QDBusConnection::disconnectFromBus(m_bus);
        if (!QDBusConnection::connectToBus(address, m_bus).isConnected())
            return false;
    }
    const QString bus = QStringLiteral("org.freedesktop.DBus");
    const QList<QVariant> owned = ask(m_bus, deadline, bus, QStringLiteral("/org/freedesktop/DBus"), bus,
                                      QStringLiteral("NameHasOwner"), {SecretsName});
    if (!owned.isEmpty() && owned.first().toBool())
        return true;
    // Not running yet, but the bus starts it on the first call.
    const QList<QVariant> startable = ask(m_bus, deadline, bus, QStringLiteral("/org/freedesktop/DBus"), bus,
                                          QStringLiteral("ListActivatableNames"), {});
    return !startable.isEmpty() && startable.first().toStringList().contains(SecretsName);
}

PasswordKeeper::Keyring PasswordKeeper::failure(Outcome outcome, bool writing, const QDeadlineTimer &deadline)
{
    if (outcome == Outcome::TimedOut)
        return Keyring::Silent;
    // The keyring library reports a locked entry as a missing one, and a
    // locked collection as any other error: the service itself tells them apart.
    qDBusRegisterMetaType<Attributes>();
    qDBusRegisterMetaType<QList<QDBusObjectPath>>();
    const Attributes attributes{{QStringLiteral("server"), Service}, {QStringLiteral("user"), m_entry}};
    bool answered = false;
    const QList<QVariant> found =
        ask(m_bus, deadline, SecretsName, SecretsPath, QStringLiteral("org.freedesktop.Secret.Service"),
            QStringLiteral("SearchItems"), {QVariant::fromValue(attributes)}, &answered);
    if (!answered)
        return Keyring::Silent;
    if (found.size() == 2 && !qdbus_cast<QList<QDBusObjectPath>>(found.at(1)).isEmpty())
        return Keyring::Locked;
    if (outcome == Outcome::NotFound && !writing)
        return Keyring::Answers;
    if (writing) {
        const QList<QVariant> locked = ask(
            m_bus, deadline, SecretsName, QStringLiteral("/org/freedesktop/secrets/aliases/default"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
            {QStringLiteral("org.freedesktop.Secret.Collection"), QStringLiteral("Locked")}, &answered);
        if (!answered)
            return Keyring::Silent;
        if (!locked.isEmpty() && qdbus_cast<QDBusVariant>(locked.first()).variant().toBool())
            return Keyring::Locked;
    }
    return Keyring::Refused;
}

PasswordKeeper::Outcome PasswordKeeper::run(QKeychain::Job *job, const QDeadlineTimer &deadline)
{
    // Never the plain-text file QtKeychain could fall back to: that choice is ours.
    job->setInsecureFallback(false);
    job->setAutoDelete(true);
    job->setKey(m_entry);
    QEventLoop loop;
    bool finished = false;
    QKeychain::Error error = QKeychain::OtherError;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job *done) {
        finished = true;
        error = done->error();
        loop.quit();
    });
    QTimer::singleShot(remaining(deadline), &loop, &QEventLoop::quit);
    job->start();
    // The window keeps painting while the keyring thinks.
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!finished)
        return Outcome::TimedOut; // the job ends (and deletes itself) whenever the keyring answers, if ever
    if (error == QKeychain::NoError)
        return Outcome::Done;
    return error == QKeychain::EntryNotFound ? Outcome::NotFound : Outcome::Failed;
}

std::optional<QString> PasswordKeeper::load(const QString &stored)
{
    const QDeadlineTimer deadline(m_waitMs);
    if (!serviceThere(deadline)) {
        m_keyring = Keyring::None;
        return stored;
    }
    auto *job = new QKeychain::ReadPasswordJob(Service);
    QString found;
    QObject scope; // ends the connection with this call, even when the job outlives it
    QObject::connect(job, &QKeychain::Job::finished, &scope, [&found, job] { found = job->textData(); });
    const Outcome outcome = run(job, deadline);
    m_keyring = outcome == Outcome::Done ? Keyring::Answers : failure(outcome, false, deadline);
    if (!stored.isEmpty())
        return stored;
    if (m_keyring != Keyring::Answers)
        return std::nullopt;
    return outcome == Outcome::Done ? found : QString();
}

std::optional<QString> PasswordKeeper::save(const QString &password)
{
    const QDeadlineTimer deadline(m_waitMs);
    if (!serviceThere(deadline)) {
        m_keyring = Keyring::None;
        return password;
    }
    if (password.isEmpty()) {
        // A locked entry would report its removal as done and stay.
        m_keyring = failure(Outcome::NotFound, false, deadline);
        if (m_keyring == Keyring::Answers) {
            const Outcome outcome = run(new QKeychain::DeletePasswordJob(Service), deadline);
            if (outcome != Outcome::Done && outcome != Outcome::NotFound)
                m_keyring = failure(outcome, true, deadline);
        }
    } else {
        auto *job = new QKeychain::WritePasswordJob(Service);
        job->setTextData(password);
        const Outcome outcome = run(job, deadline);
        m_keyring = outcome == Outcome::Done ? Keyring::Answers : failure(outcome, true, deadline);
    }
    if (m_keyring == Keyring::Answers)
        return QString();
    return std::nullopt;
}

PasswordKeeper::Keyring PasswordKeeper::keyring()
{
    if (!m_keyring)
        load(QString());
    return *m_keyring;
}

QString PasswordKeeper::why(Keyring keyring)
{
    switch (keyring) {
    case Keyring::Locked:
        return QStringLiteral("the keyring is locked");
    case Keyring::Refused:
        return QStringLiteral("the keyring refused it");
    case Keyring::Silent:
        return QStringLiteral("the keyring did not answer");
    case Keyring::Answers:
    case Keyring::None:
        break;
    }
    return QString();
}
