#include "engine/stringlist.h"

#include <algorithm>

namespace quorvane {

namespace {

inline const char16_t *unitsOf(const QString &text)
{
    return reinterpret_cast<const char16_t *>(text.constData());
}

} // namespace

int compareListText(const QString &a, const QString &b)
{
    return compareListUnits(unitsOf(a), a.size(), unitsOf(b), b.size());
}

StringList::StringList(bool sorted) : m_sorted(sorted) {}

namespace {

constexpr qsizetype BlockUnits = qsizetype(1) << 19; // 1 MiB

} // namespace

void StringList::clear()
{
    m_blocks.clear();
    m_blockUsed = 0;
    m_blockSize = 0;
    m_spans.clear();
    m_spans.shrink_to_fit();
    m_settled = 0;
}

char16_t *StringList::reserveUnits(qsizetype size)
{
    if (m_blocks.empty() || m_blockSize - m_blockUsed < size) {
        m_blockSize = std::max(BlockUnits, size);
        m_blocks.push_back(std::make_unique_for_overwrite<char16_t[]>(size_t(m_blockSize)));
        m_blockUsed = 0;
    }
    char16_t *at = m_blocks.back().get() + m_blockUsed;
    m_blockUsed += size;
    m_spans.push_back(TextSpan{at, size});
    if (!m_sorted)
        m_settled = qsizetype(m_spans.size());
    return at;
}

void StringList::addItem(const QString &text)
{
    std::copy_n(unitsOf(text), text.size(), reserveUnits(text.size()));
}

void StringList::addJoined(const QString &head, const QString &tail)
{
    char16_t *at = reserveUnits(head.size() + tail.size());
    std::copy_n(unitsOf(tail), tail.size(), std::copy_n(unitsOf(head), head.size(), at));
}

qsizetype StringList::count() const
{
    return qsizetype(m_spans.size());
}

QString StringList::item(qsizetype index) const
{
    if (index < 0 || index >= qsizetype(m_spans.size()))
        return {};
    settle();
    const TextSpan span = m_spans[size_t(index)];
    return QString(reinterpret_cast<const QChar *>(span.data), span.size);
}

void StringList::settle() const
{
    const qsizetype total = qsizetype(m_spans.size());
    if (m_settled >= total)
        return;
    sortListSpans(m_spans.data() + m_settled, m_spans.data() + total);
    if (m_settled > 0) {
        std::inplace_merge(m_spans.begin(), m_spans.begin() + m_settled, m_spans.end(),
                           [](const TextSpan &x, const TextSpan &y) {
                               return compareListUnits(x.data, x.size, y.data, y.size) < 0;
                           });
    }
    m_settled = total;
}

} // namespace quorvane
