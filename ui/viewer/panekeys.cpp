// What the keyboard and the context menu do in a pane: the keys and texts of
// Qt's own text boxes, so the panes behave as every other text does.
#include "linepane.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>

namespace quorvane {

namespace {

enum class Motion { None, Left, Right, WordLeft, WordRight, Up, Down, PageUp, PageDown, LineStart, LineEnd, Start, End };

struct MotionKey {
    QKeySequence::StandardKey move;
    QKeySequence::StandardKey select;
    Motion motion;
};

constexpr MotionKey MotionKeys[] = {
    {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, Motion::Right},
    {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, Motion::Left},
    {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, Motion::WordRight},
    {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, Motion::WordLeft},
    {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, Motion::Down},
    {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, Motion::Up},
    {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, Motion::PageDown},
    {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, Motion::PageUp},
    {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, Motion::LineStart},
    {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, Motion::LineEnd},
    {QKeySequence::MoveToStartOfBlock, QKeySequence::SelectStartOfBlock, Motion::LineStart},
    {QKeySequence::MoveToEndOfBlock, QKeySequence::SelectEndOfBlock, Motion::LineEnd},
    {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, Motion::Start},
    {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, Motion::End},
};

// One character to the side, a surrogate pair as one.
qsizetype stepLeft(const QString &line, qsizetype column)
{
    if (column <= 0)
        return 0;
    return column >= 2 && line.at(column - 1).isLowSurrogate() && line.at(column - 2).isHighSurrogate() ? column - 2
                                                                                                          : column - 1;
}

qsizetype stepRight(const QString &line, qsizetype column)
{
    if (column >= line.size())
        return line.size();
    return column + 1 < line.size() && line.at(column).isHighSurrogate() && line.at(column + 1).isLowSurrogate()
        ? column + 2
        : column + 1;
}

bool wordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QChar(u'_');
}

TextPos moved(const LineBuffer &lines, TextPos at, Motion motion, int page)
{
    const QString line = lines.line(at.line);
    switch (motion) {
    case Motion::Left:
        if (at.column > 0)
            return {at.line, stepLeft(line, at.column)};
        return at.line > 0 ? TextPos{at.line - 1, lines.lineLength(at.line - 1)} : at;
    case Motion::Right:
        if (at.column < line.size())
            return {at.line, stepRight(line, at.column)};
        return at.line + 1 < lines.lineCount() ? TextPos{at.line + 1, 0} : at;
    case Motion::WordLeft: {
        if (at.column == 0)
            return moved(lines, at, Motion::Left, page);
        qsizetype c = at.column;
        while (c > 0 && !wordChar(line.at(c - 1)))
            --c;
        while (c > 0 && wordChar(line.at(c - 1)))
            --c;
        return {at.line, c};
    }
    case Motion::WordRight: {
        if (at.column == line.size())
            return moved(lines, at, Motion::Right, page);
        qsizetype c = at.column;
        while (c < line.size() && wordChar(line.at(c)))
            ++c;
        while (c < line.size() && !wordChar(line.at(c)))
            ++c;
        return {at.line, c};
    }
    case Motion::Up:
        return {at.line - 1, at.column};
    case Motion::Down:
        return {at.line + 1, at.column};
    case Motion::PageUp:
        return {at.line - page, at.column};
    case Motion::PageDown:
        return {at.line + page, at.column};
    case Motion::LineStart:
        return {at.line, 0};
    case Motion::LineEnd:
        return {at.line, line.size()};
    case Motion::Start:
        return {};
    case Motion::End:
        return lines.end();
    case Motion::None:
        break;
    }
    return at;
}

} // namespace

