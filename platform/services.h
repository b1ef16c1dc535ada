#pragma once

#include "platform/filesystem.h"
#include "platform/toolkit.h"

namespace quorvane::platform {

// The one file system and toolkit of the process. Until one is installed the
// host file system (drives from QUORVANE_DRIVES) and a headless toolkit serve.
FileSystem &fileSystem();
Toolkit &toolkit();

// Installs replacements; null restores the defaults. The caller keeps ownership.
void installFileSystem(FileSystem *fs);
void installToolkit(Toolkit *tk);

// Installs for one scope, restoring what was there before.
class ScopedPlatform {
public:
    ScopedPlatform(FileSystem *fs, Toolkit *tk);
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform &) = delete;
    ScopedPlatform &operator=(const ScopedPlatform &) = delete;

private:
    FileSystem *m_previousFs;
    Toolkit *m_previousTk;
};

} // namespace quorvane::platform
