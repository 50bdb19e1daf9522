#pragma once
// Base of every error the program raises and shows in an error box.
// Handlers catch it (and std::exception) at the guard around each event.
#include <QByteArray>
#include <QString>
#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(QString message) : m_message(std::move(message)), m_what(m_message.toUtf8()) {}
    const QString &Message() const { return m_message; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    QString m_message;
    QByteArray m_what;
};

// A write to an INI file failed: "Unable to write to <path>".
class EIniFileError : public Exception {
public:
    using Exception::Exception;
};

// A text file could not be created or written; the message is the platform text.
class EInOutError : public Exception {
public:
    EInOutError(QString message, int code) : Exception(std::move(message)), ErrorCode(code) {}
    int ErrorCode;
};
