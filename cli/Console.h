#pragma once
// Standard output and error of a command. Output is raw bytes (a template is
// ISO-8859-1 with CR LF lines, as its text copy); messages are UTF-8 lines.
#include <QByteArray>
#include <QString>
#include <cstdio>

class Console {
public:
    Console(std::FILE *out = stdout, std::FILE *err = stderr) : m_out(out), m_err(err) {}
    void writeBytes(const QByteArray &bytes) const;
    // `text` and a line feed.
    void line(const QString &text) const;
    void error(const QString &text) const;
    // Asks `question` on the terminal; true for an answer starting with y or Y.
    bool confirm(const QString &question) const;

private:
    std::FILE *m_out;
    std::FILE *m_err;
};
