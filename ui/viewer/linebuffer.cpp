#include "linebuffer.h"

#include <algorithm>

namespace quorvane {

namespace {

bool isLineBreak(QChar c)
{
    return c == QChar(u'\n') || c == QChar(u'\r') || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

qsizetype pieceLongest(const LineBuffer::Piece &piece)
{
    if (piece.longest >= 0)
        return piece.longest;
    qsizetype longest = 0;
    if (piece.list) {
        for (qsizetype i = 0; i < piece.count; ++i)
            longest = std::max(longest, piece.list->itemView(piece.first + i).size());
    } else {
        for (const QString &line : piece.own)
            longest = std::max(longest, line.size());
    }
    piece.longest = longest;
    return longest;
}

// Lines first .. first + count - 1 of the piece as a piece of their own.
LineBuffer::Piece part(const LineBuffer::Piece &piece, qsizetype first, qsizetype count)
{
    LineBuffer::Piece out;
    out.count = count;
    if (piece.list) {
        out.list = piece.list;
        out.first = piece.first + first;
    } else {
        out.own = piece.own.mid(first, count);
    }
    if (first == 0 && count == piece.count)
        out.longest = piece.longest;
    return out;
}

} // namespace

QString withoutLineBreaks(QString text)
{
    for (QChar &c : text) {
        if (isLineBreak(c))
            c = QChar(u'?');
    }
    return text;
}

LineBuffer::LineBuffer()
{
    clear();
}

std::pair<const LineBuffer::Piece *, qsizetype> LineBuffer::locate(qsizetype index) const
{
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), index);
    const auto at = size_t(after - m_starts.begin() - 1);
    return {&m_pieces[at], index - m_starts[at]};
}

QString LineBuffer::line(qsizetype index) const
{
    if (index < 0 || index >= m_total)
        return {};
    const auto [piece, inside] = locate(index);
    if (!piece->list)
        return piece->own.at(inside);
    QStringView entry = piece->list->itemView(piece->first + inside);
    if (std::none_of(entry.begin(), entry.end(), isLineBreak))
        return entry.toString();
    return withoutLineBreaks(entry.toString());
}

qsizetype LineBuffer::lineLength(qsizetype index) const
{
    if (index < 0 || index >= m_total)
        return 0;
    const auto [piece, inside] = locate(index);
    return piece->list ? piece->list->itemView(piece->first + inside).size() : piece->own.at(inside).size();
}

qsizetype LineBuffer::longestLine() const
{
    qsizetype longest = 0;
    for (const Piece &piece : m_pieces)
        longest = std::max(longest, pieceLongest(piece));
    return longest;
}

void LineBuffer::clear()
{
    m_pieces = ownLines({QString()});
    recount();
}

void LineBuffer::showList(const StringList &list)
{
    qsizetype first = 0;
    const qsizetype count = list.count();
    while (first < count && list.itemView(first).isEmpty())
        ++first;
    if (first == count) {
        clear();
        return;
    }
    Piece piece;
    piece.list = std::make_shared<const StringList>(list.shared());
    piece.first = first;
    piece.count = count - first;
    m_pieces.clear();
    m_pieces.push_back(std::move(piece));
    recount();
}

void LineBuffer::append(const QStringList &entries)
{
    qsizetype first = 0;
    const bool empty = isEmpty();
    if (empty) {
        while (first < entries.size() && entries.at(first).isEmpty())
            ++first;
    }
    if (first == entries.size())
        return;
    QStringList lines;
    lines.reserve(entries.size() - first);
    for (qsizetype i = first; i < entries.size(); ++i)
        lines.append(withoutLineBreaks(entries.at(i)));
    if (empty)
        m_pieces.clear();
    Pieces added = ownLines(std::move(lines));
    m_pieces.push_back(std::move(added.front()));
    mergeOwnNeighbours();
    recount();
}

