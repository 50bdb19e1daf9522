#pragma once
// Extra header lines of a message: complete lines or continuation lines
// that begin with a blank or a tab.
#include <QStringList>

class TmsHeaders : public QStringList {
public:
    using QStringList::QStringList;
    TmsHeaders() = default;
    TmsHeaders(const QStringList &lines) : QStringList(lines) {}

    // Deletes the first line that begins with name + ":" (any letter case)
    // together with its continuation lines.
    void RemoveHeader(const QString &name);
};
