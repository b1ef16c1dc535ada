#include "platform/host/filemetadata.h"

#include "platform/fslog.h"
#include "platform/hosterrors.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace quorvane::platform {

namespace {

const char AccessAcl[] = "system.posix_acl_access";
const char DefaultAcl[] = "system.posix_acl_default";

// A list or a value can change size between asking for its size and
// reading it: then it is asked again.
template <typename Call>
int readWhole(QByteArray &out, Call call)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        const ssize_t size = call(nullptr, 0);
        if (size < 0)
            return errno;
        out.resize(size);
        if (size == 0)
            return 0;
        const ssize_t n = call(out.data(), size_t(size));
        if (n >= 0) {
            out.resize(n);
            return 0;
        }
        if (errno != ERANGE)
            return errno;
    }
    return ERANGE;
}

// The target will not hold this name at all: no such attributes on that
// file system (EOPNOTSUPP is ENOTSUP here), not permitted to this user,
// a name or value beyond its limits, or a value it does not accept (an ACL
// naming a user it cannot map).
bool refusedByTarget(int err)
{
    return err == EOPNOTSUPP || err == EPERM || err == EACCES || err == E2BIG || err == ERANGE || err == EINVAL;
}

Status writeFailure(int err, const QString &display)
{
    if (err == ENOSPC || err == EDQUOT)
        return failureFor(ErrDiskFull, display, QStringLiteral("Kein Platz für die erweiterten Attribute der Datei"));
    return errnoFailure(err, display);
}

void logSkipped(const QByteArray &name, int err, const QString &display)
{
    qCInfo(fsLog).noquote() << QStringLiteral("Attribut %1 nicht übernommen: %2: %3")
                                   .arg(QString::fromLatin1(name), display, hostReason(err));
}

} // namespace

Status FileMetadata::readFrom(int fd, const QString &display)
{
    m_attributes.clear();
    m_acl.clear();
    m_hasAcl = false;
    QByteArray names;
    int err = readWhole(names, [fd](char *buffer, size_t size) { return ::flistxattr(fd, buffer, size); });
    if (err == EOPNOTSUPP)
        return Status::success(); // a file system without attributes
    if (err != 0)
        return errnoFailure(err, display);
    for (const QByteArray &name : names.split('\0')) {
        if (name.isEmpty() || name == DefaultAcl)
            continue;
        QByteArray value;
        err = readWhole(
            value, [fd, &name](char *buffer, size_t size) { return ::fgetxattr(fd, name.constData(), buffer, size); });
        if (err == ENODATA)
            continue; // removed since the list was read
        if (err != 0)
            return errnoFailure(err, display);
        if (name == AccessAcl) {
            m_acl = value;
            m_hasAcl = true;
        } else {
            m_attributes.append({name, value});
        }
    }
    return Status::success();
}

Status FileMetadata::readAclAt(int folderFd, const QByteArray &name, const QString &display)
{
    m_attributes.clear();
    m_acl.clear();
    m_hasAcl = false;
    // Through the folder's handle, without opening the file: reading it may
    // be denied where replacing it is not.
    char folder[40];
    std::snprintf(folder, sizeof folder, "/proc/self/fd/%d/", folderFd);
    const QByteArray path = folder + name;
    const int err = readWhole(
        m_acl, [&path](char *buffer, size_t size) { return ::lgetxattr(path.constData(), AccessAcl, buffer, size); });
    if (err == 0) {
        m_hasAcl = true;
        return Status::success();
    }
    if (err == ENODATA || err == EOPNOTSUPP || err == ENOENT)
        return Status::success();
    return errnoFailure(err, display);
}

Status FileMetadata::writeAttributes(int fd, const QString &display) const
{
    for (const auto &[name, value] : m_attributes) {
        if (::fsetxattr(fd, name.constData(), value.constData(), size_t(value.size()), 0) == 0)
            continue;
        const int err = errno;
        if (!refusedByTarget(err))
            return writeFailure(err, display);
        logSkipped(name, err, display);
    }
    return Status::success();
}

Status FileMetadata::writeAcl(int fd, mode_t mode, bool required, const QString &display) const
{
    if (m_hasAcl) {
        // The ACL sets the permission bits of the mode itself; set-id bits stay.
        if (::fsetxattr(fd, AccessAcl, m_acl.constData(), size_t(m_acl.size()), 0) == 0)
            return Status::success();
        const int err = errno;
        if (!refusedByTarget(err))
            return writeFailure(err, display);
        if (required)
            return failureFor(ErrPermissionDenied, display,
                              QStringLiteral("Die Zugriffsliste (ACL) der Datei lässt sich nicht erhalten"));
        logSkipped(AccessAcl, err, display);
        return Status::success();
    }
    if (::fremovexattr(fd, AccessAcl) != 0) {
        const int err = errno;
        // None there, or a file system that keeps none.
        return err == ENODATA || refusedByTarget(err) ? Status::success() : errnoFailure(err, display);
    }
    // The group bits were the removed ACL's mask: the mode asked for comes back.
    if (::fchmod(fd, mode) != 0)
        return errnoFailure(errno, display);
    return Status::success();
}

} // namespace quorvane::platform
