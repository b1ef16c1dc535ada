#include "engine/imageplacer.h"

#include "engine/confinement.h"
#include "engine/placefile.h"
#include "paths/pathhelpers.h"
#include "platform/hosterrors.h"
#include "platform/services.h"

namespace quorvane {

using platform::Status;

ImagePlacer::ImagePlacer(RunContext &run, const QString &sourceBase, const QString &targetBase, RunBounds &bounds)
    : m_run(run), m_sourceBase(sourceBase), m_targetBase(targetBase), m_bounds(bounds)
{
    m_ontoItself = samePlace(sourceBase, targetBase) || sameFile(sourceBase, targetBase);
    m_fast = platform::fileSystem().openTreeCopy(sourceBase, targetBase);
    // Its handles count only where they stand in the places the bounds were decided on.
    if (m_fast && (m_bounds.sourceLocation().isEmpty() || m_fast->sourceLocation() != m_bounds.sourceLocation()
                   || m_fast->targetLocation() != m_bounds.targetLocation()))
        m_fast.reset();
}

ImagePlacer::~ImagePlacer() = default;

bool ImagePlacer::place(const QString &entry)
{
    Step step;
    step.source = m_sourceBase + entry;
    Status result = Status::success();
    if (JobOptions::isSet(m_run.read().Recursive)) {
        step.target = m_targetBase + entry;
        result = m_folders.ensure(GetParentPath(step.target), m_bounds);
        // Onto its own source every file would be put onto itself.
        if (result.ok() && m_ontoItself)
            result = refusedBecause(QStringLiteral("Quelle und Ziel sind dasselbe Verzeichnis"), step.target);
        if (result.ok())
            result = placeAt(entry, entry, step, true);
    } else if (m_bounds.inTargetFolder(step.source)) {
        // A flat image into the file's own folder finds it there already.
        return true;
    } else {
        result = placeFlat(entry, step);
    }
    if (result.ok())
        return true;
    record(step, result);
    return false;
}

Status ImagePlacer::placeFlat(const QString &entry, Step &step)
{
    if (!m_flatNames)
        m_flatNames.emplace(m_targetBase);
    const QString name = GetFileName(entry);
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
        const Status made = makeEmptyFile(step.target, replace);
        if (made.ok())
            m_bounds.written(place);
        return made;
    }
    if (JobOptions::isSet(m_run.read().DeleteSources)) {
        step.action = ImageAction::Move;
        step.decided = true;
        // A link moves as the file it leads to, which must lie in the source as well.
        if (!m_bounds.mayTake(step.source) || !m_bounds.mayRead(step.source))
            return refused(step.source);
        if (!m_bounds.mayMoveTo(step.target))
            return refused(step.target);
        const Status moved = moveSourceFile(step.source, step.target);
        if (moved.ok())
            m_emptied.noteMoved(entry);
        return moved;
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
            return Status::success();
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
    const Status copied = copySourceFile(step.source, step.target, replace);
    if (copied.ok())
        m_bounds.written(place);
    return copied;
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
        skipped.action = JobOptions::isSet(now.NullByte)        ? ImageAction::Dummy
                         : JobOptions::isSet(now.DeleteSources) ? ImageAction::Move
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
