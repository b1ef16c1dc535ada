#pragma once

#include <QString>

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
    qsizetype count() const;
    QString item(qsizetype index) const; // empty outside 0..count-1
    bool isSorted() const { return m_sorted; }

private:
    void settle() const;

    bool m_sorted;
    // A sorted list appends and puts the unsorted tail in place on the next
    // read: one sort and one merge instead of an insertion per entry.
    mutable std::vector<QString> m_entries;
    mutable qsizetype m_settled = 0; // entries before this index are in order
};

// Case-insensitive order of the lists, exact text breaking ties.
int compareListText(const QString &a, const QString &b);

} // namespace quorvane
