#pragma once
// Translation of POSIX and resolver error numbers into the Winsock numbers
// that the program's error texts are keyed by. Shared by both socket layers.

namespace WinsockErrno {

// The operation would block: no progress yet, not a failure.
constexpr int WouldBlock = 10035;
// Generic fallback for numbers without a Winsock counterpart.
constexpr int Unknown = 10022;

// errno after socket, connect, send, recv, getsockopt(SO_ERROR) etc.
int FromErrno(int err);

// Return value of getaddrinfo (EAI_NONAME, EAI_AGAIN, ...); EAI_SYSTEM maps errno.
int FromAddrInfo(int eai, int err = 0);

} // namespace WinsockErrno
