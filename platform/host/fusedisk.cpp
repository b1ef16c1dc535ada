#include "platform/host/fusedisk.h"

#include <QByteArray>
#include <QList>

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace quorvane::platform {

namespace {

QByteArray readSmallFile(int folder, const char *name)
{
    const Descriptor file(::openat(folder, name, O_RDONLY | O_CLOEXEC));
    QByteArray content;
    char buffer[4096];
    ssize_t got = 0;
    while (file && (got = ::read(file.get(), buffer, sizeof buffer)) > 0 && content.size() < (1 << 16))
        content.append(buffer, got);
    return content;
}

// Whether the program holds the FUSE connection of device open: the
// kernel numbers a connection as the minor number of the device it serves.
bool holdsConnection(int process, dev_t device)
{
    const Descriptor infos(::openat(process, "fdinfo", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    FolderStream listing(Descriptor(infos ? ::dup(infos.get()) : -1));
    if (!listing || major(device) != 0)
        return false;
    const QByteArray wanted = "fuse_connection:\t" + QByteArray::number(minor(device)) + '\n';
    while (const dirent *entry = ::readdir(listing.get())) {
        if (entry->d_name[0] != '.' && readSmallFile(infos.get(), entry->d_name).contains(wanted))
            return true;
    }
    return false;
}

// Whether the program serves device: by its connection, or where the
// kernel does not tell that, by one of its arguments, taken in its own
// working folder, that is a folder on device (the mount point).
bool servesDevice(int process, dev_t device)
{
    if (holdsConnection(process, device))
        return true;
    const Descriptor cwd(::openat(process, "cwd", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!cwd)
        return false;
    const QList<QByteArray> arguments = readSmallFile(process, "cmdline").split('\0');
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        struct stat st {};
        if (!arguments[i].isEmpty() && ::fstatat(cwd.get(), arguments[i].constData(), &st, 0) == 0
            && S_ISDIR(st.st_mode) && st.st_dev == device)
            return true;
    }
    return false;
}

bool hasBootSector(int disk)
{
    unsigned char sector[512];
    return ::pread(disk, sector, sizeof sector, 0) == qint64(sizeof sector) && sector[510] == 0x55
        && sector[511] == 0xAA;
}

// The one file among the program's open files that holds a boot sector.
Descriptor diskOf(int process)
{
    const Descriptor fds(::openat(process, "fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    FolderStream listing(Descriptor(fds ? ::dup(fds.get()) : -1));
    if (!listing)
        return {};
    while (const dirent *entry = ::readdir(listing.get())) {
        if (entry->d_name[0] == '.')
            continue;
        Descriptor disk(::openat(fds.get(), entry->d_name, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        struct stat st {};
        if (disk && ::fstat(disk.get(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISBLK(st.st_mode))
            && hasBootSector(disk.get()))
            return disk;
    }
    return {};
}

} // namespace

Descriptor openFuseDisk(dev_t device, const char *program)
{
    FolderStream processes(Descriptor(::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
    if (!processes)
        return {};
    while (const dirent *entry = ::readdir(processes.get())) {
        if (entry->d_name[0] < '1' || entry->d_name[0] > '9')
            continue;
        const Descriptor process(::openat(::dirfd(processes.get()), entry->d_name, O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!process || readSmallFile(process.get(), "comm").trimmed() != program)
            continue;
        if (servesDevice(process.get(), device))
            return diskOf(process.get());
    }
    return {};
}

} // namespace quorvane::platform
