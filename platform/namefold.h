#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

namespace quorvane::platform {

// Letter case as every decision about names ignores it: the file system's
// lookups, the flat image's clash numbers, the tree copy, the wildcard
// match and the list order all ask here, so none can call two names one
// name where another calls them two. Simple case folding, one character at
// a time: "ß" stays one character and a name keeps its length. A letter
// beyond the first 65,536 (Deseret "𐐀" and "𐐨") folds as the pair of units
// it is written in; no letter folds across that border, so the folded text
// has as many units as the text, and units at the same index compare.

// The unit at index i of foldName(text), without folding the rest.
char16_t foldedSurrogateAt(QStringView text, qsizetype i);

inline char16_t foldedUnitAt(QStringView text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    if (!QChar::isSurrogate(c))
        return QChar::toCaseFolded(c);
    return foldedSurrogateAt(text, i);
}

// A whole name folded: the key under which letter-case variants meet.
QString foldName(QStringView text);

// Whether a and b are one name but for letter case.
bool sameName(QStringView a, QStringView b);

// Whether text begins with prefix but for letter case.
bool startsWithName(QStringView text, QStringView prefix);

} // namespace quorvane::platform
