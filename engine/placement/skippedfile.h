#pragma once

#include <QList>
#include <QString>

namespace quorvane {

// What an image run does with one entry: the plan of a step, whatever its outcome.
enum class ImageAction { Copy, Move, Dummy, MakeFolder };

// One file (or folder) the run could not place, and why: the same record
// serves a line on the command line, a machine-readable summary, and a
// plan shown before anything is done (action, source and target alone).
struct SkippedFile {
    ImageAction action = ImageAction::Copy;
    QString source;  // drive path of the file; for MakeFolder the folder to mirror
    QString target;  // drive path it was meant for; empty where no name was found
    QString subject; // the path the failure concerns: source, target or a folder on the way
    int error = 0;   // the platform's error number; 0 where the run itself refused
    QString reason;  // why, in German, without the path
};

using SkippedFiles = QList<SkippedFile>;

// A folder a walk could not read, and why.
struct UnreadableFolder {
    QString path;   // as the walk names it
    int error = 0;  // the run-time error number
    QString reason; // the host's reason, in German
};

// One file as a run without placing anything decides it: where it would go,
// or, when its bytes are there already, which file holds them.
struct PlannedFile {
    ImageAction action = ImageAction::Copy;
    QString source;
    QString target;
    bool alreadyThere = false;
};

using PlannedFiles = QList<PlannedFile>;

// A file whose name the target's disk cannot hold, and the name it got
// there instead (see portablename.h); drive paths.
struct RenamedFile {
    QString source;
    QString target;
};

using RenamedFiles = QList<RenamedFile>;

} // namespace quorvane
