#pragma once

#include <QString>
#include <QStringList>

namespace quorvane::platform {

// Matches a name against one wildcard pattern: "*" any run, "?" one
// character, letter case ignored; "*.*" and "*" admit every name, a name
// without a dot included.
bool wildcardMatch(const QString &pattern, const QString &name);

// The elements of a ";"-separated list, empty ones left out; an empty list
// stands for "*.*".
QStringList splitPatterns(const QString &patterns);

bool matchesAny(const QStringList &patterns, const QString &name);

} // namespace quorvane::platform
