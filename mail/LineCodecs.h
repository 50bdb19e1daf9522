#pragma once
// The line encoders of the composer: Base64, uuencode and quoted-printable.
// Each appends one encoded line without its line end and returns the new end.
#include <QtGlobal>

namespace LineCodecs {

constexpr int Base64LineBytes = 57;
constexpr int UULineBytes = 45;
// Longest output of one call, line end excluded.
constexpr int Base64LineMax = 76;
constexpr int UULineMax = 61;

// Standard Base64 of 0 to 57 bytes, padded with "=".
char *EncodeBase64Line(const uchar *data, int n, char *out);
// `lines` whole lines of 57 bytes, each as 76 characters and CR LF.
char *EncodeBase64Lines(const uchar *data, qsizetype lines, char *out);
// Length character, then the data cut to 60 characters for 45 bytes and to
// 4n/3 + 1 characters otherwise; 0 is written as a backquote.
char *EncodeUULine(const uchar *data, int n, char *out);
// Bytes below 32, "=" and bytes from 128 become "=" and two upper-case hex digits.
char *EncodeQPLine(const uchar *data, qsizetype n, char *out);

} // namespace LineCodecs
