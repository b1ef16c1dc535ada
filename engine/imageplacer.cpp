#include "engine/imageplacer.h"

#include "engine/confinement.h"
#include "engine/placefile.h"
#include "engine/runjournal.h"
#include "paths/pathhelpers.h"
#include "platform/fslog.h"
#include "platform/hosterrors.h"
#include "platform/services.h"
#include "platform/stopsignals.h"

namespace quorvane {

using platform::Status;

ImagePlacer::ImagePlacer(RunContext &run, const QString &sourceBase, const QString &targetBase, RunBounds &bounds,
                         Choices choices)
    : m_run(run), m_sourceBase(sourceBase), m_targetBase(targetBase), m_bounds(bounds), m_choices(choices)
{
    m_ontoItself = samePlace(sourceBase, targetBase) || sameFile(sourceBase, targetBase);
    if (!m_choices.dryRun)
        m_fast = platform::fileSystem().openTreeCopy(sourceBase, targetBase);
    // Its handles count only where they stand in the places the bounds were decided on.
    if (m_fast
        && (m_bounds.sourceLocation().isEmpty() || m_fast->sourceLocation() != m_bounds.sourceLocation()
            || m_fast->targetLocation() != m_bounds.targetLocation()))
        m_fast.reset();
}

ImagePlacer::~ImagePlacer() = default;

Placement ImagePlacer::place(const QString &entry)
{
    Step step;
    step.source = m_sourceBase + entry;
    Status result = Status::success();
    if (journalBroken()) {
        // A journal asked for and no longer written: nothing more is placed
        // that it could not tell of.
        record(step,
               refusedBecause(QStringLiteral("Das Protokoll lässt sich nicht weiterschreiben"),
                              m_choices.journal->file()));
        return Placement::Skipped;
    }
    if (JobOptions::isSet(m_run.read().Recursive)) {
        result = placeRecursive(entry, step);
    } else if (m_bounds.inTargetFolder(step.source)) {
        // A flat image into the file's own folder finds it there already.
        if (m_choices.dryRun)
            m_run.summary.planned.append({ImageAction::Copy, step.source, step.source, false});
        return Placement::Placed;
    } else {
        result = placeFlat(entry, step);
    }
    if (result.ok())
        return step.alreadyThere ? Placement::AlreadyThere : Placement::Placed;
    record(step, result);
    return Placement::Skipped;
}

Status ImagePlacer::placeRecursive(const QString &entry, Step &step)
{
    step.target = m_targetBase + entry;
    Status result = folderFor(GetParentPath(step.target));
    // Onto its own source every file would be put onto itself.
    if (result.ok() && m_ontoItself)
        result = refusedBecause(QStringLiteral("Quelle und Ziel sind dasselbe Verzeichnis"), step.target);
    if (!result.ok())
        return result;
    if (m_choices.skipIdentical && holdsSame(step, step.target))
        return keepExisting(entry, step);
    return placeAt(entry, entry, step, true);
}

Status ImagePlacer::folderFor(const QString &folder)
{
    if (!m_choices.dryRun)
        return m_folders.ensure(folder, m_bounds);
    // A plan makes no folder; it only asks whether the run might.
    if (DirExists(folder) || m_bounds.mayMakeFolder(folder))
        return Status::success();
    return refusedBecause(m_bounds.refusal(), folder);
}

Status ImagePlacer::placeFlat(const QString &entry, Step &step)
{
    if (!m_flatNames)
        m_flatNames.emplace(m_targetBase);
    const QString name = GetFileName(entry);
    if (m_choices.skipIdentical) {
        for (const QString &existing : m_flatNames->takenFamily(name)) {
            step.target = m_targetBase + existing;
            if (holdsSame(step, step.target))
                return keepExisting(entry, step);
        }
    }
    for (;;) {
        const QString free = m_flatNames->freeTargetName(name);
        if (free.isEmpty()) {
            // All numbered names taken: the file is left out, nothing is overwritten.
            step.target.clear();
            return refusedBecause(QStringLiteral("Alle Namen bis [999] sind schon vergeben"), m_targetBase + name);
        }
        step.target = m_targetBase + free;
        const Status placed = placeAt(entry, free, step, false);
        // A name taken since it was looked at is never replaced: the next number is.
        if (placed.ok() || placed.error == platform::ErrFileExists)
            m_flatNames->markTaken(free);
        if (placed.error != platform::ErrFileExists)
            return placed;
    }
}

bool ImagePlacer::holdsSame(Step &step, const QString &candidate)
{
    // A file elsewhere, behind a link in the target, does not keep the source's bytes in the image.
    if (!m_bounds.mayCompareWith(candidate))
        return false;
    QString compareWith = candidate;
    if (m_choices.dryRun) {
        // A name the plan gave out holds, once the run is done, its source's bytes.
        const auto planned = m_plannedSources.constFind(candidate.toCaseFolded());
        if (planned != m_plannedSources.constEnd())
            compareWith = *planned;
    }
    // Two names of one file are not two copies: removing one would lose it.
    if (sameFile(step.source, compareWith))
        return false;
    const platform::Result<bool> same = platform::sameBytes(step.source, compareWith, &step.sourceStamp);
    return same.ok() && same.value();
}

Status ImagePlacer::keepExisting(const QString &entry, Step &step)
{
    step.alreadyThere = true;
    const JobOptions now = m_run.read();
    if (JobOptions::isSet(now.NullByte) || !JobOptions::isSet(now.DeleteSources))
        return carryOut(step, [] { return Status::success(); });
    step.action = ImageAction::Move;
    step.decided = true;
    if (!m_bounds.mayTake(step.source))
        return refused(step.source);
    return carryOut(step, [&] {
        const Status removed = removeIdenticalSource(step.source, step.sourceStamp);
        if (removed.ok())
            m_emptied.noteMoved(entry);
        return removed;
    });
}

Status ImagePlacer::carryOut(const Step &step, const std::function<Status()> &placement, const QString &place)
{
    if (m_choices.dryRun) {
        // A copy begins by opening its source: one that cannot be read would be skipped.
        if (step.action == ImageAction::Copy && !step.alreadyThere) {
            const platform::Result<platform::FileStamp> readable = platform::fileStamp(step.source);
            if (!readable.ok())
                return readable.status();
        }
        m_run.summary.planned.append({step.action, step.source, step.target, step.alreadyThere});
        if (!step.alreadyThere)
            m_plannedSources.insert(step.target.toCaseFolded(), step.source);
        if (!place.isEmpty())
            m_bounds.written(place);
        return Status::success();
    }
    // A second signal waits until a file placed here is in the journal.
    const platform::ForcedEndHold hold;
    const Status done = placement();
    if (!done.ok())
        return done;
    if (!place.isEmpty())
        m_bounds.written(place);
    if (m_choices.journal)
        noteInJournal(step);
    return done;
}

bool ImagePlacer::journalBroken() const
{
    return m_choices.journal && m_choices.journal->named() && !m_run.summary.journalFailure.ok();
}

void ImagePlacer::noteInJournal(const Step &step)
{
    RunJournal &journal = *m_choices.journal;
    const bool moved = step.action == ImageAction::Move;
    // A file left as it was changed nothing.
    if (step.alreadyThere && !moved)
        return;
    RunSummary &summary = m_run.summary;
    if (!journal.isOpen()) {
        // A journal kept for moves begins with the run's first move, and is tried once.
        if (!moved || !summary.journalFailure.ok())
            return;
        summary.journalFailure = journal.open();
        summary.journal = journal.file();
        if (!summary.journalFailure.ok()) {
            platform::logFailure(summary.journalFailure, QStringLiteral("das Protokoll der Verschiebungen anlegen"));
            return;
        }
    }
    const Status written = journal.record(step.action, step.alreadyThere, step.source, step.target);
    if (!written.ok() && summary.journalFailure.ok()) {
        summary.journalFailure = written;
        summary.unjournaledSource = step.source;
        summary.unjournaledTarget = step.target;
        // A caller that named the journal reports it; the window's journal has only the log.
        if (!journal.named())
            platform::logFailure(written, QStringLiteral("das Protokoll der Verschiebungen schreiben"));
    }
}

Status ImagePlacer::placeAt(const QString &entry, const QString &targetRelative, Step &step, bool replace)
{
    if (JobOptions::isSet(m_run.read().NullByte)) {
        step.action = ImageAction::Dummy;
        step.decided = true;
        QString place;
        if (!m_bounds.mayWrite(step.target, place))
            return refused(step.target);
        // A target that is the source by another name (a link to it) would be cut to nothing.
        if (sameFile(step.source, step.target))
            return refusedBecause(QStringLiteral("Das Ziel ist die Quell-Datei selbst"), step.target);
        return carryOut(
            step, [&] { return makeEmptyFile(step.target, replace); }, place);
    }
    if (JobOptions::isSet(m_run.read().DeleteSources)) {
        step.action = ImageAction::Move;
        step.decided = true;
        // A link moves as the file it leads to, which must lie in the source as well.
        if (!m_bounds.mayTake(step.source) || !m_bounds.mayRead(step.source))
            return refused(step.source);
        if (!m_bounds.mayMoveTo(step.target))
            return refused(step.target);
        return carryOut(step, [&] {
            const Status moved = moveSourceFile(step.source, step.target);
            if (moved.ok())
                m_emptied.noteMoved(entry);
            return moved;
        });
    }
    step.action = ImageAction::Copy;
    step.decided = true;
    return copy(entry, targetRelative, step, replace);
}

Status ImagePlacer::copy(const QString &entry, const QString &targetRelative, const Step &step, bool replace)
{
    if (m_fast) {
        Status failure;
        switch (m_fast->copyNew(entry, targetRelative, failure)) {
        case platform::TreeCopy::Outcome::Copied:
            m_bounds.writtenBelowTarget(targetRelative);
            return carryOut(step, [] { return Status::success(); });
        case platform::TreeCopy::Outcome::Failed:
            return failure;
        case platform::TreeCopy::Outcome::NotHandled:
            break;
        }
    }
    QString place;
    if (!m_bounds.mayRead(step.source))
        return refused(step.source);
    if (!m_bounds.mayWrite(step.target, place))
        return refused(step.target);
    return carryOut(
        step, [&] { return copySourceFile(step.source, step.target, replace); }, place);
}

Status ImagePlacer::refused(const QString &subject) const
{
    return refusedBecause(m_bounds.refusal(), subject);
}

void ImagePlacer::record(const Step &step, const Status &failure)
{
    SkippedFile skipped;
    skipped.action = step.action;
    if (!step.decided) {
        // Failed before the job's choice was read for this entry: as it stands now.
        const JobOptions now = m_run.read();
        skipped.action = JobOptions::isSet(now.NullByte) ? ImageAction::Dummy
            : JobOptions::isSet(now.DeleteSources)       ? ImageAction::Move
                                                         : ImageAction::Copy;
    }
    skipped.source = step.source;
    skipped.target = step.target;
    skipped.subject = failure.subject.isEmpty() ? step.source : failure.subject;
    skipped.error = failure.error;
    skipped.reason = platform::reasonOf(failure);
    m_run.summary.skippedFiles.append(skipped);
}

} // namespace quorvane
