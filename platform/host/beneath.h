#pragma once

#include "platform/host/descriptor.h"
#include "platform/filecompare.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <sys/stat.h>

namespace quorvane::platform {

// Ways of looking a path up below a folder held open (openat2's RESOLVE_*).
enum BeneathRule : std::uint64_t {
    // Links are followed while they stay below the folder.
    LinksInside = 0,
    // No link is followed at all, not even the last name.
    NoLinks = 1,
};

// Opens relative ("a/b/c", host names) below the folder root with flags,
// never leaving it: ".." above it, an absolute link or one that leads out
// fails with EXDEV, a magic /proc link with ELOOP, and with NoLinks every
// link with ELOOP. Returns the descriptor, or an invalid one with errno set.
// Where the kernel lacks openat2, the names are opened one by one without
// following any link, the stricter of the two rules.
Descriptor openBeneath(int root, const QByteArray &relative, int flags, BeneathRule rule);

// A relative drive path ("a\b\c.txt", names as stored) as host names
// joined by "/". Empty for an empty path.
QByteArray hostRelative(const QString &relativeDrivePath);

// The host path an open descriptor stands for now, as the kernel tells it;
// empty where it cannot.
QByteArray pathOfDescriptor(int fd);

// What tells a file apart from itself at another moment, from its stat.
FileStamp stampOf(const struct stat &st);

// Makes the regular file name in folder writable for its owner (or gives it
// mode) through a handle of that very file, so that a link swapped in for it
// is never followed. 0 or an errno; EINVAL when it is not a regular file.
// before receives the file's stat when given.
int setModeAt(int folder, const QByteArray &name, mode_t mode, struct stat *before = nullptr);
int makeWritableAt(int folder, const QByteArray &name, struct stat *before = nullptr);

// Makes the entries of an open folder (any kind of descriptor, O_PATH
// included) reach the disk. 0 or an errno.
int syncFolderAt(int folder);

} // namespace quorvane::platform
