#include "engine/scanner.h"

#include "engine/walkcache.h"
#include "engine/worker.h"
#include "paths/pathhelpers.h"
#include "platform/hosterrors.h"
#include "platform/services.h"
#include "platform/stopsignals.h"

namespace quorvane {

bool ScanActive = false;

namespace {

std::vector<UnreadableFolder> s_unreadable;

// Tells the walk's cache that a directory's visit is over, on every way out.
class VisitEnd {
public:
    explicit VisitEnd(const QString &path) : m_path(path) {}
    ~VisitEnd()
    {
        if (WalkCache *cache = WalkCache::active())
            cache->release(m_path);
    }

private:
    const QString &m_path;
};

} // namespace

const std::vector<UnreadableFolder> &unreadableFolders()
{
    return s_unreadable;
}

void clearUnreadableFolders()
{
    s_unreadable.clear();
}

void noteUnreadableFolder(const QString &path, const platform::Status &why)
{
    s_unreadable.push_back({path, why.error, why.message.isEmpty() ? platform::errorText(why.error) : why.message});
}

void ScanTree(QString &path, QString &patterns)
{
    if (!DirListCtl || !FileListCtl || !FoundFilesList)
        InitFileHandling();
    AddBackslash(path);
    if (patterns.isEmpty())
        patterns = QStringLiteral("*.*");

    // A walk that starts inside another walk's yield may change the tree the
    // outer one has read ahead: the outer one reads afresh what it has not
    // entered yet.
    WalkCache *outer = WalkCache::active();
    if (outer)
        outer->disable();
    WalkCache cache(platform::fileSystem(), WalkCache::readerCount(), patterns);
    WalkCache::setActive(&cache);

    clearUnreadableFolders();
    const platform::Status entered = DirListCtl->setPath(path);
    FileListCtl->setPattern(patterns);
    FoundFilesList->clear();
    // A start that cannot be entered lists nothing; the enumerators still
    // stand in some other directory, which must not be walked instead.
    if (entered.ok()) {
        const QString start = DirListCtl->path();
        (void)ScanDir(start, QString(), *DirListCtl, *FileListCtl,
                      *FoundFilesList); // whether abandoned: nothing follows either way
    } else {
        noteUnreadableFolder(path, entered);
    }
    WalkCache::setActive(outer);
}

void addFolderFiles(DirectoryEnumerator &dirs, FileEnumerator &files, StringList &found)
{
    const platform::Status listed = files.setPath(dirs.path());
    if (!listed.ok() && listed.error != platform::ErrPathNotFound)
        noteUnreadableFolder(dirs.path(), listed);
    QString prefix = files.path();
    AddBackslash(prefix);
    const qsizetype n = files.count();
    for (qsizetype i = 0; i < n; ++i)
        found.addJoined(prefix, files.item(i));
}

bool ScanDir(const QString &newPath, const QString &backUp, DirectoryEnumerator &dirs, FileEnumerator &files,
             StringList &found)
{
    const VisitEnd visitEnd(newPath);
    ScanActive = true;
    bool abandoned = false;
    platform::toolkit().yield();
    // A stop signal ends the walk as a run's end does, at every level.
    if (platform::stopRequested())
        ScanActive = false;
    if (!ScanActive)
        return true;

    qsizetype k = dirs.count();
    bool reentryNoted = false;
    while (k > 0 && ScanActive) {
        const QString oldPath = dirs.path();
        // A directory that can no longer be entered is not walked from wherever
        // dirs stands; what it still held below is named as not read.
        const platform::Status reentered = dirs.setPath(newPath);
        if (!reentered.ok() && !reentryNoted && reentered.error != platform::ErrPathNotFound) {
            noteUnreadableFolder(newPath, reentered);
            reentryNoted = true;
        }
        if (reentered.ok() && dirs.count() > 0) {
            // A subdirectory that cannot be entered is skipped: dirs stays in
            // newPath, and visiting "its" path would walk this directory again.
            const QString subdirectory = dirs.item(k - 1);
            const platform::Status entered = dirs.setPath(subdirectory);
            if (entered.ok())
                abandoned = ScanDir(dirs.path(), oldPath, dirs, files, found);
            else if (entered.error != platform::ErrPathNotFound)
                noteUnreadableFolder(subdirectory, entered); // one that is gone since hides nothing
        }
        --k;
        if (abandoned)
            return false;
    }

    addFolderFiles(dirs, files, found);

    // The caller enters its own folder afresh before it reads on, and names
    // that folder when it cannot.
    if (!backUp.isEmpty())
        (void)dirs.setPath(backUp);
    return false;
}

} // namespace quorvane
