#pragma once

#include "platform/result.h"

#include <QString>

namespace quorvane::platform {

// SIGINT, SIGTERM and SIGHUP ask a run to stop rather than end the process
// wherever it stands: ended between a move's rename and its journal line, a
// file would be in the target and its source gone, with no journal line to
// bring it back.
//
// The first of them only sets a mark that the run looks at between its
// files and between the steps of a large copy; the run then ends the way it
// always ends (journal closed and synced, summary printed). A second one
// ends the process at once with 128 + its number, after one line on
// standard error naming program; the stdio buffers are not written then.
// Every file being written is still unnamed or under a hidden ".part" name,
// so no partly written file appears under a final name. Only a placement
// under a ForcedEndHold is finished first, so that a move is never without
// its journal line; a third signal ends the process even then.
//
// Call once, from the main thread, before a run; program must outlive the
// process (a literal).
void installStopSignals(const char *program);

// True once a stop signal has arrived. Async-signal-safe, any thread.
bool stopRequested();
// The first stop signal's number, 0 while none arrived.
int stopSignal();
// "SIGINT", "SIGTERM", "SIGHUP"; "SIG?" for any other number.
const char *signalName(int signal);

// The failure of a step given up because a stop was asked for: nothing of it
// is left under its final name.
Status stoppedFailure(const QString &path);

// While one exists, a second stop signal waits for its end before the
// process ends: a placement and its journal line are one step. Nestable.
class ForcedEndHold {
public:
    ForcedEndHold();
    ~ForcedEndHold();
    ForcedEndHold(const ForcedEndHold &) = delete;
    ForcedEndHold &operator=(const ForcedEndHold &) = delete;
};

} // namespace quorvane::platform
