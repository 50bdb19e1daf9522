#pragma once
// Bounds on what the program takes in from outside: files it reads and
// replies from servers. Anything beyond them is refused with an error instead
// of being read, so a hostile file or peer can neither hang nor balloon us.
#include <QtGlobal>

namespace InputLimits {

// Largest file the program reads (records, text copies, name lists, settings).
constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;

// Largest server reply (all its lines together), counted as lines and as bytes.
constexpr int MaxReplyLines = 1000;
constexpr qint64 MaxReplyBytes = 64 * 1024;

} // namespace InputLimits
