#pragma once
// Keeps the SMTP password in the desktop keyring (the Secret Service, through
// QtKeychain), so the settings file need not hold it. Only a machine with no
// keyring service at all (no session bus, nothing providing the Secret
// Service) keeps it in the settings file. A keyring that is there but will not
// give or take the password (locked, refused, silent) never makes it look
// empty and never sends it to the file: the caller learns that it is unknown.
#include <QString>
#include <optional>

namespace QKeychain {
class Job;
}
class QDeadlineTimer;

class PasswordKeeper {
public:
    enum class Keyring {
        Answers,  // gave or took the password (or had none)
        None,     // no session bus or no Secret Service provider
        Locked,   // holds the entry, or would hold it, behind a lock
        Refused,  // answered with an error
        Silent,   // did not answer in time
    };

    // `entry` names this password among the program's keyring entries (the
    // settings file's path, so each settings file has its own). Every call
    // returns within about `waitMs` (the window keeps painting meanwhile), so
    // a keyring waiting on an unlock prompt nobody sees holds the window for
    // less than a second.
    explicit PasswordKeeper(QString entry, int waitMs = 900);
    ~PasswordKeeper();
    PasswordKeeper(const PasswordKeeper &) = delete;
    PasswordKeeper &operator=(const PasswordKeeper &) = delete;

    // The password to use: `stored` when the settings file still holds one
    // (it moves to the keyring at the next save), else the keyring's;
    // nothing when the keyring holds it back.
    std::optional<QString> load(const QString &stored);
    // Puts the password into the keyring (an empty one removes the entry).
    // Returns what the settings file must hold: empty when the keyring took
    // it, the password itself when there is no keyring, nothing when the
    // keyring would not take it (the file then keeps what it holds).
    std::optional<QString> save(const QString &password);
    // How the keyring met the last load or save; asks it once when neither
    // has run yet.
    Keyring keyring();
    // Why the password is unknown, as a clause ("the keyring is locked");
    // empty for Answers and None.
    static QString why(Keyring keyring);

private:
    enum class Outcome { Done, NotFound, Failed, TimedOut };
    // Runs the job to its end or the deadline's; the job deletes itself.
    Outcome run(QKeychain::Job *job, const QDeadlineTimer &deadline);
    // Whether a Secret Service can be reached at all.
    bool serviceThere(const QDeadlineTimer &deadline);
    // Names the failure of a job that did not give or take the password.
    Keyring failure(Outcome outcome, bool writing, const QDeadlineTimer &deadline);

    QString m_entry;
    int m_waitMs;
    QString m_bus; // this keeper's own connection, so a bus started later is found
    std::optional<Keyring> m_keyring;
};
