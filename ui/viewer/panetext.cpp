#include "panetext.h"

#include <QPlainTextEdit>
#include <QTextBlock>
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
    // Block texts keep every character as stored; the document's plain-text
    // export would turn no-break spaces into blanks.
    const QTextDocument *doc = pane.document();
    QString text;
    text.reserve(doc->characterCount() + doc->blockCount());
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        if (block != doc->begin())
            text += QLatin1String("\r\n");
        text += block.text();
    }
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
