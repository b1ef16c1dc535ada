#pragma once

#include <QString>
#include <QStringView>

namespace quorvane::platform {

// True when two names are equal without regard to case, compared character
// by character with case folding (no length-changing upper-casing).
bool sameNameIgnoringCase(QStringView a, QStringView b);

// Matches a name against a wildcard pattern as the platform the program was
// made for does: "*" any run of characters, "?" any one, case ignored;
// "*.*" matches every name, a pattern ending in ".*" also matches the name
// without extension ("a.*" matches "a"), one ending in "." matches names
// without a dot ("*." matches "readme").
bool matchesWildcard(QStringView pattern, QStringView name);

// True when the pattern holds "*" or "?".
bool hasWildcards(QStringView pattern);

} // namespace quorvane::platform
