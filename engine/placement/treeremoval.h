#pragma once

#include <QString>

namespace quorvane {

// Removes a directory with everything in it that the listings admit. Links are
// removed as links; what they point to is never touched.
void DeleteTree(const QString &path);

} // namespace quorvane
