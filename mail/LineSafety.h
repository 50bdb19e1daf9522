#pragma once
// An SMTP command or header is one line: a CR, LF or NUL inside an address,
// name, subject or header would end it early and let the rest be read as
// further commands (an extra RCPT TO, say). Such values are refused before
// anything is sent, whoever filled them in.
#include <QString>

class TmsMessage;

namespace LineSafety {

bool isOneLine(const QString &value);
// Why the message cannot be sent as it is, or an empty string.
QString problem(const TmsMessage &message);

} // namespace LineSafety
