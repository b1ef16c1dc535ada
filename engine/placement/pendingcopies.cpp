#include "engine/placement/imageplacer.h"

#include "engine/journal/runjournal.h"
#include "platform/namefold.h"

#include <algorithm>

namespace quorvane {

using platform::PlacedFile;
using platform::Result;
using platform::Status;

bool ImagePlacer::mayCopyAhead() const
{
    // A journal writes its line before each placement and the next after
    // it, in order: whatever it would record is placed at once. A journal
    // kept for moves only records nothing of a copy run.
    const RunJournal *journal = m_choices.journal;
    return !m_choices.dryRun && (!journal || (!journal->named() && !journal->isOpen()));
}

Status ImagePlacer::startCopy(Step &step)
{
    step.ticket = ++m_lastTicket;
    const Status started = m_trees.startCopy(step.ticket, step.entry, step.targetRelative);
    if (!started.ok())
        step.ticket = 0;
    return started;
}

void ImagePlacer::pend(Step &step)
{
    step.pendingKey = platform::foldName(step.targetRelative);
    m_pendingTargets.insert(step.pendingKey);
    const quint64 ticket = step.ticket;
    m_pending.insert(ticket, std::move(step));
}

void ImagePlacer::settleIfPending(const QString &targetRelative)
{
    // A second source name for the same target (letters of another case)
    // must meet the first one's file as written by this run.
    if (!m_pendingTargets.isEmpty() && m_pendingTargets.contains(platform::foldName(targetRelative)))
        takeBack(true);
}

void ImagePlacer::takeBack(bool wait)
{
    if (m_pending.isEmpty())
        return;
    for (const platform::ImageTrees::FinishedCopy &finished : m_trees.finishedCopies(wait)) {
        Step step = m_pending.take(finished.ticket);
        m_pendingTargets.remove(step.pendingKey);
        step.ticket = 0;
        if (const std::optional<Placement> outcome = finish(step, finished.result))
            m_settled.push_back(*outcome);
    }
}

std::optional<Placement> ImagePlacer::finish(Step &step, const Result<PlacedFile> &result)
{
    if (result.ok()) {
        m_protected.written(result.value().stamp);
        noteRenamed(step);
        return Placement::Placed;
    }
    if (m_flatNames && !JobOptions::isSet(m_run.job.Recursive)) {
        if (result.error == platform::ErrFileExists) {
            // Taken meanwhile by another program: the next number, as at once.
            const Placement again = outcomeOf(step, placeFlat(step));
            return again == Placement::Pending ? std::nullopt : std::optional<Placement>(again);
        }
        m_flatNames->release(step.targetRelative, flatNameOf(step.entry));
    }
    record(step, result.status());
    return Placement::Skipped;
}

std::vector<Placement> ImagePlacer::settled(bool wait)
{
    takeBack(wait);
    // A copy that had to start again under another name is waited for too.
    while (wait && !m_pending.isEmpty())
        takeBack(true);
    if (wait)
        putRecordsInOrder();
    std::vector<Placement> outcomes;
    outcomes.swap(m_settled);
    return outcomes;
}

void ImagePlacer::putRecordsInOrder()
{
    QList<SkippedFile> &files = m_run.summary.skippedFiles;
    std::vector<std::pair<quint64, SkippedFile>> records;
    records.reserve(m_recorded.size());
    for (const auto &[sequence, at] : m_recorded)
        records.emplace_back(sequence, files.at(at));
    std::stable_sort(records.begin(), records.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    // The places stay the placer's, in the order they were taken.
    for (std::size_t i = 0; i < records.size(); ++i)
        files[m_recorded[i].second] = records[i].second;
    m_recorded.clear();
}

} // namespace quorvane
