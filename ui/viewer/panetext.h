#pragma once

#include <QString>
#include <QStringList>

class QPlainTextEdit;

namespace quorvane {

// A viewer pane keeps its text as lines of the editor's document; its text as
// the program sees it is those lines joined by CR LF. An empty pane and a pane
// with text differ exactly as an empty and a non-empty string do.

// The pane's text with CR LF between the lines, nothing before or after.
QString paneText(const QPlainTextEdit &pane);

bool paneIsEmpty(const QPlainTextEdit &pane);

// Appends each entry by the pane rule: an empty pane takes the entry as its
// text, a pane with text gets CR LF and the entry. So an empty entry on an
// empty pane adds nothing, and on a pane with text it adds an empty line.
// All entries go in with one edit, which keeps long lists linear.
void appendToPane(QPlainTextEdit &pane, const QStringList &entries);

// Empties the pane. Programmatic changes leave no undo steps behind.
void clearPane(QPlainTextEdit &pane);

} // namespace quorvane
