#include "engine/stringlist.h"

#include "engine/listsort.h"
#include "engine/namepattern.h"

#include <algorithm>

namespace quorvane {


int compareListText(const QString &a, const QString &b)
{
    const char16_t *pa = reinterpret_cast<const char16_t *>(a.constData());
    const char16_t *pb = reinterpret_cast<const char16_t *>(b.constData());
    const qsizetype na = a.size();
    const qsizetype nb = b.size();
    const qsizetype n = std::min(na, nb);
    int tie = 0; // the first exact difference, used when the folded texts are equal
    for (qsizetype i = firstDifference(pa, pb, n); i < n; ++i) {
        const char16_t ca = pa[i];
        const char16_t cb = pb[i];
        if (ca == cb)
            continue;
        const char16_t fa = foldNameUnit(ca);
        const char16_t fb = foldNameUnit(cb);
        if (fa != fb)
            return fa < fb ? -1 : 1;
        if (tie == 0)
            tie = ca < cb ? -1 : 1;
    }
    if (na != nb)
        return na < nb ? -1 : 1;
    return tie;
}

StringList::StringList(bool sorted) : m_sorted(sorted) {}

void StringList::clear()
{
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_settled = 0;
}

void StringList::addItem(const QString &text)
{
    m_entries.push_back(text);
    if (!m_sorted)
        m_settled = qsizetype(m_entries.size());
}

qsizetype StringList::count() const
{
    return qsizetype(m_entries.size());
}

QString StringList::item(qsizetype index) const
{
    if (index < 0 || index >= qsizetype(m_entries.size()))
        return {};
    settle();
    return m_entries[size_t(index)];
}

void StringList::settle() const
{
    const qsizetype total = qsizetype(m_entries.size());
    if (m_settled >= total)
        return;
    const auto less = [](const QString &x, const QString &y) { return compareListText(x, y) < 0; };
    const auto middle = m_entries.begin() + m_settled;
    sortListTexts(m_entries.data() + m_settled, m_entries.data() + total);
    if (m_settled > 0)
        std::inplace_merge(m_entries.begin(), middle, m_entries.end(), less);
    m_settled = total;
}

} // namespace quorvane
