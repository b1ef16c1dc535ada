#include "linepane.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>

#include <cmath>

namespace quorvane {

namespace {

// Space between the frame and the text, as Qt's own text boxes keep it.
constexpr int TextMargin = 4;

} // namespace

LinePane::LinePane(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    updateScrollBars();
}

void LinePane::clear()
{
    m_lines.clear();
    contentChanged();
}

void LinePane::showList(const StringList &list)
{
    m_lines.showList(list);
    contentChanged();
}

void LinePane::appendEntries(const QStringList &entries)
{
    m_lines.append(entries);
    m_history.clear();
    updateScrollBars();
    viewport()->update();
}

void LinePane::setPlainText(const QString &text)
{
    m_lines.clear();
    m_lines.replaceLines(0, 1, LineBuffer::ownLines(splitLines(text)));
    contentChanged();
}

void LinePane::contentChanged()
{
    m_history.clear();
    m_cursor = m_anchor = {};
    m_wantedX = -1;
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

QString LinePane::text(QStringView lineBreak) const
{
    return m_lines.joined(lineBreak);
}

QString LinePane::selectedText() const
{
    // A copied selection carries line ends as the system's clipboard expects.
    return m_lines.text(m_anchor, m_cursor, u"\n");
}

void LinePane::setCursorPosition(TextPos pos, bool keepAnchor)
{
    m_cursor = m_lines.clamp(pos);
    if (!keepAnchor)
        m_anchor = m_cursor;
    ensureCursorVisible();
    restartCaret();
    viewport()->update();
}

void LinePane::insertText(QStringView text, bool typing)
{
    const TextPos end = m_history.replace(m_lines, m_anchor, m_cursor, text, typing);
    m_cursor = m_anchor = end;
    m_wantedX = -1;
    updateScrollBars();
    ensureCursorVisible();
    restartCaret();
    viewport()->update();
}

void LinePane::deleteSelection()
{
    if (hasSelection())
        insertText({}, false);
}

void LinePane::undo()
{
    if (const auto at = m_history.undo(m_lines))
        historyApplied(*at);
}

void LinePane::redo()
{
    if (const auto at = m_history.redo(m_lines))
        historyApplied(*at);
}

void LinePane::historyApplied(TextPos cursor)
{
    // The ranges first: the cursor may stand where the old ones do not reach.
    updateScrollBars();
    setCursorPosition(cursor);
}

void LinePane::copy()
{
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

void LinePane::cut()
{
    copy();
    deleteSelection();
}

void LinePane::paste()
{
    const QString text = QGuiApplication::clipboard()->text();
    if (!text.isEmpty())
        insertText(text, false);
}

void LinePane::selectAll()
{
    m_anchor = {};
    m_cursor = m_lines.end();
    putSelectionOnX11Selection();
    viewport()->update();
}

void LinePane::putSelectionOnX11Selection()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
}

int LinePane::lineHeight() const
{
    return std::max(1, fontMetrics().lineSpacing());
}

int LinePane::visibleLines() const
{
    return std::max(1, (viewport()->height() - TextMargin) / lineHeight());
}

qreal LinePane::columnX(const QString &line, qsizetype column) const
{
    return QFontMetricsF(font()).horizontalAdvance(line.left(column));
}

qsizetype LinePane::columnAt(const QString &line, qreal x) const
{
    // Advances grow with the column, so the nearest boundary is found by halving.
    const QFontMetricsF metrics(font());
    qsizetype low = 0;
    qsizetype high = line.size();
    while (low < high) {
        const qsizetype mid = (low + high + 1) / 2;
        if (metrics.horizontalAdvance(line.left(mid)) <= x)
            low = mid;
        else
            high = mid - 1;
    }
    if (low < line.size()) {
        const qreal left = metrics.horizontalAdvance(line.left(low));
        const qreal right = metrics.horizontalAdvance(line.left(low + 1));
        if (x - left > right - x)
            ++low;
    }
    if (low > 0 && low < line.size() && line.at(low).isLowSurrogate())
        --low;
    return low;
}

TextPos LinePane::posAt(const QPoint &point) const
{
    const qsizetype row = point.y() < TextMargin ? -1 : (point.y() - TextMargin) / lineHeight();
    const qsizetype index = std::clamp<qsizetype>(verticalScrollBar()->value() + row, 0, m_lines.lineCount() - 1);
    const QString line = m_lines.line(index);
    const qreal x = point.x() - TextMargin + horizontalScrollBar()->value();
    return {index, columnAt(line, x)};
}

QRect LinePane::caretRect() const
{
    const int row = int(m_cursor.line - verticalScrollBar()->value());
    const qreal x = columnX(m_lines.line(m_cursor.line), m_cursor.column);
    return QRect(int(std::floor(x)) + TextMargin - horizontalScrollBar()->value(), TextMargin + row * lineHeight(), 1,
                 lineHeight());
}

void LinePane::updateScrollBars()
{
    const qsizetype lines = m_lines.lineCount();
    const int visible = visibleLines();
    QScrollBar *vertical = verticalScrollBar();
    vertical->setRange(0, int(std::min<qsizetype>(std::max<qsizetype>(0, lines - visible), INT_MAX)));
    vertical->setPageStep(visible);

    // A fixed-pitch font: the longest line in units gives the width.
    const QFontMetricsF metrics(font());
    const qreal widest = qreal(m_lines.longestLine()) * metrics.horizontalAdvance(QLatin1Char('W'));
    const int width = int(std::ceil(widest)) + 2 * TextMargin + 1;
    QScrollBar *horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, width - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(std::max(1, int(metrics.horizontalAdvance(QLatin1Char('W')))));
}

void LinePane::ensureCursorVisible()
{
    QScrollBar *vertical = verticalScrollBar();
    const int visible = visibleLines();
    if (m_cursor.line < vertical->value())
        vertical->setValue(int(m_cursor.line));
    else if (m_cursor.line >= vertical->value() + visible)
        vertical->setValue(int(m_cursor.line - visible + 1));

    QScrollBar *horizontal = horizontalScrollBar();
    const int x = int(columnX(m_lines.line(m_cursor.line), m_cursor.column));
    const int width = viewport()->width() - 2 * TextMargin;
    if (x < horizontal->value())
        horizontal->setValue(x);
    else if (x > horizontal->value() + width)
        horizontal->setValue(x - width);
}

void LinePane::restartCaret()
{
    m_caretOn = true;
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (flash > 0 && hasFocus())
        m_blink.start(flash / 2, this);
    else
        m_blink.stop();
    viewport()->update();
}

void LinePane::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    const QPalette &colours = palette();
    const int height = lineHeight();
    const int ascent = fontMetrics().ascent();
    const int left = TextMargin - horizontalScrollBar()->value();
    const qsizetype top = verticalScrollBar()->value();
    const TextPos from = std::min(m_anchor, m_cursor);
    const TextPos to = std::max(m_anchor, m_cursor);
    const int rows = viewport()->height() / height + 1;
    painter.setPen(colours.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    for (int row = 0; row < rows && top + row < m_lines.lineCount(); ++row) {
        const qsizetype index = top + row;
        const QString line = m_lines.line(index);
        const int y = TextMargin + row * height;
        painter.drawText(QPointF(left, y + ascent), line);
        if (from == to || index < from.line || index > to.line)
            continue;
        const qreal start = index == from.line ? columnX(line, from.column) : 0;
        qreal stop = index == to.line ? columnX(line, to.column) : columnX(line, line.size());
        if (index < to.line)
            stop += QFontMetricsF(font()).horizontalAdvance(QLatin1Char(' ')); // the line end is selected too
        const QRectF band(left + start, y, stop - start, height);
        painter.fillRect(band, colours.brush(QPalette::Highlight));
        painter.save();
        painter.setClipRect(band);
        painter.setPen(colours.color(QPalette::HighlightedText));
        painter.drawText(QPointF(left, y + ascent), line);
        painter.restore();
    }
    if (hasFocus() && m_caretOn && isEnabled())
        painter.fillRect(caretRect(), colours.color(QPalette::Text));
}

void LinePane::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void LinePane::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    // Line height and width follow the font.
    if (event->type() == QEvent::FontChange)
        updateScrollBars();
}

void LinePane::scrollContentsBy(int, int)
{
    viewport()->update();
}

void LinePane::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        const QString text = QGuiApplication::clipboard()->text(QClipboard::Selection);
        setCursorPosition(posAt(event->position().toPoint()));
        if (!text.isEmpty())
            insertText(text, false);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    setCursorPosition(posAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
    m_wantedX = -1;
    m_selecting = true;
}

void LinePane::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_selecting)
        return;
    setCursorPosition(posAt(event->position().toPoint()), true);
    // Held beyond the edge, the text goes on scrolling.
    if (viewport()->rect().contains(event->position().toPoint()))
        m_dragScroll.stop();
    else if (!m_dragScroll.isActive())
        m_dragScroll.start(50, this);
}

