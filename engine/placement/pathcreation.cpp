#include "engine/placement/pathcreation.h"

#include "paths/pathhelpers.h"
#include "paths/typedpaths.h"
#include "platform/drivepath.h"
#include "platform/hosterrors.h"
#include "platform/services.h"

namespace quorvane {

bool CreatePath(QString &path)
{
    return createPathLevels(path).ok();
}

platform::Status createPathLevels(QString &path)
{
    path = WinPath(path).withSeparator();
    // Only "X:\..." is walked level by level; other forms would be created
    // relative to wherever the current directory happens to be.
    if (!platform::startsWithDriveRoot(path))
        return platform::failureFor(platform::ErrBadFileName, path);

    platform::FileSystem &fs = platform::fileSystem();
    if (const platform::Status drive = fs.changeDrive(path.left(1)); !drive.ok())
        return drive;
    // Levels are made relative to the root; one that cannot be entered
    // (its folder gone since) would put them wherever the drive stood.
    if (const platform::Status root = fs.changeDirectory(QStringLiteral("\\")); !root.ok())
        return root;

    qsizetype previous = 2; // index of the root's "\"
    qsizetype next = path.indexOf(QLatin1Char('\\'), 3);
    while (next >= 0) {
        const QString name = path.mid(previous + 1, next - previous - 1);
        const platform::Status made = fs.makeDirectory(name);
        // 75: the level exists already and is simply entered.
        if (!made.ok() && made.error != platform::ErrPathFileAccess)
            return made;
        if (const platform::Status entered = fs.changeDirectory(name); !entered.ok())
            return entered;
        previous = next;
        next = path.indexOf(QLatin1Char('\\'), previous + 1);
    }
    platform::toolkit().setDefaultCursor();
    return platform::Status::success();
}

} // namespace quorvane
