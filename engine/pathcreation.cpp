#include "engine/pathcreation.h"

#include "paths/pathhelpers.h"
#include "platform/drivepath.h"
#include "platform/services.h"

namespace quorvane {

bool CreatePath(QString &path)
{
    AddBackslash(path);
    // Only "X:\..." is walked level by level; other forms would be created
    // relative to wherever the current directory happens to be.
    if (!platform::startsWithDriveRoot(path))
        return false;

    platform::FileSystem &fs = platform::fileSystem();
    if (!fs.changeDrive(path.left(1)).ok())
        return false;
    (void)fs.changeDirectory(QStringLiteral("\\"));

    qsizetype previous = 2; // index of the root's "\"
    qsizetype next = path.indexOf(QLatin1Char('\\'), 3);
    while (next >= 0) {
        const QString name = path.mid(previous + 1, next - previous - 1);
        const platform::Status made = fs.makeDirectory(name);
        // 75: the level exists already and is simply entered.
        if (!made.ok() && made.error != platform::ErrPathFileAccess)
            return false;
        if (!fs.changeDirectory(name).ok())
            return false;
        previous = next;
        next = path.indexOf(QLatin1Char('\\'), previous + 1);
    }
    platform::toolkit().setDefaultCursor();
    return true;
}

} // namespace quorvane
