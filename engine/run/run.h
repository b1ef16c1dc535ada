#pragma once

#include "engine/run/imagingrun.h"
#include "engine/run/joboptions.h"
#include "engine/run/listingview.h"
#include "engine/scan/worker.h"

#include <functional>

namespace quorvane {

// One owner's runs: the window has one, the command line has one. It holds
// everything a run needs and what the last run left for the viewer (its
// lists), and tells its owner how the run goes.
class Run {
public:
    Run();
    Run(const Run &) = delete;
    Run &operator=(const Run &) = delete;

    // The start button. The job is taken as it is now: controls changed
    // while the run works apply to the next one. view may be null for a run
    // without a viewer (image runs, the command line's own listing). A call
    // while this run is active is ignored.
    RunSummary RunJob(const JobOptions &job, ListingView *view);
    bool active() const { return m_active; }

    // Ends the run under way as a stop signal does: the walk at its next
    // yield, an image between two files; what was not reached is counted.
    void requestStop();
    // Asked to stop, here or by a stop signal.
    bool stopping() const;

    // Called with the progress at every yield of a run, and with the summary
    // once a run that started is over.
    std::function<void(const RunProgress &)> onProgress;
    std::function<void(const RunSummary &)> onFinished;
    const RunProgress &progress() const { return m_progress; }

    // The pattern list of the last run; the no-types mark for a job without types.
    const QString &FilePatterns() const { return m_patterns; }
    // The last run's lists are read by nobody once its viewer is closed:
    // they go, and the memory they held goes back to the system. Not while
    // a run is under way.
    void releaseLists();
    // The hidden worker with the last run's lists.
    Begin &lists() { return m_worker; }
    const std::vector<UnreadableFolder> &unreadableFolders() const { return m_worker.unreadableFolders(); }

    // For the run's steps: the record they keep up to date, and the yield
    // that shows it.
    RunProgress &progressRecord() { return m_progress; }
    // Tells the owner where the run stands; shown at its next yield, which
    // may come from inside a long copy.
    void reportProgress();
    void yield();

private:
    RunSummary runSteps(const JobOptions &job, ListingView *view);
    void noteStop(RunSummary &summary) const;

    Begin m_worker;
    RunProgress m_progress;
    QString m_patterns = FirstPatterns;
    bool m_active = false;
    bool m_stopRequested = false;
};

} // namespace quorvane
