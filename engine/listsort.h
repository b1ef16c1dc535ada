#pragma once

#include <QtGlobal>

namespace quorvane {

// One text of a list: UTF-16 units kept by the list.
struct TextSpan {
    const char16_t *data;
    qsizetype size;
};

// Sorts spans in list order (compareListUnits) in about linear time
// for paths: a multi-key sort on case-folded units that skips the long
// prefixes paths share instead of comparing them again in every comparison.
void sortListSpans(TextSpan *first, TextSpan *last);

// List order of two texts given as units: case ignored, exact text breaking ties.
int compareListUnits(const char16_t *a, qsizetype na, const char16_t *b, qsizetype nb);

} // namespace quorvane
