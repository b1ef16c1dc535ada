#pragma once

#include "engine/run/joboptions.h"

#include <QString>
#include <QStringList>

namespace quorvane::cli {

enum class Command { None, Help, Version, List, Image, Undo };

// The command line as the driver understands it. Paths are kept as typed;
// turning them into drive paths needs the file system (see main).
struct Arguments {
    Command command = Command::None;
    QString source;
    QString target;
    QString outputFile;     // list -o
    bool nullEnded = false; // list -0: host paths, each ended by a NUL byte
    bool json = false;      // the summary as one JSON object on standard output
    QString journalFile;    // image --journal, as typed
    QString undoFile;       // undo FILE, as typed
    bool undoLast = false;  // undo --last
    JobOptions options;     // type groups and image options; paths and journal filled later
    QString error;          // set when the command line is not usable
};

// arguments: without the program's name.
Arguments parseArguments(const QStringList &arguments);

QString usageText();
QString versionText();

} // namespace quorvane::cli
