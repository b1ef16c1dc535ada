#pragma once

#include "engine/joboptions.h"

#include <QString>
#include <QStringList>

namespace quorvane::cli {

enum class Command { None, Help, List, Image };

// The command line as the driver understands it. Paths are kept as typed;
// turning them into drive paths needs the file system (see main).
struct Arguments {
    Command command = Command::None;
    QString source;
    QString target;
    QString outputFile;    // list -o
    bool nullEnded = false; // list -0: host paths, each ended by a NUL byte
    JobOptions options;    // type groups and image options; paths filled later
    QString error;         // set when the command line is not usable
};

// arguments: without the program's name.
Arguments parseArguments(const QStringList &arguments);

QString usageText();

} // namespace quorvane::cli
