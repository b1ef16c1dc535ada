#include "wildcard.h"

namespace quorvane::platform {

namespace {

bool sameChar(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

// Iterative glob with single backtracking point: linear enough for names.
bool globMatch(QStringView pattern, QStringView name)
{
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || sameChar(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace

bool sameNameIgnoringCase(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (!sameChar(a[i], b[i]))
            return false;
    }
    return true;
}

bool matchesWildcard(QStringView pattern, QStringView name)
{
    if (globMatch(pattern, name))
        return true;
    if (pattern.endsWith(u".*") && globMatch(pattern.chopped(2), name))
        return true;
    if (pattern.endsWith(u'.') && !pattern.endsWith(u".*") && !name.contains(u'.'))
        return globMatch(pattern.chopped(1), name);
    return false;
}

bool hasWildcards(QStringView pattern)
{
    return pattern.contains(u'*') || pattern.contains(u'?');
}

} // namespace quorvane::platform
