#pragma once

#include <QString>

namespace quorvane::platform {

// Whether this process may create and replace files in a host folder, as the
// host decides it for this very process: root's capabilities, a read-only
// mount and an immutable folder all count, the permission bits alone do not.
[[nodiscard]] bool canWriteInFolder(const QString &hostFolder);

// The host folder for the user's own settings: $XDG_CONFIG_HOME when it is
// an absolute path, otherwise ".config" in the home folder. Empty when no
// home folder is known.
[[nodiscard]] QString userConfigFolder();

// The host folder for what the program keeps between runs that is not a
// setting (journals of moves): $XDG_STATE_HOME, or ".local/state" in the home folder.
[[nodiscard]] QString userStateFolder();

} // namespace quorvane::platform
