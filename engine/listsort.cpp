#include "engine/listsort.h"

#include "engine/namepattern.h"
#include "engine/stringlist.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace quorvane {

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

namespace {

// A text being sorted, with four case-folded units from the current depth
// packed into a key so that most steps compare integers in one array.
struct Work {
    std::uint64_t key;
    const QString *text;
};

inline const char16_t *units(const QString *text)
{
    return reinterpret_cast<const char16_t *>(text->constData());
}

std::uint64_t keyAt(const QString *text, qsizetype depth)
{
    const char16_t *p = units(text);
    const qsizetype n = text->size();
    std::uint64_t key = 0;
    for (qsizetype i = depth; i < depth + 4; ++i)
        key = (key << 16) | (i < n ? foldNameUnit(p[i]) : 0u);
    return key;
}

constexpr qsizetype SmallGroup = 16;

void sortGroup(Work *a, qsizetype n, qsizetype depth)
{
    const auto byText = [](const Work &x, const Work &y) { return compareListText(*x.text, *y.text) < 0; };
    for (;;) {
        if (n <= SmallGroup) {
            std::sort(a, a + n, byText);
            return;
        }
        // Units every text of the group shares exactly are skipped at once.
        const char16_t *first = units(a[0].text);
        qsizetype common = a[0].text->size() - depth;
        for (qsizetype i = 1; i < n && common > 0; ++i) {
            const qsizetype room = std::min<qsizetype>(common, a[i].text->size() - depth);
            common = room <= 0 ? 0 : firstDifference(first + depth, units(a[i].text) + depth, room);
        }
        depth += std::max<qsizetype>(common, 0);
        bool allEnded = true;
        for (qsizetype i = 0; i < n; ++i) {
            a[i].key = keyAt(a[i].text, depth);
            allEnded = allEnded && a[i].text->size() <= depth;
        }
        if (allEnded) {
            // Equal without regard to case: the exact text decides.
            std::sort(a, a + n, byText);
            return;
        }
        std::sort(a, a + n, [](const Work &x, const Work &y) { return x.key < y.key; });
        // Recurse into every run of equal keys but the last, which loops.
        qsizetype start = 0;
        while (true) {
            qsizetype end = start + 1;
            while (end < n && a[end].key == a[start].key)
                ++end;
            if (end == n) {
                a += start;
                n -= start;
                depth += 4;
                break;
            }
            if (end - start > 1)
                sortGroup(a + start, end - start, depth + 4);
            start = end;
        }
        if (n <= 1)
            return;
    }
}

} // namespace

void sortListTexts(QString *first, QString *last)
{
    const qsizetype n = last - first;
    if (n < 2)
        return;
    std::vector<Work> work(size_t(n), Work{0, nullptr});
    for (qsizetype i = 0; i < n; ++i)
        work[size_t(i)].text = first + i;
    sortGroup(work.data(), n, 0);
    std::vector<QString> sorted;
    sorted.reserve(size_t(n));
    for (const Work &w : work)
        sorted.push_back(std::move(*const_cast<QString *>(w.text)));
    std::move(sorted.begin(), sorted.end(), first);
}

} // namespace quorvane
