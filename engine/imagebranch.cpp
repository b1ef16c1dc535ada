#include "engine/runsteps.h"

#include "engine/confinement.h"
#include "engine/copylist.h"
#include "engine/freename.h"
#include "engine/pathcreation.h"
#include "engine/placefile.h"
#include "engine/sourcecleanup.h"
#include "engine/worker.h"
#include "paths/pathhelpers.h"
#include "platform/services.h"

#include <QSet>

#include <optional>

namespace quorvane {

namespace {

// Directories of the recursive image known to exist, so that a folder holding
// many files is looked up once and not listed again for each of them.
class KnownFolders {
public:
    bool ensure(const QString &folder, RunBounds &bounds)
    {
        const QString key = folder.toCaseFolded();
        if (m_known.contains(key))
            return true;
        if (!DirExists(folder)) {
            // A folder on the way that leads out of the target is not built upon.
            if (!bounds.mayMakeFolder(folder))
                return false;
            QString path = folder;
            const bool created = CreatePath(path);
            // Creating a path shows the default cursor; the run is not done yet.
            platform::toolkit().setBusyCursor();
            if (!created)
                return false;
        }
        m_known.insert(key);
        return true;
    }

private:
    QSet<QString> m_known;
};

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
        if (known.ensure(targetBase + folder, bounds))
            ++run.summary.dirsMirrored;
        else
            ++run.summary.dirsFailed;
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
    const bool ontoItself = samePlace(sourceBase, targetBase) || sameFile(sourceBase, targetBase);
    std::optional<FlatTargetNames> flatNames;
    KnownFolders knownFolders;
    EmptiedSourceDirs emptied;

    for (qsizetype i = 0; i < n; ++i) {
        const QString entry = lists.lstFilesToCopy.item(i);
        QString targetName = entry;
        bool placed = false;
        bool flat = false;
        bool skip = false;
        bool inPlace = false;

        const QString source = sourceBase + entry;
        if (JobOptions::isSet(run.read().Recursive)) {
            // A folder that cannot be made makes the file fail in its own step.
            knownFolders.ensure(GetParentPath(targetBase + targetName), bounds);
            // Onto its own source every file would be put onto itself.
            skip = ontoItself;
        } else if (bounds.inTargetFolder(source)) {
            // A flat image into the file's own folder finds it there already.
            inPlace = true;
        } else {
            flat = true;
            if (!flatNames)
                flatNames.emplace(targetBase);
            targetName = flatNames->freeTargetName(GetFileName(entry));
            // All numbered names taken: the file is left out, nothing is overwritten.
            skip = targetName.isEmpty();
        }

        const QString target = targetBase + targetName;
        QString place;
        if (inPlace) {
            placed = true;
        } else if (!skip) {
            if (JobOptions::isSet(run.read().NullByte)) {
                // A target that is the source by another name (a link to it)
                // would be cut to nothing.
                if (bounds.mayWrite(target, place) && !sameFile(source, target))
                    placed = makeEmptyFile(target);
            } else if (JobOptions::isSet(run.read().DeleteSources)) {
                placed = bounds.mayTake(source) && bounds.mayMoveTo(target) && moveSourceFile(source, target);
                if (placed)
                    emptied.noteMoved(entry);
            } else {
                placed = bounds.mayRead(source) && bounds.mayWrite(target, place) && copySourceFile(source, target);
            }
            if (placed && !place.isEmpty())
                bounds.written(place);
        }

        if (placed) {
            ++run.summary.imaged;
            if (flat)
                flatNames->markTaken(targetName);
        } else {
            ++run.summary.skipped;
        }
        progress.done = i + 1;
        progress.summary = run.summary;
        toolkit.yield();
    }

    if (!emptied.isEmpty()) {
        progress.stage = RunStage::Cleaning;
        emptied.removeEmptied(sourceBase, bounds);
    }
}

} // namespace quorvane
