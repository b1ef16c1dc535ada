#pragma once

#include "filesystem.h"

#include <vector>

namespace quorvane::platform {

// Appends everything an open folder holds but "." and ".." to out; 0 or the
// errno of the failed read. Leaves the descriptor open. Uses nothing but the
// descriptor and a buffer of the calling thread, so any thread may call it.
int readFolderEntries(int fd, std::vector<DirEntry> &out);

} // namespace quorvane::platform
