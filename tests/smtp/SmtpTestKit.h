#pragma once
// Helpers shared by the mail socket and SMTP tests: an outcome catcher, an
// event recorder and a standard message.
#include "ECanceledError.h"
#include "EMessageError.h"
#include "ESocketError.h"
#include "ETimedOutError.h"
#include "TmsMessageEncoder.h"
#include "msmsg.h"
#include "mssmtp.h"

#include "TSubmissionHeaders.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QHostInfo>
#include <QRegularExpression>
#include <QStringList>
#include <functional>

namespace SmtpTestKit {

// What a call threw: the exception class and its text; "ok" when nothing.
struct Outcome {
    QString type;
    QString text;
};

inline Outcome Run(const std::function<void()> &call)
{
    try {
        call();
    } catch (const ETimedOutError &e) {
        return {QStringLiteral("ETimedOutError"), e.Message()};
    } catch (const ECanceledError &e) {
        return {QStringLiteral("ECanceledError"), e.Message()};
    } catch (const ESocketError &e) {
        return {QStringLiteral("ESocketError"), e.Message()};
    } catch (const EMessageError &e) {
        return {QStringLiteral("EMessageError"), e.Message()};
    } catch (const Exception &e) {
        return {QStringLiteral("Exception"), e.Message()};
    }
    return {QStringLiteral("ok"), QString()};
}

// Records every event of a component as "Name" or "Name:argument".
// rewrite, when set, is what the OnError handler makes of the text.
class EventLog {
public:
    QStringList events;
    std::function<QString(const QString &)> rewrite;

    void Attach(TmsMailBase &c)
    {
        c.OnOpen = [this](QObject *) { events << QStringLiteral("Open"); };
        c.OnClosing = [this](QObject *) { events << QStringLiteral("Closing"); };
        c.OnClosed = [this](QObject *) { events << QStringLiteral("Closed"); };
        c.OnCancel = [this](QObject *) { events << QStringLiteral("Cancel"); };
        c.OnError = [this](QObject *, QString &msg) {
            events << QStringLiteral("Error:") + msg;
            if (rewrite)
                msg = rewrite(msg);
        };
    }

    void Attach(TmsSMTP &c)
    {
        Attach(static_cast<TmsMailBase &>(c));
        c.OnPrepare = [this](QObject *) { events << QStringLiteral("Prepare"); };
        c.OnSending = [this](QObject *) { events << QStringLiteral("Sending"); };
        c.OnMailSent = [this](QObject *) { events << QStringLiteral("MailSent"); };
        c.OnProgress = [this](QObject *, int p) { events << QStringLiteral("Progress:%1").arg(p); };
    }

    QStringList Errors() const { return events.filter(QRegularExpression(QStringLiteral("^Error:"))); }
};

// Sender me@here.test, one recipient you@there.test, two short body lines.
inline void FillMessage(TmsMessage &m, const QStringList &body = {QStringLiteral("line one"), QStringLiteral("line two")})
{
    m.Sender()->SetAddress(QStringLiteral("me@here.test"));
    m.Sender()->SetName(QStringLiteral("Me"));
    m.Recipients()->Clear();
    m.Recipients()->AddAddress(QStringLiteral("you@there.test"), QString());
    m.SetSubject(QStringLiteral("Hi"));
    m.SetBody(body);
}

// The composed text of the message as a send composes it, with its own
// "Date:" and "Message-ID:" (of the same length as the send's).
inline QByteArray Composed(TmsMessage &m)
{
    const TSubmissionHeaders dated(m);
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    TmsMessageEncoder(m, buffer).Encode();
    return buffer.data();
}

// The text with the values of "Date:" and "Message-ID:" blanked, which differ
// from send to send; fails the comparison when either header is missing.
inline QByteArray Masked(const QByteArray &text)
{
    QString s = QString::fromLatin1(text);
    static const QRegularExpression dated(QStringLiteral("\r\n(Date|Message-ID): [^\r]*"));
    s.replace(dated, QStringLiteral("\r\n\\1: *"));
    return s.toLatin1();
}

inline QString LocalHost()
{
    return QHostInfo::localHostName();
}

} // namespace SmtpTestKit
