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

// Undoes the placements a journal names, the last first. A moved file goes
// back to its source place, its folders made again, never over a file that
// is there now; a source removed as identical comes back as a new copy of
// the target's bytes, if those are unchanged; a copy or a dummy is removed
// only while its size and modification time are still those of the journal.
// A stop signal ends it between two lines.
UndoSummary undoJournal(const QString &journalDrivePath);

} // namespace quorvane
