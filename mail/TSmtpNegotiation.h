#pragma once
// The opening of an SMTP session beyond the basic HELO: TLS from the first
// byte or STARTTLS, EHLO with its list of extensions, and AUTH PLAIN or LOGIN.
// It runs between the connection and MAIL FROM, and leaves the session ready
// for the envelope. Refusals go through the session's error path, so the
// session still ends with QUIT. It keeps no state of the session's: what it
// learnt comes back from Run.
#include "SmtpSecurity.h"

#include <QStringList>
#include <utility>

class TSmtpNegotiation {
public:
    // The line exchange of the session being opened.
    class Session {
    public:
        // How a reply is judged: a refused EHLO that HELO will follow is no
        // error to report; during AUTH LOGIN a 334 challenge is a good answer.
        enum class Reply { Checked, QuietRefusal, Challenge };

        virtual void SendLine(const QString &line) = 0;
        // Reads one whole reply; returns its last line, and all of them in `lines`.
        virtual QString ReadReply(QStringList *lines, Reply kind) = 0;
        virtual void StartTls(const QString &peerName) = 0;
        virtual bool Connected() const = 0;
        virtual bool Encrypted() const = 0;
        virtual QString RemoteAddress() const = 0;
        [[noreturn]] virtual void Refuse(const QString &text) = 0;

    protected:
        ~Session() = default;
    };

    struct Settings {
        TSmtpSecurity security = TSmtpSecurity::None;
        QString server; // as set, with its port
        QString localHost;
        QString userName;
        QString password;
    };

    struct Outcome {
        bool eightBitMime = false; // the last EHLO reply offered 8BITMIME
    };

    TSmtpNegotiation(Session &session, Settings settings) : m_session(session), m_settings(std::move(settings)) {}

    Outcome Run();
    // Why the login cannot be sent at all, before any connection; empty when it can.
    static QString LoginProblem(const QString &user, const QString &password);

private:
    // EHLO; with fallBack a refused EHLO is followed by HELO, as nothing needs the extensions.
    void Hello(bool fallBack);
    void StartTls();
    void LogIn();
    // An extension keyword the last EHLO reply offered, with its parameters, or empty.
    bool Offers(const QString &keyword) const;
    QStringList Parameters(const QString &keyword) const;
    QString PeerName() const;
    bool OnLoopback() const;

    Session &m_session;
    const Settings m_settings;
    QStringList m_extensions; // the EHLO reply's lines after the first, without their code
    bool m_eightBitMime = false;
};
