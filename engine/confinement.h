#pragma once

#include <QString>

namespace quorvane {

// Whether place lies below base (or is base, with orSame), both locations
// (FileSystem::location) with "/" between names, compared name by name.
// For paths that come from outside a run: its start folders, the folders
// of a tree to remove.
bool liesBelow(const QString &place, const QString &base, bool orSame = false);

// The location of path, or an empty string where the disk cannot say.
QString locationOf(const QString &path, bool followLast);

} // namespace quorvane
