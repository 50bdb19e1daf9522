#pragma once
// Header texts with characters 128 to 255 (a contact's name in the subject,
// the user's own name in "From:") as RFC 2047 encoded words in ISO-8859-1,
// Q encoding. Raw 8-bit bytes in a header carry no character set, so readers
// guess, and a strict 7-bit server refuses the whole message.
#include <QStringList>

namespace EncodedWords {

// Longest encoded word; with a ten-character header label the line stays
// within the 76 characters that encoded words allow.
constexpr qsizetype WordMax = 62;

// Whether the text holds a character that Latin-1 has beyond ASCII.
bool Needed(const QString &text);

// The text as encoded words of at most WordMax characters, to be written one
// a line (folded); the text alone when nothing needs encoding. Usable in a
// display name as well as in unstructured text such as the subject.
QStringList Encode(const QString &text);

} // namespace EncodedWords
