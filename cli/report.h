#pragma once

#include "engine/skippedfile.h"

#include <QString>

namespace quorvane::cli {

// A drive path as this computer names it, for a message line: the host's
// bytes (carried as escapes where they are not UTF-8), line breaks as "?".
QString hostForm(const QString &drivePath);

// The line for a file the run did not place: "übersprungen: PATH: Grund",
// with the target or the folder on the way named where the failure lies
// there; for a folder of a structure image "nicht angelegt: PATH: Grund".
QString skippedLine(const SkippedFile &skipped);

} // namespace quorvane::cli
