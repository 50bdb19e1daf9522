#pragma once
// TNetComponentBase: error plumbing of the TCP component family. Errors are
// recorded and, while RaiseErrors is set, raised as the exception that
// CreateError makes; FireError hands a text to OnError without raising.
#include "NetEvents.h"

#include <QObject>
#include <QString>
#include <exception>

class TNetComponentBase : public QObject {
    Q_OBJECT
public:
    explicit TNetComponentBase(QObject *parent = nullptr);
    ~TNetComponentBase() override;

    // "[code] text." for the low 16 bits of code; "Ok" for 0.
    static QString ErrorText(int code);

    int LastErrorCode() const { return m_lastErrorCode; }
    QString LastErrorText() const { return m_lastErrorText; }
    bool RaiseErrors() const { return m_raiseErrors; }
    void SetRaiseErrors(bool raise) { m_raiseErrors = raise; }

    TErrorEvent OnError;

protected:
    // Records code and text (ErrorText(code) when text is empty) and raises
    // CreateError's exception while RaiseErrors is set.
    void SetError(int code, const QString &text);
    // The exception SetError raises: message "code: text".
    virtual std::exception_ptr CreateError(int code, const QString &text);
    virtual void FireError(int code, const QString &text);

    void ClearLastError() { m_lastErrorCode = 0; }
    void ForgetLastErrorText() { m_lastErrorText.clear(); }

private:
    int m_lastErrorCode = 0;
    QString m_lastErrorText;
    bool m_raiseErrors = true;
};
