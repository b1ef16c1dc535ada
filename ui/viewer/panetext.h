#pragma once

#include <QString>
#include <QStringList>

namespace quorvane {

class LinePane;
class StringList;

// A viewer pane's text as the program sees it: its lines joined by CR LF,
// nothing before or after. An empty pane and a pane with text differ exactly
// as an empty and a non-empty string do.

QString paneText(const LinePane &pane);

bool paneIsEmpty(const LinePane &pane);

// Appends each entry by the pane rule: an empty pane takes the entry as its
// text, a pane with text gets CR LF and the entry. So an empty entry on an
// empty pane adds nothing, and on a pane with text it adds an empty line.
void appendToPane(LinePane &pane, const QStringList &entries);

// The pane shows the list's entries by the same rule, in place of its text,
// sharing them with the list instead of copying them.
void showListInPane(LinePane &pane, const StringList &list);

// Empties the pane. Programmatic changes leave no undo steps behind.
void clearPane(LinePane &pane);

} // namespace quorvane
