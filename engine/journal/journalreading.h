#pragma once

#include "engine/journal/journallines.h"
#include "engine/journal/journalundo.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace quorvane {

// One placement a journal announced, and what became of it.
struct JournalPlacement {
    JournalIntent intent;
    std::optional<JournalDone> done;
    bool failed = false; // the run says it changed nothing
};

// A journal as undo reads it: its header, the placements in the order of
// the run, and every line it cannot take, named by its number. Without a
// header (an older or a foreign file) nothing else is read.
struct JournalReading {
    std::optional<JournalHeader> header;
    QList<JournalPlacement> placements;
    QList<UndoFailure> unreadable;
};

JournalReading readJournal(const QByteArray &content);

} // namespace quorvane
