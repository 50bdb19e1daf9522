#pragma once
// Keeps the SMTP password in the desktop keyring (the Secret Service, through
// QtKeychain), so the settings file need not hold it. When no keyring answers
// (no session bus, a locked or absent service) the settings file keeps it as
// before; the caller writes what save() hands back.
#include <QString>
#include <optional>

namespace QKeychain {
class Job;
}

class PasswordKeeper {
public:
    // `entry` names this password among the program's keyring entries (the
    // settings file's path, so each settings file has its own). A keyring
    // that has not answered after `waitMs` counts as none.
    explicit PasswordKeeper(QString entry, int waitMs = 5000);

    // The password to use: `stored` when the settings file still holds one
    // (it moves to the keyring at the next save), else the keyring's.
    QString load(const QString &stored);
    // Puts the password into the keyring (an empty one removes the entry).
    // Returns what the settings file must hold: nothing when the keyring took
    // it, the password itself when no keyring answered.
    QString save(const QString &password);
    // Whether a keyring answered the last load or save; asks it once when
    // neither has run yet.
    bool keyringAnswers();

private:
    enum class Outcome { Done, NotFound, NoKeyring };
    // Runs the job to its end or the wait's; the job deletes itself.
    Outcome run(QKeychain::Job *job);

    QString m_entry;
    int m_waitMs;
    std::optional<bool> m_answers;
};
