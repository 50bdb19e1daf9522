#pragma once
// The bytes of a look-up as text and back. Servers answer in UTF-8 today and
// in Latin-1 before; names go out as the `whois` client sends them.
#include <QByteArray>
#include <QString>

// An answer line as shown: UTF-8 when it is valid UTF-8, otherwise Latin-1.
// A CR before the line's end is dropped.
QString shownLine(QByteArray line);

// Text from a server made safe to show, in the window and on a terminal
// alike: each control character (C0 but the tab, DEL, C1) and each character
// that would reorder the text around it (the bidi embeddings, overrides,
// isolates and marks) shows as its escape "\uXXXX", so that an ESC sequence
// cannot clear the terminal and "U+202E moc.elgoog" cannot pass for "google.com".
QString visibleText(QString text);

// A wait as the look-ups' messages give it, in whole seconds rounded up:
// "1 second", "3 seconds".
QString secondsText(int ms);

// A host name as the resolver and the server take it: each label that is not
// ASCII in its "xn--" form, labels separated by dots however they were typed
// ("。", "．", "｡" included); the text as it is when it is no host name.
QString aceName(const QString &name);

// What a query sends for typed text: when `hostName` allows, a dotted name in
// its "xn--" form, other text as UTF-8; one line, ended by CR LF at the first
// CR, LF or NUL.
QByteArray queryLine(const QString &typed, bool hostName);
