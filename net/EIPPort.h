#pragma once
// A failure of the TCP line client: the message is the decimal code, ": " and
// the text, and the code is kept for callers that branch on it.
#include "Exception.h"

class EIPPort : public Exception {
public:
    EIPPort(int code, const QString &text) : Exception(QString::number(code) + QStringLiteral(": ") + text), ErrorCode(code) {}
    int ErrorCode;
};
