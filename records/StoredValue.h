#pragma once
// Field text <-> INI value. An INI value is one line, so a text with line
// breaks (the purpose memo) needs an encoding; every other text is stored
// byte for byte as before, so files written by older versions read the same.
//
// Encoded form:  \ML\ <body> \E
//   body: "\\" for a backslash, "\r" for CR, "\n" for LF, every other
//   character as itself. The closing "\E" keeps trailing blanks from the
//   INI reader's trimming, and the leading backslash keeps its quote
//   stripping away.
// A text is encoded when it holds CR or LF, or when it holds the marker
// "\ML\" anywhere: the reader only removes characters from the ends of a
// plain value, so a plain value without the marker can never read back as
// one that starts with it.
// The reader's 1023-character limit applies to the decoded text, never to
// the escaped form, so every text of up to 1023 characters reads back whole.
#include <QString>

class IniDocument;

class StoredValue {
public:
    static const QString &marker();
    static QString encode(const QString &text);
    static QString decode(const QString &value);
    // The text stored under `key`, decoded, cut to the reader's limit.
    static QString read(const IniDocument &doc, const QString &section, const QString &key);
};
