#pragma once

#include "engine/run/imagingrun.h"
#include "engine/journal/journalundo.h"
#include "engine/placement/skippedfile.h"

#include <QByteArray>
#include <QString>

namespace quorvane::cli {

// A drive path as this computer names it, for a message line: the host's
// bytes (carried as escapes where they are not UTF-8), line breaks as "?".
QString hostForm(const QString &drivePath);

// The line for a file the run did not place: "übersprungen: PATH: Grund",
// with the target or the folder on the way named where the failure lies
// there; for a folder of a structure image "nicht angelegt: PATH: Grund".
QString skippedLine(const SkippedFile &skipped);

// A file the target's disk could not take under its name:
// "umbenannt: SOURCE -> TARGET".
QString renamedLine(const RenamedFile &renamed);
// What the run needs of the target's room, and what is left there.
QString roomLine(const PreflightFindings &findings);

// One line of a plan: "SOURCE -> TARGET", or for a file whose bytes the
// target holds already "schon vorhanden: SOURCE = TARGET".
QString plannedLine(const PlannedFile &planned);

// "gefunden 3, abgebildet 2, übersprungen 1" and what the options add.
QString totalsLine(const RunSummary &summary, const JobOptions &options);

// ", nicht erreicht N" after the counts of a run or an undo a stop signal
// ended early (signal not 0); nothing otherwise.
QString notReachedNote(int signal, qsizetype notReached);

// "abgebrochen durch Signal SIGTERM während des Abbildens": the last line of
// a run a stop signal ended early; stage Idle names no stage.
QString stopLine(int signal, RunStage stage);

// "nicht rückgängig: PATH: Grund".
QString undoFailureLine(const UndoFailure &failure);

// The run's summary as one JSON object and a line break: counts, each
// skipped file and each unreadable folder with path and reason, a dry
// run's plan. Paths are the host's, written as journal lines write them.
QByteArray summaryJson(const RunSummary &summary, const JobOptions &options);

} // namespace quorvane::cli
