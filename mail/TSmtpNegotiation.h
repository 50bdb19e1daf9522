#pragma once
// The opening of an SMTP session beyond the basic HELO: TLS from the first
// byte or STARTTLS, EHLO with its list of extensions, and AUTH PLAIN or LOGIN.
// It runs between the connection and MAIL FROM, and leaves the session ready
// for the envelope. Refusals go through the component's error path, so the
// session still ends with QUIT.
#include <QStringList>

class TmsSMTP;

class TSmtpNegotiation {
public:
    explicit TSmtpNegotiation(TmsSMTP &smtp) : m_smtp(smtp) {}

    void Run();
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
    [[noreturn]] void Refuse(const QString &text);

    TmsSMTP &m_smtp;
    QStringList m_extensions; // the EHLO reply's lines after the first, without their code
};
