#include "platform/volume.h"

#include "platform/host/descriptor.h"

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace quorvane::platform {

namespace {

// The folders of the host that its programs and the system itself live in.
// A run that scatters files there as root can break the host.
constexpr const char *SystemFolders[] = {"/",    "/bin", "/boot", "/dev", "/etc", "/proc",
                                         "/run", "/sbin", "/sys",  "/usr", "/var"};

bool sameFolder(const struct stat &folder, const char *path)
{
    struct stat st {};
    return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode) && st.st_dev == folder.st_dev && st.st_ino == folder.st_ino;
}

// /lib, /lib32, /lib64, /libx32 and whatever else of the kind the host has.
bool isLibraryFolder(const struct stat &folder)
{
    FolderStream root(Descriptor(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
    if (!root)
        return false;
    while (const dirent *entry = ::readdir(root.get())) {
        if (std::strncmp(entry->d_name, "lib", 3) != 0)
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(root.get()), entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode)
            && st.st_dev == folder.st_dev && st.st_ino == folder.st_ino)
            return true;
    }
    return false;
}

} // namespace

bool isSystemFolder(int folderFd)
{
    struct stat folder {};
    if (::fstat(folderFd, &folder) != 0)
        return false;
    for (const char *path : SystemFolders) {
        if (sameFolder(folder, path))
            return true;
    }
    return isLibraryFolder(folder);
}

} // namespace quorvane::platform
