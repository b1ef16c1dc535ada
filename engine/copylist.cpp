#include "engine/copylist.h"

#include "engine/runsteps.h"
#include "engine/worker.h"
#include "platform/namecodec.h"
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
    if (cut == 2 && fullPath.at(1) == QLatin1Char(':'))
        return fullPath.left(3);
    return fullPath.left(cut);
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
    QStringView previousFolder;
    QString host;
    // Views into the found list, which stays as it is meanwhile: a list of
    // 200,000 entries is read without a copy of each.
    const qsizetype count = lists.lstFoundFiles.count();
    for (qsizetype i = 0; i < count; ++i) {
        const QStringView entry = lists.lstFoundFiles.itemView(i);
        const QStringView folder = folderOf(entry);
        // Files of one folder mostly come together; the set catches the rest.
        if (!folder.isEmpty() && folder != previousFolder) {
            const QString name = folder.toString();
            if (!folders.contains(name)) {
                folders.insert(name);
                lists.lstFoundDirs.addItem(name);
            }
        }
        previousFolder = folder;
        if (hostBase.ok() && entry.size() > scanBase.size() && entry.startsWith(scanBase, Qt::CaseInsensitive)) {
            host.resize(0);
            host += hostPrefix;
            for (const QChar c : entry.mid(scanBase.size()))
                host += c == Backslash ? QLatin1Char('/') : c;
            lists.lstFullPathName.addItem(platform::hasEscapes(host) ? platform::displayName(host) : host);
            continue;
        }
        const platform::Result<QString> full = fs.hostPath(entry.toString());
        lists.lstFullPathName.addItem(full.ok() ? full.value : entry.toString());
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
