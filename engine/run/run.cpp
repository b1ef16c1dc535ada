#include "engine/run/run.h"

#include "engine/run/copylist.h"
#include "engine/run/runsteps.h"
#include "engine/scan/scanner.h"
#include "paths/pathhelpers.h"
#include "paths/typedpaths.h"
#include "platform/processtuning.h"
#include "platform/services.h"
#include "platform/stopsignals.h"

namespace quorvane {

namespace {

// Marks the run as active for its whole length, whatever way it ends.
class ActiveRun {
public:
    ActiveRun(bool &active, RunProgress &progress) : m_active(active), m_progress(progress)
    {
        m_active = true;
        m_progress = RunProgress{};
    }
    ~ActiveRun()
    {
        m_active = false;
        m_progress.stage = RunStage::Idle;
        platform::toolkit().setDefaultCursor();
    }
    ActiveRun(const ActiveRun &) = delete;
    ActiveRun &operator=(const ActiveRun &) = delete;

private:
    bool &m_active;
    RunProgress &m_progress;
};

} // namespace

Run::Run()
{
    m_worker.beforeYield = [this] {
        m_progress.total = m_worker.lstFoundFiles.count();
        reportProgress();
        // A stop asked for while the walk yields is seen when it wakes.
        if (m_stopRequested)
            m_worker.ScanActive = false;
    };
}

void Run::releaseLists()
{
    if (m_active)
        return;
    m_worker.clearLists();
    platform::releaseFreedMemory();
}

void Run::requestStop()
{
    if (!m_active)
        return;
    m_stopRequested = true;
    m_worker.ScanActive = false;
}

bool Run::stopping() const
{
    return m_stopRequested || platform::stopRequested();
}

void Run::reportProgress()
{
    if (onProgress)
        onProgress(m_progress);
}

void Run::yield()
{
    reportProgress();
    platform::toolkit().yield();
}

// What a stopped run did not come to, and the stage where the stop was
// seen: a branch's main loop leaves its progress record at the entry it
// stopped before, also when the clean-up of moved-out folders follows.
void Run::noteStop(RunSummary &summary) const
{
    summary.stopSignal = platform::stopSignal();
    if (!stopping())
        return;
    const RunStage stage = m_progress.stage;
    if (stage == RunStage::Imaging || stage == RunStage::Mirroring || stage == RunStage::Cleaning)
        summary.notReached = m_progress.total - m_progress.done;
    if (summary.stoppedIn == RunStage::Idle)
        summary.stoppedIn = stage == RunStage::Cleaning && summary.notReached > 0 ? RunStage::Imaging : stage;
}

RunSummary Run::RunJob(const JobOptions &job, ListingView *view)
{
    // A click that arrives while a run yields would clear the lists the run is
    // walking; it is ignored, and no control needs to be disabled for it.
    if (m_active)
        return {};
    // A copy: the caller's own object may change while the run yields.
    const JobOptions atStart = job;
    const RunSummary summary = runSteps(atStart, view);
    // Told once the run is over: the owner may start the next one from here.
    if (summary.ran && onFinished)
        onFinished(summary);
    return summary;
}

RunSummary Run::runSteps(const JobOptions &job, ListingView *view)
{
    m_stopRequested = false;
    ActiveRun active(m_active, m_progress);
    platform::toolkit().setBusyCursor();
    m_patterns = BuildPatternList(job);
    if (m_patterns == NoTypesMark) {
        ShowMessage(MsgNoTypes, 1);
        return {};
    }
    m_worker.clearLists();

    RunContext run{*this, job, m_worker, view, {}, {}, {}};
    run.summary.ran = true;
    QString sourceBase = WinPath(job.SourceDir).withSeparator();
    scanSource(run, sourceBase);
    if (stopping())
        run.summary.stoppedIn = RunStage::Scanning;
    run.summary.found = m_worker.lstFoundFiles.count();
    run.summary.unreadableFolders = m_worker.unreadableFolders();
    m_progress.summary = run.summary;

    // Also after a stopped scan: the branch stops before its first entry,
    // and a journal asked for is there, telling that nothing was placed.
    // A listing gathers the found folders and names itself, once its files
    // are on the screen.
    run.summary.listing = job.TextListing;
    if (run.summary.listing) {
        runListingBranch(run);
    } else {
        fillFoundLists(m_worker, run.scanBase);
        runImageBranch(run);
    }
    noteStop(run.summary);

    m_worker.settleFoundListsYielding();
    m_worker.ScanActive = false;
    return run.summary;
}

} // namespace quorvane
