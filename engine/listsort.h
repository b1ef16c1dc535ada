#pragma once

#include <QString>

namespace quorvane {

// Sorts texts in list order (compareListText) in about linear time for
// paths: a multi-key sort on case-folded units that skips the long prefixes
// paths share instead of comparing them again in every comparison.
void sortListTexts(QString *first, QString *last);

// Index of the first code unit in which a and b differ, looking at n units.
qsizetype firstDifference(const char16_t *a, const char16_t *b, qsizetype n);

} // namespace quorvane
