#include "PasswordKeeper.h"

#include <QEventLoop>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace {
const QString Service = QStringLiteral("Zandolet SMTP");
}

PasswordKeeper::PasswordKeeper(QString entry, int waitMs) : m_entry(std::move(entry)), m_waitMs(waitMs) {}

PasswordKeeper::Outcome PasswordKeeper::run(QKeychain::Job *job)
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
    // A keyring waiting on an unlock prompt nobody sees must not hold the window.
    QTimer::singleShot(m_waitMs, &loop, &QEventLoop::quit);
    job->start();
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!finished) {
        // The job ends (and deletes itself) whenever the keyring answers, if ever.
        m_answers = false;
        return Outcome::NoKeyring;
    }
    m_answers = error == QKeychain::NoError || error == QKeychain::EntryNotFound;
    if (error == QKeychain::NoError)
        return Outcome::Done;
    return error == QKeychain::EntryNotFound ? Outcome::NotFound : Outcome::NoKeyring;
}

QString PasswordKeeper::load(const QString &stored)
{
    auto *job = new QKeychain::ReadPasswordJob(Service);
    QString found;
    QObject scope; // ends the connection with this call, even when the job outlives it
    QObject::connect(job, &QKeychain::Job::finished, &scope, [&found, job] { found = job->textData(); });
    const Outcome outcome = run(job);
    if (!stored.isEmpty())
        return stored;
    return outcome == Outcome::Done ? found : QString();
}

bool PasswordKeeper::keyringAnswers()
{
    if (!m_answers)
        load(QString());
    return *m_answers;
}

QString PasswordKeeper::save(const QString &password)
{
    if (password.isEmpty()) {
        run(new QKeychain::DeletePasswordJob(Service));
        return QString();
    }
    auto *job = new QKeychain::WritePasswordJob(Service);
    job->setTextData(password);
    return run(job) == Outcome::Done ? QString() : password;
}
