#pragma once
// Builds a TmsMessage from a small text script, one "key: value" per line:
//   from: Name|mailbox          to:, cc:, bcc: the same
//   subject: text               header: a raw header line
//   priority: low|high          receipt: yes
//   charset: iso8859            encoding: uu
//   body: one body line (a bare "body:" is an empty line)
//   attach: file name|content type|encoding digit|content
// Empty content type or encoding keep what the file name chose. Values
// understand \t \r \n \0 \\ and \xHH (a Latin-1 character).
#include <QString>

class TmsMessage;

namespace MessageScript {

QString Unescape(const QString &text);
// Fills the message; returns an error text, empty on success.
QString Apply(const QString &script, TmsMessage &message);

} // namespace MessageScript
