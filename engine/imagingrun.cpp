#include "engine/imagingrun.h"

#include "engine/runsteps.h"
#include "engine/scanner.h"
#include "engine/worker.h"
#include "paths/pathhelpers.h"
#include "platform/services.h"
#include "platform/stopsignals.h"

namespace quorvane {

namespace {

bool s_active = false;
RunProgress s_progress;

// Marks the run as active for its whole length, whatever way it ends.
class ActiveRun {
public:
    ActiveRun()
    {
        s_active = true;
        s_progress = RunProgress{};
    }
    ~ActiveRun()
    {
        s_active = false;
        s_progress.stage = RunStage::Idle;
    }
    ActiveRun(const ActiveRun &) = delete;
    ActiveRun &operator=(const ActiveRun &) = delete;
};

// What a stopped run did not come to, and the stage where the stop was
// seen: a branch's main loop leaves its progress record at the entry it
// stopped before, also when the clean-up of moved-out folders follows.
void noteStop(RunSummary &summary)
{
    summary.stopSignal = platform::stopSignal();
    if (summary.stopSignal == 0)
        return;
    const RunProgress &progress = s_progress;
    const RunStage stage = progress.stage;
    if (stage == RunStage::Imaging || stage == RunStage::Mirroring || stage == RunStage::Cleaning)
        summary.notReached = progress.total - progress.done;
    if (summary.stoppedIn == RunStage::Idle)
        summary.stoppedIn = stage == RunStage::Cleaning && summary.notReached > 0 ? RunStage::Imaging : stage;
}

void endRun()
{
    settleFoundLists();
    ScanActive = false;
    platform::toolkit().setDefaultCursor();
}

} // namespace

RunProgress &progressRecord()
{
    return s_progress;
}

const RunProgress &CurrentRunProgress()
{
    return s_progress;
}

bool RunActive()
{
    return s_active;
}

RunSummary RunJob(const JobReader &readOptions, ListingView *view)
{
    // A click that arrives while a run yields would clear the lists the run is
    // walking; it is ignored, and no control needs to be disabled for it.
    if (s_active)
        return {};
    ActiveRun active;
    platform::Toolkit &toolkit = platform::toolkit();

    toolkit.setBusyCursor();
    BuildPatternList(readOptions());
    if (FilePatterns == NoTypesMark) {
        ShowMessage(MsgNoTypes, 1);
        toolkit.setDefaultCursor();
        return {};
    }

    if (!FoundFilesList)
        InitFileHandling();
    settleFoundLists();
    Begin &lists = worker();
    lists.lstFoundFiles.clear();
    lists.lstFullPathName.clear();
    lists.lstFoundDirs.clear();
    lists.lstFilesToCopy.clear();

    RunContext run{readOptions, view, {}, {}, {}};
    run.summary.ran = true;
    QString sourceBase = readOptions().SourceDir;
    AddBackslash(sourceBase);
    scanSource(run, sourceBase);
    if (platform::stopRequested())
        run.summary.stoppedIn = RunStage::Scanning;
    run.summary.found = lists.lstFoundFiles.count();
    run.summary.unreadable = qsizetype(unreadableFolders().size());
    s_progress.summary = run.summary;
    fillFoundLists(run.scanBase);

    // Also after a stopped scan: the branch stops before its first entry,
    // and a journal asked for is there, telling that nothing was placed.
    run.summary.listing = readOptions().TextListing;
    if (run.summary.listing)
        runListingBranch(run);
    else
        runImageBranch(run);
    noteStop(run.summary);

    endRun();
    return run.summary;
}

} // namespace quorvane
