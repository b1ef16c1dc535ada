#pragma once

#include "engine/scan/foldersort.h"
#include "engine/scan/listsort.h"

#include <QString>
#include <QStringView>

#include <future>
#include <memory>
#include <vector>

namespace quorvane {

// The texts of one list and their order; StringList shares it.
class ListStore {
public:
    explicit ListStore(bool sorted);
    ListStore(const ListStore &) = delete;
    ListStore &operator=(const ListStore &) = delete;

    bool sorted() const { return m_sorted; }

    void clear();
    void addItem(QStringView text);
    // Adds head + tail as one entry without building the joined string first.
    void addJoined(const QString &head, QStringView tail);
    qsizetype count() const;
    QString item(qsizetype index) const; // empty outside 0..count-1
    // The same without a copy; valid until the list is next changed.
    QStringView itemView(qsizetype index) const;
    // Puts every entry in its place now, so that reads change nothing.
    void settle() const;

private:
    struct SortedChunk {
        SpanVector spans;
        std::vector<FolderRun> runs;
        std::future<void> done;
    };
    struct BlockRelease {
        qsizetype units = 0;
        void operator()(char16_t *block) const;
    };

    char16_t *reserveUnits(qsizetype size);
    void noteFolderRun(); // after the last text is written
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
    // The folders of the spans not yet settled or handed off (indexes into
    // m_spans), for a sort that compares names within folders.
    mutable std::vector<FolderRun> m_runs;
    // A long list is sorted in chunks by helper threads while it grows (a
    // walk leaves one processor mostly idle); the next read merges them.
    mutable qsizetype m_handedOff = 0;         // spans before this index are settled or in a chunk
    mutable std::vector<SortedChunk> m_chunks; // after m_blocks: finishes before they go
};

// A list box without a window: sorted lists keep ascending order without
// regard to case (ties by the exact text), unsorted ones insertion order.
// Counts are not limited to 16 bits. A copy shares the texts: the viewer
// shows a million found files without holding them twice, and the next run
// that clears or fills the list leaves the copy as it was.
class StringList {
public:
    explicit StringList(bool sorted) : m_store(std::make_shared<ListStore>(sorted)) {}

    void clear();
    void addItem(const QString &text) { writable().addItem(text); }
    void addItem(QStringView text) { writable().addItem(text); }
    void addJoined(const QString &head, QStringView tail) { writable().addJoined(head, tail); }
    qsizetype count() const { return m_store->count(); }
    QString item(qsizetype index) const { return m_store->item(index); }
    QStringView itemView(qsizetype index) const { return m_store->itemView(index); }

    // A copy that another thread may read while this list is cleared or
    // filled again: it is settled first, and this list stops writing to it.
    StringList shared() const;

private:
    ListStore &writable();

    std::shared_ptr<ListStore> m_store;
};

// Case-insensitive order of the lists, exact text breaking ties.
int compareListText(const QString &a, const QString &b);

} // namespace quorvane
