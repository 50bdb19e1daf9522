#pragma once
// Small text helpers shared by the message classes and the composer.
#include <QString>

namespace MailNames {

// The text cut to MailTextMax characters.
QString Cut(const QString &text);

// The part after the last directory separator ("/", "\" or ":").
QString FileNamePart(const QString &path);

// The extension with its dot, taken from the file-name part; empty when there is none.
QString FileExtension(const QString &path);

// True when the file-name part, lower-cased, begins with "_alt.".
bool IsAlternativeName(const QString &path);

// MIME type registered for the file's extension, "application/octet-stream" when none.
QString LookupContentType(const QString &path);

} // namespace MailNames
