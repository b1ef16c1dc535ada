#include "engine/journal/statefolder.h"

#include "engine/placement/pathcreation.h"
#include "paths/pathhelpers.h"
#include "platform/hosterrors.h"
#include "platform/namecodec.h"
#include "platform/services.h"
#include "platform/userfolders.h"

namespace quorvane {

QString stateFolder()
{
    const QString host = platform::userStateFolder();
    if (host.isEmpty())
        return {};
    const platform::Result<QString> drive = platform::fileSystem().drivePath(
        platform::decodeName(platform::encodeText(host + QStringLiteral("/quorvane"))));
    return drive.ok() ? drive.value() : QString();
}

platform::Result<QString> makeStateFolder()
{
    const QString folder = stateFolder();
    using Made = platform::Result<QString>;
    if (folder.isEmpty())
        return Made::failure(platform::failureFor(platform::ErrPathNotFound, QString(),
                                                  QStringLiteral("Kein Ordner für den Zustand des Programms bekannt")));
    QString create = folder;
    if (!DirExists(folder) && !CreatePath(create))
        return Made::failure(
            platform::failureFor(platform::ErrPathNotFound, folder, QStringLiteral("Ordner lässt sich nicht anlegen")));
    return Made::success(folder);
}

} // namespace quorvane
