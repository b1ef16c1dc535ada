#include "platform/host/beneath.h"

#include "platform/host/descriptor.h"
#include "platform/namecodec.h"

#include <QStringList>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quorvane::platform {

namespace {

// A concurrent rename can make the kernel give up on ".." below a root; it
// says so with EAGAIN, and the lookup is simply tried again.
constexpr int RaceRetries = 8;

Descriptor openNameByName(int root, const QByteArray &relative, int flags)
{
    if (relative.isEmpty())
        return Descriptor(::openat(root, ".", flags | O_CLOEXEC));
    const QList<QByteArray> names = relative.split('/');
    Descriptor at;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QByteArray &name = names[i];
        if (name.isEmpty() || name == "." || name == "..") {
            errno = EXDEV;
            return Descriptor();
        }
        const bool last = i + 1 == names.size();
        const int stepFlags = last ? flags | O_NOFOLLOW : O_PATH | O_DIRECTORY | O_NOFOLLOW;
        const int next = ::openat(at ? at.get() : root, name.constData(), stepFlags | O_CLOEXEC);
        if (next < 0)
            return Descriptor();
        at.reset(next);
    }
    return at;
}

} // namespace

Descriptor openBeneath(int root, const QByteArray &relative, int flags, BeneathRule rule)
{
    open_how how{};
    how.flags = std::uint64_t(flags | O_CLOEXEC);
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS | (rule == NoLinks ? RESOLVE_NO_SYMLINKS : 0);
    const char *path = relative.isEmpty() ? "." : relative.constData();
    for (int attempt = 0; attempt < RaceRetries; ++attempt) {
        const long fd = ::syscall(SYS_openat2, root, path, &how, sizeof how);
        if (fd >= 0)
            return Descriptor(int(fd));
        if (errno == ENOSYS)
            return openNameByName(root, relative, flags);
        if (errno != EAGAIN)
            return Descriptor();
    }
    return Descriptor();
}

QByteArray hostRelative(const QString &relativeDrivePath)
{
    QByteArray path;
    if (relativeDrivePath.isEmpty())
        return path;
    for (const QString &component : relativeDrivePath.split(QLatin1Char('\\'))) {
        if (!path.isEmpty())
            path += '/';
        path += encodeName(component);
    }
    return path;
}

QByteArray pathOfDescriptor(int fd)
{
    char link[40];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(link, buffer, sizeof buffer);
    if (n <= 0 || n >= ssize_t(sizeof buffer) || buffer[0] != '/')
        return {};
    return QByteArray(buffer, n);
}

FileStamp stampOf(const struct stat &st)
{
    FileStamp stamp;
    stamp.size = st.st_size;
    stamp.allocated = qint64(st.st_blocks) * 512;
    stamp.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changedNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    return stamp;
}

namespace {

// Opens name in folder as a handle of that very entry, never through a link.
Descriptor openEntry(int folder, const QByteArray &name, struct stat &st)
{
    Descriptor fd(::openat(folder, name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (fd && ::fstat(fd.get(), &st) != 0)
        fd.reset();
    return fd;
}

// A handle opened without following the name: the change reaches this very
// file, whatever stands under its name a moment later.
int chmodHandle(int fd, mode_t mode)
{
    char path[40];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    return ::chmod(path, mode & 07777) == 0 ? 0 : errno;
}

int changeMode(int folder, const QByteArray &name, struct stat *before, mode_t set, bool addWrite)
{
    struct stat st {};
    const Descriptor file = openEntry(folder, name, st);
    if (!file)
        return errno;
    if (before)
        *before = st;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    const mode_t mode = addWrite ? (st.st_mode & 07777) | S_IWUSR : set & 07777;
    if ((st.st_mode & 07777) == mode)
        return 0;
    return chmodHandle(file.get(), mode);
}

} // namespace

int setModeAt(int folder, const QByteArray &name, mode_t mode, struct stat *before)
{
    return changeMode(folder, name, before, mode, false);
}

int makeWritableAt(int folder, const QByteArray &name, struct stat *before)
{
    return changeMode(folder, name, before, 0, true);
}

int syncFolderAt(int folder)
{
    const Descriptor readable(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!readable)
        return errno;
    return ::fsync(readable.get()) == 0 ? 0 : errno;
}

} // namespace quorvane::platform
