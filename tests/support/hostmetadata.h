#pragma once

// What a host file holds besides its bytes, made and read through the
// system calls themselves: extended attributes, a POSIX ACL in the binary
// form the kernel stores, holes.
#include <QByteArray>
#include <QCryptographicHash>
#include <QList>
#include <QPair>
#include <QStringList>

#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

// Every extended attribute of path as "name=hex value", sorted; the ACL is
// one of them (system.posix_acl_access).
inline QStringList hostAttributes(const QByteArray &path)
{
    QStringList out;
    char names[65536];
    const ssize_t size = ::llistxattr(path.constData(), names, sizeof names);
    for (ssize_t at = 0; at < size; at += ssize_t(qstrlen(names + at)) + 1) {
        char value[65536];
        const ssize_t n = ::lgetxattr(path.constData(), names + at, value, sizeof value);
        out << QString::fromLatin1(names + at) + QLatin1Char('=')
                + QString::fromLatin1(QByteArray(value, n < 0 ? 0 : int(n)).toHex());
    }
    out.sort();
    return out;
}

inline bool setHostAttribute(const QByteArray &path, const char *name, const QByteArray &value)
{
    return ::lsetxattr(path.constData(), name, value.constData(), size_t(value.size()), 0) == 0;
}

// A POSIX ACL as system.posix_acl_access or _default holds it: version 2,
// then (tag, permissions, id) per entry, sorted by tag and id. Each entry
// here is a tag (1 owner, 2 user, 4 group, 8 named group, 0x10 mask,
// 0x20 others) with its permissions (4 read, 2 write, 1 execute) and id,
// the id only for named users and groups.
struct AclEntry {
    std::uint16_t tag;
    std::uint16_t permissions;
    std::uint32_t id = UINT32_MAX;
};

inline QByteArray aclBytes(const QList<AclEntry> &entries)
{
    QByteArray out;
    const std::uint32_t version = 2;
    out.append(reinterpret_cast<const char *>(&version), sizeof version);
    for (const AclEntry &e : entries) {
        out.append(reinterpret_cast<const char *>(&e.tag), sizeof e.tag);
        out.append(reinterpret_cast<const char *>(&e.permissions), sizeof e.permissions);
        out.append(reinterpret_cast<const char *>(&e.id), sizeof e.id);
    }
    return out;
}

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
