#pragma once

#include <QString>

#include <limits>

namespace quorvane::platform {

// What kind of disk a folder lies on, as far as it decides which names the
// program may give there, how large a file may be, and how much room is
// left. The disks that travel between computers (FAT, exFAT, NTFS) take
// fewer names than the host's own file systems, whichever driver mounts
// them: the kernel's, or a FUSE program.
struct Volume {
    enum class Family { Other, Fat, ExFat, Ntfs };
    Family family = Family::Other;
    QString name;                                          // "FAT32", "exFAT", "NTFS", else the host's type ("ext4")
    qint64 largestFile = std::numeric_limits<qint64>::max(); // bytes one file may hold
    qint64 freeBytes = -1;                                 // -1 where the file system does not say
    qint64 clusterBytes = 1;                               // the unit a file's room is counted in
    quint64 device = 0;                                    // st_dev of the folder looked at
    bool viaFuse = false;                                  // mounted by a FUSE program
    bool asciiNames = false;                               // takes no name beyond ASCII (fusefat)

    // Whether a copy keeps a file's holes there: FAT and exFAT write them out.
    bool keepsHoles() const { return family == Family::Other || family == Family::Ntfs; }

    // Names are those the other system of these disks can open (see portablename.h).
    bool restrictsNames() const { return family != Family::Other; }
};

// The volume under an open folder (O_PATH is enough). Looks at the file
// system's type, the mount table, and for a FUSE mount of a disk image or
// device at the first sector of its source, where that can be read.
Volume volumeOf(int folderFd);

// Whether the open folder is the host's root or one of its system folders
// (/bin, /boot, /dev, /etc, /lib*, /proc, /run, /sbin, /sys, /usr, /var),
// compared as files, not as names: also where a link or a second mount
// leads there.
bool isSystemFolder(int folderFd);

} // namespace quorvane::platform
