#pragma once
// How the SMTP connection is protected: not at all (the basic exchange),
// STARTTLS on the submission port, or TLS from the first byte.
#include <QString>
#include <QStringList>

enum class TSmtpSecurity { None, StartTls, Tls };

namespace SmtpSecurity {

// "None", "STARTTLS", "TLS": the setting's stored text and the dialog's choices.
QString Name(TSmtpSecurity security);
const QStringList &Names();
// The stored text in any letter case; anything else is None, as in files
// written before the setting existed.
TSmtpSecurity FromName(const QString &name);

// The well-known service and port used when the server setting names no port.
QString Service(TSmtpSecurity security);
quint16 Port(TSmtpSecurity security);

} // namespace SmtpSecurity
