#include "engine/placement/treeremoval.h"

#include "platform/drivepath.h"
#include "platform/fslog.h"
#include "platform/services.h"

namespace quorvane {

void DeleteTree(const QString &path)
{
    if (path.size() <= 3)
        return;
    platform::FileSystem &fs = platform::fileSystem();
    // "C:\." or "C:\x\.." are longer than three characters and still a root.
    if (platform::withoutTrailingBackslashes(fs.absolutePath(path)).size() <= 3)
        return;
    // The folder is found by its name once; everything below it is removed
    // through handles, so that a folder swapped for a link meanwhile leads
    // nowhere outside.
    const platform::Status removed = fs.removeTree(platform::withoutTrailingBackslashes(path),
                                                   [] { platform::toolkit().yield(); });
    platform::logFailure(removed, QStringLiteral("Verzeichnis entfernen"));
}

} // namespace quorvane
