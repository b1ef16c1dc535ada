#pragma once

#include "engine/run/joboptions.h"
#include "engine/run/listingview.h"
#include "engine/placement/preflight.h"
#include "engine/placement/skippedfile.h"

#include "platform/result.h"

#include <vector>


namespace quorvane {

// Where a run stands, for a progress display that reads it while the run yields.
enum class RunStage { Idle, Scanning, Listing, Imaging, Mirroring, Cleaning };

// What a run did, for callers that report it (the command-line driver).
struct RunSummary {
    qsizetype found = 0;             // files the scan found
    qsizetype imaged = 0;            // files placed in the image
    qsizetype skipped = 0;           // files of the image that were not placed
    qsizetype alreadyThere = 0;      // files whose bytes the target held already (SkipIdentical)
    PlannedFiles planned;            // a dry run: every file it would place, in order
    QString journal;                 // drive path of the journal written, if any
    platform::Status journalFailure; // the journal could not be written: why
    SkippedFiles skippedFiles;  // each of them (and each folder not mirrored), with its reason
    RenamedFiles renamed;       // files placed (or planned) under a name the target can hold
    PreflightFindings preflight; // what the run checked before it wrote anything
    qsizetype leftOut = 0;      // found files inside the target, not imaged on purpose
    qsizetype dirsMirrored = 0; // directories that exist in the target after a structure image
    qsizetype dirsFailed = 0;   // directories of a structure image that could not be created
    std::vector<UnreadableFolder> unreadableFolders; // folders the scan could not read, in the order it met them
    bool ran = false;           // false when the run ended before the scan or was ignored
    bool listing = false;       // the run listed its files rather than imaging them
    // A stop signal ended the run early (platform/stopsignals.h): which one,
    // in which stage it was seen, and how many files (or folders of a
    // structure image) the run did not come to; those are neither imaged nor
    // skipped. A scan stopped early found only part of the files.
    int stopSignal = 0;
    RunStage stoppedIn = RunStage::Idle;
    qsizetype notReached = 0;
};

struct RunProgress {
    RunStage stage = RunStage::Idle;
    qsizetype done = 0;  // entries handled in this stage
    qsizetype total = 0; // entries of this stage (the scan: files found so far)
    RunSummary summary;  // while a stage runs: its counts, without the lists
};

// The counts of summary without its lists, for the progress after each
// entry: a copy sharing the lists would make the next entry's addition to
// them copy them whole, once per entry.
inline RunSummary countsOf(const RunSummary &summary)
{
    RunSummary counts;
    counts.found = summary.found;
    counts.imaged = summary.imaged;
    counts.skipped = summary.skipped;
    counts.alreadyThere = summary.alreadyThere;
    counts.leftOut = summary.leftOut;
    counts.dirsMirrored = summary.dirsMirrored;
    counts.dirsFailed = summary.dirsFailed;
    counts.ran = summary.ran;
    counts.listing = summary.listing;
    return counts;
}

// The run's messages, each ending in three blanks.
inline const QString MsgNoTypes = QStringLiteral("Es wurde(n) kein(e) Dateityp(en) angegeben.   ");
inline const QString MsgNothingListed = QStringLiteral("Keine entsprechenden Dateien/Verzeichnisse gefunden.   ");
inline const QString MsgNoFiles = QStringLiteral("Keine Dateien gefunden.   ");

} // namespace quorvane
