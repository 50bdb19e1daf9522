#pragma once
// "Date:" and "Message-ID:" lines that submission servers and spam filters
// expect. They join the message's extra headers for the life of the object
// and leave again afterwards, so the message is the same for the next send.
// A message that already carries one of them keeps its own.
#include <QStringList>

class TmsMessage;

class TSubmissionHeaders {
public:
    explicit TSubmissionHeaders(TmsMessage &message);
    ~TSubmissionHeaders();
    TSubmissionHeaders(const TSubmissionHeaders &) = delete;
    TSubmissionHeaders &operator=(const TSubmissionHeaders &) = delete;

private:
    TmsMessage &m_message;
    QStringList m_added;
};
