#include "panetext.h"

#include "linepane.h"

namespace quorvane {

QString paneText(const LinePane &pane)
{
    return pane.text(u"\r\n");
}

bool paneIsEmpty(const LinePane &pane)
{
    // A second line, even an empty one, stands for a line end in the text.
    return pane.isEmpty();
}

void appendToPane(LinePane &pane, const QStringList &entries)
{
    pane.appendEntries(entries);
}

void showListInPane(LinePane &pane, const StringList &list)
{
    pane.showList(list);
}

void clearPane(LinePane &pane)
{
    pane.clear();
}

} // namespace quorvane
