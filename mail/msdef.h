#pragma once
// Shared definitions of the mail components.
#include "EMessageError.h"

#include <QString>
#include <cstdint>

enum TPriority { ptLow, ptNormal, ptHigh };
enum TCharSet { csUSASCII, csISO8859 };
enum TMsgEncoding { meMIME, meUU };
// What the way to the server carries: 7-bit text only, or 8-bit text too (8BITMIME).
enum class TBodyTransport { SevenBit, EightBit };

// Transfer encoding of one attachment; the value is stored as a byte.
enum TAttEncoding : std::uint8_t { aeSevenBit = 0, aeBase64 = 1, aeQuotedPrintable = 2 };
constexpr int AttEncodingCount = 3;

// Written verbatim after "Content-Transfer-Encoding: ", indexed by TAttEncoding.
inline const char *const AttachmentEncodingName[AttEncodingCount] = {"7 bit", "Base64", "Quoted-Printable"};

// Names, mailboxes, subject and file names hold at most this many characters.
constexpr int MailTextMax = 255;
