#pragma once

#include <QStringList>

namespace quorvane {

class StringList;

// What the run needs of the result viewer. Each entry is appended by the pane
// rule: an empty pane takes the entry as its text, otherwise CR LF and the
// entry follow the text. Several entries may come in one call.
class ListingView {
public:
    virtual ~ListingView() = default;
    virtual void showViewer() = 0; // loads when needed; an open viewer is reused
    virtual void clearPanes() = 0;
    virtual void appendToFilePane(const QStringList &entries) = 0;
    virtual void appendToDirPane(const QStringList &entries) = 0;

    // A view that shows a whole list at once, sharing its texts instead of
    // taking them entry by entry, says so; the run then hands it the lists.
    virtual bool showsWholeLists() const { return false; }
    virtual void showFilePaneList(const StringList &) {}
    virtual void showDirPaneList(const StringList &) {}
};

} // namespace quorvane
