#include "platform/host/stagedfile.h"

#include "platform/hosterrors.h"
#include "platform/stopsignals.h"

#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane::platform {

namespace {

constexpr int NameMax = 255;

// How an unnamed file gets its name: AT_EMPTY_PATH needs a capability that
// ordinary users lack; /proc/self/fd works for everyone where /proc is there.
enum LinkMethod { LinkUnknown, LinkEmptyPath, LinkProc };
std::atomic<int> s_linkMethod{LinkUnknown};

bool unnamedFilesUsable()
{
    // Without /proc and without the capability, an unnamed file could never be named.
    static const bool usable = ::geteuid() == 0 || ::access("/proc/self/fd", X_OK) == 0;
    return usable;
}

// A file system that has no permission bits of its own (FAT, exFAT)
// refuses to change them, or cannot at all; its files carry the mount's.
bool keepsNoModes(int err)
{
    return err == ENOSYS || err == EOPNOTSUPP || err == EPERM;
}

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

mode_t processUmask()
{
    static const mode_t mask = [] {
        // Read where the kernel tells it: setting and resetting it would give
        // a file another thread creates in between the wrong mode.
        if (std::FILE *status = std::fopen("/proc/self/status", "re")) {
            char line[256];
            unsigned value = 0;
            bool found = false;
            while (!found && std::fgets(line, sizeof line, status))
                found = std::sscanf(line, "Umask: %o", &value) == 1;
            std::fclose(status);
            if (found)
                return mode_t(value);
        }
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return mask;
}

QByteArray temporaryName(const QByteArray &name)
{
    const QByteArray random = QByteArray::number(QRandomGenerator::global()->generate(), 36);
    static const QByteArray prefix = ".quorvane-";
    static const QByteArray suffix = ".part";
    const qsizetype room = NameMax - prefix.size() - 1 - random.size() - suffix.size();
    QByteArray kept = name.left(room);
    // Cut at a character, not inside one.
    if (kept.size() < name.size()) {
        while (!kept.isEmpty() && isContinuationByte(name.at(kept.size())))
            kept.chop(1);
    }
    return prefix + kept + '-' + random + suffix;
}

namespace {

// The one way left where a file system has neither RENAME_NOREPLACE nor
// hard links (FAT and exFAT through FUSE): the name is taken first by an
// empty file of this program's own (O_EXCL refuses a name that is there, in
// any letter case where the disk ignores case), then the file is renamed
// over that empty file, and over nothing else. Killed in between, an empty
// file is left under the name, never a part of the file.
int renameOverReservation(int fromFolder, const QByteArray &from, int toFolder, const QByteArray &to)
{
    struct stat mine {};
    {
        const Descriptor reserved(::openat(toFolder, to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!reserved || ::fstat(reserved.get(), &mine) != 0)
            return errno;
    }
    const auto stillMine = [&] {
        struct stat there {};
        return ::fstatat(toFolder, to.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0 && there.st_dev == mine.st_dev
            && there.st_ino == mine.st_ino && there.st_size == 0;
    };
    // Whatever another program put there meanwhile stays.
    if (!stillMine())
        return EEXIST;
    if (::renameat(fromFolder, from.constData(), toFolder, to.constData()) != 0) {
        const int err = errno;
        if (stillMine())
            ::unlinkat(toFolder, to.constData(), 0);
        return err;
    }
    return 0;
}

bool linksRefused(int err)
{
    return err == EPERM || err == EOPNOTSUPP || err == ENOSYS || err == EMLINK;
}

} // namespace

int renameNoReplaceAt(int fromFolder, const QByteArray &from, int toFolder, const QByteArray &to)
{
    if (::renameat2(fromFolder, from.constData(), toFolder, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    const int err = errno;
    if (err != EINVAL && err != ENOSYS && err != EOPNOTSUPP)
        return err;
    // No RENAME_NOREPLACE here: link refuses an existing name just the same.
    if (::linkat(fromFolder, from.constData(), toFolder, to.constData(), 0) != 0) {
        const int linkErr = errno;
        return linksRefused(linkErr) ? renameOverReservation(fromFolder, from, toFolder, to) : linkErr;
    }
    if (::unlinkat(fromFolder, from.constData(), 0) != 0) {
        const int unlinkErr = errno;
        ::unlinkat(toFolder, to.constData(), 0);
        return unlinkErr;
    }
    return 0;
}

int renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    return renameNoReplaceAt(AT_FDCWD, from, AT_FDCWD, to);
}

StagedFile::~StagedFile()
{
    abort();
}

Status StagedFile::create(const QByteArray &folder, const QByteArray &name, mode_t mode, const QString &displayPath)
{
    abort();
    m_folder = folder;
    m_name = name;
    m_display = displayPath;
    m_mode = mode & 07777;
    m_ownFolder = Descriptor(::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!m_ownFolder)
        return errnoFailure(errno == ENOENT ? ENOTDIR : errno, displayPath);
    return open(m_ownFolder.get());
}

Status StagedFile::createIn(int folderFd, const QByteArray &name, mode_t mode, const QString &displayPath)
{
    abort();
    m_folder.clear();
    m_name = name;
    m_display = displayPath;
    m_mode = mode & 07777;
    return open(folderFd);
}

Status StagedFile::open(int folderFd)
{
    m_folderFd = folderFd;
    m_size = 0;
    m_keepTimes = false;
    m_keepOwner = false;
    m_keepMetadata = false;
    m_mayInheritAcl = true;
    if (unnamedFilesUsable()) {
        m_fd = Descriptor(::openat(folderFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, m_mode & 0777));
        if (m_fd) {
            m_unnamed = true;
            // The mode asked for is cut by the umask; set-id bits need their own call.
            if (((m_mode & processUmask()) != 0 || (m_mode & 07000) != 0) && ::fchmod(m_fd.get(), m_mode) != 0)
                return fail(errno);
            return Status::success();
        }
        // EISDIR: a kernel without O_TMPFILE; EOPNOTSUPP: a file system without.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return fail(errno);
    }
    return openNamed();
}

Status StagedFile::openNamed()
{
    m_unnamed = false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray temp = temporaryName(m_name);
        // Private until complete; the mode follows below, unaffected by the umask.
        m_fd = Descriptor(::openat(m_folderFd, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (m_fd) {
            m_tempName = temp;
            if (::fchmod(m_fd.get(), m_mode) != 0 && !keepsNoModes(errno))
                return fail(errno);
            return Status::success();
        }
        if (errno != EEXIST)
            return fail(errno);
    }
    return fail(EEXIST);
}

Status StagedFile::fail(int err)
{
    const Status s = errnoFailure(err, m_display);
    abort();
    return s;
}

Status StagedFile::write(const char *data, qint64 size)
{
    if (!m_fd)
        return failureFor(ErrBadFileNameOrNumber, m_display);
    while (size > 0) {
        const ssize_t n = ::write(m_fd.get(), data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errnoFailure(errno, m_display);
        }
        data += n;
        size -= n;
        m_size += n;
    }
    return Status::success();
}

Status StagedFile::appendWhole(int sourceFd, const struct stat &st)
{
    if (!m_fd)
        return failureFor(ErrBadFileNameOrNumber, m_display);
    if (qint64(st.st_blocks) * 512 < qint64(st.st_size))
        return appendFrom(sourceFd, st.st_size);
    // Blocks for every byte: no hole. A source that shrinks meanwhile ends
    // the copy early, which copyData tells.
    bool kernelCopy = true;
    return copyData(sourceFd, 0, st.st_size, kernelCopy);
}

Status StagedFile::appendFrom(int sourceFd, qint64 size)
{
    if (!m_fd)
        return failureFor(ErrBadFileNameOrNumber, m_display);
    const off_t start = ::lseek(sourceFd, 0, SEEK_CUR);
    if (start < 0)
        return errnoFailure(errno, m_display);
    const qint64 end = start + size;
    bool kernelCopy = true;
    bool endsInHole = false;
    for (qint64 at = start; at < end;) {
        // These move the source's position: the copy reads at offsets.
        off_t data = ::lseek(sourceFd, at, SEEK_DATA);
        if (data < 0 && errno != ENXIO && errno != EINVAL)
            return errnoFailure(errno, m_display);
        // ENXIO: only a hole is left, or the source shrank (told apart
        // below); EINVAL: no holes known here, all of it is data.
        data = data >= 0 ? std::min<qint64>(data, end) : errno == ENXIO ? end : at;
        const off_t hole = data < end ? ::lseek(sourceFd, data, SEEK_HOLE) : end;
        // Past data there is always a hole, if only at the end; a file
        // changing under the calls may say otherwise: then the rest is data.
        const qint64 dataEnd = hole <= data ? end : std::min<qint64>(hole, end);
        endsInHole = data == end;
        Status s = skipHole(data - at);
        if (s.ok())
            s = copyData(sourceFd, data, dataEnd, kernelCopy);
        if (!s.ok())
            return s;
        at = dataEnd;
    }
    struct stat st {};
    if (::fstat(sourceFd, &st) != 0)
        return errnoFailure(errno, m_display);
    if (st.st_size < end) // the source lost bytes while it was read: a copy of a moving target is no copy
        return failureFor(ErrDeviceIo, m_display, QStringLiteral("Die Quelle hat sich beim Kopieren geändert"));
    // A hole at the end is no write: the size says where the file ends.
    if (endsInHole) {
        const off_t written = ::lseek(m_fd.get(), 0, SEEK_CUR);
        if (written < 0 || ::ftruncate(m_fd.get(), written) != 0)
            return errnoFailure(errno, m_display);
    }
    ::lseek(sourceFd, end, SEEK_SET);
    return Status::success();
}

Status StagedFile::skipHole(qint64 length)
{
    if (length <= 0)
        return Status::success();
    // Relative to where the last write ended, so that a write that claimed
    // more than it wrote still leaves the file short for the commit to see.
    if (::lseek(m_fd.get(), off_t(length), SEEK_CUR) < 0)
        return errnoFailure(errno, m_display);
    m_size += length;
    return Status::success();
}

// Copies the source's bytes from up to to, which the source said are data;
// only given data, since copy_file_range writes a hole out as zeros.
Status StagedFile::copyData(int sourceFd, qint64 from, qint64 to, bool &kernelCopy)
{
    loff_t at = from;
    while (at < to) {
        // A stop gives the file up between two steps: nothing of it is named.
        if (stopRequested())
            return stoppedFailure(m_display);
        QElapsedTimer piece;
        piece.start();
        if (kernelCopy) {
            const ssize_t n =
                ::copy_file_range(sourceFd, &at, m_fd.get(), nullptr, size_t(std::min(to - at, m_pacer.piece())), 0);
            if (n > 0) {
                m_size += n;
                m_pacer.pieceDone(piece.nsecsElapsed());
                continue;
            }
            if (n == 0)
                break;
            if (errno == EINTR)
                continue;
            if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EBADF) {
                kernelCopy = false; // at is as far as the kernel got
                continue;
            }
            return errnoFailure(errno, m_display);
        }
        char buffer[1 << 16];
        const ssize_t n = ::pread(sourceFd, buffer, size_t(std::min<qint64>(to - at, sizeof buffer)), at);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errnoFailure(errno, m_display);
        }
        if (n == 0)
            break;
        const Status s = write(buffer, n);
        if (!s.ok())
            return s;
        at += n;
        m_pacer.pieceDone(piece.nsecsElapsed());
    }
    if (at < to)
        return failureFor(ErrDeviceIo, m_display, QStringLiteral("Die Quelle hat sich beim Kopieren geändert"));
    return Status::success();
}

Status StagedFile::keepMetadataOf(int sourceFd)
{
    if (!m_fd)
        return failureFor(ErrBadFileNameOrNumber, m_display);
    const Status read = m_metadata.readFrom(sourceFd, m_display);
    m_keepMetadata = read.ok();
    return read;
}

void StagedFile::setOwner(uid_t user, gid_t group, bool required)
{
    m_user = user;
    m_group = group;
    m_keepOwner = true;
    m_ownerRequired = required;
}

void StagedFile::setTimes(const struct timespec &accessed, const struct timespec &modified)
{
    m_times[0] = accessed;
    m_times[1] = modified;
    m_keepTimes = true;
}

Status StagedFile::keepMetadata(bool replace)
{
    if (m_keepOwner) {
        if (::fchown(m_fd.get(), m_user, m_group) == 0) {
            if ((m_mode & 06000) != 0)
                ::fchmod(m_fd.get(), m_mode); // a change of owner clears the set-id bits
        } else if (m_ownerRequired) {
            // Refused, but perhaps nothing needed changing.
            struct stat st {};
            if (::fstat(m_fd.get(), &st) != 0 || st.st_uid != m_user || st.st_gid != m_group)
                return failureFor(ErrPermissionDenied, m_display,
                                  QStringLiteral("Besitzer und Gruppe der Datei lassen sich nicht erhalten"));
        }
    }
    Status s = keepPermissions(replace);
    // After the change of owner, which drops a file's capabilities (security.capability).
    if (s.ok() && m_keepMetadata)
        s = m_metadata.writeAttributes(m_fd.get(), m_display);
    if (!s.ok())
        return s;
    if (m_keepTimes)
        ::futimens(m_fd.get(), m_times);
    return Status::success();
}

// After every chmod: a chmod rewrites the mask of an ACL.
Status StagedFile::keepPermissions(bool replace)
{
    if (replace) {
        // Who may use a file belongs to its place: a replaced file keeps its
        // ACL as it keeps its owner and mode. Without it, the group bits
        // (the ACL's mask) would let the owning group in where the ACL did not.
        FileMetadata old;
        const Status read = old.readAclAt(m_folderFd, m_name, m_display);
        return read.ok() ? old.writeAcl(m_fd.get(), m_mode, true, m_display) : read;
    }
    // Without an ACL of the source, one inherited from the folder must go;
    // where the folder gives none, there is nothing to take away.
    if (!m_keepMetadata || (!m_mayInheritAcl && !m_metadata.hasAcl()))
        return Status::success();
    return m_metadata.writeAcl(m_fd.get(), m_mode, false, m_display);
}

int StagedFile::linkAs(const QByteArray &name)
{
    if (s_linkMethod.load() != LinkProc) {
        if (::linkat(m_fd.get(), "", m_folderFd, name.constData(), AT_EMPTY_PATH) == 0) {
            s_linkMethod = LinkEmptyPath;
            return 0;
        }
        const int err = errno;
        if (s_linkMethod.load() == LinkEmptyPath || (err != ENOENT && err != EPERM && err != EINVAL))
            return err;
    }
    char path[40];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", m_fd.get());
    if (::linkat(AT_FDCWD, path, m_folderFd, name.constData(), AT_SYMLINK_FOLLOW) != 0)
        return errno;
    s_linkMethod = LinkProc;
    return 0;
}

Status StagedFile::commit(bool replace, bool durable, struct stat *placed)
{
    if (!m_fd)
        return failureFor(ErrBadFileNameOrNumber, m_display);
    const Status kept = keepMetadata(replace);
    if (!kept.ok()) {
        abort();
        return kept;
    }
    if (durable && ::fsync(m_fd.get()) != 0)
        return fail(errno);
    // Every byte counted, written or a hole, must be in the file: a write
    // that reported more than it wrote, or a named file touched by others
    // meanwhile, is refused.
    struct stat st {};
    if (::fstat(m_fd.get(), &st) != 0 || st.st_size != m_size) {
        abort();
        return failureFor(ErrDeviceIo, m_display, QStringLiteral("Größe stimmt nicht"));
    }

    int err = 0;
    if (m_unnamed && !replace) {
        err = linkAs(m_name);
    } else if (m_unnamed) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QByteArray temp = temporaryName(m_name);
            err = linkAs(temp);
            if (err == 0) {
                m_tempName = temp;
                break;
            }
            if (err != EEXIST)
                break;
        }
        if (err == 0 && ::renameat(m_folderFd, m_tempName.constData(), m_folderFd, m_name.constData()) != 0)
            err = errno;
    } else if (replace) {
        if (::renameat(m_folderFd, m_tempName.constData(), m_folderFd, m_name.constData()) != 0)
            err = errno;
    } else {
        err = renameNoReplaceAt(m_folderFd, m_tempName, m_folderFd, m_name);
    }
    if (err != 0) {
        abort();
        return err == EEXIST && !replace ? failureFor(ErrFileExists, m_display) : errnoFailure(err, m_display);
    }
    m_tempName.clear();
    // Naming it changed its change time: where that counts, the stamp is
    // taken again; else the one before naming tells all but the change time.
    if (placed && (!m_stampAfterNaming || ::fstat(m_fd.get(), placed) != 0))
        *placed = st;

    if (!m_fd.close()) {
        const int closeErr = errno;
        // Bytes not on the disk after all: a new file that may be short goes
        // again; a replacement was synced before it took the name.
        if (!durable)
            ::unlinkat(m_folderFd, m_name.constData(), 0);
        abort();
        return errnoFailure(closeErr, m_display);
    }
    abort(); // lets go of the folder
    return Status::success();
}

void StagedFile::abort()
{
    m_fd.reset();
    if (!m_tempName.isEmpty()) {
        ::unlinkat(m_folderFd, m_tempName.constData(), 0);
        m_tempName.clear();
    }
    m_ownFolder.reset();
    m_folderFd = -1;
    m_unnamed = false;
}

} // namespace quorvane::platform
