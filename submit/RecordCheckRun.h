#pragma once
// The check of a record that joins the offline one when its form is shown or
// it is mailed: one run at a time, for one kind. A later start, a cancel or an
// edit of the kind's record ends a run, and a run whose record changed
// meanwhile reports nothing found.
#include "RecordKind.h"
#include "RegistrationCheck.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

class IFields;
class PreMailCheck;

class RecordCheckRun : public QObject {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void(const QString &)> progress;
        // The offline problems and then those the check found.
        std::function<void(const RegistrationProblems &)> finished;
        // Cancelled, overtaken by another start, or the record changed.
        std::function<void()> stopped;
    };

    // Without a `check`, or while `wanted` says no, nothing runs.
    RecordCheckRun(const IFields &fields, std::unique_ptr<PreMailCheck> check, std::function<bool()> wanted);
    ~RecordCheckRun() override;

    // Starts checking the kind's record, ending a run still going; false when
    // no check runs (then no handler is called).
    bool start(RecordKind kind, Handlers handlers);
    bool running() const { return m_run.has_value(); }
    // Ends the run, if any; its `stopped` is called.
    void cancel();
    // The user changed the kind's record: a run for it is out of date.
    void edited(RecordKind kind);

private:
    struct Run {
        RecordKind kind;
        Handlers handlers;
        RegistrationProblems offline;
        QStringList record; // the kind's fields when it started
    };
    QStringList snapshot(RecordKind kind) const;
    void finish(const RegistrationProblems &found);

    const IFields &m_fields;
    std::unique_ptr<PreMailCheck> m_check;
    std::function<bool()> m_wanted;
    std::optional<Run> m_run;
};
