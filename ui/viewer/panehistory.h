#pragma once

#include "linebuffer.h"

#include <optional>
#include <vector>

namespace quorvane {

// The changes of one pane, for undo and redo. A change replaces whole lines,
// so a step keeps the lines it took away as they were: shared where they
// came from a list, which keeps undoing the deletion of a million lines cheap.
class PaneHistory {
public:
    // Replaces the text between two places with text (line breaks of any
    // kind start new lines) and returns the end of the inserted text.
    // Characters typed one after another become one step.
    TextPos replace(LineBuffer &lines, TextPos from, TextPos to, QStringView text, bool typing);

    bool canUndo() const { return !m_undo.empty(); }
    bool canRedo() const { return !m_redo.empty(); }
    // Where the cursor goes, or nothing when there was no step.
    std::optional<TextPos> undo(LineBuffer &lines);
    std::optional<TextPos> redo(LineBuffer &lines);
    void clear();

private:
    struct Step {
        qsizetype first = 0;
        qsizetype count = 0;         // lines in place now
        LineBuffer::Pieces other;    // what undoing or redoing puts there
        TextPos before;
        TextPos after;
        bool typing = false;
    };
    static std::optional<TextPos> apply(LineBuffer &lines, std::vector<Step> &from, std::vector<Step> &to,
                                        bool undoing);

    std::vector<Step> m_undo;
    std::vector<Step> m_redo;
};

// The text split into lines at every kind of line break; CR LF is one break.
QStringList splitLines(QStringView text);

} // namespace quorvane
