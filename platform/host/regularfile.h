#pragma once

#include "platform/host/descriptor.h"
#include "platform/result.h"

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

namespace quorvane::platform {

// Opens a regular file for reading, links followed; a pipe must not block
// the program, so it is opened without waiting and then refused. Returns the
// descriptor, or an invalid one with err set (EINVAL or EISDIR: not a
// regular file).
Descriptor openRegular(const QByteArray &host, struct stat &st, int &err);

// What stands under a name where only a regular file may be replaced.
QString notRegularText(mode_t mode);

// The failure for an openRegular that returned an invalid descriptor.
Status openFailure(int err, const QString &display);

} // namespace quorvane::platform
