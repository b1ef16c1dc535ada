#pragma once

#include <QString>

namespace quorvane {

// The text that the save-as browser's next "Übernehmen" writes. Set by the
// viewer's save commands, never cleared.
extern QString ExportText;

// Writes text plus one CR LF in Windows-1252 to path, asking first when an
// ordinary file is there. False when the user keeps the old file or the
// write fails (the warning has then been shown); an old file survives a
// failed write whole.
bool WriteTextFile(const QString &path, const QString &text);

} // namespace quorvane
