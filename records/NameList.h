#pragma once
// The name list files ("domains.cbx", "hosts.cbx", "Contacts.cbx"): one
// record name per line, every line ended by CR LF, ISO-8859-1.
#include <QString>
#include <QStringList>

class NameList {
public:
    // Lines of the file without the empty ones; empty when it cannot be read.
    // Throws EInOutError for a pipe, device or huge file (InputFile).
    static QStringList read(const QString &path);
    // Written whole, atomically; throws EInOutError.
    static void write(const QString &path, const QStringList &names);

    static bool containsIgnoringCase(const QStringList &names, const QString &name);
    // Stable sort in the user's language order, without regard to case.
    static void sortIgnoringCase(QStringList &names);
    // Position that keeps a case-insensitively sorted list sorted (after equals).
    static qsizetype sortedPosition(const QStringList &names, const QString &name);
};
