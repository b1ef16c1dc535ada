#include "engine/run/runsteps.h"

#include "engine/run/copylist.h"
#include "engine/placement/imageplacer.h"
#include "engine/placement/preflight.h"
#include "engine/journal/runjournal.h"
#include "paths/pathhelpers.h"
#include "paths/typedpaths.h"
#include "platform/hosterrors.h"
#include "platform/namefold.h"
#include "platform/services.h"

#include <algorithm>

namespace quorvane {

namespace {

// Entries between two yields at most; a slow entry yields at once.
constexpr qsizetype ImageBatchEntries = 64;
constexpr qint64 ImageBatchMilliseconds = 25;

// Every failure of one entry the same: the trees could not be opened.
void skipAll(RunContext &run, const QStringList &entries, const QString &sourceBase, ImageAction action,
             const platform::Status &why)
{
    for (const QString &entry : entries) {
        SkippedFile skipped;
        skipped.action = action;
        skipped.source = sourceBase + entry;
        skipped.subject = why.subject.isEmpty() ? skipped.source : why.subject;
        skipped.error = why.error;
        skipped.reason = platform::reasonOf(why);
        run.summary.skippedFiles.append(skipped);
    }
    run.summary.skipped += entries.size();
}

// The folders the walk entered, relative to its start, parents before
// their children; the target and what lies in it are left out.
QStringList foldersToMirror(const RunContext &run, const QString &targetBase)
{
    const QString inside = targetInsideSource(run.scanBase, targetBase);
    QStringList folders;
    for (const QString &entered : std::as_const(run.enteredDirs)) {
        const QString relative = WinPath(relativeToBase(entered, run.scanBase)).text();
        if (relative.isEmpty())
            continue;
        if (!inside.isEmpty() && WinPath(relative).isChildOf(WinPath(inside), true))
            continue;
        folders.append(relative);
    }
    std::sort(folders.begin(), folders.end(),
              [](const QString &a, const QString &b) { return compareListText(a, b) < 0; });
    return folders;
}

void mirrorStructure(RunContext &run, const QString &sourceBase, const QString &targetBase)
{
    const QStringList folders = foldersToMirror(run, targetBase);
    if (folders.isEmpty()) {
        ShowMessage(MsgNoFiles, 1);
        return;
    }

    auto trees = platform::fileSystem().openImageTrees(sourceBase, targetBase, false);
    if (trees.ok()) {
        run.summary.preflight.refusal = systemFolderRefusal(*trees.value(), targetBase);
        if (!run.summary.preflight.refusal.isEmpty()) {
            ShowMessage(run.summary.preflight.refusal, 1);
            return;
        }
    }
    RunProgress &progress = run.progress();
    progress.stage = RunStage::Mirroring;
    progress.total = folders.size();
    for (const QString &folder : std::as_const(folders)) {
        if (run.stopping())
            break;
        const platform::Status made = trees.ok() ? trees.value()->reachFolder(folder, true) : trees.status();
        if (made.ok()) {
            ++run.summary.dirsMirrored;
        } else {
            ++run.summary.dirsFailed;
            SkippedFile skipped;
            skipped.action = ImageAction::MakeFolder;
            skipped.source = run.scanBase + folder;
            skipped.target = targetBase + folder;
            skipped.subject = made.subject.isEmpty() ? skipped.target : made.subject;
            skipped.error = made.error;
            skipped.reason = platform::reasonOf(made);
            run.summary.skippedFiles.append(skipped);
        }
        ++progress.done;
        progress.summary = countsOf(run.summary);
        run.yield();
    }
}

} // namespace

namespace {

ImageAction actionOf(const JobOptions &job)
{
    if (JobOptions::isSet(job.NullByte))
        return ImageAction::Dummy;
    return JobOptions::isSet(job.DeleteSources) ? ImageAction::Move : ImageAction::Copy;
}

// The journal the job asks for; a file named by the caller must be there
// before the first placement, or nothing is placed.
bool prepareJournal(const JobOptions &job, RunJournal &journal, RunSummary &summary)
{
    if (job.DryRun)
        return true;
    if (!job.JournalFile.isEmpty()) {
        journal.writeTo(job.JournalFile);
        summary.journal = job.JournalFile;
        summary.journalFailure = journal.open();
        return summary.journalFailure.ok();
    }
    if (job.JournalMoves)
        journal.inStateFolder();
    return true;
}

void count(RunSummary &summary, Placement placement)
{
    switch (placement) {
    case Placement::Placed:
        ++summary.imaged;
        break;
    case Placement::AlreadyThere:
        ++summary.alreadyThere;
        break;
    case Placement::Skipped:
        ++summary.skipped;
        break;
    case Placement::Pending:
        break; // counted once it is settled
    }
}

void placeEntries(RunContext &run, ImagePlacer &placer, const QStringList &entries)
{
    RunProgress &progress = run.progress();
    YieldPacer pacer(ImageBatchEntries, ImageBatchMilliseconds);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (run.stopping())
            break;
        count(run.summary, placer.place(entries.at(i)));
        for (const Placement settled : placer.settled(false))
            count(run.summary, settled);
        progress.done = i + 1;
        progress.summary = countsOf(run.summary);
        if (pacer.due())
            run.yield();
        else
            run.report();
    }
    // Also after a stop: a copy under way is finished, and counted.
    for (const Placement settled : placer.settled(true))
        count(run.summary, settled);
    progress.summary = countsOf(run.summary);
    if (pacer.hasPending())
        run.yield();
    else
        run.report();
}

PreflightJob preflightJob(const JobOptions &job, const QString &sourceBase, const QString &targetBase,
                          platform::ImageTrees &trees)
{
    PreflightJob check;
    check.action = actionOf(job);
    check.sourceBase = sourceBase;
    check.targetBase = targetBase;
    check.skipIdentical = job.SkipIdentical;
    if (JobOptions::isSet(job.Recursive)) {
        check.recursiveTarget = [volume = trees.targetVolume()](const QString &entry) {
            return recursiveTargetOf(entry, volume);
        };
    }
    return check;
}

void finishJournal(RunJournal &journal, RunSummary &summary)
{
    const platform::Status closed = journal.finish();
    if (!closed.ok() && summary.journalFailure.ok())
        summary.journalFailure = closed;
}

} // namespace

