#pragma once
// Standard output and error of a command. Output is raw bytes (a template is
// ISO-8859-1 with CR LF lines, as its text copy); messages are UTF-8 lines.
#include <QByteArray>
#include <QString>
#include <cstdio>
#include <memory>

class Console {
public:
    Console(std::FILE *out = stdout, std::FILE *err = stderr) : m_out(out), m_err(err) {}
    void writeBytes(const QByteArray &bytes) const;
    // `text` and a line feed.
    void line(const QString &text) const;
    void error(const QString &text) const;
    // A step, a warning or a note on standard error: nothing with --quiet.
    void note(const QString &text) const;
    void setQuiet(bool quiet) { m_quiet = quiet; }
    // Asks `question` on the terminal; true for an answer starting with y or Y.
    bool confirm(const QString &question) const;
    // The errno of the first write to standard output that failed, 0 when none did;
    // shared by the copies of a console.
    int outputError() const { return *m_outputError; }

private:
    std::FILE *m_out;
    std::FILE *m_err;
    bool m_quiet = false;
    std::shared_ptr<int> m_outputError = std::make_shared<int>(0);
};
