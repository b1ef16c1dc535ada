#pragma once

#include "engine/scan/listsort.h"

#include <cstddef>

namespace quorvane {

// A stretch of a list's texts that share everything up to and including
// their last "\": the files of one folder, as a walk adds them.
struct FolderRun {
    qsizetype first;  // its first text; the run ends where the next one begins
    qsizetype prefix; // units up to and including the last "\" (0: none)
};

// Units of a text up to and including its last "\" (0 when it has none).
qsizetype folderPrefixSize(const char16_t *text, qsizetype size);

// Sorts [first, last) in list order, exactly as sortListSpans does, given
// the runs of its texts (runs[0].first is 0, the rest ascending). Sorting
// whole paths makes every comparison walk the long folder part they share;
// here each folder's names are sorted among themselves, the folders by
// their paths, and the two woven together: the texts below a folder come
// right after it in list order, and a name of a folder goes before a
// subfolder's texts exactly when it goes before the subfolder's name with
// its "\" (a name holds no "\"). Where two folders are one but for letter
// case, texts below them interleave; those lists go to sortListSpans.
void sortListSpansByFolder(TextSpan *first, TextSpan *last, const FolderRun *runs, std::size_t runCount);

} // namespace quorvane
