#pragma once

#include "platform/result.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <sys/types.h>

namespace quorvane::platform {

// What a file carries besides its bytes, mode, owner and times, kept as
// cp -a and mv keep it: the extended attributes (user.*, and security.*,
// trusted.*, system.* as far as the host lets them be read and written),
// among them the POSIX access ACL. A default ACL only means something on a
// folder and is left out.
//
// Read from the source while it is open, written onto the new file just
// before it takes its name. What counts as a failure:
// - attributes of the source that cannot be read (other than on a file
//   system without any): the copy would lack part of the file, and a move
//   would lose it together with the source;
// - a full target (ENOSPC, EDQUOT) or an I/O error while writing one, as for
//   the bytes: the user can make room and copy again, and a move keeps its
//   source.
// A name the target refuses (no such attributes there, not permitted to
// this user, too big for that file system) is skipped and logged: the
// content matters more than an attribute the target cannot hold at all.
class FileMetadata {
public:
    // Reads every attribute of a file open for reading.
    [[nodiscard]] Status readFrom(int fd, const QString &display);
    // Reads only the access ACL of name in the folder open as folderFd
    // (O_PATH is enough); a name that is gone has none.
    [[nodiscard]] Status readAclAt(int folderFd, const QByteArray &name, const QString &display);

    // Writes the attributes other than the ACL onto fd.
    [[nodiscard]] Status writeAttributes(int fd, const QString &display) const;
    // Gives fd exactly the ACL read: that one, or none where none was read
    // (an ACL the new file took over from its folder goes, and mode comes
    // back). Called after every chmod, since a chmod rewrites an ACL's mask.
    // required: a target refusing the ACL fails the commit instead of being
    // skipped.
    [[nodiscard]] Status writeAcl(int fd, mode_t mode, bool required, const QString &display) const;

    bool hasAcl() const { return m_hasAcl; }

private:
    QList<QPair<QByteArray, QByteArray>> m_attributes; // name, value
    QByteArray m_acl;
    bool m_hasAcl = false;
};

} // namespace quorvane::platform