LineBuffer::Pieces LineBuffer::ownLines(QStringList lines)
{
    Piece piece;
    piece.count = lines.size();
    piece.own = std::move(lines);
    Pieces pieces;
    pieces.push_back(std::move(piece));
    return pieces;
}

LineBuffer::Pieces LineBuffer::slice(qsizetype first, qsizetype count) const
{
    Pieces out;
    qsizetype index = first;
    const qsizetype last = std::min(first + count, m_total);
    while (index < last) {
        const auto [piece, inside] = locate(index);
        const qsizetype take = std::min(piece->count - inside, last - index);
        out.push_back(part(*piece, inside, take));
        index += take;
    }
    return out;
}

void LineBuffer::split(qsizetype at)
{
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end(), at);
    const auto i = size_t(after - m_starts.begin() - 1);
    const qsizetype inside = at - m_starts[i];
    if (inside == 0 || i >= m_pieces.size())
        return;
    const Piece whole = m_pieces[i];
    m_pieces[i] = part(whole, 0, inside);
    m_pieces.insert(m_pieces.begin() + qsizetype(i) + 1, part(whole, inside, whole.count - inside));
    recount();
}

void LineBuffer::replaceLines(qsizetype first, qsizetype count, Pieces lines)
{
    first = std::clamp<qsizetype>(first, 0, m_total);
    count = std::clamp<qsizetype>(count, 0, m_total - first);
    if (first + count < m_total)
        split(first + count);
    if (first < m_total)
        split(first);
    const auto from = std::lower_bound(m_starts.begin(), m_starts.end(), first) - m_starts.begin();
    auto to = from;
    for (qsizetype covered = 0; covered < count; ++to)
        covered += m_pieces[size_t(to)].count;
    m_pieces.erase(m_pieces.begin() + from, m_pieces.begin() + to);
    std::erase_if(lines, [](const Piece &piece) { return piece.count == 0; });
    m_pieces.insert(m_pieces.begin() + from, std::make_move_iterator(lines.begin()),
                    std::make_move_iterator(lines.end()));
    if (m_pieces.empty())
        m_pieces = ownLines({QString()});
    mergeOwnNeighbours();
    recount();
}

void LineBuffer::mergeOwnNeighbours()
{
    // Typing line after line would otherwise leave a piece per line.
    Pieces merged;
    merged.reserve(m_pieces.size());
    for (Piece &piece : m_pieces) {
        if (!merged.empty() && !piece.list && !merged.back().list) {
            Piece &last = merged.back();
            last.own += piece.own;
            last.count += piece.count;
            last.longest = std::max(pieceLongest(last), pieceLongest(piece));
            continue;
        }
        merged.push_back(std::move(piece));
    }
    m_pieces = std::move(merged);
}

void LineBuffer::recount()
{
    m_starts.resize(m_pieces.size());
    qsizetype total = 0;
    for (size_t i = 0; i < m_pieces.size(); ++i) {
        m_starts[i] = total;
        total += m_pieces[i].count;
    }
    m_total = total;
}

TextPos LineBuffer::clamp(TextPos pos) const
{
    pos.line = std::clamp<qsizetype>(pos.line, 0, m_total - 1);
    pos.column = std::clamp<qsizetype>(pos.column, 0, lineLength(pos.line));
    return pos;
}

QString LineBuffer::text(TextPos from, TextPos to, QStringView lineBreak) const
{
    from = clamp(from);
    to = clamp(to);
    if (to < from)
        std::swap(from, to);
    qsizetype size = 0;
    for (qsizetype i = from.line; i <= to.line; ++i)
        size += lineLength(i) + lineBreak.size();
    QString out;
    out.reserve(size);
    for (qsizetype i = from.line; i <= to.line; ++i) {
        const QString whole = line(i);
        const qsizetype start = i == from.line ? from.column : 0;
        const qsizetype stop = i == to.line ? to.column : whole.size();
        out += QStringView(whole).mid(start, stop - start);
        if (i < to.line)
            out += lineBreak;
    }
    return out;
}

} // namespace quorvane
