#pragma once
// TmsSMTP: delivers one TmsMessage to an SMTP server with the basic RFC 821
// exchange (HELO, MAIL FROM, RCPT TO, DATA, QUIT), or, when security or a
// login is set, opened with TSmtpNegotiation instead of HELO. An accented body
// goes as 8bit only to a server whose EHLO reply offered 8BITMIME. The message is
// composed into a temporary file while it is streamed from there in 2,047-byte
// chunks, gathered into sends of up to 64 KB.
#include "SmtpSecurity.h"
#include "TBackgroundComposer.h"
#include "msmb.h"

#include <QPointer>

#include <memory>

class TTempFileStream;
class TmsMessage;

class TmsSMTP : public TmsMailBase {
    Q_OBJECT
public:
    static constexpr int ChunkSize = 2047;
    // Most bytes of message text handed to the socket at once.
    static constexpr qsizetype GatherBytes = 64 * 1024;

    explicit TmsSMTP(QObject *parent = nullptr);

    // The message to send; not owned. A destroyed message reads as unassigned.
    TmsMessage *MailMessage() const { return m_message; }
    void SetMailMessage(TmsMessage *message) { m_message = message; }

    TNotifyEvent OnPrepare;
    TNotifyEvent OnSending;
    TNotifyEvent OnMailSent;
    TmsProgressEvent OnProgress;

    // OpenSession and the send, then CloseSession whether they failed or not.
    // Refuses (throws Exception) while a send is already running.
    void SendMail();
    bool Sending() const { return m_sending; }
    // The server has accepted the end of the message text in the send that
    // runs, or in the last one.
    bool Delivered() const { return m_delivered; }

    // Security, user name and password ask for the extended opening (EHLO,
    // TLS, AUTH). Choosing the
    // security also chooses the well-known service and default port.
    TSmtpSecurity Security() const { return m_security; }
    void SetSecurity(TSmtpSecurity security);
    QString UserName() const { return m_userName; }
    void SetUserName(const QString &name) { m_userName = name; }
    QString Password() const { return m_password; }
    void SetPassword(const QString &password) { m_password = password; }
    bool Extended() const { return m_security != TSmtpSecurity::None || !m_userName.isEmpty(); }

    void Connect() override;
    void Disconnect() override;
    void Cancel() override;

    // Percentage of pos in size, rounded to the nearest integer, halves to even.
    static int Percent(qint64 pos, qint64 size);

protected:
    void CheckReply(const QString &line) override;
    void Login() override;
    void Logout() override;

private:
    // What TSmtpNegotiation sees of this session.
    class NegotiationSession;

    // Reads one whole reply; returns its last line, and all of them in `lines`.
    QString ReadReply(QStringList *lines = nullptr);
    void Send();
    // eightBit announces an 8bit body with BODY=8BITMIME.
    void SendEnvelope(const TmsMessage &message, TBackgroundComposer &composer, bool eightBit);
    // Waits, letting events run, until the text holds `bytes` bytes or is
    // whole; a failed composing ends the connection and throws.
    TBackgroundComposer::State AwaitText(TBackgroundComposer &composer, qint64 bytes);
    void SendData(std::unique_ptr<TTempFileStream> &text, TBackgroundComposer &composer);
    void Progress(int perc);

    QPointer<TmsMessage> m_message;
    bool m_inHelo = false;
    bool m_challenge = false; // a 334 challenge is a good answer during AUTH
    bool m_eightBitMime = false; // the last EHLO reply of this session offered 8BITMIME
    TSmtpSecurity m_security = TSmtpSecurity::None;
    QString m_userName;
    QString m_password;
    bool m_sending = false;
    bool m_delivered = false; // the server has accepted the end of the data
    bool m_quitting = false;  // waiting for the answer to QUIT after delivery
};
