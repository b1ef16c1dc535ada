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

} // namespace quorvane::platform
