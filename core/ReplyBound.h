#pragma once
// Counts the lines of one server reply against InputLimits, so a server that
// sends continuation lines for ever fails the exchange instead of keeping it
// waiting: each line restarts a time-out, so time alone never ends it.
#include "InputLimits.h"

#include <QString>

class ReplyBound {
public:
    // Counts a received line of `bytes` bytes (its line end included);
    // false once the reply is beyond the bound.
    bool add(qint64 bytes)
    {
        ++m_lines;
        m_bytes += bytes;
        return m_lines <= InputLimits::MaxReplyLines && m_bytes <= InputLimits::MaxReplyBytes;
    }

    // Bytes the rest of the reply may still take.
    qint64 remaining() const { return InputLimits::MaxReplyBytes - m_bytes; }

    static QString tooLongText()
    {
        return QStringLiteral("The server's reply is longer than %1 lines or %2 bytes; the connection was closed.")
            .arg(InputLimits::MaxReplyLines)
            .arg(InputLimits::MaxReplyBytes);
    }

private:
    int m_lines = 0;
    qint64 m_bytes = 0;
};
