#pragma once

#include "engine/scan/listsort.h"

#include <QString>
#include <QStringView>

#include <future>
#include <memory>
#include <vector>

namespace quorvane {

// A list box without a window: sorted lists keep ascending order without
// regard to case (ties by the exact text), unsorted ones insertion order.
// Counts are not limited to 16 bits.
class StringList {
public:
    explicit StringList(bool sorted);

    void clear();
    void addItem(const QString &text);
    // Adds head + tail as one entry without building the joined string first.
    void addJoined(const QString &head, const QString &tail);
    qsizetype count() const;
    QString item(qsizetype index) const; // empty outside 0..count-1
    // The same without a copy; valid until the list is next changed.
    QStringView itemView(qsizetype index) const;

private:
    struct SortedChunk {
        SpanVector spans;
        std::future<void> done;
    };
    struct BlockRelease {
        qsizetype units = 0;
        void operator()(char16_t *block) const;
    };

    void settle() const;
    char16_t *reserveUnits(qsizetype size);
    void handOffChunk();

    bool m_sorted;
    // The texts live one after another in large blocks that never move: no
    // allocation per entry, and a sort moves small spans instead of strings.
    std::vector<std::unique_ptr<char16_t[], BlockRelease>> m_blocks;
    qsizetype m_blockUsed = 0;
    qsizetype m_blockSize = 0;
    // A sorted list appends and puts the unsorted tail in place on the next
    // read: one sort and one merge instead of an insertion per entry.
    mutable SpanVector m_spans;
    mutable qsizetype m_settled = 0; // spans before this index are in order
    // A long list is sorted in chunks by helper threads while it grows (a
    // walk leaves one processor mostly idle); the next read merges them.
    mutable qsizetype m_handedOff = 0;         // spans before this index are settled or in a chunk
    mutable std::vector<SortedChunk> m_chunks; // after m_blocks: finishes before they go
};

// Case-insensitive order of the lists, exact text breaking ties.
int compareListText(const QString &a, const QString &b);

} // namespace quorvane
