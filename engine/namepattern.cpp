#include "engine/namepattern.h"

#include <QStringList>

namespace quorvane {

namespace {

QString foldText(const QString &text)
{
    QString out(text.size(), Qt::Uninitialized);
    QChar *o = out.data();
    for (qsizetype i = 0; i < text.size(); ++i)
        o[i] = QChar(foldNameUnit(text.at(i).unicode()));
    return out;
}

// Classic "*"/"?" matcher with one back-tracking point per star; linear in
// practice, never exponential.
bool wildcardMatch(const char16_t *p, qsizetype np, const char16_t *s, qsizetype ns)
{
    qsizetype pi = 0, si = 0, starP = -1, starS = 0;
    while (si < ns) {
        if (pi < np && (p[pi] == u'?' || p[pi] == foldNameUnit(s[si]))) {
            ++pi;
            ++si;
        } else if (pi < np && p[pi] == u'*') {
            starP = pi++;
            starS = si;
        } else if (starP >= 0) {
            pi = starP + 1;
            si = ++starS;
        } else {
            return false;
        }
    }
    while (pi < np && p[pi] == u'*')
        ++pi;
    return pi == np;
}

} // namespace

NamePatternSet::NamePatternSet(const QString &patterns)
{
    if (patterns.isEmpty())
        return; // m_all stays true
    m_all = false;
    for (const QString &element : patterns.split(QLatin1Char(';'))) {
        if (element == QLatin1String("*.*") || element == QLatin1String("*")) {
            m_all = true;
            m_patterns.clear();
            return;
        }
        const QString folded = foldText(element);
        const QString tail = folded.mid(1);
        if (folded.startsWith(QLatin1Char('*')) && !tail.contains(QLatin1Char('*'))
            && !tail.contains(QLatin1Char('?')))
            m_patterns.push_back({Pattern::Suffix, tail});
        else if (!folded.contains(QLatin1Char('*')) && !folded.contains(QLatin1Char('?')))
            m_patterns.push_back({Pattern::Exact, folded});
        else
            m_patterns.push_back({Pattern::Wildcard, folded});
    }
}

bool NamePatternSet::matches(const QString &name) const
{
    if (m_all)
        return true;
    const auto *s = reinterpret_cast<const char16_t *>(name.constData());
    const qsizetype ns = name.size();
    for (const Pattern &pattern : m_patterns) {
        const auto *p = reinterpret_cast<const char16_t *>(pattern.folded.constData());
        const qsizetype np = pattern.folded.size();
        switch (pattern.kind) {
        case Pattern::Suffix: {
            if (np > ns)
                break;
            const char16_t *t = s + (ns - np);
            qsizetype i = 0;
            while (i < np && foldNameUnit(t[i]) == p[i])
                ++i;
            if (i == np)
                return true;
            break;
        }
        case Pattern::Exact: {
            if (np != ns)
                break;
            qsizetype i = 0;
            while (i < np && foldNameUnit(s[i]) == p[i])
                ++i;
            if (i == np)
                return true;
            break;
        }
        case Pattern::Wildcard:
            if (wildcardMatch(p, np, s, ns))
                return true;
            break;
        }
    }
    return false;
}

} // namespace quorvane
