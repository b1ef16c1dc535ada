#pragma once

#include <functional>

class QPlainTextEdit;

namespace quorvane {

class StringList;

// Entries per batch of a rebuild; the window yields after each batch, and
// sooner when a batch takes longer than FillYieldMilliseconds. The pane pays
// for every batch on top of every line, so batches are large (about 20 ms).
constexpr int FillBatchEntries = 8192;
constexpr int FillYieldMilliseconds = 30;

// Empties the pane and appends every entry of the list by the pane rule, in
// list order, yielding to the user interface between batches so that typing,
// resizing and the menus stay live. The count is taken once at the start.
// Returns false when the pane went away or stillWanted() turned false during
// a yield; the rest of the list is then left out.
bool refillPane(QPlainTextEdit &pane, const StringList &list, const std::function<bool()> &stillWanted);

} // namespace quorvane
