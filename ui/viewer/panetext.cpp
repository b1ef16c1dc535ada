#include "panetext.h"

#include <QPlainTextEdit>
#include <QTextDocument>

namespace quorvane {

namespace {

// Programmatic fills would otherwise pile up undo steps for every entry, and
// an undo could bring back half of an earlier listing.
class NoUndo {
public:
    explicit NoUndo(QPlainTextEdit &pane) : m_pane(pane), m_was(pane.isUndoRedoEnabled())
    {
        m_pane.setUndoRedoEnabled(false);
    }
    ~NoUndo() { m_pane.setUndoRedoEnabled(m_was); }
    NoUndo(const NoUndo &) = delete;
    NoUndo &operator=(const NoUndo &) = delete;

private:
    QPlainTextEdit &m_pane;
    bool m_was;
};

} // namespace

QString paneText(const QPlainTextEdit &pane)
{
    // The raw text keeps every character as stored (the plain-text export
    // would turn no-break spaces into blanks) and ends each line but the last
    // with a paragraph separator: one copy of the whole text, not a string
    // per line.
    QString text = pane.document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));
    return text;
}

bool paneIsEmpty(const QPlainTextEdit &pane)
{
    // A second block, even an empty one, stands for a line end in the text.
    return pane.document()->isEmpty();
}

void appendToPane(QPlainTextEdit &pane, const QStringList &entries)
{
    qsizetype first = 0;
    const bool empty = paneIsEmpty(pane);
    if (empty) {
        // An empty entry leaves an empty pane empty, so the next entry starts the text.
        while (first < entries.size() && entries.at(first).isEmpty())
            ++first;
    }
    if (first == entries.size())
        return;

    qsizetype length = 0;
    for (qsizetype i = first; i < entries.size(); ++i)
        length += entries.at(i).size() + 1;
    QString batch;
    batch.reserve(length);
    for (qsizetype i = first; i < entries.size(); ++i) {
        if (i > first)
            batch += QChar(u'\n');
        const qsizetype start = batch.size();
        batch += entries.at(i);
        // A line break inside a name would split its line in the pane and in
        // the saved list: it shows as "?", like a character the list cannot hold.
        for (qsizetype k = start; k < batch.size(); ++k) {
            const QChar c = batch.at(k);
            if (c == QChar(u'\n') || c == QChar(u'\r') || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
                batch[k] = QChar(u'?');
        }
    }

    // Appending starts a new line exactly when the pane has text, which is the
    // rule; it also spares the editor a size update per line.
    NoUndo noUndo(pane);
    pane.appendPlainText(batch);
}

void clearPane(QPlainTextEdit &pane)
{
    NoUndo noUndo(pane);
    pane.clear();
}

} // namespace quorvane
