#include "engine/scan/scanner.h"

#include "engine/scan/walkcache.h"
#include "paths/pathhelpers.h"
#include "paths/typedpaths.h"
#include "platform/hosterrors.h"
#include "platform/services.h"
#include "platform/stopsignals.h"

namespace quorvane {

namespace {

// Tells the walk's cache that a directory's visit is over, on every way out.
class VisitEnd {
public:
    VisitEnd(WalkState &walk, const QString &path) : m_walk(walk), m_path(path) {}
    ~VisitEnd()
    {
        if (m_walk.active)
            m_walk.active->release(m_path);
    }

private:
    WalkState &m_walk;
    const QString &m_path;
};

// Hands the window its turn; true when the walk is to go on.
bool yieldGoesOn(Begin &worker)
{
    if (worker.beforeYield)
        worker.beforeYield();
    platform::toolkit().yield();
    // A stop signal ends the walk as a run's end does, at every level.
    if (platform::stopRequested())
        worker.ScanActive = false;
    return worker.ScanActive;
}

} // namespace

void ScanTree(Begin &worker, QString &path, QString &patterns)
{
    path = WinPath(path).withSeparator();
    if (patterns.isEmpty())
        patterns = QStringLiteral("*.*");

    // A walk that starts inside another walk's yield may change the tree the
    // outer one has read ahead: the outer one reads afresh what it has not
    // entered yet.
    WalkState &walk = worker.walk;
    WalkCache *outer = walk.active;
    if (outer)
        outer->disable();
    WalkCache cache(platform::fileSystem(), walk.readerCount(), ++walk.walks, patterns);
    walk.active = &cache;

    worker.clearUnreadableFolders();
    const platform::Status entered = worker.dirList.setPath(path);
    worker.filList.setPattern(patterns);
    worker.lstFoundFiles.clear();
    // A start that cannot be entered lists nothing; the enumerators still
    // stand in some other directory, which must not be walked instead.
    if (entered.ok()) {
        const QString start = worker.dirList.path();
        (void)ScanDir(worker, start, QString(), worker.dirList, worker.filList,
                      worker.lstFoundFiles); // whether abandoned: nothing follows either way
    } else {
        worker.noteUnreadableFolder(path, entered);
    }
    walk.active = outer;
}

void addFolderFiles(Begin &worker, DirectoryEnumerator &dirs, FileEnumerator &files, StringList &found)
{
    const platform::Status listed = files.setPath(dirs.path());
    if (!listed.ok() && listed.error != platform::ErrPathNotFound)
        worker.noteUnreadableFolder(dirs.path(), listed);
    const QString prefix = WinPath(files.path()).withSeparator();
    const qsizetype n = files.count();
    for (qsizetype i = 0; i < n; ++i)
        found.addJoined(prefix, files.itemView(i));
}

bool ScanDir(Begin &worker, const QString &newPath, const QString &backUp, DirectoryEnumerator &dirs,
             FileEnumerator &files, StringList &found)
{
    const VisitEnd visitEnd(worker.walk, newPath);
    worker.ScanActive = true;
    bool abandoned = false;
    if (!yieldGoesOn(worker))
        return true;

    qsizetype k = dirs.count();
    bool reentryNoted = false;
    while (k > 0 && worker.ScanActive) {
        const QString oldPath = dirs.path();
        // A directory that can no longer be entered is not walked from wherever
        // dirs stands; what it still held below is named as not read.
        const platform::Status reentered = dirs.setPath(newPath);
        if (!reentered.ok() && !reentryNoted && reentered.error != platform::ErrPathNotFound) {
            worker.noteUnreadableFolder(newPath, reentered);
            reentryNoted = true;
        }
        if (reentered.ok() && dirs.count() > 0) {
            // A subdirectory that cannot be entered is skipped: dirs stays in
            // newPath, and visiting "its" path would walk this directory again.
            const QString subdirectory = dirs.item(k - 1);
            const platform::Status entered = dirs.setPath(subdirectory);
            if (entered.ok())
                abandoned = ScanDir(worker, dirs.path(), oldPath, dirs, files, found);
            else if (entered.error != platform::ErrPathNotFound)
                worker.noteUnreadableFolder(subdirectory, entered); // one that is gone since hides nothing
        }
        --k;
        if (abandoned)
            return false;
    }

    addFolderFiles(worker, dirs, files, found);

    // The caller enters its own folder afresh before it reads on, and names
    // that folder when it cannot.
    if (!backUp.isEmpty())
        (void)dirs.setPath(backUp);
    return false;
}

} // namespace quorvane
