#pragma once

#include <QChar>
#include <QStringView>

namespace quorvane {

// How two paths' names are compared.
enum class NameCase { Ignored, Exact };

// Where path continues below base, compared whole name by whole name: the
// index of the first unit of the part below base, path.size() when path is
// base itself, -1 when path does not lie in base. "D:\src2" does not lie in
// "D:\src"; a trailing separator of base (a root's) counts as the one
// between the two. The one place where containment of paths is decided.
qsizetype belowStart(QStringView path, QStringView base, QChar separator, NameCase names);

} // namespace quorvane
