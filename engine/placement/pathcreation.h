#pragma once

#include "platform/result.h"

#include <QString>

namespace quorvane {

// Creates every missing directory of an absolute path; appends "\" to the caller's path.
bool CreatePath(QString &path);

// The same, with the reason of the step that failed.
platform::Status createPathLevels(QString &path);

} // namespace quorvane
