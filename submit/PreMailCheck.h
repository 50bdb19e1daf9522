#pragma once
// A check of a record that takes its time (asking the network, say), run
// after the offline check before a record is mailed or when its form is
// shown. It never blocks the event loop; the window fills it in.
#include "RecordKind.h"
#include "RegistrationCheck.h"

#include <QObject>
#include <QString>

class IFields;

class PreMailCheck : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~PreMailCheck() override = default;

    // Copies out what it needs of the kind's record and starts; a check still
    // running is cancelled first.
    virtual void start(const IFields &fields, RecordKind kind) = 0;
    // Ends a running check; no `finished` follows.
    virtual void cancel() = 0;

signals:
    // What is being asked now, for a status line.
    void progress(const QString &text);
    // The problems found; empty when the record passed.
    void finished(const RegistrationProblems &problems);
};
