#pragma once
// SmtpSink: a real SMTP server for end-to-end tests. It runs Debian's
// aiosmtpd (smtp_sink.py under /usr/bin/python3) on a free loopback port and
// keeps every message it accepts.
//
//   SmtpSink sink;
//   QVERIFY2(sink.Start(), qPrintable(sink.ErrorText()));
//   smtp.SetServer(sink.Address());           // "127.0.0.1:<port>"
//   ... send ...
//   QVERIFY(sink.WaitForMessages(1));
//   QByteArray text = sink.Messages().at(0).data;
//
// The server stops when the object is destroyed.
#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class SmtpSink {
public:
    struct Message {
        QString mailFrom;
        QStringList mailOptions; // the parameters after MAIL FROM, upper-cased
        QStringList rcptTo;
        QByteArray data; // as delivered: transparency dots removed, CR LF line ends
    };

    SmtpSink();
    ~SmtpSink();
    SmtpSink(const SmtpSink &) = delete;
    SmtpSink &operator=(const SmtpSink &) = delete;

    // Starts the server and waits until it listens; false (see ErrorText) on failure.
    // options: more arguments of smtp_sink.py (TLS, required login, no EHLO, no 8BITMIME, the address to listen on).
    bool Start(int timeoutMs = 15000, const QStringList &options = {});
    quint16 Port() const { return m_port; }
    QString Address() const;
    QString ErrorText() const { return m_error; }

    // The messages accepted so far, in order of arrival.
    QList<Message> Messages() const;
    // Runs the test thread's events until count messages are stored or ms have passed.
    bool WaitForMessages(int count, int ms = 15000) const;
    // The login attempts so far, one "MECHANISM USER ENCRYPTED" a line.
    QStringList AuthAttempts() const;
    // Deletes the messages stored so far; later ones are numbered on.
    void Clear();

private:
    QTemporaryDir m_folder;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
};
