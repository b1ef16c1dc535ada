#include "engine/scan/listsort.h"

#include "platform/namefold.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace quorvane {

namespace {

// Index of the first code unit in which a and b differ, looking at n units.
// Paths share long prefixes, so this part decides the speed of a comparison.
qsizetype firstDifference(const char16_t *a, const char16_t *b, qsizetype n)
{
    qsizetype i = 0;
    for (; i + 4 <= n; i += 4) {
        std::uint64_t x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y)
            break;
    }
    while (i < n && a[i] == b[i])
        ++i;
    return i;
}

// A text being sorted, with four case-folded units from the current depth
// packed into a key so that most steps compare integers in one array.
struct Work {
    std::uint64_t key;
    TextSpan span;
    qsizetype tag;
};

constexpr qsizetype SmallGroup = 16;

class SpanSorter {
public:
    void sort(Work *a, qsizetype n, qsizetype depth) const
    {
        for (;;) {
            if (n <= SmallGroup) {
                sortByText(a, n);
                return;
            }
            // Units every text of the group shares exactly are skipped at once.
            const char16_t *first = units(a[0]);
            qsizetype common = a[0].span.size - depth;
            for (qsizetype i = 1; i < n && common > 0; ++i) {
                const qsizetype room = std::min<qsizetype>(common, a[i].span.size - depth);
                common = room <= 0 ? 0 : firstDifference(first + depth, units(a[i]) + depth, room);
            }
            depth += std::max<qsizetype>(common, 0);
            bool allEnded = true;
            for (qsizetype i = 0; i < n; ++i) {
                a[i].key = keyAt(a[i], depth);
                allEnded = allEnded && a[i].span.size <= depth;
            }
            if (allEnded) {
                // Equal without regard to case: the exact text decides.
                sortByText(a, n);
                return;
            }
            std::sort(a, a + n, [](const Work &x, const Work &y) { return x.key < y.key; });
            // Every run of equal keys but the last is sorted by recursion; the last one loops.
            qsizetype start = 0;
            for (;;) {
                qsizetype end = start + 1;
                while (end < n && a[end].key == a[start].key)
                    ++end;
                if (end == n)
                    break;
                if (end - start > 1)
                    sort(a + start, end - start, depth + 4);
                start = end;
            }
            a += start;
            n -= start;
            depth += 4;
            if (n <= 1)
                return;
        }
    }

private:
    static const char16_t *units(const Work &w) { return w.span.data; }

    std::uint64_t keyAt(const Work &w, qsizetype depth) const
    {
        const QStringView text(units(w), w.span.size);
        std::uint64_t key = 0;
        for (qsizetype i = depth; i < depth + 4; ++i)
            key = (key << 16) | (i < w.span.size ? platform::foldedUnitAt(text, i) : 0u);
        return key;
    }

    void sortByText(Work *a, qsizetype n) const
    {
        std::sort(a, a + n, [](const Work &x, const Work &y) {
            return compareListUnits(units(x), x.span.size, units(y), y.span.size) < 0;
        });
    }
};

} // namespace

int compareListUnits(const char16_t *pa, qsizetype na, const char16_t *pb, qsizetype nb)
{
    const qsizetype n = std::min(na, nb);
    int tie = 0; // the first exact difference, used when the folded texts are equal
    for (qsizetype i = firstDifference(pa, pb, n); i < n; ++i) {
        const char16_t ca = pa[i];
        const char16_t cb = pb[i];
        if (ca == cb)
            continue;
        // Units skipped as equal fold equal: no letter's fold changes the
        // first half of its pair.
        const char16_t fa = platform::foldedUnitAt(QStringView(pa, na), i);
        const char16_t fb = platform::foldedUnitAt(QStringView(pb, nb), i);
        if (fa != fb)
            return fa < fb ? -1 : 1;
        if (tie == 0)
            tie = ca < cb ? -1 : 1;
    }
    if (na != nb)
        return na < nb ? -1 : 1;
    return tie;
}

void sortListSpans(TextSpan *first, TextSpan *last, qsizetype *tags)
{
    const qsizetype n = last - first;
    if (n < 2)
        return;
    std::vector<Work, platform::LargeAllocator<Work>> work(static_cast<size_t>(n));
    for (qsizetype i = 0; i < n; ++i)
        work[size_t(i)] = Work{0, first[i], tags ? tags[i] : 0};
    SpanSorter().sort(work.data(), n, 0);
    for (qsizetype i = 0; i < n; ++i) {
        first[i] = work[size_t(i)].span;
        if (tags)
            tags[i] = work[size_t(i)].tag;
    }
}

void sortListSpans(TextSpan *first, TextSpan *last)
{
    sortListSpans(first, last, nullptr);
}

namespace {

// How many leading spans of [first, last) take() holds for, take() being true
// for a leading part: found in steps that double, then halve, so a long
// stretch costs a few comparisons.
template <typename Take>
qsizetype gallop(const TextSpan *first, const TextSpan *last, const Take &take)
{
    const qsizetype n = last - first;
    qsizetype low = 0;  // take() holds before low
    qsizetype high = 0; // first index not yet known to hold
    qsizetype step = 1;
    while (high < n && take(first[high])) {
        low = high + 1;
        high = std::min(n, step);
        step *= 2;
    }
    while (low < high) {
        const qsizetype middle = low + (high - low) / 2;
        if (take(first[middle]))
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

// The unmerged rest of one run.
struct RunHead {
    const TextSpan *at;
    const TextSpan *end;
    size_t run; // breaks ties: the earlier run first
};

// Whether x goes before y: list order, then the order of the runs.
bool headBefore(const RunHead &x, const RunHead &y)
{
    const int order = compareListUnits(x.at->data, x.at->size, y.at->data, y.at->size);
    return order < 0 || (order == 0 && x.run < y.run);
}

} // namespace

void mergeListRuns(std::vector<SpanVector> &runs, SpanVector &out)
{
    size_t total = 0;
    std::vector<RunHead> heap;
    for (size_t i = 0; i < runs.size(); ++i) {
        total += runs[i].size();
        if (!runs[i].empty())
            heap.push_back({runs[i].data(), runs[i].data() + runs[i].size(), i});
    }
    out.resize(total);
    TextSpan *to = out.data();
    // A heap of the runs' heads, smallest on top; the top run gives everything
    // that comes before the next head at once, which for the chunks of a walk
    // (they follow one another) is long stretches.
    const auto later = [](const RunHead &x, const RunHead &y) { return headBefore(y, x); };
    std::make_heap(heap.begin(), heap.end(), later);
    while (!heap.empty()) {
        std::pop_heap(heap.begin(), heap.end(), later);
        RunHead &current = heap.back();
        qsizetype taken = current.end - current.at;
        if (heap.size() > 1) {
            const RunHead &next = heap.front();
            taken = std::max<qsizetype>(1, gallop(current.at, current.end, [&](const TextSpan &span) {
                                            return headBefore(RunHead{&span, &span + 1, current.run}, next);
                                        }));
        }
        to = std::copy(current.at, current.at + taken, to);
        current.at += taken;
        if (current.at == current.end)
            heap.pop_back();
        else
            std::push_heap(heap.begin(), heap.end(), later);
    }
    runs.clear();
}

} // namespace quorvane
