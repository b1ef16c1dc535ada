#include "ui/viewer/savecommands.h"

#include "ui/viewer/frmeditor.h"
#include "ui/viewer/linepane.h"
#include "ui/viewer/listexport.h"
#include "ui/viewer/viewerhost.h"

#include <QVariant>
#include <QWidget>

namespace quorvane {

namespace {

SaveAsOpener &opener()
{
    static SaveAsOpener installed;
    return installed;
}

void startSave(frmEditor *viewer, Pane pane, const QString &caption)
{
    if (!viewer)
        return;
    QWidget *browser = opener() ? opener()(viewer) : nullptr;
    if (browser)
        browser->setWindowTitle(caption);
    ExportText = viewer->pane(pane).lines();
    // Only an open browser enables the viewer again; without one the viewer
    // would stay locked for good.
    if (browser)
        viewer->setEnabled(false);
}

} // namespace

void setSaveAsOpener(SaveAsOpener newOpener)
{
    opener() = std::move(newOpener);
}

void mnuFileItem_Click(frmEditor *viewer)
{
    startSave(viewer, Pane::Files, QStringLiteral("Dateiliste speichern unter..."));
}

void mnuDirlist_Click(frmEditor *viewer)
{
    startSave(viewer, Pane::Directories, QStringLiteral("Verzeichnisliste speichern unter..."));
}

void connectSaveCommands(ViewerHost &host)
{
    // Connected once per host, however often start-up asks.
    const char *const marker = "quorvaneSaveCommands";
    if (host.property(marker).toBool())
        return;
    host.setProperty(marker, true);
    QObject::connect(&host, &ViewerHost::mnuFileItemClicked, &host, &mnuFileItem_Click);
    QObject::connect(&host, &ViewerHost::mnuDirlistClicked, &host, &mnuDirlist_Click);
}

} // namespace quorvane