void runImageBranch(RunContext &run)
{
    const JobOptions &atStart = run.job;
    const QString sourceBase = WinPath(atStart.SourceDir).withSeparator();
    const QString targetBase = WinPath(atStart.TargetDir).withSeparator();

    if (atStart.StructureOnly) {
        mirrorStructure(run, sourceBase, targetBase);
        return;
    }

    FilesToCopy files = fillFilesToCopy(run.lists, run.scanBase, sourceBase, targetBase);
    run.summary.leftOut = files.leftOut;
    if (files.entries.isEmpty()) {
        ShowMessage(MsgNoFiles, 1);
        return;
    }
    QStringList entries = std::move(files.entries);
    // From here on the run acts only through the handles of its two roots.
    auto trees = platform::fileSystem().openImageTrees(sourceBase, targetBase, atStart.DryRun);
    if (!trees.ok()) {
        skipAll(run, entries, sourceBase, actionOf(atStart), trees.status());
        return;
    }
    entries = checkBeforeWriting(run, *trees.value(), preflightJob(atStart, sourceBase, targetBase, *trees.value()),
                                 entries);
    if (!run.summary.preflight.refusal.isEmpty())
        return;
    RunJournal journal;
    journal.describeRun(trees.value()->sourceRootHost(), trees.value()->targetRootHost());
    if (!prepareJournal(atStart, journal, run.summary))
        return;

    // A journal tells each placed file from any other later on: by its stamp
    // as it stands under its name.
    if (journal.wanted())
        trees.value()->keepExactStamps();
    RunProgress &progress = run.progress();
    progress.stage = RunStage::Imaging;
    progress.total = entries.size();
    ImagePlacer placer(run, *trees.value(), sourceBase, targetBase, entries,
                       {atStart.DryRun, atStart.SkipIdentical, journal.wanted() ? &journal : nullptr});
    if (journal.isOpen()) {
        const platform::Result<platform::FileStamp> own = journal.stamp();
        if (own.ok())
            placer.protectJournal(own.value());
    }
    placeEntries(run, placer, entries);
    finishJournal(journal, run.summary);

    if (!placer.emptied().isEmpty()) {
        progress.stage = RunStage::Cleaning;
        placer.emptied().removeEmptied(*trees.value());
    }
}

} // namespace quorvane
