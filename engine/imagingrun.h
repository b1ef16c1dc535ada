#pragma once

#include "joboptions.h"
#include "listingview.h"

#include <functional>

namespace quorvane {

// Reads the job as the window holds it at this moment; called at every point of use.
using JobReader = std::function<JobOptions()>;

// What a run did, for callers that report it (the command-line driver).
struct RunSummary {
    qsizetype found = 0;
    qsizetype imaged = 0;
    qsizetype skipped = 0;
    bool ran = false; // false when the run ended before the scan or was ignored
};

// The start button. view may be null for a run without a viewer (image runs,
// the command-line driver's own listing). A call while a run is active is ignored.
RunSummary RunJob(const JobReader &readOptions, ListingView *view);

bool RunActive();

} // namespace quorvane
