#pragma once

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
    QString folder = stored.value;
    while (folder.size() > 3 && folder.endsWith(QLatin1Char('\\')))
        folder.chop(1);
    if (folder.size() == 2 && folder.at(1) == QLatin1Char(':'))
        folder += QLatin1Char('\\');
    return Result<QString>::success(folder);
}

} // namespace quorvane::platform
