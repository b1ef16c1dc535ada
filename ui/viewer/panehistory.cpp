#include "panehistory.h"

namespace quorvane {

QStringList splitLines(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QChar(u'\n') && c != QChar(u'\r') && c != QChar::LineSeparator && c != QChar::ParagraphSeparator)
            continue;
        lines.append(text.mid(start, i - start).toString());
        if (c == QChar(u'\r') && i + 1 < text.size() && text[i + 1] == QChar(u'\n'))
            ++i;
        start = i + 1;
    }
    lines.append(text.mid(start).toString());
    return lines;
}

TextPos PaneHistory::replace(LineBuffer &lines, TextPos from, TextPos to, QStringView text, bool typing)
{
    from = lines.clamp(from);
    to = lines.clamp(to);
    if (to < from)
        std::swap(from, to);
    QStringList parts = splitLines(text);
    const QString head = lines.line(from.line).left(from.column);
    const QString tail = lines.line(to.line).mid(to.column);
    const qsizetype lastLength = parts.size() == 1 ? head.size() + parts.last().size() : parts.last().size();
    parts.first().prepend(head);
    parts.last().append(tail);
    const TextPos end{from.line + parts.size() - 1, lastLength};

    const qsizetype count = to.line - from.line + 1;
    const bool joins = typing && from == to && parts.size() == 1 && m_redo.empty() && !m_undo.empty() && m_undo.back().typing
        && m_undo.back().after == from && m_undo.back().first == from.line && m_undo.back().count == 1;
    if (joins) {
        lines.replaceLines(from.line, 1, LineBuffer::ownLines(std::move(parts)));
        m_undo.back().after = end;
        return end;
    }
    Step step;
    step.first = from.line;
    step.count = parts.size();
    step.other = lines.slice(from.line, count);
    step.before = from;
    step.after = end;
    step.typing = typing && from == to && parts.size() == 1;
    lines.replaceLines(from.line, count, LineBuffer::ownLines(std::move(parts)));
    m_undo.push_back(std::move(step));
    m_redo.clear();
    return end;
}

std::optional<TextPos> PaneHistory::apply(LineBuffer &lines, std::vector<Step> &from, std::vector<Step> &to,
                                          bool undoing)
{
    if (from.empty())
        return std::nullopt;
    Step step = std::move(from.back());
    from.pop_back();
    qsizetype restored = 0;
    for (const LineBuffer::Piece &piece : step.other)
        restored += piece.count;
    LineBuffer::Pieces taken = lines.slice(step.first, step.count);
    lines.replaceLines(step.first, step.count, std::move(step.other));
    step.other = std::move(taken);
    step.count = restored;
    step.typing = false; // typing after an undo starts a step of its own
    const TextPos cursor = undoing ? step.before : step.after;
    to.push_back(std::move(step));
    return lines.clamp(cursor);
}

std::optional<TextPos> PaneHistory::undo(LineBuffer &lines)
{
    return apply(lines, m_undo, m_redo, true);
}

std::optional<TextPos> PaneHistory::redo(LineBuffer &lines)
{
    return apply(lines, m_redo, m_undo, false);
}

void PaneHistory::clear()
{
    m_undo.clear();
    m_redo.clear();
}

} // namespace quorvane
