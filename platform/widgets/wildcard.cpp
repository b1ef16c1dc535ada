#include "wildcard.h"

namespace quorvane::platform {

namespace {

bool sameLetter(QChar a, QChar b)
{
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

} // namespace

bool wildcardMatch(const QString &pattern, const QString &name)
{
    if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*"))
        return true;
    // Iterative glob with one backtrack point: linear for ordinary patterns.
    qsizetype p = 0, n = 0, star = -1, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern.at(p) == QLatin1Char('*')) {
            star = p++;
            resume = n;
        } else if (p < pattern.size()
                   && (pattern.at(p) == QLatin1Char('?') || sameLetter(pattern.at(p), name.at(n)))) {
            ++p;
            ++n;
        } else if (star >= 0) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern.at(p) == QLatin1Char('*'))
        ++p;
    return p == pattern.size();
}

QStringList splitPatterns(const QString &patterns)
{
    QStringList list = patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (list.isEmpty())
        list.append(QStringLiteral("*.*"));
    return list;
}

bool matchesAny(const QStringList &patterns, const QString &name)
{
    for (const QString &p : patterns) {
        if (wildcardMatch(p, name))
            return true;
    }
    return false;
}

} // namespace quorvane::platform
