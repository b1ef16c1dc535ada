#include "platform/filecompare.h"

#include "platform/host/beneath.h"

#include "platform/hosterrors.h"
#include "platform/host/regularfile.h"
#include "platform/services.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace quorvane::platform {

namespace {

constexpr qsizetype CompareChunk = 1 << 20;

// Reads until the buffer is full or the file ends; -1 with errno on failure.
qsizetype readFully(int fd, char *buffer, qsizetype size)
{
    qsizetype got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, buffer + got, size_t(size - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

class OpenFile {
public:
    OpenFile(const QString &drivePath)
    {
        const Result<QByteArray> host = fileSystem().hostBytes(drivePath);
        if (!host.ok()) {
            failure = host.status();
            return;
        }
        int err = 0;
        fd = openRegular(host.value(), st, err);
        if (!fd)
            failure = openFailure(err, drivePath);
    }

    Descriptor fd;
    struct stat st {};
    Status failure;
};

// Compares what is left of both files; they have the same size.
Result<bool> sameContent(int a, const QString &pathA, int b, const QString &pathB)
{
    std::vector<char> left(static_cast<size_t>(CompareChunk));
    std::vector<char> right(static_cast<size_t>(CompareChunk));
    for (;;) {
        const qsizetype gotA = readFully(a, left.data(), CompareChunk);
        if (gotA < 0)
            return Result<bool>::failure(errnoFailure(errno, pathA));
        const qsizetype gotB = readFully(b, right.data(), CompareChunk);
        if (gotB < 0)
            return Result<bool>::failure(errnoFailure(errno, pathB));
        if (gotA != gotB || std::memcmp(left.data(), right.data(), size_t(gotA)) != 0)
            return Result<bool>::success(false);
        if (gotA < CompareChunk)
            return Result<bool>::success(true);
    }
}

bool unchangedSince(int fd, const struct stat &then)
{
    struct stat now {};
    return ::fstat(fd, &now) == 0 && stampOf(now).sameState(stampOf(then));
}

} // namespace

Result<FileStamp> fileStamp(const QString &drivePath)
{
    const OpenFile file(drivePath);
    if (!file.fd)
        return Result<FileStamp>::failure(file.failure);
    return Result<FileStamp>::success(stampOf(file.st));
}

Result<bool> sameBytes(const QString &a, const QString &b, FileStamp *stampOfA)
{
    const OpenFile first(a);
    if (!first.fd)
        return Result<bool>::failure(first.failure);
    if (stampOfA)
        *stampOfA = stampOf(first.st);
    const OpenFile second(b);
    if (!second.fd)
        return Result<bool>::failure(second.failure);
    if (first.st.st_dev == second.st.st_dev && first.st.st_ino == second.st.st_ino)
        return Result<bool>::success(true);
    return sameOpenBytes(first.fd.get(), first.st, a, second.fd.get(), second.st, b);
}

Result<bool> sameOpenBytes(int a, const struct stat &statA, const QString &displayA, int b, const struct stat &statB,
                           const QString &displayB)
{
    if (statA.st_size != statB.st_size)
        return Result<bool>::success(false);
    ::posix_fadvise(a, 0, 0, POSIX_FADV_SEQUENTIAL);
    ::posix_fadvise(b, 0, 0, POSIX_FADV_SEQUENTIAL);
    const Result<bool> same = sameContent(a, displayA, b, displayB);
    // Bytes read while one of them changed prove nothing.
    if (same.ok() && same.value() && (!unchangedSince(a, statA) || !unchangedSince(b, statB)))
        return Result<bool>::success(false);
    return same;
}

AppendFile::~AppendFile()
{
    (void)close();
}

Status AppendFile::create(const QString &drivePath)
{
    const Result<HostPlace> place = fileSystem().hostPlace(drivePath);
    if (!place.ok())
        return place.status();
    m_display = drivePath;
    // The folder is held first, so that the one synced is the one the file was made in.
    const Descriptor folder(::open(place.value().folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        return errnoFailure(errno, drivePath);
    m_fd = Descriptor(::openat(folder.get(), place.value().name.constData(),
                               O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600));
    if (!m_fd)
        return errnoFailure(errno, drivePath);
    // Its name must outlast a crash as well as its lines.
    if (::fsync(folder.get()) != 0)
        return errnoFailure(errno, drivePath);
    return Status::success();
}

Status AppendFile::append(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd.get(), bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errnoFailure(errno, m_display);
        done += n;
    }
    return Status::success();
}

Result<FileStamp> AppendFile::stamp() const
{
    struct stat st {};
    if (!m_fd || ::fstat(m_fd.get(), &st) != 0)
        return Result<FileStamp>::failure(errnoFailure(!m_fd ? EBADF : errno, m_display));
    return Result<FileStamp>::success(stampOf(st));
}

Status AppendFile::sync()
{
    if (m_fd && ::fdatasync(m_fd.get()) != 0)
        return errnoFailure(errno, m_display);
    return Status::success();
}

Status AppendFile::close()
{
    if (!m_fd)
        return Status::success();
    Status synced = sync();
    if (!m_fd.close() && synced.ok())
        synced = errnoFailure(errno, m_display);
    return synced;
}

} // namespace quorvane::platform
