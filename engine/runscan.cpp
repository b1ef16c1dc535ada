#include "engine/runsteps.h"

#include "engine/scanner.h"
#include "engine/worker.h"
#include "paths/pathhelpers.h"
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
        progressRecord().done = m_run.enteredDirs.size();
        if (FoundFilesList)
            progressRecord().total = FoundFilesList->count();
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
void scanTopLevel(QString &path, QString &patterns)
{
    AddBackslash(path);
    if (patterns.isEmpty())
        patterns = QStringLiteral("*.*");
    DirectoryEnumerator &dirs = *DirListCtl;
    FileEnumerator &files = *FileListCtl;
    if (!dirs.setPath(path).ok())
        return;
    files.setPattern(patterns);
    FoundFilesList->clear();

    ScanActive = true;
    platform::toolkit().yield();
    if (!ScanActive || platform::stopRequested())
        return;
    addFolderFiles(dirs, files, *FoundFilesList);
}

} // namespace

void scanSource(RunContext &run, QString &sourceBase)
{
    DirectoryEnumerator &dirs = *DirListCtl;
    FileEnumerator &files = *FileListCtl;
    progressRecord().stage = RunStage::Scanning;

    files.setPattern(FilePatterns);
    EnteredDirsRecorder recorder(dirs, run);
    clearUnreadableFolders();
    const platform::Status entered = dirs.setPath(sourceBase);
    // Only a start; every folder's files are listed afresh as it is visited,
    // and one that cannot be listed is named there.
    (void)files.setPath(sourceBase);
    if (!entered.ok()) {
        // A source that cannot be entered is not scanned at all: the
        // enumerators still stand somewhere else, and that must not be walked.
        noteUnreadableFolder(sourceBase, entered);
        run.scanBase = sourceBase;
        return;
    }
    run.scanBase = dirs.path();
    AddBackslash(run.scanBase);
    recorder.note(dirs.path());

    if (JobOptions::isSet(run.read().TopLevelOnly))
        scanTopLevel(sourceBase, FilePatterns);
    else
        ScanTree(sourceBase, FilePatterns);
}

} // namespace quorvane
