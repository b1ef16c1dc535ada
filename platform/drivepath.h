#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>

namespace quorvane::platform {

// An absolute path on a drive: the letter and the components below the root,
// with "." and ".." already taken out.
struct DrivePath {
    QChar drive; // upper case
    QStringList components;

    bool isRoot() const { return components.isEmpty(); }
    QString toString() const; // "C:\a\b"; a root is "C:\"
};

// The current directory of each drive, as components below its root.
using CurrentDirectories = std::array<QStringList, 26>;

// The upper-case drive letter a path starts with ("d:\x" gives 'D'), or a
// null QChar when it names no drive.
QChar driveLetterOf(QStringView path);

// Index 0..25 of a drive letter in either case (A to Z only), -1 when it is none.
int driveIndex(QChar letter);
// The upper-case drive letter of c, or a null QChar when c is none.
QChar driveLetter(QChar c);

// "X:" alone: a drive, not a folder on it.
bool isBareDrive(QStringView path);
// "X:\...": a path that starts at a drive's root.
bool startsWithDriveRoot(QStringView path);
// The path without trailing "", down to three characters, so that a drive
// root keeps its own ("C:").
QString withoutTrailingBackslashes(QString path);

// Any path form made absolute: "C:\a" absolute, "\a" rooted on the current
// drive, "C:a" relative to C:'s current directory, "a\b" relative to the
// current directory. "/" separates like "\". ".." stops at the root.
// Components are kept as written otherwise (no trimming of dots or blanks:
// a host name may end in either).
DrivePath makeAbsolute(QStringView path, QChar currentDrive, const CurrentDirectories &current);

} // namespace quorvane::platform
