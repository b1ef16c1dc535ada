#pragma once

#include "engine/journal/journalreading.h"
#include "platform/imagetrees.h"

namespace quorvane {

// Takes one placement of a run back. trees are the run's trees turned
// round: their source is the run's target root (where files are taken
// from), their target the run's source root (where files go back).
// from is the placed file relative to the run's target root, back its
// source place relative to the run's source root; fromHost and backHost
// name them in failures.
class PlacementReversal {
public:
    struct Places {
        QString from;
        QString back;
        QByteArray fromHost;
        QByteArray backHost;
    };

    PlacementReversal(platform::ImageTrees &trees, const JournalPlacement &placement, Places places)
        : m_trees(trees), m_placement(placement), m_places(std::move(places))
    {
    }

    // Empty reason: done, or nothing was left to do.
    UndoFailure run();

private:
    UndoFailure moveBack(const platform::FileStamp &placed);
    UndoFailure removePlaced(const platform::FileStamp &placed);
    UndoFailure restoreIdentical(const std::optional<platform::FileStamp> &kept);
    UndoFailure settleMove();
    UndoFailure settlePlacement();

    // Puts the file at from back at its source place while it is expected:
    // by a rename, or for an identical source as a new copy.
    UndoFailure putBack(const platform::FileStamp &expected, bool asCopy);
    UndoFailure remove(const platform::FileStamp &file);
    // Whether from holds a copy of the file at its source place, made
    // across file systems: the same bytes and time; copy receives its stamp.
    bool copyOfSource(const platform::FileStamp &now, const platform::FileStamp &source, platform::FileStamp &copy);
    // The source place holds a file of this size and time.
    bool backHolds(const platform::FileStamp &file);

    UndoFailure atFrom(const QString &reason) const;
    UndoFailure atFrom(const platform::Status &why) const;
    UndoFailure atBack(const QString &reason) const;
    UndoFailure atBack(const platform::Status &why) const;

    platform::ImageTrees &m_trees;
    const JournalPlacement &m_placement;
    Places m_places;
};

} // namespace quorvane
