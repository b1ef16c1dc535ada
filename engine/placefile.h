#pragma once

#include "platform/filecompare.h"
#include "platform/result.h"

#include <QString>

namespace quorvane {

// The three ways an image places one file. Each says why when the file is
// not in place; a failure changes nothing the user had (no partial file, no
// lost source).

// Creates target as an empty file. replace: an existing target is cut to
// zero bytes (keeping its owner and mode); otherwise a name taken by then
// fails with 58 and nothing is written. Yields once between creating and
// closing, as the run always has.
platform::Status makeEmptyFile(const QString &target, bool replace);

// Clears the source's attributes and moves it; never replaces an existing
// target (58). When the move fails the source gets its attributes back.
platform::Status moveSourceFile(const QString &source, const QString &target);

// Removes a source whose bytes the target holds already, only while it is
// the very file that was compared (stamp unchanged); attributes as for a move.
platform::Status removeIdenticalSource(const QString &source, const platform::FileStamp &compared);

// Copies. replace: an existing target is replaced only once the copy is
// complete; otherwise a name taken by then fails with 58.
platform::Status copySourceFile(const QString &source, const QString &target, bool replace);

// True only when the disk says both paths lead to the same file or folder
// (links followed); false when they differ or either is missing.
bool sameFile(const QString &a, const QString &b);

// True when both paths name the same place on the host, also through two
// drive letters for one folder; without host names, when the drive paths
// are equal apart from letter case.
bool samePlace(const QString &a, const QString &b);

} // namespace quorvane
