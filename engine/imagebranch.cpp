#include "engine/runsteps.h"

#include "engine/confinement.h"
#include "engine/copylist.h"
#include "engine/imageplacer.h"
#include "engine/knownfolders.h"
#include "engine/worker.h"
#include "paths/pathhelpers.h"
#include "platform/hosterrors.h"
#include "platform/services.h"

#include <algorithm>

namespace quorvane {

namespace {

// Entries between two yields at most; a slow entry yields at once.
constexpr qsizetype ImageBatchEntries = 64;
constexpr qint64 ImageBatchMilliseconds = 25;

void mirrorStructure(RunContext &run, const QString &targetBase, RunBounds &bounds)
{
    const QString inside = targetInsideSource(run.scanBase, targetBase);
    QStringList folders;
    for (const QString &entered : std::as_const(run.enteredDirs)) {
        QString relative = relativeToBase(entered, run.scanBase);
        if (relative.endsWith(QLatin1Char('\\')))
            relative.chop(1);
        if (relative.isEmpty())
            continue;
        if (!inside.isEmpty() && (relative + QLatin1Char('\\')).startsWith(inside, Qt::CaseInsensitive))
            continue;
        folders.append(relative);
    }
    if (folders.isEmpty()) {
        ShowMessage(MsgNoFiles, 1);
        return;
    }
    // Parents before their children.
    std::sort(folders.begin(), folders.end(),
              [](const QString &a, const QString &b) { return compareListText(a, b) < 0; });

    RunProgress &progress = progressRecord();
    progress.stage = RunStage::Mirroring;
    progress.total = folders.size();
    KnownFolders known;
    for (const QString &folder : std::as_const(folders)) {
        const platform::Status made = known.ensure(targetBase + folder, bounds);
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
        progress.summary = run.summary;
        platform::toolkit().yield();
    }
}

} // namespace

void runImageBranch(RunContext &run)
{
    // The source and the target are read once, as the branch starts.
    const JobOptions atStart = run.read();
    QString sourceBase = atStart.SourceDir;
    QString targetBase = atStart.TargetDir;
    AddBackslash(sourceBase);
    AddBackslash(targetBase);
    RunBounds bounds(sourceBase, targetBase);

    if (atStart.StructureOnly) {
        mirrorStructure(run, targetBase, bounds);
        return;
    }

    Begin &lists = worker();
    run.summary.leftOut = fillFilesToCopy(run.scanBase, sourceBase, targetBase);
    if (lists.lstFilesToCopy.count() == 0) {
        ShowMessage(MsgNoFiles, 1);
        return;
    }

    platform::Toolkit &toolkit = platform::toolkit();
    RunProgress &progress = progressRecord();
    progress.stage = RunStage::Imaging;
    const qsizetype n = lists.lstFilesToCopy.count();
    QStringList entries;
    entries.reserve(n);
    for (qsizetype i = 0; i < n; ++i)
        entries.append(lists.lstFilesToCopy.item(i));
    bounds.addSources(run.scanBase, entries);
    progress.total = n;
    ImagePlacer placer(run, sourceBase, targetBase, bounds);
    YieldPacer pacer(ImageBatchEntries, ImageBatchMilliseconds);

    for (qsizetype i = 0; i < n; ++i) {
        if (placer.place(entries.at(i)))
            ++run.summary.imaged;
        else
            ++run.summary.skipped;
        progress.done = i + 1;
        progress.summary = run.summary;
        if (pacer.due())
            toolkit.yield();
    }
    if (pacer.hasPending())
        toolkit.yield();

    if (!placer.emptied().isEmpty()) {
        progress.stage = RunStage::Cleaning;
        placer.emptied().removeEmptied(sourceBase, bounds);
    }
}

} // namespace quorvane
