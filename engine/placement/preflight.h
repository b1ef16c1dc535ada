#pragma once

#include "engine/placement/skippedfile.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <limits>

namespace quorvane {

namespace platform {
class ImageTrees;
}
struct RunContext;

// What an image run found out about its target before it wrote anything.
struct PreflightFindings {
    bool checked = false;
    QString volume;          // the target's kind of disk ("FAT32", "ext4")
    qint64 neededBytes = 0;  // room the files to write take there, whole clusters
    qint64 freeBytes = -1;   // room left there; -1 where the disk does not say
    qint64 largestFile = std::numeric_limits<qint64>::max();
    qsizetype tooLarge = 0;  // files left out for their size (each among the skipped files)
    QString refusal;         // why nothing was written; empty where the run went on
};

// The run as the check needs it.
struct PreflightJob {
    ImageAction action = ImageAction::Copy;
    QString sourceBase; // drive paths ending in "\"
    QString targetBase;
    bool skipIdentical = false;
    // Where a recursive run would put an entry (relative to the target
    // root); empty for a flat run, whose names are decided as it goes.
    std::function<QString(const QString &)> recursiveTarget;
};

// Checks the target before the first file is written: a system folder of
// the host is refused, files larger than its disk can hold are recorded as
// skipped and left out, and where the rest does not fit in the room left
// nothing is written. Tells the user where it refuses. Returns the entries
// to place; empty with findings.refusal set where the run must not write.
QStringList checkBeforeWriting(RunContext &run, platform::ImageTrees &trees, const PreflightJob &job,
                               const QStringList &entries);

// The refusal for a target that is a system folder, or empty.
QString systemFolderRefusal(platform::ImageTrees &trees, const QString &targetBase);

// A count of bytes as the messages give it ("4.294.967.295").
QString byteCount(qint64 count);

// The messages, each ending in three blanks.
QString notEnoughRoomMessage(qint64 needed, qint64 free);
QString systemFolderMessage(const QString &target);

} // namespace quorvane
