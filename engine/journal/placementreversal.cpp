#include "engine/journal/placementreversal.h"

#include "platform/hosterrors.h"
#include "platform/namecodec.h"

namespace quorvane {

using platform::EntryKind;
using platform::FileStamp;
using platform::Status;

namespace {

const QString Changed = QStringLiteral("Seit dem Lauf geändert; bleibt");
const QString Occupied = QStringLiteral("An ihrem alten Platz liegt inzwischen eine andere Datei");
const QString Unclear = QStringLiteral("Nicht zu klären, ob der Lauf diese Datei dorthin gebracht hat; bleibt");

bool missing(const Status &why)
{
    return why.error == platform::ErrFileNotFound || why.error == platform::ErrPathNotFound;
}

bool holds(const platform::TargetEntry &entry, const FileStamp &file)
{
    return entry.kind == EntryKind::File && entry.stamp.size == file.size && entry.stamp.modifiedNs == file.modifiedNs;
}

// The file a rename carried: its change time moves with every rename, the rest stays.
bool renamedFrom(const FileStamp &now, const FileStamp &was)
{
    return now.device == was.device && now.inode == was.inode && now.size == was.size
        && now.modifiedNs == was.modifiedNs;
}

} // namespace

UndoFailure PlacementReversal::run()
{
    const JournalIntent &intent = m_placement.intent;
    if (intent.identical)
        return restoreIdentical(m_placement.done ? m_placement.done->placed : intent.existing);
    if (!m_placement.done)
        return intent.action == ImageAction::Move ? settleMove() : settlePlacement();
    if (intent.action == ImageAction::Move)
        return moveBack(m_placement.done->placed);
    return removePlaced(m_placement.done->placed);
}

UndoFailure PlacementReversal::moveBack(const FileStamp &placed)
{
    const platform::Result<FileStamp> there = m_trees.sourceStamp(m_places.from);
    if (!there.ok()) {
        if (!missing(there.status()))
            return atFrom(there.status());
        // Undone before: the file is back at its place.
        return backHolds(placed) ? UndoFailure{} : atFrom(QStringLiteral("Liegt nicht mehr an ihrem Platz im Ziel"));
    }
    if (!there.value().sameState(placed))
        return atFrom(Changed);
    return putBack(placed, false);
}

UndoFailure PlacementReversal::removePlaced(const FileStamp &placed)
{
    const platform::Result<FileStamp> there = m_trees.sourceStamp(m_places.from);
    if (!there.ok())
        return missing(there.status()) ? UndoFailure{} : atFrom(there.status());
    if (!there.value().sameState(placed))
        return atFrom(Changed);
    return remove(placed);
}

UndoFailure PlacementReversal::restoreIdentical(const std::optional<FileStamp> &kept)
{
    const platform::Result<platform::TargetEntry> back = m_trees.lookUp(m_places.back);
    if (!back.ok())
        return atBack(back.status());
    const std::optional<FileStamp> &source = m_placement.intent.sourceFile;
    // The source was never removed.
    if (back.value().kind == EntryKind::File && source && renamedFrom(back.value().stamp, *source))
        return {};
    if (back.value().kind != EntryKind::Missing) {
        // Undone before: the source holds the kept bytes again.
        const platform::Result<bool> same = m_trees.sameBytes(m_places.from, m_places.back, nullptr, nullptr);
        return same.ok() && same.value() ? UndoFailure{} : atBack(Occupied);
    }
    const platform::Result<FileStamp> there = m_trees.sourceStamp(m_places.from);
    if (!there.ok())
        return atFrom(there.status());
    if (!kept || !there.value().sameState(*kept))
        return atFrom(Changed);
    return putBack(*kept, true);
}

UndoFailure PlacementReversal::settleMove()
{
    const std::optional<FileStamp> &source = m_placement.intent.sourceFile;
    const platform::Result<platform::TargetEntry> back = m_trees.lookUp(m_places.back);
    if (!back.ok())
        return atBack(back.status());
    const platform::TargetEntry &atBackPlace = back.value();
    const platform::Result<FileStamp> there = m_trees.sourceStamp(m_places.from);
    if (!there.ok()) {
        if (!missing(there.status()))
            return atFrom(there.status());
        // Nothing in the target: the move did not happen, or was undone before.
        if (source ? holds(atBackPlace, *source) : atBackPlace.kind == EntryKind::File)
            return {};
        return atBack(QStringLiteral("Weder an ihrem alten Platz noch im Ziel"));
    }
    const FileStamp now = there.value();
    if (!source)
        return atFrom(Unclear);
    // The rename happened.
    if (renamedFrom(now, *source))
        return putBack(now, false);
    const bool acrossSystems =
        now.device != source->device && now.size == source->size && now.modifiedNs == source->modifiedNs;
    if (atBackPlace.kind == EntryKind::File && renamedFrom(atBackPlace.stamp, *source)) {
        // The source stayed. A copy of it made across file systems is the
        // run's; any other file in the target never was.
        FileStamp copy;
        if (acrossSystems && copyOfSource(now, *source, copy))
            return remove(copy);
        return {};
    }
    // Copied across file systems, and the source removed after.
    if (atBackPlace.kind == EntryKind::Missing && acrossSystems)
        return putBack(now, false);
    return atFrom(Unclear);
}

UndoFailure PlacementReversal::settlePlacement()
{
    const JournalIntent &intent = m_placement.intent;
    const platform::Result<FileStamp> there = m_trees.sourceStamp(m_places.from);
    if (!there.ok())
        return missing(there.status()) ? UndoFailure{} : atFrom(there.status());
    const FileStamp now = there.value();
    // The file the placement was to replace is still there, as it was.
    if (intent.existing && now.sameState(*intent.existing))
        return {};
    if (intent.existing && now.device == intent.existing->device && now.inode == intent.existing->inode)
        return atFrom(Changed);
    if (intent.action == ImageAction::Dummy)
        return now.size == 0 ? remove(now) : atFrom(Unclear);
    FileStamp copy;
    if (intent.sourceFile && copyOfSource(now, *intent.sourceFile, copy))
        return remove(copy);
    return atFrom(Unclear);
}

UndoFailure PlacementReversal::putBack(const FileStamp &expected, bool asCopy)
{
    const Status folder = m_trees.reachFolder(platform::parentOfEntry(m_places.back), true);
    if (!folder.ok())
        return atBack(QStringLiteral("Der Ordner lässt sich nicht wieder anlegen: %1").arg(platform::reasonOf(folder)));
    const platform::Result<platform::PlacedFile> put = asCopy
        ? m_trees.copy(m_places.from, m_places.back, nullptr, &expected)
        : m_trees.move(m_places.from, m_places.back, &expected);
    if (put.ok())
        return {};
    return put.status().error == platform::ErrFileExists ? atBack(Occupied) : atFrom(put.status());
}

UndoFailure PlacementReversal::remove(const FileStamp &file)
{
    const Status removed = m_trees.removeSource(m_places.from, file);
    return removed.ok() ? UndoFailure{} : atFrom(removed);
}

bool PlacementReversal::copyOfSource(const FileStamp &now, const FileStamp &source, FileStamp &copy)
{
    if (now.size != source.size || now.modifiedNs != source.modifiedNs)
        return false;
    FileStamp back;
    const platform::Result<bool> same = m_trees.sameBytes(m_places.from, m_places.back, &copy, &back);
    return same.ok() && same.value() && copy.sameState(now) && renamedFrom(back, source);
}

bool PlacementReversal::backHolds(const FileStamp &file)
{
    const platform::Result<platform::TargetEntry> back = m_trees.lookUp(m_places.back);
    return back.ok() && holds(back.value(), file);
}

UndoFailure PlacementReversal::atFrom(const QString &reason) const
{
    return {platform::decodeText(m_places.fromHost), reason};
}

UndoFailure PlacementReversal::atFrom(const Status &why) const
{
    return atFrom(platform::reasonOf(why));
}

UndoFailure PlacementReversal::atBack(const QString &reason) const
{
    return {platform::decodeText(m_places.backHost), reason};
}

UndoFailure PlacementReversal::atBack(const Status &why) const
{
    return atBack(platform::reasonOf(why));
}

} // namespace quorvane
