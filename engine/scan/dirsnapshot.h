#pragma once

#include "platform/filesystem.h"
#include "platform/wildcard.h"

#include <QString>

#include <memory>
#include <vector>

namespace quorvane {

// What one reading of a directory gives the enumerators: its real
// subdirectories (links to directories are left out, so a walk can never loop)
// and its files, the subdirectories sorted in list order.
struct DirSnapshot {
    // Where a file's name lies in fileNames.
    struct NameSpan {
        qsizetype offset;
        qsizetype size;
    };

    int error = platform::ErrNone;
    QString reason; // the host's reason when error is set, in German
    std::vector<QString> subdirs;
    // The files' names, one after another in one string: a walk holds
    // ten times as many files as folders.
    QString fileNames;
    std::vector<NameSpan> files;
    // The files that match matchedPatterns, as indexes into files, when the
    // reading thread was given the walk's patterns; empty patterns: not matched.
    QString matchedPatterns;
    std::vector<qsizetype> matches;

    QStringView file(size_t index) const { return QStringView(fileNames).mid(files[index].offset, files[index].size); }
};
using SnapshotPtr = std::shared_ptr<const DirSnapshot>;

// A snapshot and the directory kept open for reading below it (only when it
// has subdirectories).
struct FolderRead {
    SnapshotPtr snapshot;
    platform::FolderHandlePtr handle;
};

// Patterns a reading thread matches the files against, with their text.
struct SnapshotPatterns {
    QString text;
    platform::WildcardList set;
};

// Reads a directory by its path: spelled as stored or not, on the thread that
// owns the file system.
FolderRead readSnapshot(platform::FileSystem &fs, const QString &path, const SnapshotPatterns *patterns = nullptr);
// Reads a directory by its stored name inside one held open (any thread).
FolderRead readSnapshotAt(const platform::FileSystemCore &fs, const platform::FolderHandle &parent, const QString &name,
                          const SnapshotPatterns *patterns);
// Reads a directory spelled exactly as stored (any thread).
FolderRead readSnapshotExact(const platform::FileSystemCore &fs, const QString &path, const SnapshotPatterns *patterns);

// The directory path as the enumerators report it: absolute, "\" only at a root.
QString normalizeDirectoryPath(const QString &path);

// parent + "\" + name, without doubling the "\" of a root.
QString childPath(const QString &parent, const QString &name);
// Whether path is childPath(parent, name), without building it.
bool isChildPath(const QString &path, const QString &parent, const QString &name);

struct WalkState;

// The snapshot of a directory, from the walk under way when there is one.
SnapshotPtr loadDirectory(WalkState *walk, const QString &path);

} // namespace quorvane
