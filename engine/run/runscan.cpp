#include "engine/run/runsteps.h"

#include "engine/scan/scanner.h"
#include "paths/pathhelpers.h"
#include "paths/typedpaths.h"
#include "platform/namefold.h"
#include "platform/services.h"
#include "platform/stopsignals.h"

#include <QSet>

namespace quorvane {

namespace {

// Notes every directory the walk enters, for the structure image, while the
// worker's own binding of the file enumerator keeps working.
class EnteredDirsRecorder {
public:
    EnteredDirsRecorder(DirectoryEnumerator &dirs, RunContext &run)
        : m_dirs(dirs), m_previous(dirs.onPathChanged), m_run(run)
    {
        m_dirs.onPathChanged = [this](const QString &newPath) {
            if (m_previous)
                m_previous(newPath);
            note(newPath);
        };
    }
    ~EnteredDirsRecorder() { m_dirs.onPathChanged = m_previous; }
    EnteredDirsRecorder(const EnteredDirsRecorder &) = delete;
    EnteredDirsRecorder &operator=(const EnteredDirsRecorder &) = delete;

    void note(const QString &path)
    {
        // The walk re-enters a directory once for every subdirectory.
        if (path == m_last)
            return;
        m_last = path;
        const QString key = platform::foldName(path);
        if (m_seen.contains(key))
            return;
        m_seen.insert(key);
        m_run.enteredDirs.append(path);
        m_run.progress().done = m_run.enteredDirs.size();
        m_run.progress().total = m_run.lists.lstFoundFiles.count();
    }

private:
    DirectoryEnumerator &m_dirs;
    std::function<void(const QString &)> m_previous;
    RunContext &m_run;
    QSet<QString> m_seen;
    QString m_last;
};

// One visit of the start directory alone, with the walk's own rules: the
// same flag, the same yield, the same entries.
void scanTopLevel(RunContext &run, QString &path, const QString &patterns)
{
    path = WinPath(path).withSeparator();
    Begin &worker = run.lists;
    if (!worker.dirList.setPath(path).ok())
        return;
    worker.filList.setPattern(patterns.isEmpty() ? QStringLiteral("*.*") : patterns);
    worker.lstFoundFiles.clear();

    worker.ScanActive = true;
    run.yield();
    if (!worker.ScanActive || run.stopping())
        return;
    addFolderFiles(worker, worker.dirList, worker.filList, worker.lstFoundFiles);
}

} // namespace

void scanSource(RunContext &run, QString &sourceBase)
{
    Begin &worker = run.lists;
    DirectoryEnumerator &dirs = worker.dirList;
    FileEnumerator &files = worker.filList;
    run.progress().stage = RunStage::Scanning;

    QString patterns = run.owner.FilePatterns();
    files.setPattern(patterns);
    EnteredDirsRecorder recorder(dirs, run);
    worker.clearUnreadableFolders();
    const platform::Status entered = dirs.setPath(sourceBase);
    // Only a start; every folder's files are listed afresh as it is visited,
    // and one that cannot be listed is named there.
    (void)files.setPath(sourceBase);
    if (!entered.ok()) {
        // A source that cannot be entered is not scanned at all: the
        // enumerators still stand somewhere else, and that must not be walked.
        worker.noteUnreadableFolder(sourceBase, entered);
        run.scanBase = sourceBase;
        return;
    }
    run.scanBase = WinPath(dirs.path()).withSeparator();
    recorder.note(dirs.path());

    if (JobOptions::isSet(run.job.TopLevelOnly))
        scanTopLevel(run, sourceBase, patterns);
    else
        ScanTree(worker, sourceBase, patterns);
}

} // namespace quorvane
