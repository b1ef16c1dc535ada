#pragma once

#include "engine/scan/stringlist.h"

#include <QString>
#include <QStringList>

#include <compare>
#include <vector>

namespace quorvane {

// A place in a pane's text: before the character at column of line.
struct TextPos {
    qsizetype line = 0;
    qsizetype column = 0;
    auto operator<=>(const TextPos &) const = default;
};

// The lines of a viewer pane. A listing of a million files is shown without
// a copy: runs of lines are entries of a shared list, and only lines the
// user changes are held as lines of their own. There is always at least one
// line; an empty pane is one empty line.
class LineBuffer {
public:
    // A run of lines: entries first .. first + count - 1 of a shared list, or
    // lines of its own when the list is null.
    struct Piece {
        std::shared_ptr<const StringList> list;
        qsizetype first = 0;
        qsizetype count = 0;
        QStringList own;
        mutable qsizetype longest = -1; // longest line in units, once known
    };
    using Pieces = std::vector<Piece>;

    LineBuffer();

    qsizetype lineCount() const { return m_total; }
    QString line(qsizetype index) const; // empty outside the text
    qsizetype lineLength(qsizetype index) const;
    bool isEmpty() const { return m_total == 1 && lineLength(0) == 0; }
    // Units of the longest line, for the width the pane can scroll to.
    qsizetype longestLine() const;

    void clear();
    // The list's entries become the lines, without a copy; entries before
    // the first non-empty one are left out, as appending them would.
    void showList(const StringList &list);
    // Appends by the pane rule: an empty buffer takes the entries from the
    // first non-empty one, a buffer with text gets each as a new line.
    void append(const QStringList &entries);

    // Lines first .. first + count - 1, shared where they come from a list.
    Pieces slice(qsizetype first, qsizetype count) const;
    // Puts lines in place of lines first .. first + count - 1.
    void replaceLines(qsizetype first, qsizetype count, Pieces lines);
    static Pieces ownLines(QStringList lines);

    // The text from one place to another, lines joined by lineBreak.
    QString text(TextPos from, TextPos to, QStringView lineBreak) const;
    // All of the text, lines joined by lineBreak.
    QString joined(QStringView lineBreak) const { return text({}, end(), lineBreak); }
    TextPos end() const { return {m_total - 1, lineLength(m_total - 1)}; }
    // The place clamped into the text.
    TextPos clamp(TextPos pos) const;

private:
    // The piece holding the line, and the line's index inside it.
    std::pair<const Piece *, qsizetype> locate(qsizetype index) const;
    void split(qsizetype at); // a piece boundary at line index at
    void mergeOwnNeighbours();
    void recount();

    Pieces m_pieces;
    std::vector<qsizetype> m_starts; // first line of each piece
    qsizetype m_total = 0;
};

// A name that holds a line break would split its line in the pane and in the
// saved list: the break shows as "?", like a character the list cannot hold.
QString withoutLineBreaks(QString text);

} // namespace quorvane
