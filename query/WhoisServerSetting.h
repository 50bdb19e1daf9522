#pragma once
// The WhoIs server as the "Setup" section keeps it: the server a WHOIS
// look-up asks first, "NAME" or "NAME:PORT" (an IPv6 address in brackets, or bare without a port).
#include "FieldText.h"

#include <QString>

class IniDocument;

namespace WhoisServerSetting {

extern const QString Key; // "WhoIs Server"

QString defaultServer();
// The server a stored or typed value names: none means the default, and a
// longer text is cut as every setting is.
QString orDefault(const QString &value);
// As the window reads it, mended to one line without control characters.
QString read(const IniDocument &file, FieldText::Mending &mending);

} // namespace WhoisServerSetting
