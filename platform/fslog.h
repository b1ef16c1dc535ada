#pragma once

#include "platform/result.h"

#include <QLoggingCategory>

namespace quorvane::platform {

// Where the windows send the host's reasons they do not show: switched on with
// QT_LOGGING_RULES="quorvane.fs.debug=true" (failures are warnings, shown by
// default).
Q_DECLARE_LOGGING_CATEGORY(fsLog)

// Logs a failure that the caller traps and goes on from, with what it was
// doing; a success logs nothing.
void logFailure(const Status &status, const QString &doing);

} // namespace quorvane::platform
