#pragma once

#include "engine/run/listingview.h"
#include "frmeditor.h"

#include <QObject>
#include <QPointer>

namespace quorvane {

// The one result viewer of the program as the rest of it sees it: loads the
// window when needed, reuses an open one, and forwards the save commands of
// whichever window is loaded, so their handlers are connected once.
class ViewerHost : public QObject, public ListingView {
    Q_OBJECT
public:
    explicit ViewerHost(QObject *parent = nullptr);
    ~ViewerHost() override;

    void showViewer() override;
    void clearPanes() override;
    // Entries for a viewer that the user closed during a run are dropped.
    void appendToFilePane(const QStringList &entries) override;
    void appendToDirPane(const QStringList &entries) override;
    // The panes share the run's lists: a million lines cost no copy.
    bool showsWholeLists() const override { return true; }
    void showFilePaneList(const StringList &list) override;
    void showDirPaneList(const StringList &list) override;

    // The lists the viewer's full-path toggle reads, now and in any window
    // loaded later; their owner takes them back with null before it goes.
    void setLists(Begin *lists);

    // The loaded window, or null.
    frmEditor *viewer() const;
    // Empty when the viewer is not loaded.
    QString paneText(Pane pane) const;
    // The save-as browser switches the viewer off while it is open.
    void setViewerEnabled(bool enabled);
    // End of the program: unloads the window whatever its state.
    void unloadViewer();

signals:
    void mnuFileItemClicked(quorvane::frmEditor *viewer);
    void mnuDirlistClicked(quorvane::frmEditor *viewer);
    // The window is closed and its panes freed.
    void viewerGone();

private:
    void append(Pane pane, const QStringList &entries);

    QPointer<frmEditor> m_window;
    Begin *m_lists = nullptr;
};

// The program's viewer, created on first use.
ViewerHost &viewerHost();

} // namespace quorvane
