#pragma once
// The mail part of the settings file's "Setup" section: its keys, and what a
// send reads from it. The window's setup and the command line read it alike.
// A login's password may live in the desktop keyring instead of the file;
// asking the keyring is the caller's part.
#include "MailSettings.h"
#include "SetupKeys.h"

#include <QString>

class IniDocument;
namespace FieldText {
class Mending;
}

namespace MailSettingsFile {

inline const QString &Section = SetupKeys::Section;
inline const QString &Server = SetupKeys::Server;
inline const QString &Address = SetupKeys::Address;
inline const QString &Name = SetupKeys::Name;
inline const QString &Mailto = SetupKeys::Mailto;
// The connection keys come after the first four, and only once in use.
inline const QString &Security = SetupKeys::Security;
inline const QString &UserName = SetupKeys::UserName;
inline const QString &Password = SetupKeys::Password;

// The sender's address and name as the message keeps them, and the servers'
// names as the setup dialog takes them.
constexpr int TextMax = SetupKeys::TextMax;

// The stored values. What reaches a protocol line holds neither a line break
// nor a control character (`mending` notes what was taken out); the password
// is left as stored: it is sent encoded and never shown.
MailSettings read(const IniDocument &file, FieldText::Mending &mending);

} // namespace MailSettingsFile
