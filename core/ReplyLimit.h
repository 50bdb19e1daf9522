#pragma once
// Bounds how much of one server's answer a look-up page takes in, so that a
// hostile server cannot flood the window or its memory. Real WHOIS and Finger
// answers are a few kilobytes; the bound is far above that.
#include <QString>

class ReplyLimit {
public:
    static constexpr qsizetype MaxBytes = 1024 * 1024;
    static constexpr qsizetype MaxLines = 20000;

    // A new answer begins.
    void restart() { m_bytes = m_lines = 0; m_exceeded = false; }
    // Counts one received piece; false from the first piece that goes past the
    // bound on, and then the answer should be closed.
    bool admit(qsizetype bytes)
    {
        if (!m_exceeded) {
            m_bytes += bytes;
            m_exceeded = m_bytes > MaxBytes || ++m_lines > MaxLines;
        }
        return !m_exceeded;
    }
    bool exceeded() const { return m_exceeded; }
    // The one line that says the answer was cut.
    static QString cutText();

private:
    qsizetype m_bytes = 0;
    qsizetype m_lines = 0;
    bool m_exceeded = false;
};
