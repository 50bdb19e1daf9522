#pragma once
// Reads a whole file the program takes in, refusing anything that is not a
// regular file of a sane size before reading a byte: a named pipe would block
// for ever, a device such as /dev/zero would never end.
#include <QByteArray>
#include <QString>

class InputFile {
public:
    enum class Outcome { Read, Missing, Unreadable };

    // The file's bytes in `bytes`. Missing: there is no file (or a dangling
    // link); Unreadable: it exists but cannot be opened or read (a folder too). Throws
    // EInOutError with a text naming the file when it is not a regular file or
    // is larger than InputLimits::MaxFileBytes.
    // `error` receives the errno of a failure.
    static Outcome read(const QString &path, QByteArray &bytes, int *error = nullptr);

    // Like read, but a file that cannot be opened or read throws EInOutError
    // with the platform's text.
    static QByteArray readOrThrow(const QString &path);
};
