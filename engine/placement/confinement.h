#pragma once

#include <QString>

namespace quorvane {


// The location of path, or an empty string where the disk cannot say.
QString locationOf(const QString &path, bool followLast);

} // namespace quorvane
