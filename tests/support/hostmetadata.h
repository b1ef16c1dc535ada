#pragma once

// What a host file holds besides its bytes, made and read through the
// system calls themselves: holes.
#include <QByteArray>
#include <QCryptographicHash>
#include <QList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// A file of size bytes that holds data only in the 4 KiB blocks at the
// given offsets (each block its own pattern) and holes everywhere else.
inline bool makeSparseFile(const QByteArray &path, qint64 size, const QList<qint64> &dataAt)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    bool ok = ::ftruncate(fd, size) == 0;
    for (qint64 at : dataAt) {
        const QByteArray block(4096, char('a' + at % 23));
        ok = ok && ::pwrite(fd, block.constData(), size_t(block.size()), at) == block.size();
    }
    return ::close(fd) == 0 && ok;
}

// Size, disk use in 512-byte blocks and a checksum of the content.
struct HostContent {
    qint64 size = -1;
    qint64 blocks = -1;
    QByteArray sha1;
};

inline HostContent hostContent(const QByteArray &path)
{
    HostContent out;
    struct stat st {};
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        if (fd >= 0)
            ::close(fd);
        return out;
    }
    QCryptographicHash hash(QCryptographicHash::Sha1);
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    ssize_t n = 0;
    while ((n = ::read(fd, buffer.data(), size_t(buffer.size()))) > 0)
        hash.addData(QByteArrayView(buffer.constData(), n));
    ::close(fd);
    out.size = st.st_size;
    out.blocks = st.st_blocks;
    out.sha1 = hash.result().toHex();
    return out;
}
