#pragma once

#include "platform/host/copypacer.h"
#include "platform/host/descriptor.h"
#include "platform/host/filemetadata.h"
#include "platform/result.h"

#include <QByteArray>
#include <QString>

#include <sys/stat.h>
#include <sys/types.h>

namespace quorvane::platform {

// New content for a file, written where no one sees it and given its name
// only once every byte is written and checked.
//
// The content goes into an unnamed file in the target's folder (O_TMPFILE).
// A new name is made with linkat, which fails when the name exists: nothing
// is ever replaced by accident, a race lost is reported (58). A replacement
// is linked under a temporary name beside the target and renamed over it at
// once. Killed at any moment, the process leaves the target absent, old or
// complete, and no half-written file under any name.
//
// Where the file system has no unnamed files, a temporary name
// (".quorvane-<name>-<random>.part") takes their place, put in place with
// renameat2(RENAME_NOREPLACE) or rename; only there can a kill leave a part
// file behind, and its name says what it is.
class StagedFile {
public:
    StagedFile() = default;
    ~StagedFile();
    StagedFile(const StagedFile &) = delete;
    StagedFile &operator=(const StagedFile &) = delete;

    // folder and name are host bytes; displayPath names the target in messages.
    Status create(const QByteArray &folder, const QByteArray &name, mode_t mode, const QString &displayPath);
    // The same in a folder already open (O_PATH is enough); the handle stays the caller's.
    Status createIn(int folderFd, const QByteArray &name, mode_t mode, const QString &displayPath);

    Status write(const char *data, qint64 size);
    Status write(const QByteArray &data) { return write(data.constData(), data.size()); }
    // Appends exactly size bytes of an open file from its position on
    // (copy_file_range, which shares blocks where the file system can;
    // read/write where the kernel cannot). Only the source's data is copied:
    // its holes stay holes here, a hole at the end included. A source that
    // holds fewer bytes by now is a failure.
    Status appendFrom(int sourceFd, qint64 size);
    // The same for a source just opened, whose stat is st: a file with every
    // block in place has no holes to look for.
    Status appendWhole(int sourceFd, const struct stat &st);
    // The target's folder has no default ACL, so the new file inherits
    // none that would have to go again.
    void folderHasNoDefaultAcl() { m_mayInheritAcl = false; }
    // Written off the window's thread: a long copy does not let it answer.
    void offTheWindowThread() { m_pacer.neverYield(); }
    // Keeps the extended attributes and the ACL of a source open for reading
    // (see FileMetadata): read now, written at the commit after owner and
    // mode. A replacement takes the attributes from the source, which
    // describe the content, but keeps the ACL of the file it replaces.
    Status keepMetadataOf(int sourceFd);
    // Keeps the modification time of a source.
    void setTimes(const struct timespec &accessed, const struct timespec &modified);
    // Gives the file this owner and group. required: a file that cannot keep
    // them is not put in place (a replaced file keeps what its user set);
    // otherwise where the host allows it (a moved file stays its owner's).
    void setOwner(uid_t user, gid_t group, bool required);

    // replace: an existing target is replaced, and its ACL (or its having
    // none) stays with the new file; otherwise it makes the commit fail (58).
    // durable: the bytes reach the disk (fsync) before the name does. Needed
    // wherever an old file or a source goes once the commit is done; a new
    // copy beside an untouched source loses nothing without it.
    // placed receives the file's stat: taken once it has its name where
    // stampAfterNaming was asked, else just before (the change time is then
    // the only thing that differs).
    Status commit(bool replace, bool durable = true, struct stat *placed = nullptr);
    void stampAfterNaming() { m_stampAfterNaming = true; }
    void abort();

    // The open file, for a final look (fstat) before the commit.
    int fd() const { return m_fd.get(); }
    const QByteArray &folder() const { return m_folder; }
    const QByteArray &name() const { return m_name; }

private:
    Status open(int folderFd);
    Status openNamed();
    Status copyData(int sourceFd, qint64 from, qint64 to, bool &kernelCopy);
    Status skipHole(qint64 length);
    Status keepMetadata(bool replace);
    Status keepPermissions(bool replace);
    // Links the unnamed file under name; 0 or an errno.
    int linkAs(const QByteArray &name);
    Status fail(int err);

    Descriptor m_fd;
    Descriptor m_ownFolder; // the folder when create opened it
    int m_folderFd = -1;    // m_ownFolder's, or the caller's
    QByteArray m_folder;
    QByteArray m_name;
    QByteArray m_tempName; // the temporary name in the folder, while one exists
    QString m_display;
    qint64 m_size = 0; // bytes written, holes included
    CopyPacer m_pacer;
    bool m_unnamed = false;
    bool m_keepTimes = false;
    bool m_keepOwner = false;
    bool m_ownerRequired = false;
    bool m_keepMetadata = false;
    bool m_mayInheritAcl = true;
    bool m_stampAfterNaming = false;
    FileMetadata m_metadata;
    mode_t m_mode = 0;
    uid_t m_user = 0;
    gid_t m_group = 0;
    struct timespec m_times[2]{};
};

// The temporary name for a file that becomes name: ".quorvane-<name>-<random>.part",
// the name shortened (at a character) so that the whole fits into 255 bytes.
QByteArray temporaryName(const QByteArray &name);

// The process's file-creation mask, read once.
mode_t processUmask();

// rename without replacing: renameat2(RENAME_NOREPLACE), or link + unlink where
// the file system lacks it. Returns 0 or an errno.
int renameNoReplace(const QByteArray &from, const QByteArray &to);
int renameNoReplaceAt(int fromFolder, const QByteArray &from, int toFolder, const QByteArray &to);

} // namespace quorvane::platform
