#include "platform/host/hostfolders.h"

#include "platform/host/hostcore.h"

#include "platform/host/descriptor.h"
#include "platform/hosterrors.h"
#include "platform/namecodec.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane::platform {

namespace {

class HostFolderHandle final : public FolderHandle {
public:
    explicit HostFolderHandle(Descriptor fd) : m_fd(std::move(fd)) {}
    int fd() const { return m_fd.get(); }

private:
    Descriptor m_fd;
};

// Large enough that most folders come in one call; one per reading thread.
constexpr size_t ReadBufferBytes = 64 * 1024;

// What an entry is, with its attributes: a stat only where the folder's
// reading does not tell, and for links.
FolderEntry kindOf(int fd, const char *raw, unsigned char type)
{
    if (type == DT_UNKNOWN) {
        struct stat st {};
        if (::fstatat(fd, raw, &st, AT_SYMLINK_NOFOLLOW) == 0)
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
    }
    FolderEntry e;
    e.isDirectory = type == DT_DIR;
    e.isLink = type == DT_LNK;
    e.attributes = (raw[0] == '.' ? AttrHidden : AttrNormal) | (e.isDirectory ? AttrDirectory : AttrNormal);
    if (e.isLink) {
        // Links are few: one stat tells a link to a folder from one to a file.
        struct stat st {};
        if (::fstatat(fd, raw, &st, 0) == 0 && S_ISDIR(st.st_mode))
            e.attributes |= AttrDirectory;
    }
    return e;
}

// Hands every entry but "." and ".." to take(name, type), and each block
// of the reading's size to ahead(bytes) before its entries.
template <typename Ahead, typename Take>
int readEntries(int fd, const Ahead &ahead, const Take &take)
{
    thread_local const std::unique_ptr<char[]> buffer(new char[ReadBufferBytes]);
    for (;;) {
        const ssize_t got = ::getdents64(fd, buffer.get(), ReadBufferBytes);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            return 0;
        ahead(got);
        for (ssize_t at = 0; at < got;) {
            const auto *entry = reinterpret_cast<const dirent64 *>(buffer.get() + at);
            at += entry->d_reclen;
            const char *raw = entry->d_name;
            if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
                continue;
            take(raw, entry->d_type);
        }
    }
}

Result<FolderContents> failedWith(int err)
{
    return Result<FolderContents>::failure(errorFromErrno(err), hostReason(err));
}

// Reads an open folder and keeps or closes it.
Result<FolderContents> contentsOf(Descriptor fd, bool keepOpen)
{
    FolderContents contents;
    const int err = readFolderEntries(fd.get(), contents);
    if (err != 0)
        return failedWith(err);
    if (keepOpen)
        contents.handle = std::make_shared<HostFolderHandle>(std::move(fd));
    return Result<FolderContents>::success(std::move(contents));
}

} // namespace

bool isHostFolder(const QByteArray &host)
{
    struct stat st {};
    return ::stat(host.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

int readFolderEntries(int fd, std::vector<DirEntry> &out)
{
    return readEntries(
        fd, [](ssize_t) {},
        [&](const char *raw, unsigned char type) {
            const FolderEntry kind = kindOf(fd, raw, type);
            out.push_back(
                {decodeName(raw, qsizetype(std::strlen(raw))), kind.isDirectory, kind.isLink, kind.attributes});
        });
}

int readFolderEntries(int fd, FolderContents &out)
{
    return readEntries(
        fd,
        [&](ssize_t bytes) {
            // A name has no more units than bytes: one growth for the block at most.
            out.names.reserve(out.names.size() + qsizetype(bytes));
        },
        [&](const char *raw, unsigned char type) {
            FolderEntry entry = kindOf(fd, raw, type);
            entry.offset = out.names.size();
            appendDecodedName(out.names, raw, qsizetype(std::strlen(raw)));
            entry.size = out.names.size() - entry.offset;
            out.entries.push_back(entry);
        });
}

Result<FolderContents> HostCore::readFolder(const QString &absolutePath, bool keepOpen) const
{
    errno = 0;
    Descriptor fd = openExactFolder(absolutePath);
    if (!fd)
        return failedWith(errno != 0 ? errno : ENOENT);
    return contentsOf(std::move(fd), keepOpen);
}

Result<FolderContents> HostCore::readFolderAt(const FolderHandle &parent, const QString &name, bool keepOpen) const
{
    const auto *folder = dynamic_cast<const HostFolderHandle *>(&parent);
    if (!folder)
        return failedWith(EBADF);
    // A name from a listing is one component; anything else would lead elsewhere.
    const QByteArray bytes = encodeName(name);
    if (bytes.isEmpty() || bytes == "." || bytes == ".." || bytes.contains('/') || bytes.contains('\0'))
        return failedWith(EINVAL);
    // A folder replaced by a link since it was listed is not followed.
    Descriptor fd(::openat(folder->fd(), bytes.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd)
        return failedWith(errno);
    return contentsOf(std::move(fd), keepOpen);
}

} // namespace quorvane::platform
