#pragma once

#include "platform/filesystem.h"

#include <QString>

#include <memory>
#include <vector>

namespace quorvane {

// What one reading of a directory gives the enumerators: its real
// subdirectories (links to directories are left out, so a walk can never loop)
// and its files, each sorted in list order.
struct DirSnapshot {
    int error = platform::ErrNone;
    std::vector<QString> subdirs;
    std::vector<QString> files;
};
using SnapshotPtr = std::shared_ptr<const DirSnapshot>;

// Reads a directory once through the file system; safe on any thread as long
// as the file system's readDirectory is.
SnapshotPtr readSnapshot(platform::FileSystem &fs, const QString &path);
// The same from a helper thread: reads only what is there exactly as spelled
// and leaves the file system's state alone; an error means "ask again on the
// walking thread".
SnapshotPtr readSnapshotAhead(const platform::FileSystem &fs, const QString &path);

// The directory path as the enumerators report it: absolute, "\" only at a root.
QString normalizeDirectoryPath(const QString &path);

// parent + "\" + name, without doubling the "\" of a root.
QString childPath(const QString &parent, const QString &name);

// The snapshot of a directory, from the walk under way when it has one.
SnapshotPtr loadDirectory(const QString &path);

} // namespace quorvane
