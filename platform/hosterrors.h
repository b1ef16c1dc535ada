#pragma once

#include "platform/result.h"

#include <QString>

namespace quorvane::platform {

// The run-time error number that stands for a host errno.
int errorFromErrno(int err);

// The German run-time error text for an error number.
QString errorText(int number);

// The host's reason for a failed call (errno), in German ("Keine Berechtigung").
QString hostReason(int err);

// A failure with the standard text, naming the path it concerns; detail,
// when given, is the reason (else the text of the number is).
Status failureFor(int number, const QString &path, const QString &detail = {});
// A failure from errno, with the host's own reason.
Status errnoFailure(int err, const QString &path);

// The reason of a failure for a per-file report: never empty for a failure.
QString reasonOf(const Status &status);

} // namespace quorvane::platform
