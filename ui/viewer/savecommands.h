#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace quorvane {

class frmEditor;
class ViewerHost;

// Opens a new save-as window for the viewer, shown modeless and placed, and
// returns it; null when none could be opened. The save-as browser provides
// it, so that this folder does not depend on the browser's.
using SaveAsOpener = std::function<QWidget *(frmEditor *viewer)>;
void setSaveAsOpener(SaveAsOpener opener);

// "Dateiliste speichern unter..." and "Verzeichnisliste speichern unter...":
// open the save-as window with the list's caption, hand it the pane's text
// through ExportText and disable the viewer while the window is open.
void mnuFileItem_Click(frmEditor *viewer);
void mnuDirlist_Click(frmEditor *viewer);

// Connects the host's two save commands to the handlers above.
void connectSaveCommands(ViewerHost &host);

} // namespace quorvane
