#pragma once

#include <QString>

namespace quorvane {

// The three ways an image places one file. Each returns true when the file is
// in place; a failure changes nothing the user had (no partial file, no lost
// source) and is only counted by the caller.

// Creates target as an empty file; an existing target is cut to zero bytes.
// Yields once between creating and closing, as the run always has.
bool makeEmptyFile(const QString &target);

// Clears the source's attributes and moves it; never replaces an existing
// target. When the move fails the source gets its attributes back.
bool moveSourceFile(const QString &source, const QString &target);

// Copies; an existing target is replaced only once the copy is complete.
bool copySourceFile(const QString &source, const QString &target);

// True only when the disk says both paths lead to the same file or folder
// (links followed); false when they differ or either is missing.
bool sameFile(const QString &a, const QString &b);

// True when both paths name the same place on the host, also through two
// drive letters for one folder; without host names, when the drive paths
// are equal apart from letter case.
bool samePlace(const QString &a, const QString &b);

} // namespace quorvane
