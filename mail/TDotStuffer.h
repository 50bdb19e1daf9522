#pragma once
// SMTP transparency for the data phase: a "." that begins a line is sent
// twice, so no line of the message can end the data early. The text may be
// fed in pieces of any size; a line begins at the start and after every LF.
#include <QByteArray>

class TDotStuffer {
public:
    // Appends the piece to out with every line-leading "." doubled.
    void Stuff(const char *data, qsizetype size, QByteArray &out);

private:
    bool m_lineStart = true;
};