bool LinePane::event(QEvent *event)
{
    // The pane's own keys win over shortcuts of the window.
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Cut)
            || key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)
            || key->matches(QKeySequence::SelectAll) || (!key->text().isEmpty() && key->text().at(0).isPrint())) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void LinePane::keyPressEvent(QKeyEvent *event)
{
    for (const MotionKey &key : MotionKeys) {
        const bool select = event->matches(key.select);
        if (!select && !event->matches(key.move))
            continue;
        const bool vertical = key.motion == Motion::Up || key.motion == Motion::Down || key.motion == Motion::PageUp
            || key.motion == Motion::PageDown;
        TextPos to;
        if (!select && hasSelection() && (key.motion == Motion::Left || key.motion == Motion::Right))
            to = key.motion == Motion::Left ? std::min(m_anchor, m_cursor) : std::max(m_anchor, m_cursor);
        else
            to = moved(m_lines, m_cursor, key.motion, visibleLines());
        if (vertical) {
            const qreal wanted = m_wantedX >= 0 ? m_wantedX : columnX(m_lines.line(m_cursor.line), m_cursor.column);
            to.line = std::clamp<qsizetype>(to.line, 0, m_lines.lineCount() - 1);
            to.column = columnAt(m_lines.line(to.line), wanted);
            if (key.motion == Motion::PageUp || key.motion == Motion::PageDown) {
                QScrollBar *bar = verticalScrollBar();
                bar->setValue(bar->value() + int(to.line - m_cursor.line));
            }
            setCursorPosition(to, select);
            m_wantedX = wanted;
        } else {
            setCursorPosition(to, select);
            m_wantedX = -1;
        }
        if (select)
            putSelectionOnX11Selection();
        return;
    }

    if (event->matches(QKeySequence::SelectAll))
        selectAll();
    else if (event->matches(QKeySequence::Copy))
        copy();
    else if (event->matches(QKeySequence::Cut))
        cut();
    else if (event->matches(QKeySequence::Paste))
        paste();
    else if (event->matches(QKeySequence::Undo))
        undo();
    else if (event->matches(QKeySequence::Redo))
        redo();
    else if (event->matches(QKeySequence::InsertParagraphSeparator) || event->matches(QKeySequence::InsertLineSeparator))
        insertText(u"\n", false);
    else if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete
             || event->matches(QKeySequence::DeleteStartOfWord) || event->matches(QKeySequence::DeleteEndOfWord)) {
        if (!hasSelection()) {
            Motion motion = event->key() == Qt::Key_Backspace ? Motion::Left : Motion::Right;
            if (event->matches(QKeySequence::DeleteStartOfWord))
                motion = Motion::WordLeft;
            else if (event->matches(QKeySequence::DeleteEndOfWord))
                motion = Motion::WordRight;
            m_anchor = moved(m_lines, m_cursor, motion, 0);
        }
        deleteSelection();
    } else if (!event->text().isEmpty() && event->text().at(0).isPrint() && !(event->modifiers() & Qt::ControlModifier))
        insertText(event->text(), true);
    else {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

QMenu *LinePane::createContextMenu()
{
    // The texts of Qt's own text boxes, so that Qt's translations apply.
    const auto text = [](const char *source, QKeySequence::StandardKey key) {
        QString caption = QCoreApplication::translate("QWidgetTextControl", source);
        const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
        return shortcut.isEmpty() ? caption : caption + QLatin1Char('\t') + shortcut;
    };
    auto *menu = new QMenu(this);
    const bool editable = isEnabled();
    menu->addAction(text("&Undo", QKeySequence::Undo), this, &LinePane::undo)->setEnabled(editable && canUndo());
    menu->addAction(text("&Redo", QKeySequence::Redo), this, &LinePane::redo)->setEnabled(editable && canRedo());
    menu->addSeparator();
    menu->addAction(text("Cu&t", QKeySequence::Cut), this, &LinePane::cut)->setEnabled(editable && hasSelection());
    menu->addAction(text("&Copy", QKeySequence::Copy), this, &LinePane::copy)->setEnabled(hasSelection());
    menu->addAction(text("&Paste", QKeySequence::Paste), this, &LinePane::paste)
        ->setEnabled(editable && !QGuiApplication::clipboard()->text().isEmpty());
    menu->addAction(QCoreApplication::translate("QWidgetTextControl", "Delete"), this, &LinePane::deleteSelection)
        ->setEnabled(editable && hasSelection());
    menu->addSeparator();
    menu->addAction(text("Select All", QKeySequence::SelectAll), this, &LinePane::selectAll)
        ->setEnabled(!isEmpty());
    return menu;
}

} // namespace quorvane
