#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <ctime>
#include <mutex>
#include <sys/types.h>

namespace quorvane::platform {

// Case-insensitive name lookups in a folder, remembered per folder so that
// probing many missing names (free clash names, copies into one flat target
// folder) costs one folder scan, not one per name.
//
// Only consulted after the exact name was not found on the disk, so a stale
// answer can at worst miss a case variant; it never hides or invents an
// exactly named file. A folder's entry is trusted while the folder's
// modification time is unchanged, except when it was scanned so soon after a
// change that a further change could keep the same (coarse) time stamp.
// This program's own changes update the entry; a case variant made by
// another program in the very tick of such a change can go unseen.
//
// Any thread may call it: one lock guards the remembered folders, and a
// folder is scanned while holding it, so two threads never scan one folder
// twice over.
class FolderNameCache {
public:
    enum class Lookup { Found, Missing, Failed };

    // The stored name matching wanted without regard to case; among several
    // variants the smallest in byte order. errorOut gets errno on Failed.
    Lookup find(const QByteArray &folder, const QString &wanted, QByteArray *stored, int *errorOut);

    void added(const QByteArray &folder, const QByteArray &name);
    void removed(const QByteArray &folder, const QByteArray &name);

private:
    struct Folder {
        dev_t device = 0;
        ino_t inode = 0;
        struct timespec modified {};
        bool racy = false;                // scanned in the same clock tick as a change: not trusted again
        QHash<QString, QByteArray> names; // folded name -> smallest stored name
    };
    bool refresh(const QByteArray &folder, Folder &entry, int *errorOut);
    bool stamp(const QByteArray &folder, Folder &entry, int *errorOut);

    std::mutex m_lock;
    QHash<QByteArray, Folder> m_folders;
};

} // namespace quorvane::platform
