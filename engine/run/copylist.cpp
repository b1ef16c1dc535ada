#include "engine/run/copylist.h"

#include "engine/placement/confinement.h"
#include "engine/run/runsteps.h"
#include "paths/pathhelpers.h"
#include "paths/typedpaths.h"
#include "platform/drivepath.h"
#include "platform/namecodec.h"
#include "platform/namefold.h"
#include "platform/services.h"

#include <QSet>


namespace quorvane {

namespace {

const QChar Backslash = QLatin1Char('\\');

// The folder part of a found file's path, "\" kept only at a drive root.
QStringView folderOf(QStringView fullPath)
{
    const qsizetype cut = fullPath.lastIndexOf(Backslash);
    if (cut < 0)
        return {};
    if (cut == 2 && platform::startsWithDriveRoot(fullPath))
        return fullPath.left(3);
    return fullPath.left(cut);
}

QString withSlash(const QString &hostPath)
{
    return HostPath(hostPath).withSeparator();
}

// The host part below base, as the names of a relative entry.
QString relativeEntry(const HostPath &path, const HostPath &base)
{
    const std::optional<QString> below = path.relativeTo(base);
    if (!below || below->isEmpty())
        return {};
    return WinPath(QString(*below).replace(QLatin1Char('/'), Backslash)).withSeparator();
}

// The part of fullPath below base (a path without its trailing "\"), as a
// view into fullPath; empty when it does not lie below base.
QStringView relativeView(QStringView fullPath, QStringView base)
{
    const qsizetype start = belowStart(fullPath, base, Backslash, NameCase::Ignored);
    QStringView relative = start < 0 ? QStringView() : fullPath.mid(start);
    while (relative.endsWith(Backslash))
        relative.chop(1);
    return relative;
}

} // namespace

QString relativeToBase(const QString &fullPath, const QString &base)
{
    return relativeView(fullPath, WinPath(base).text()).toString();
}

QString targetInsideSource(const QString &sourceBase, const QString &targetBase)
{
    // Where both lead on the disk settles it: through links and other drive
    // letters alike.
    const QString sourcePlace = locationOf(sourceBase, true);
    const QString targetPlace = locationOf(targetBase, true);
    if (!sourcePlace.isEmpty() && !targetPlace.isEmpty())
        return relativeEntry(HostPath(targetPlace), HostPath(sourcePlace));

    platform::FileSystem &fs = platform::fileSystem();
    const WinPath source(fs.absolutePath(sourceBase));
    const WinPath target(fs.absolutePath(targetBase));
    const std::optional<QString> inside = target.relativeTo(source);
    if (inside && !inside->isEmpty())
        return WinPath(*inside).withSeparator();

    // Two drive letters may name the same host folder. Compared on the
    // host's bytes: the shown form of a host path makes a "\" inside a
    // name look like a separator.
    const platform::Result<QByteArray> hostSource = fs.hostBytes(source.text());
    const platform::Result<QByteArray> hostTarget = fs.hostBytes(target.text());
    if (!hostSource.ok() || !hostTarget.ok())
        return {};
    QByteArray targetBytes = hostTarget.value();
    while (targetBytes.size() > 1 && targetBytes.endsWith('/'))
        targetBytes.chop(1);
    const std::optional<QString> below = platform::relativeBelow(hostSource.value(), targetBytes);
    return below ? WinPath(*below).withSeparator() : QString();
}

namespace {

bool belowBase(QStringView entry, const QString &scanBase)
{
    return belowStart(entry, scanBase, Backslash, NameCase::Ignored) > 0 && entry.size() > scanBase.size();
}

// The host's name of a file below the scan's start is that of the start plus
// the same components, the found names being the names as stored: no disk
// access, so this may run on another thread.
void addFullPaths(const StringList &found, StringList &full, const QString &scanBase, const QString &hostPrefix)
{
    QString host;
    const qsizetype count = found.count();
    for (qsizetype i = 0; i < count; ++i) {
        const QStringView entry = found.itemView(i);
        host.resize(0);
        host += hostPrefix;
        for (const QChar c : entry.mid(scanBase.size()))
            host += c == Backslash ? QLatin1Char('/') : c;
        full.addItem(platform::hasEscapes(host) ? platform::displayName(host) : host);
    }
}

// Each found file's folder, once.
void gatherFolders(Begin &lists)
{
    // Views into the found list, which stays as it is meanwhile: a list of
    // 200,000 entries is read without a copy of each.
    QSet<QString> folders;
    QStringView previousFolder;
    const qsizetype count = lists.lstFoundFiles.count();
    // A million files take longer than the window may wait for its turn.
    YieldPacer pacer(count, 30);
    for (qsizetype i = 0; i < count; ++i) {
        // The views stay valid: nothing changes the list while a run yields.
        if (pacer.due())
            platform::toolkit().yield();
        const QStringView folder = folderOf(lists.lstFoundFiles.itemView(i));
        // Files of one folder mostly come together; the set catches the rest.
        if (!folder.isEmpty() && folder != previousFolder) {
            const QString name = folder.toString();
            if (!folders.contains(name)) {
                folders.insert(name);
                lists.lstFoundDirs.addItem(name);
            }
        }
        previousFolder = folder;
    }
}

void fillFullPaths(Begin &lists, const QString &scanBase)
{
    const qsizetype count = lists.lstFoundFiles.count();
    platform::FileSystem &fs = platform::fileSystem();
    const platform::Result<QString> hostBase = fs.hostPath(scanBase);
    // The list is sorted without regard to case, so when its first and last
    // entries lie below the start, all of them do.
    if (hostBase.ok() && count > 0 && belowBase(lists.lstFoundFiles.itemView(0), scanBase)
        && belowBase(lists.lstFoundFiles.itemView(count - 1), scanBase)) {
        // The complete path names are only read by the full-path toggle: they
        // are made on the processor the panes leave idle.
        lists.fillFullPathsAside([&lists, scanBase, prefix = withSlash(hostBase.value())] {
            addFullPaths(lists.lstFoundFiles, lists.lstFullPathName, scanBase, prefix);
        });
        return;
    }
    for (qsizetype i = 0; i < count; ++i) {
        const QString entry = lists.lstFoundFiles.item(i);
        const QString relative = relativeToBase(entry, scanBase);
        if (hostBase.ok() && !relative.isEmpty()) {
            QString host = relative;
            host.replace(Backslash, QLatin1Char('/'));
            lists.lstFullPathName.addItem(withSlash(hostBase.value()) + platform::displayName(host));
            continue;
        }
        const platform::Result<QString> full = fs.hostPath(entry);
        lists.lstFullPathName.addItem(full.ok() ? full.value() : entry);
    }
}

} // namespace

void fillFoundLists(Begin &lists, const QString &scanBase)
{
    lists.settleFoundLists();
    // The complete names first: the folders are gathered with pauses for
    // the window, and a full-path toggle clicked in one of them finds the
    // names being made and waits for them instead of showing none.
    fillFullPaths(lists, scanBase);
    gatherFolders(lists);
}

FilesToCopy fillFilesToCopy(Begin &lists, const QString &scanBase, const QString &sourceBase,
                            const QString &targetBase)
{
    const QString inside = WinPath(targetInsideSource(sourceBase, targetBase)).text();
    const QString base = WinPath(scanBase).text();
    FilesToCopy files;
    const qsizetype count = lists.lstFoundFiles.count();
    files.entries.reserve(count);
    // Views into the found list: twenty thousand files are not copied twice
    // on their way to the run, which waits for this before its first copy.
    for (qsizetype i = 0; i < count; ++i) {
        const QStringView relative = relativeView(lists.lstFoundFiles.itemView(i), base);
        if (relative.isEmpty()
            || (!inside.isEmpty() && belowStart(relative, inside, Backslash, NameCase::Ignored) >= 0)) {
            ++files.leftOut;
            continue;
        }
        lists.lstFilesToCopy.addItem(relative);
        files.entries.append(relative.toString());
    }
    return files;
}

} // namespace quorvane
