#pragma once
// Finds directory entries without regard to case on a file system that
// distinguishes it. The exact name is tried first (one stat); otherwise a
// listing of the folder is searched. Listings are kept per folder and kept
// current by the kernel's change notifications (inotify), read without
// blocking at each call, so files created or removed by other processes are
// seen at the next call. A changed folder time stamp that no notification
// explains (a network share changed elsewhere) means a new listing; without
// notifications, a listing is reused only while the folder's time stamp is
// unchanged and lies far enough before the listing that a change in the same
// clock tick cannot have been missed.
#include <QString>

class DirectoryIndex {
public:
    // Real name of the entry of `folder` equal to `name` without regard to
    // case; empty when there is none (or the folder cannot be read).
    static QString find(const QString &folder, const QString &name);
    // Forgets every listing.
    static void clear();
    // Off: time stamps alone decide (as on systems without inotify). Forgets
    // every listing.
    static void setChangeNotifications(bool on);
};
