#pragma once
// Whether a file fits to hold a private key: a regular file we can read that
// nobody else may read or write. A key others can read is no longer private,
// so it is refused rather than used.
#include <QString>

namespace PrivateKeyFile {

// Why the file at `path` will not do, as a sentence; empty when it will.
QString problem(const QString &path);

} // namespace PrivateKeyFile
