#include "engine/run/runsteps.h"

#include "engine/run/copylist.h"

#include "paths/pathhelpers.h"
#include "platform/services.h"

namespace quorvane {

namespace {

// Entries go to the viewer in batches; the window gets its turn after each.
// The panes pay for every batch on top of every line (a relayout and a
// repaint), so batches are as large as a short enough pause allows: 8,192
// lines are about 20 ms of work here.
constexpr qsizetype BatchEntries = 8192;
constexpr qint64 BatchMilliseconds = 30;

class PaneFeeder {
public:
    using Append = void (ListingView::*)(const QStringList &);

    PaneFeeder(RunContext &run, Append append)
        : m_run(run), m_view(run.view), m_append(append), m_pacer(BatchEntries, BatchMilliseconds)
    {
    }

    void add(const QString &entry) { m_batch.append(entry); }

    // One entry has been dealt with, written or not.
    void entryDone()
    {
        if (m_pacer.due())
            flushAndYield();
    }

    void finish()
    {
        if (m_pacer.hasPending() || !m_batch.isEmpty())
            flushAndYield();
    }

private:
    void flushAndYield()
    {
        if (!m_batch.isEmpty()) {
            if (m_view)
                (m_view->*m_append)(m_batch);
            m_batch.clear();
        }
        m_run.yield();
        // The next batch is timed from here: the pane's work is not the next batch's.
        m_pacer.restart();
    }

    RunContext &m_run;
    ListingView *m_view;
    Append m_append;
    YieldPacer m_pacer;
    QStringList m_batch;
};

} // namespace

void runListingBranch(RunContext &run)
{
    Begin &lists = run.lists;
    // The folders are those of the found files: no files, no folders.
    if (lists.lstFoundFiles.count() == 0) {
        ShowMessage(MsgNothingListed, 1);
        return;
    }
    if (run.view) {
        run.view->showViewer();
        run.view->clearPanes();
    }

    RunProgress &progress = run.progress();
    progress.stage = RunStage::Listing;
    const qsizetype fileCount = lists.lstFoundFiles.count();

    if (run.view && run.view->showsWholeLists()) {
        // The files show before their folders are gathered: with a million
        // of them that is a third of a second sooner.
        run.view->showFilePaneList(lists.lstFoundFiles);
        fillFoundLists(lists, run.scanBase);
        run.view->showDirPaneList(lists.lstFoundDirs);
        progress.total = progress.done = fileCount + lists.lstFoundDirs.count();
        return;
    }
    fillFoundLists(lists, run.scanBase);
    const qsizetype dirCount = lists.lstFoundDirs.count();
    progress.total = fileCount + dirCount;

    PaneFeeder files(run, &ListingView::appendToFilePane);
    for (qsizetype i = 0; i < fileCount && !run.stopping(); ++i) {
        files.add(lists.lstFoundFiles.item(i));
        progress.done = i + 1;
        files.entryDone();
    }
    files.finish();

    PaneFeeder dirs(run, &ListingView::appendToDirPane);
    for (qsizetype i = 0; i < dirCount && !run.stopping(); ++i) {
        dirs.add(lists.lstFoundDirs.item(i));
        progress.done = fileCount + i + 1;
        dirs.entryDone();
    }
    dirs.finish();
}

} // namespace quorvane
