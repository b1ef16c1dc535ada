#pragma once

#include "platform/largememory.h"

#include <QtGlobal>

#include <vector>

namespace quorvane {

// One text of a list: UTF-16 units kept by the list.
struct TextSpan {
    const char16_t *data;
    qsizetype size;
};

// Span arrays grow large: 16 bytes for every entry of a list.
using SpanVector = std::vector<TextSpan, platform::LargeAllocator<TextSpan>>;

// Sorts spans in list order (compareListUnits) in about linear time
// for paths: a multi-key sort on case-folded units that skips the long
// prefixes paths share instead of comparing them again in every comparison.
void sortListSpans(TextSpan *first, TextSpan *last);
// The same, each text carrying a number along (tags[i] belongs to first[i]).
void sortListSpans(TextSpan *first, TextSpan *last, qsizetype *tags);

// Merges runs, each sorted in list order, into out in list order (earlier runs
// first among equal texts). Runs that mostly follow one another, as the
// chunks of a walk do, cost little more than copying them.
void mergeListRuns(std::vector<SpanVector> &runs, SpanVector &out);

// List order of two texts given as units: case ignored, exact text breaking ties.
int compareListUnits(const char16_t *a, qsizetype na, const char16_t *b, qsizetype nb);

} // namespace quorvane
