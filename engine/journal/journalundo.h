#pragma once

#include <QList>
#include <QString>

namespace quorvane {

// A placement that could not be undone: the path concerned (the host's
// name, foreign bytes carried as escapes) and why, in German.
struct UndoFailure {
    QString path;
    QString reason;
};

struct UndoSummary {
    qsizetype undone = 0;
    QList<UndoFailure> failures;
    // Journal lines a stop signal left untouched; undoing the same journal
    // again finishes the work.
    qsizetype notReached = 0;
};

// Undoes the placements a journal names, the last first, trusting none of
// its lines: it acts only below the two roots its header names, through
// folder handles held from them, and refuses every line whose paths lie
// elsewhere. A file goes back or away only while it is the very file the
// journal's done line describes (device, inode, size, both times); a moved
// file goes back to its source place, its folders made again below the
// source root, never over a file that is there now; a source removed as
// identical comes back as a new copy of the target's bytes. A placement the
// run announced and never closed is looked at in both places: what the run
// began is finished or taken back, what cannot be told apart is named.
// A file without a header is refused as a whole.
// A stop signal ends it between two lines.
UndoSummary undoJournal(const QString &journalDrivePath);

} // namespace quorvane
