#pragma once

#include "platform/filesystem.h"

#include <vector>

namespace quorvane::platform {

// A host folder and a name inside it, one "/" between them (a root "/" has it).
inline QByteArray joinHost(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

// Whether a host path leads to a folder (through links).
bool isHostFolder(const QByteArray &host);

// Appends everything an open folder holds but "." and ".." to out; 0 or the
// errno of the failed read. Leaves the descriptor open. Uses nothing but the
// descriptor and a buffer of the calling thread, so any thread may call it.
int readFolderEntries(int fd, std::vector<DirEntry> &out);
int readFolderEntries(int fd, FolderContents &out);

} // namespace quorvane::platform
