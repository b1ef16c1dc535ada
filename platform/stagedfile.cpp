#include "stagedfile.h"

#include "hosterrors.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane::platform {

namespace {

QByteArray join(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

} // namespace

int renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    const int err = errno;
    if (err != EINVAL && err != ENOSYS && err != EOPNOTSUPP)
        return err;
    // No RENAME_NOREPLACE here: link refuses an existing name just the same.
    if (::link(from.constData(), to.constData()) != 0)
        return errno;
    if (::unlink(from.constData()) != 0) {
        const int unlinkErr = errno;
        ::unlink(to.constData());
        return unlinkErr;
    }
    return 0;
}

StagedFile::~StagedFile()
{
    abort();
}

QByteArray StagedFile::targetPath() const
{
    return join(m_folder, m_name);
}

void StagedFile::start(const QByteArray &folder, const QByteArray &name, mode_t mode, const QString &displayPath)
{
    abort();
    m_folder = folder;
    m_name = name;
    m_display = displayPath;
    m_written = 0;
    m_inPlace = false;
    m_keepTimes = false;
    m_keepOwner = false;
    m_mode = mode & 07777;
}

Status StagedFile::create(const QByteArray &folder, const QByteArray &name, mode_t mode, const QString &displayPath)
{
    start(folder, name, mode, displayPath);
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Short and hidden, so even a 255-byte target name leaves room.
        const QByteArray temp = QByteArrayLiteral(".qv") + QByteArray::number(::getpid(), 36) + '-'
            + QByteArray::number(++counter, 36) + '-'
            + QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        const QByteArray path = join(folder, temp);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            m_fd = fd;
            m_tempPath = path;
            // Explicit mode: not subject to the umask, like the file it stands for.
            if (::fchmod(fd, mode & 07777) != 0) {
                const int err = errno;
                abort();
                return errnoFailure(err, displayPath);
            }
            return Status::success();
        }
        if (errno != EEXIST)
            return errnoFailure(errno == ENOENT ? ENOTDIR : errno, displayPath);
    }
    return failureFor(ErrPathFileAccess, displayPath);
}

Status StagedFile::createNew(const QByteArray &folder, const QByteArray &name, mode_t mode, const QString &displayPath)
{
    start(folder, name, mode, displayPath);
    const QByteArray path = join(folder, name);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int err = errno;
        return err == EEXIST ? failureFor(ErrFileExists, displayPath) : errnoFailure(err, displayPath);
    }
    m_fd = fd;
    m_tempPath = path;
    m_inPlace = true;
    if (::fchmod(fd, m_mode) != 0) {
        const int err = errno;
        abort();
        return errnoFailure(err, displayPath);
    }
    return Status::success();
}

Status StagedFile::write(const char *data, qint64 size)
{
    if (m_fd < 0)
        return failureFor(ErrBadFileNameOrNumber, m_display);
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errnoFailure(errno, m_display);
        }
        data += n;
        size -= n;
        m_written += n;
    }
    return Status::success();
}

Status StagedFile::appendFrom(int sourceFd)
{
    if (m_fd < 0)
        return failureFor(ErrBadFileNameOrNumber, m_display);
    struct stat st {};
    if (::fstat(sourceFd, &st) != 0)
        return errnoFailure(errno, m_display);
    qint64 copied = 0;
    bool kernelCopy = true;
    for (;;) {
        if (kernelCopy) {
            const ssize_t n = ::copy_file_range(sourceFd, nullptr, m_fd, nullptr, 1 << 30, 0);
            if (n > 0) {
                copied += n;
                m_written += n;
                continue;
            }
            if (n == 0)
                break;
            if (errno == EINTR)
                continue;
            if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EBADF) {
                kernelCopy = false; // positions have moved as far as the kernel got
                continue;
            }
            return errnoFailure(errno, m_display);
        }
        char buffer[1 << 16];
        const ssize_t n = ::read(sourceFd, buffer, sizeof buffer);
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
        copied += n;
    }
    if (copied != st.st_size) {
        // The source changed while it was read: a copy of a moving target is no copy.
        return failureFor(ErrDeviceIo, m_display, QStringLiteral("Größe der Quelle hat sich geändert"));
    }
    return Status::success();
}

void StagedFile::setOwner(uid_t user, gid_t group)
{
    m_user = user;
    m_group = group;
    m_keepOwner = true;
}

void StagedFile::setTimes(const struct timespec &accessed, const struct timespec &modified)
{
    m_times[0] = accessed;
    m_times[1] = modified;
    m_keepTimes = true;
}

Status StagedFile::commit(bool replace, bool durable)
{
    if (m_fd < 0)
        return failureFor(ErrBadFileNameOrNumber, m_display);
    if (m_keepOwner && ::fchown(m_fd, m_user, m_group) == 0)
        ::fchmod(m_fd, m_mode); // a change of owner clears the set-id bits
    if (m_keepTimes)
        ::futimens(m_fd, m_times);
    if (durable && ::fsync(m_fd) != 0) {
        const int err = errno;
        abort();
        return errnoFailure(err, m_display);
    }
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || st.st_size != m_written) {
        abort();
        return failureFor(ErrDeviceIo, m_display, QStringLiteral("Größe stimmt nicht"));
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(m_tempPath.constData());
        m_tempPath.clear();
        return errnoFailure(err, m_display);
    }
    if (m_inPlace) {
        m_tempPath.clear();
        m_inPlace = false;
        return Status::success();
    }
    const QByteArray target = targetPath();
    const int err = replace ? (::rename(m_tempPath.constData(), target.constData()) == 0 ? 0 : errno)
                            : renameNoReplace(m_tempPath, target);
    if (err != 0) {
        ::unlink(m_tempPath.constData());
        m_tempPath.clear();
        if (err == EEXIST)
            return failureFor(ErrFileExists, m_display);
        return errnoFailure(err, m_display);
    }
    m_tempPath.clear();
    return Status::success();
}

void StagedFile::abort()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.isEmpty()) {
        ::unlink(m_tempPath.constData());
        m_tempPath.clear();
    }
    m_inPlace = false;
}

} // namespace quorvane::platform
