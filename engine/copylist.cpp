#include "engine/copylist.h"

#include "engine/confinement.h"
#include "engine/runsteps.h"
#include "engine/worker.h"
#include "platform/namecodec.h"
#include "platform/services.h"

#include <QSet>

namespace quorvane {

namespace {

const QChar Backslash = QLatin1Char('\\');

// The folder part of a found file's path, "\" kept only at a drive root.
QString folderOf(const QString &fullPath)
{
    const qsizetype cut = fullPath.lastIndexOf(Backslash);
    if (cut < 0)
        return {};
    QString folder = fullPath.left(cut);
    if (folder.size() == 2 && folder.at(1) == QLatin1Char(':'))
        folder.append(Backslash);
    return folder;
}

QString withSlash(const QString &hostPath)
{
    return hostPath.endsWith(QLatin1Char('/')) ? hostPath : hostPath + QLatin1Char('/');
}

} // namespace

QString relativeToBase(const QString &fullPath, const QString &base)
{
    if (fullPath.size() <= base.size() || !fullPath.startsWith(base, Qt::CaseInsensitive))
        return {};
    return fullPath.mid(base.size());
}

QString targetInsideSource(const QString &sourceBase, const QString &targetBase)
{
    // Where both lead on the disk settles it: through links and other drive
    // letters alike.
    const QString sourcePlace = locationOf(sourceBase, true);
    const QString targetPlace = locationOf(targetBase, true);
    if (!sourcePlace.isEmpty() && !targetPlace.isEmpty()) {
        if (!liesBelow(targetPlace, sourcePlace))
            return {};
        const qsizetype skip = sourcePlace.endsWith(QLatin1Char('/')) ? sourcePlace.size() : sourcePlace.size() + 1;
        return targetPlace.mid(skip).replace(QLatin1Char('/'), Backslash) + Backslash;
    }

    platform::FileSystem &fs = platform::fileSystem();
    QString source = fs.absolutePath(sourceBase);
    QString target = fs.absolutePath(targetBase);
    if (!source.endsWith(Backslash))
        source.append(Backslash);
    if (!target.endsWith(Backslash))
        target.append(Backslash);
    QString inside = relativeToBase(target, source);
    if (!inside.isEmpty())
        return inside;

    // Two drive letters may name the same host folder.
    const platform::Result<QString> hostSource = fs.hostPath(source);
    const platform::Result<QString> hostTarget = fs.hostPath(target);
    if (!hostSource.ok() || !hostTarget.ok())
        return {};
    inside = relativeToBase(withSlash(hostTarget.value), withSlash(hostSource.value));
    inside.replace(QLatin1Char('/'), Backslash);
    return inside;
}

void fillFoundLists(const QString &scanBase)
{
    Begin &lists = worker();
    platform::FileSystem &fs = platform::fileSystem();
    // The found names are the names as stored, so below the scan's start the
    // host's name is that of the start plus the same components; the disk is
    // asked once, not once per file.
    const platform::Result<QString> hostBase = fs.hostPath(scanBase);
    const QString hostPrefix = hostBase.ok() ? withSlash(hostBase.value) : QString();
    QSet<QString> folders;
    QString previousFolder;
    const qsizetype count = lists.lstFoundFiles.count();
    for (qsizetype i = 0; i < count; ++i) {
        const QString entry = lists.lstFoundFiles.item(i);
        const QString folder = folderOf(entry);
        // Files of one folder mostly come together; the set catches the rest.
        if (!folder.isEmpty() && folder != previousFolder && !folders.contains(folder)) {
            folders.insert(folder);
            lists.lstFoundDirs.addItem(folder);
        }
        previousFolder = folder;
        const QString relative = relativeToBase(entry, scanBase);
        if (hostBase.ok() && !relative.isEmpty()) {
            QString host = relative;
            host.replace(Backslash, QLatin1Char('/'));
            lists.lstFullPathName.addItem(hostPrefix + platform::displayName(host));
            continue;
        }
        const platform::Result<QString> host = fs.hostPath(entry);
        lists.lstFullPathName.addItem(host.ok() ? host.value : entry);
    }
}

qsizetype fillFilesToCopy(const QString &scanBase, const QString &sourceBase,
                          const QString &targetBase)
{
    Begin &lists = worker();
    const QString inside = targetInsideSource(sourceBase, targetBase);
    qsizetype leftOut = 0;
    const qsizetype count = lists.lstFoundFiles.count();
    for (qsizetype i = 0; i < count; ++i) {
        const QString relative = relativeToBase(lists.lstFoundFiles.item(i), scanBase);
        if (relative.isEmpty() || (!inside.isEmpty() && relative.startsWith(inside, Qt::CaseInsensitive))) {
            ++leftOut;
            continue;
        }
        lists.lstFilesToCopy.addItem(relative);
    }
    return leftOut;
}

} // namespace quorvane
