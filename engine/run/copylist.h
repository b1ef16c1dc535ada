#pragma once

#include "engine/scan/worker.h"

#include <QString>
#include <QStringList>

namespace quorvane {

// The found file's path relative to base (which ends in "\"), or an empty
// string when the file does not lie below base. Letter case is ignored.
QString relativeToBase(const QString &fullPath, const QString &base);

// Where the target lies below the source: its path relative to the source
// base, ending in "\"; empty when the target is not strictly below the source.
// Both bases end in "\". Decided where both lead on the disk, so links and
// another drive letter for the same host folder count.
QString targetInsideSource(const QString &sourceBase, const QString &targetBase);

struct FilesToCopy {
    QStringList entries; // as lstFilesToCopy holds them, taken once
    qsizetype leftOut = 0;
};

// Fills lstFilesToCopy from lstFoundFiles, in its order: each file's path
// relative to scanBase. Files inside the target directory are left out, so an
// image never takes in its own output; so are entries that do not lie below
// scanBase.
FilesToCopy fillFilesToCopy(Begin &lists, const QString &scanBase, const QString &sourceBase,
                            const QString &targetBase);

// Fills lstFoundDirs (each found file's folder, once) and lstFullPathName
// (each found file's host path, beside the run when it can be).
void fillFoundLists(Begin &lists, const QString &scanBase);

} // namespace quorvane