void LinePane::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_selecting = false;
    m_dragScroll.stop();
    putSelectionOnX11Selection();
}

void LinePane::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const TextPos at = posAt(event->position().toPoint());
    const QString line = m_lines.line(at.line);
    qsizetype start = at.column;
    qsizetype stop = at.column;
    while (start > 0 && line.at(start - 1).isLetterOrNumber())
        --start;
    while (stop < line.size() && line.at(stop).isLetterOrNumber())
        ++stop;
    m_anchor = {at.line, start};
    setCursorPosition({at.line, stop}, true);
    putSelectionOnX11Selection();
}

void LinePane::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void LinePane::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    restartCaret();
}

void LinePane::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_blink.stop();
    viewport()->update();
}

void LinePane::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_blink.timerId()) {
        m_caretOn = !m_caretOn;
        viewport()->update(caretRect());
    } else if (event->timerId() == m_dragScroll.timerId()) {
        const QPoint at = viewport()->mapFromGlobal(QCursor::pos());
        QScrollBar *vertical = verticalScrollBar();
        if (at.y() < 0)
            vertical->setValue(vertical->value() - 1);
        else if (at.y() > viewport()->height())
            vertical->setValue(vertical->value() + 1);
        setCursorPosition(posAt(at), true);
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

void LinePane::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty())
        insertText(event->commitString(), true);
    event->accept();
}

QVariant LinePane::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return caretRect().translated(viewport()->pos());
    case Qt::ImCursorPosition:
        return int(m_cursor.column);
    case Qt::ImSurroundingText:
        return m_lines.line(m_cursor.line);
    case Qt::ImCurrentSelection:
        return m_cursor.line == m_anchor.line ? selectedText() : QString();
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

} // namespace quorvane
