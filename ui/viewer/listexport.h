#pragma once

#include "linebuffer.h"

#include <QString>

namespace quorvane {

// The text that the save-as browser's next "Übernehmen" writes: the pane's
// lines as they were when the save began, shared with the pane rather than
// copied. Set by the viewer's save commands; the browser lets go of it when
// it closes, so a closed viewer's listing does not live on in it.
extern LineBuffer ExportText;

// Writes text plus one CR LF in Windows-1252 to path, asking first when an
// ordinary file is there. False when the user keeps the old file or the
// write fails (the warning has then been shown); an old file survives a
// failed write whole.
bool WriteTextFile(const QString &path, const QString &text);
// The same for lines, which are joined by CR LF as they are written. A long
// list gives the window its turns while it is written; the lines are the
// caller's as they were at the call, whatever changes meanwhile.
bool WriteTextFile(const QString &path, LineBuffer lines);

} // namespace quorvane
