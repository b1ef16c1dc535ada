#pragma once

#include <QString>

namespace quorvane {

// Creates every missing directory of an absolute path; appends "\" to the caller's path.
bool CreatePath(QString &path);

} // namespace quorvane
