#pragma once

#include "platform/result.h"

#include <QString>

namespace quorvane {

// The program's own folder among the user's state folders
// ($XDG_STATE_HOME/quorvane, else ~/.local/state/quorvane), as a drive path.
// Empty when no home folder is known or no drive holds it.
QString stateFolder();

// The same folder, made when it is missing; fails where it is unknown or
// cannot be made.
platform::Result<QString> makeStateFolder();

} // namespace quorvane
