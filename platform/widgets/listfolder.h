#pragma once

#include "platform/drivepath.h"
#include "platform/services.h"

#include <QString>

namespace quorvane::platform {

// The folder a list is asked to show, as the disk stores it: absolute, each
// name in its stored case, no trailing "\" except at a drive root.
inline Result<QString> storedListFolder(const QString &path)
{
    if (path.isEmpty())
        return Result<QString>::failure(ErrPathNotFound, QStringLiteral("Pfad nicht gefunden"));
    FileSystem &fs = fileSystem();
    Result<QString> stored = fs.longName(fs.absolutePath(path));
    if (!stored.ok())
        return stored;
    QString folder = withoutTrailingBackslashes(stored.value());
    if (isBareDrive(folder))
        folder += QLatin1Char('\\');
    return Result<QString>::success(folder);
}

} // namespace quorvane::platform
