#pragma once

#include "platform/host/descriptor.h"
#include "platform/drivemap.h"
#include "platform/drivepath.h"
#include "platform/filesystem.h"
#include "platform/host/foldernamecache.h"

#include <QList>

#include <functional>

#include <sys/stat.h>
#include <sys/types.h>

namespace quorvane::platform {

// The host's drives, folders and files without any session: no current
// drive or folder, no listing, no open files. The drive map is fixed at
// construction and the one thing remembered, the stored letter case of names
// (FolderNameCache), has its own lock, so every member is const and any
// number of threads may call them at once.
//
// Besides the absolute-path members of FileSystemCore, each operation takes
// an Anchor: where a session's relative paths start. The session
// (HostFileSystem) calls these with its own current drive and folders.
class HostCore final : public FileSystemCore {
public:
    explicit HostCore(DriveMap map) : m_map(std::move(map)) {}

    const DriveMap &driveMap() const { return m_map; }

    // Where paths that are not absolute start. Without folders only absolute
    // paths are taken (52 for any other form).
    struct Anchor {
        QChar drive = QLatin1Char('C');
        const CurrentDirectories *folders = nullptr;
    };

    // A path looked up on the disk.
    struct Resolved {
        DrivePath path;          // absolute, components as given
        QByteArray root;         // host folder of the drive
        QList<QByteArray> names; // host names; as stored where they exist
        qsizetype found = 0;     // leading components that exist
        bool folderOnly = false; // written with a trailing separator: names a folder, never a file

        bool exists() const { return found == names.size(); }
        bool parentExists() const { return found >= names.size() - 1; }
        QByteArray host() const;
        QByteArray hostParent() const;
        QString display() const { return path.toString(); }
        QString storedDrivePath() const;
    };

    // Where new content for a file goes: the folder and name on the host
    // (through a link to a file, the file it points at), the mode to give it
    // and, for a file that is there, its owner and group.
    struct Target {
        QByteArray folder;
        QByteArray name;
        QString display;
        mode_t mode = 0;
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        uid_t user = 0;
        gid_t group = 0;
        QByteArray host() const;
    };

    QStringList drives() const override;
    Result<FolderContents> readFolder(const QString &absolutePath, bool keepOpen) const override;
    Result<FolderContents> readFolderAt(const FolderHandle &parent, const QString &name, bool keepOpen) const override;

    Result<QString> longName(const QString &path) const override { return longName(path, {}); }
    Result<QByteArray> hostBytes(const QString &drivePath) const override { return hostBytes(drivePath, {}); }
    Result<QString> location(const QString &path, bool followLast) const override
    {
        return location(path, followLast, {});
    }
    Result<bool> sameFile(const QString &a, const QString &b) const override { return sameFile(a, b, {}); }
    Result<std::uint32_t> attributes(const QString &path) const override { return attributes(path, {}); }
    Status setAttributes(const QString &path, std::uint32_t attributes) const override
    {
        return setAttributes(path, attributes, {});
    }
    Status copyFile(const QString &source, const QString &target) const override
    {
        return copyTo(source, target, true, {});
    }
    Status copyToNewFile(const QString &source, const QString &target) const override
    {
        return copyTo(source, target, false, {});
    }
    Status moveFile(const QString &source, const QString &target) const override
    {
        return moveFile(source, target, {});
    }
    Status deleteFile(const QString &path) const override { return deleteFile(path, {}); }
    Status makeDirectory(const QString &path) const override { return makeDirectory(path, {}); }
    Status removeDirectory(const QString &path) const override { return removeDirectory(path, {}); }
    Result<QByteArray> readFile(const QString &path, qint64 maxBytes) const override
    {
        return readFile(path, maxBytes, {});
    }

    // The same, with paths taken from at.
    Result<QString> longName(const QString &path, const Anchor &at) const;
    Result<QByteArray> hostBytes(const QString &drivePath, const Anchor &at) const;
    Result<HostPlace> hostPlace(const QString &drivePath, const Anchor &at) const;
    Result<QString> location(const QString &path, bool followLast, const Anchor &at) const;
    Result<bool> sameFile(const QString &a, const QString &b, const Anchor &at) const;
    Result<std::uint32_t> attributes(const QString &path, const Anchor &at) const;
    Status setAttributes(const QString &path, std::uint32_t attributes, const Anchor &at) const;
    Status copyTo(const QString &source, const QString &target, bool replace, const Anchor &at) const;
    Status moveFile(const QString &source, const QString &target, const Anchor &at) const;
    Status deleteFile(const QString &path, const Anchor &at) const;
    Status makeDirectory(const QString &path, const Anchor &at) const;
    Status removeDirectory(const QString &path, const Anchor &at) const;
    Result<QByteArray> readFile(const QString &path, qint64 maxBytes, const Anchor &at) const;
    Status removeTree(const QString &path, const std::function<void()> &perFolder, const Anchor &at) const;
    Result<std::unique_ptr<ImageTrees>> openImageTrees(const QString &sourceBase, const QString &targetBase,
                                                       bool planOnly, const Anchor &at) const;

    // The drive path of a host path (see FileSystem::drivePath).
    Result<QString> drivePath(const QString &hostPath) const;

    // The path looked up, exact name first, else the stored letter case.
    Result<Resolved> resolve(const QString &path, const Anchor &at) const;
    // The same, failing with 53 or 76 where nothing stands under the path.
    Result<Resolved> resolveExisting(const QString &path, const Anchor &at) const;
    // Refuses a missing folder (76), a read-only file and anything but a
    // regular file (75): a folder, a device, a pipe, a socket.
    Result<Target> prepareTarget(const QString &path, const Anchor &at) const;
    // Opens a folder spelled exactly as stored; invalid with errno set when
    // it is not there so.
    Descriptor openExactFolder(const QString &path, const Anchor &at) const;
    Descriptor openExactFolder(const QString &path) const { return openExactFolder(path, {}); }
    // A name this program put into a host folder, so later lookups know it.
    void nameAdded(const QByteArray &folder, const QByteArray &name) const { m_names.added(folder, name); }

private:
    // The path as written: absolute, its drive's folder and the host names; nothing looked up.
    Result<Resolved> spell(const QString &path, const Anchor &at) const;
    // How many leading names stand exactly as written in an existing folder
    // (all but the last, or none); parent becomes that folder.
    static qsizetype namesInExactParent(const Resolved &r, QByteArray &parent);
    // Looks the names from first on up below prefix, exact name first, else
    // the stored letter case; found counts those that exist.
    Status lookUpNames(Resolved &r, QByteArray prefix, qsizetype first) const;
    // 53 when only the last component is missing from an existing folder, else 76.
    static Status missing(const Resolved &r);

    // Where a move to t puts the file (from: the source on the host), or why it may not.
    static Result<QByteArray> moveDestination(const Resolved &t, const QByteArray &from);
    // Renames where it can; a link, or a file on another file system, goes by
    // a checked copy. st is the source's lstat.
    static Status renameOrCopy(const Resolved &from, const struct stat &st, const QByteArray &to,
                               const QString &toDisplay);
    // A move to another file system, or of a link: a checked copy, then the
    // source name goes. linkStat is the source's lstat.
    static Status moveByCopy(const Resolved &from, const struct stat &linkStat, const QByteArray &toFolder,
                             const QByteArray &toName, const QString &toDisplay);

    const DriveMap m_map;
    mutable FolderNameCache m_names;
};

} // namespace quorvane::platform
