#pragma once
// Finds directory entries without regard to case on a file system that
// distinguishes it. The exact name is tried first (one stat); otherwise a
// listing of the folder is searched. Listings are kept per folder and reused
// only while the folder's identity and modification time are unchanged and
// that time lies far enough before the listing that a change in the same
// clock tick cannot have been missed; so files created by others are seen
// at the next call.
#include <QString>

class DirectoryIndex {
public:
    // Real name of the entry of `folder` equal to `name` without regard to
    // case; empty when there is none (or the folder cannot be read).
    static QString find(const QString &folder, const QString &name);
    // Forgets every listing (tests, and after this process renamed entries).
    static void clear();
};
