#pragma once
// What was loaded of each kind's record file, so that a write can tell that
// another program (an import, an editor) changed the file meanwhile and ask
// what to do instead of overwriting that change without a word.
#include "RecordKind.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <functional>
#include <optional>

class RecordFileGuard {
public:
    enum class Choice { Reload, Overwrite, Cancel };
    // Asked with the record file's path when it changed since it was loaded.
    using Ask = std::function<Choice(const QString &path)>;

    explicit RecordFileGuard(Ask ask) : m_ask(std::move(ask)) {}

    // The file as it is now is what the kind's fields hold (loaded or written).
    void remember(RecordKind kind, const QString &path);
    // Overwrite when the file is as remembered (or another file than the one
    // remembered), otherwise what the user chooses.
    Choice beforeWrite(RecordKind kind, const QString &path) const;

    // "... was changed by another program ..." with the choices, for the question box.
    static QString questionText(const QString &path);

private:
    struct Seen {
        QString path;
        std::optional<QByteArray> bytes; // none: there was no file
    };
    static std::optional<QByteArray> current(const QString &path);

    Ask m_ask;
    QHash<int, Seen> m_seen;
};
