#pragma once

#include "linebuffer.h"
#include "panehistory.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>

class QMenu;

namespace quorvane {

// A multi-line text box without word wrap whose lines may be the entries of
// a shared list: a listing of a million files shows at once and costs no
// copy, and the user still edits it as ordinary text. Only what is on the
// screen is laid out.
class LinePane : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit LinePane(QWidget *parent = nullptr);

    // Programmatic changes leave no undo steps and take the old ones away.
    void clear();
    // The list's entries by the pane rule, in place of the text, sharing
    // them with the list instead of copying them.
    void showList(const StringList &list);
    // Appends each entry by the pane rule: an empty pane takes the entry as
    // its text, a pane with text gets a line break and the entry. So an empty
    // entry on an empty pane adds nothing, and on a pane with text it adds an
    // empty line.
    void appendEntries(const QStringList &entries);
    void setPlainText(const QString &text);

    const LineBuffer &lines() const { return m_lines; }
    // A second line, even an empty one, stands for a line end in the text.
    bool isEmpty() const { return m_lines.isEmpty(); }
    // The text with lineBreak between the lines.
    QString text(QStringView lineBreak) const;
    QString toPlainText() const { return text(u"\n"); }

    TextPos cursorPosition() const { return m_cursor; }
    void setCursorPosition(TextPos pos, bool keepAnchor = false);
    bool hasSelection() const { return m_cursor != m_anchor; }
    QString selectedText() const;
    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }

    // The menu the right mouse button opens; the caller owns it.
    QMenu *createContextMenu();

public slots:
    void undo();
    void redo();
    void cut();
    void copy();
    void paste();
    void selectAll();
    void deleteSelection();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    bool event(QEvent *event) override;

private:
    void insertText(QStringView text, bool typing);
    void historyApplied(TextPos cursor);
    void contentChanged();
    void updateScrollBars();
    void ensureCursorVisible();
    void restartCaret();
    void putSelectionOnX11Selection();

    int lineHeight() const;
    int visibleLines() const;
    qreal columnX(const QString &line, qsizetype column) const;
    qsizetype columnAt(const QString &line, qreal x) const;
    TextPos posAt(const QPoint &viewportPoint) const;
    QRect caretRect() const;

    LineBuffer m_lines;
    PaneHistory m_history;
    TextPos m_cursor;
    TextPos m_anchor;
    qreal m_wantedX = -1; // kept while moving up and down
    bool m_caretOn = false;
    bool m_selecting = false;
    QBasicTimer m_blink;
    QBasicTimer m_dragScroll;
};

} // namespace quorvane
