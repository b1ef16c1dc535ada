#include "engine/placement/imageplacer.h"

#include "engine/journal/runjournal.h"
#include "paths/pathhelpers.h"
#include "paths/portablename.h"
#include "platform/fslog.h"
#include "platform/hosterrors.h"
#include "platform/services.h"
#include "platform/stopsignals.h"
#include "platform/namefold.h"

namespace quorvane {

using platform::EntryKind;
using platform::FileStamp;
using platform::parentOfEntry;
using platform::PlacedFile;
using platform::Status;

namespace {

// What stands under a name where only a regular file may be replaced.
QString notRegular(EntryKind kind)
{
    switch (kind) {
    case EntryKind::Folder:
        return QStringLiteral("Keine gewöhnliche Datei, sondern ein Verzeichnis");
    case EntryKind::Link:
        return QStringLiteral("Keine gewöhnliche Datei, sondern eine Verknüpfung");
    default:
        break;
    }
    return QStringLiteral("Keine gewöhnliche Datei");
}

bool sameFile(const FileStamp &a, const FileStamp &b)
{
    return a.device == b.device && a.inode == b.inode;
}

} // namespace

Status refusedBecause(const QString &reason, const QString &subject)
{
    return platform::failureFor(platform::ErrPathFileAccess, subject, reason);
}

QString recursiveTargetOf(const QString &entry, const platform::Volume &volume)
{
    if (!volume.restrictsNames())
        return entry;
    return portablePath(entry, volume.asciiNames ? NameRule::Ascii : NameRule::LookAlikes);
}

ImagePlacer::ImagePlacer(RunContext &run, platform::ImageTrees &trees, const QString &sourceBase,
                         const QString &targetBase, const QStringList &entries, Choices choices)
    : m_run(run),
      m_trees(trees),
      m_sourceBase(sourceBase),
      m_targetBase(targetBase),
      m_choices(choices),
      m_protected(trees, entries)
{
    m_ontoItself = m_trees.rootsAreOne();
    m_volume = m_trees.targetVolume();
    m_portableNames = m_volume.restrictsNames();
    m_nameRule = m_volume.asciiNames ? NameRule::Ascii : NameRule::LookAlikes;
}

ImagePlacer::~ImagePlacer() = default;

Placement ImagePlacer::place(const QString &entry)
{
    const JobOptions &job = m_run.job;
    Step step;
    step.sequence = ++m_sequence;
    step.entry = entry;
    step.source = m_sourceBase + entry;
    step.action = JobOptions::isSet(job.NullByte) ? ImageAction::Dummy
        : JobOptions::isSet(job.DeleteSources)    ? ImageAction::Move
                                                  : ImageAction::Copy;
    if (journalBroken()) {
        // A journal asked for and no longer written: nothing more is placed
        // that it could not tell of.
        record(step,
               refused(QStringLiteral("Das Protokoll lässt sich nicht weiterschreiben"), m_choices.journal->file()));
        return Placement::Skipped;
    }
    Status result = Status::success();
    if (JobOptions::isSet(job.Recursive)) {
        result = placeRecursive(step);
    } else if (inTargetFolder(entry)) {
        // A flat image into the file's own folder finds it there already.
        if (m_choices.dryRun)
            m_run.summary.planned.append({ImageAction::Copy, step.source, step.source, false});
        return Placement::Placed;
    } else {
        result = placeFlat(step);
    }
    return outcomeOf(step, result);
}

Placement ImagePlacer::outcomeOf(Step &step, const Status &result)
{
    if (result.ok() && step.ticket != 0) {
        pend(step);
        return Placement::Pending;
    }
    if (result.ok())
        return step.alreadyThere ? Placement::AlreadyThere : Placement::Placed;
    record(step, result);
    return Placement::Skipped;
}

bool ImagePlacer::inTargetFolder(const QString &entry)
{
    const QString folder = parentOfEntry(entry);
    const auto known = m_targetFolderAnswers.constFind(folder);
    if (known != m_targetFolderAnswers.constEnd())
        return *known;
    const bool answer = m_trees.isTargetRoot(folder);
    m_targetFolderAnswers.insert(folder, answer);
    return answer;
}

Status ImagePlacer::placeRecursive(Step &step)
{
    step.targetRelative = recursiveTargetOf(step.entry, m_volume);
    step.renamed = step.targetRelative != step.entry;
    step.target = m_targetBase + step.targetRelative;
    settleIfPending(step.targetRelative);
    // A plan makes no folder; it only asks whether the run could.
    const Status folder = m_trees.reachFolder(parentOfEntry(step.targetRelative), !m_choices.dryRun);
    if (!folder.ok())
        return folder;
    // Onto its own source every file would be put onto itself.
    if (m_ontoItself)
        return refused(QStringLiteral("Quelle und Ziel sind dasselbe Verzeichnis"), step.target);
    if (m_choices.skipIdentical && holdsSame(step, step.targetRelative))
        return keepExisting(step);
    return placeAt(step, true);
}

Status ImagePlacer::placeFlat(Step &step)
{
    // A target that cannot be made is named as such, in the plan as in the run.
    const Status root = m_trees.reachFolder(QString(), !m_choices.dryRun);
    if (!root.ok())
        return root;
    if (!m_flatNames) {
        const platform::Result<QStringList> listed = m_trees.folderNames(QString());
        m_flatNames.emplace(listed.ok() ? listed.value() : QStringList(), [this](const QString &name) {
            if (m_choices.dryRun && m_plannedTargets.contains(platform::foldName(name)))
                return true;
            const platform::Result<platform::TargetEntry> there = m_trees.lookUp(name);
            return !there.ok() || there.value().kind != EntryKind::Missing;
        });
    }
    const QString name = flatNameOf(step.entry);
    step.renamed = name != GetFileName(step.entry);
    if (m_choices.skipIdentical) {
        for (const QString &existing : m_flatNames->takenFamily(name)) {
            step.targetRelative = existing;
            step.target = m_targetBase + existing;
            if (holdsSame(step, existing))
                return keepExisting(step);
        }
    }
    for (;;) {
        const QString free = m_flatNames->freeTargetName(name);
        if (free.isEmpty()) {
            // All numbered names taken: the file is left out, nothing is overwritten.
            step.targetRelative.clear();
            step.target.clear();
            return refused(QStringLiteral("Alle Namen bis [999] sind schon vergeben"), m_targetBase + name);
        }
        step.targetRelative = free;
        step.target = m_targetBase + free;
        const Status placed = placeAt(step, false);
        // A name taken since it was looked at is never replaced: the next number is.
        if (placed.ok() || placed.error == platform::ErrFileExists)
            m_flatNames->markTaken(free);
        if (placed.error != platform::ErrFileExists)
            return placed;
    }
}

QString ImagePlacer::flatNameOf(const QString &entry) const
{
    const QString original = GetFileName(entry);
    return m_portableNames ? portableName(original, m_nameRule) : original;
}

bool ImagePlacer::holdsSame(Step &step, const QString &candidate)
{
    if (m_choices.dryRun) {
        // A name the plan gave out holds, once the run is done, its source's bytes.
        const auto planned = m_plannedTargets.constFind(platform::foldName(candidate));
        if (planned != m_plannedTargets.constEnd()) {
            const platform::Result<bool> same = m_trees.sameSourceBytes(step.entry, *planned);
            return same.ok() && same.value();
        }
    }
    const platform::Result<bool> same = m_trees.sameBytes(step.entry, candidate, &step.sourceStamp, &step.targetStamp);
    return same.ok() && same.value();
}

Status ImagePlacer::keepExisting(Step &step)
{
    step.alreadyThere = true;
    if (step.action != ImageAction::Move)
        return carryOut(step, [] { return platform::Result<PlacedFile>::success({}); });
    return carryOut(step, [&]() -> platform::Result<PlacedFile> {
        const Status removed = m_trees.removeSource(step.entry, step.sourceStamp);
        if (!removed.ok())
            return platform::Result<PlacedFile>::failure(removed);
        m_emptied.noteMoved(step.entry);
        return platform::Result<PlacedFile>::success({step.targetStamp, m_trees.targetHost(step.targetRelative)});
    });
}

Status ImagePlacer::placeAt(Step &step, bool replace)
{
    const platform::Result<platform::TargetEntry> there = m_trees.lookUp(step.targetRelative);
    if (!there.ok())
        return there.status();
    const FileStamp *replacing = nullptr;
    const Status allowed = mayPlace(step, there.value(), replace, replacing);
    if (!allowed.ok())
        return allowed;
    // A plan writes nothing: the folders are asked whether the run could.
    if (m_choices.dryRun) {
        const Status writable = m_trees.mayWrite(step.entry, step.targetRelative, step.action == ImageAction::Move);
        if (!writable.ok())
            return writable;
    }
    if (replacing)
        step.replacing = *replacing;
    switch (step.action) {
    case ImageAction::Dummy:
        return carryOut(step, [&] {
            auto made = m_trees.makeEmpty(step.targetRelative, replacing);
            // The run has always let the window breathe once per dummy.
            m_run.yield();
            return made;
        });
    case ImageAction::Move:
        return carryOut(step, [&] {
            auto moved = m_trees.move(step.entry, step.targetRelative, nullptr);
            if (moved.ok())
                m_emptied.noteMoved(step.entry);
            return moved;
        });
    case ImageAction::Copy:
    case ImageAction::MakeFolder:
        break;
    }
    if (!replacing && mayCopyAhead())
        return startCopy(step);
    return carryOut(step, [&] { return m_trees.copy(step.entry, step.targetRelative, replacing, nullptr); });
}

Status ImagePlacer::mayPlace(const Step &step, const platform::TargetEntry &there, bool replace,
                             const FileStamp *&replacing)
{
    replacing = nullptr;
    const bool planned = m_choices.dryRun && m_plannedTargets.contains(platform::foldName(step.targetRelative));
    // A plan does not open its sources later: a file that cannot be read is skipped now, as the run would.
    std::optional<FileStamp> source;
    if (m_choices.dryRun && step.action != ImageAction::Dummy) {
        const platform::Result<FileStamp> readable = m_trees.sourceStamp(step.entry);
        if (!readable.ok())
            return readable.status();
        source = readable.value();
    }
    const bool taken = there.kind != EntryKind::Missing || planned;
    if (!taken)
        return Status::success();
    // A move never replaces; a flat image takes the next number instead.
    if (step.action == ImageAction::Move || !replace)
        return platform::failureFor(platform::ErrFileExists, step.target);
    if (planned)
        return refused(QStringLiteral("Würde eine in diesem Lauf geschriebene Datei ersetzen"), step.target);
    if (there.kind != EntryKind::File)
        return refused(notRegular(there.kind), step.target);
    if (!source) {
        const platform::Result<FileStamp> read = m_trees.sourceStamp(step.entry);
        if (read.ok())
            source = read.value();
        else if (step.action == ImageAction::Copy)
            return read.status();
    }
    if (source && sameFile(*source, there.stamp))
        return refused(step.action == ImageAction::Dummy ? QStringLiteral("Das Ziel ist die Quell-Datei selbst")
                                                         : QStringLiteral("Quelle und Ziel sind dieselbe Datei"),
                       step.target);
    // Checked here because root would replace a read-only file without a word.
    if (there.readOnly)
        return refused(QStringLiteral("schreibgeschützt"), step.target);
    const QString kept = m_protected.whyKept(there.stamp);
    if (!kept.isEmpty())
        return refused(kept, step.target);
    replacing = &there.stamp;
    return Status::success();
}

Status ImagePlacer::carryOut(Step &step, const Placing &placement)
{
    if (m_choices.dryRun) {
        m_run.summary.planned.append({step.action, step.source, step.target, step.alreadyThere});
        if (!step.alreadyThere)
            m_plannedTargets.insert(platform::foldName(step.targetRelative), step.entry);
        noteRenamed(step);
        return Status::success();
    }
    qint64 intent = 0;
    if (!announce(step, intent))
        return refused(QStringLiteral("Das Protokoll lässt sich nicht weiterschreiben"), m_choices.journal->file());
    // A second signal waits until a file placed here is in the journal.
    const platform::ForcedEndHold hold;
    const platform::Result<PlacedFile> done = placement();
    closeIntent(intent, done);
    if (!done.ok())
        return done.status();
    if (!step.alreadyThere)
        m_protected.written(done.value().stamp);
    noteRenamed(step);
    return Status::success();
}

void ImagePlacer::noteRenamed(const Step &step)
{
    if (step.renamed && !step.alreadyThere)
        m_run.summary.renamed.append({step.source, step.target});
}

bool ImagePlacer::journalBroken() const
{
    return m_choices.journal && m_choices.journal->named() && !m_run.summary.journalFailure.ok();
}

bool ImagePlacer::announce(const Step &step, qint64 &intent)
{
    intent = 0;
    const bool moved = step.action == ImageAction::Move;
    // A file left as it was changes nothing.
    if (!m_choices.journal || (step.alreadyThere && !moved))
        return true;
    RunJournal &journal = *m_choices.journal;
    RunSummary &summary = m_run.summary;
    // The window's journal is kept by habit: without it the run goes on.
    if (!summary.journalFailure.ok())
        return !journal.named();
    if (!journal.isOpen()) {
        // A journal kept for moves begins with the run's first move, and is tried once.
        if (!moved)
            return true;
        summary.journalFailure = journal.open();
        summary.journal = journal.file();
        if (!summary.journalFailure.ok()) {
            platform::logFailure(summary.journalFailure, QStringLiteral("das Protokoll der Verschiebungen anlegen"));
            return true;
        }
        if (const platform::Result<FileStamp> own = journal.stamp(); own.ok())
            m_protected.journal(own.value());
    }
    const Status written = journal.intend(intentOf(step), intent);
    if (!written.ok())
        journalFailed(written);
    return written.ok() || !journal.named();
}

JournalIntent ImagePlacer::intentOf(const Step &step)
{
    JournalIntent intent;
    intent.action = step.action;
    intent.identical = step.alreadyThere;
    intent.source = m_trees.sourceHost(step.entry);
    intent.target = m_trees.targetHost(step.targetRelative);
    if (step.alreadyThere) {
        intent.sourceFile = step.sourceStamp;
        intent.existing = step.targetStamp;
        return intent;
    }
    // What undo needs to recognise the file, should the run end before the placement's next line.
    const platform::Result<FileStamp> source = m_trees.sourceStamp(step.entry);
    if (source.ok())
        intent.sourceFile = source.value();
    intent.existing = step.replacing;
    return intent;
}

void ImagePlacer::closeIntent(qint64 intent, const platform::Result<PlacedFile> &result)
{
    if (intent == 0)
        return;
    RunJournal &journal = *m_choices.journal;
    const Status written = result.ok() ? journal.done(intent, result.value().host, result.value().stamp)
                                       : journal.failed(intent, platform::reasonOf(result.status()));
    if (!written.ok() && m_run.summary.journalFailure.ok())
        journalFailed(written);
}

void ImagePlacer::journalFailed(const Status &why)
{
    m_run.summary.journalFailure = why;
    // A caller that named the journal reports it; the window's journal has only the log.
    if (!m_choices.journal->named())
        platform::logFailure(why, QStringLiteral("das Protokoll der Verschiebungen schreiben"));
}

Status ImagePlacer::refused(const QString &reason, const QString &subject) const
{
    return refusedBecause(reason, subject);
}

void ImagePlacer::record(const Step &step, const Status &failure)
{
    SkippedFile skipped;
    skipped.action = step.action;
    skipped.source = step.source;
    skipped.target = step.target;
    skipped.subject = failure.subject.isEmpty() ? step.source : failure.subject;
    skipped.error = failure.error;
    skipped.reason = platform::reasonOf(failure);
    m_run.summary.skippedFiles.append(skipped);
    m_recorded.emplace_back(step.sequence, m_run.summary.skippedFiles.size() - 1);
}

} // namespace quorvane
