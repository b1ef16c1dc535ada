#pragma once

#include "engine/run/run.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

namespace quorvane {

// What the steps of one run share.
struct RunContext {
    Run &owner;
    const JobOptions &job; // as it was at the start
    Begin &lists;
    ListingView *view = nullptr;
    RunSummary summary;
    QString scanBase;        // the directory the scan started in, ending in "\"
    QStringList enteredDirs; // every directory the walk entered, in order of entry

    RunProgress &progress() { return owner.progressRecord(); }
    bool stopping() const { return owner.stopping(); }
    // Shows the progress and hands the window its turn.
    void yield() { owner.yield(); }
    void report() { owner.reportProgress(); }
};

// Decides when a loop yields: at once when an entry was slow, otherwise after a
// batch of entries or a stretch of time, whichever comes first. The window
// then answers well within a tenth of a second while a fast loop does not pay
// for one event round per entry.
class YieldPacer {
public:
    YieldPacer(qsizetype maxEntries, qint64 maxMilliseconds)
        : m_maxEntries(maxEntries), m_maxMilliseconds(maxMilliseconds)
    {
        m_clock.start();
    }

    // Counts one entry; true when it is time to yield.
    bool due()
    {
        ++m_pending;
        if (m_pending >= m_maxEntries || m_clock.elapsed() >= m_maxMilliseconds) {
            m_pending = 0;
            m_clock.restart();
            return true;
        }
        return false;
    }
    bool hasPending() const { return m_pending > 0; }
    // Starts the next batch now.
    void restart()
    {
        m_pending = 0;
        m_clock.restart();
    }

private:
    qsizetype m_maxEntries;
    qint64 m_maxMilliseconds;
    qsizetype m_pending = 0;
    QElapsedTimer m_clock;
};

// Steps of the run, each in its own file.
void scanSource(RunContext &run, QString &sourceBase);
void runListingBranch(RunContext &run);
void runImageBranch(RunContext &run);

} // namespace quorvane
