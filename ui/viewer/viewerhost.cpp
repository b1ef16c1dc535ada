#include "viewerhost.h"


#include "linepane.h"

namespace quorvane {

ViewerHost::ViewerHost(QObject *parent) : QObject(parent) {}

// The window is a top-level widget of its own and lives until it is closed.
ViewerHost::~ViewerHost() = default;

frmEditor *ViewerHost::viewer() const
{
    return m_window && !m_window->isUnloaded() ? m_window.data() : nullptr;
}

void ViewerHost::setLists(Begin *lists)
{
    m_lists = lists;
    if (m_window)
        m_window->setLists(lists);
}

void ViewerHost::showViewer()
{
    frmEditor *window = viewer();
    if (!window) {
        window = new frmEditor;
        window->setLists(m_lists);
        m_window = window;
        connect(window, &frmEditor::mnuFileItemClicked, this, &ViewerHost::mnuFileItemClicked);
        connect(window, &frmEditor::mnuDirlistClicked, this, &ViewerHost::mnuDirlistClicked);
        connect(window, &frmEditor::unloaded, this, [this](frmEditor *gone) {
            if (m_window == gone)
                m_window = nullptr;
        });
        connect(window, &QObject::destroyed, this, &ViewerHost::viewerGone);
        window->Form_Load();
    }
    // Modeless; showing an open window again brings up the same one.
    window->show();
    window->raise();
}

void ViewerHost::clearPanes()
{
    if (frmEditor *window = viewer()) {
        window->txtEdit()->clear();
        window->Text1()->clear();
    }
}

void ViewerHost::append(Pane pane, const QStringList &entries)
{
    if (frmEditor *window = viewer())
        window->pane(pane).appendEntries(entries);
}

void ViewerHost::appendToFilePane(const QStringList &entries)
{
    append(Pane::Files, entries);
}

void ViewerHost::appendToDirPane(const QStringList &entries)
{
    append(Pane::Directories, entries);
}

void ViewerHost::showFilePaneList(const StringList &list)
{
    if (frmEditor *window = viewer())
        window->pane(Pane::Files).showList(list);
}

void ViewerHost::showDirPaneList(const StringList &list)
{
    if (frmEditor *window = viewer())
        window->pane(Pane::Directories).showList(list);
}

QString ViewerHost::paneText(Pane pane) const
{
    frmEditor *window = viewer();
    return window ? window->paneText(pane) : QString();
}

void ViewerHost::setViewerEnabled(bool enabled)
{
    if (frmEditor *window = viewer())
        window->setEnabled(enabled);
}

void ViewerHost::unloadViewer()
{
    if (frmEditor *window = viewer())
        window->unloadNow();
}

ViewerHost &viewerHost()
{
    static ViewerHost host;
    return host;
}

} // namespace quorvane
