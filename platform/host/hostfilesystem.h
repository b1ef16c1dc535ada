#pragma once

#include "platform/host/descriptor.h"
#include "platform/drivemap.h"
#include "platform/drivepath.h"
#include "platform/filesystem.h"
#include "platform/host/hostcore.h"
#include "platform/host/stagedfile.h"
#include "platform/wildcard.h"

#include <QList>

#include <sys/types.h>

#include <map>
#include <memory>
#include <optional>

namespace quorvane::platform {

// The file system of this host seen through drive letters (see DriveMap).
//
// Names: a component that does not exist under its exact name is looked up
// without regard to case; among several case variants the one smallest in
// byte order is used. Names travel as bytes (see namecodec.h), so names that
// are not UTF-8 work like any other.
//
// Attributes: read-only is a missing owner-write bit, hidden is a name that
// begins with ".", system is never set, archive is ignored. A symbolic link
// is never a directory here, whatever it points to: the one-shot listing
// reports it as a file, readDirectory as a link, deleting or removing it
// removes the link only, no walk enters it.
//
// The current drive and directories live in this object, the session; the
// process's own working directory is never changed. One thread uses an
// instance at a time (the program has one), so nothing in it is locked.
// Every operation on a path is the core's (HostCore), which any thread may
// call: the session adds where relative paths start and, for deleting,
// moving and replacing, the files it holds open under numbers.
class HostFileSystem : public FileSystem {
public:
    HostFileSystem(); // drives from QUORVANE_DRIVES
    explicit HostFileSystem(DriveMap map);
    ~HostFileSystem() override;

    const DriveMap &driveMap() const { return m_map; }
    const FileSystemCore &core() const override { return m_core; }

    // Files not hidden are ordinary; read-only ones included (as the mask
    // values intend). Other host objects (pipes, sockets, devices) count as
    // system files: only a mask with 4 lists them. A missing folder gives an
    // empty listing, an unmapped drive error 68.
    Result<QString> dirFirst(const QString &pattern, int mask) override;
    Result<QString> dirNext() override;

    // Built for speed: one open and a getdents walk, no stat per entry (only
    // where the file system gives no type). attributes carries AttrDirectory
    // and AttrHidden only; the read-only bit is not filled, attributes(path)
    // gives the full set. A link to a folder carries AttrDirectory with
    // isDirectory false, so a walk can leave it out without entering it.
    // (readFolder and readFolderAt give the same entries, from the core.)
    Result<std::vector<DirEntry>> readDirectory(const QString &path) override;

    // A new copy gets the source's permission bits; a replaced file keeps
    // its own mode, owner and group. Either keeps the source's modification
    // time. A read-only target is refused (75) like the same file under any
    // name, and so is anything but a regular file.
    Status copyFile(const QString &source, const QString &target) override;
    Status copyToNewFile(const QString &source, const QString &target) override;
    // A new letter case for the same file ("a.txt" to "A.TXT") is allowed;
    // across file systems the moved file keeps mode, time and owner, and the
    // source goes only when it is still the file that was copied. A link to
    // a file moves as that file's content; only the link goes.
    Status moveFile(const QString &source, const QString &target) override;
    // A read-only file (as on the platform the program was made for) and a
    // file open under a file number here are refused with 75.
    Status deleteFile(const QString &path) override;
    Result<std::uint32_t> attributes(const QString &path) override;
    Status setAttributes(const QString &path, std::uint32_t attributes) override;

    Status removeTree(const QString &path, const std::function<void()> &perFolder) override;
    Status makeDirectory(const QString &path) override;
    Status removeDirectory(const QString &path) override;

    Status changeDrive(const QString &drive) override;
    Status changeDirectory(const QString &path) override;
    QString currentDrive() const override;
    QString currentDirectory() const override;

    int freeFile() override;
    Status openForInput(int number, const QString &path) override;
    Status openForOutput(int number, const QString &path) override;
    Status openForNewOutput(int number, const QString &path) override;
    Status printLine(int number, const QString &text) override;
    Status closeFile(int number) override;
    void abandonOutput(int number) override;

    // A file larger than maxBytes is refused (75) rather than cut short, so
    // a caller never writes back a truncated copy.
    Result<QByteArray> readFile(const QString &path, qint64 maxBytes) override;
    Status replaceFile(const QString &path, const QByteArray &content) override;

    Result<QString> longName(const QString &path) override;
    QString absolutePath(const QString &path) const override;
    // Bytes that are not UTF-8 show as U+FFFD: the result is for display only.
    Result<QString> hostPath(const QString &drivePath) override;
    Result<QString> drivePath(const QString &hostPath) const override;

    Result<QString> location(const QString &path, bool followLast) override;

    // By the exact host names, so names that are not UTF-8 work too.
    Result<bool> sameFile(const QString &a, const QString &b) override;

    Result<QByteArray> hostBytes(const QString &drivePath) override;
    Result<HostPlace> hostPlace(const QString &drivePath) override;

    Result<std::unique_ptr<ImageTrees>> openImageTrees(const QString &sourceBase, const QString &targetBase,
                                                       bool planOnly) override;

private:
    using Resolved = HostCore::Resolved;
    using Target = HostCore::Target;

    struct OpenFile {
        bool output = false;
        bool replace = true;                // output: the file found at open is replaced at close
        bool existed = false;               // output: a file stood under the name at open
        Descriptor fd;                      // input
        std::unique_ptr<StagedFile> staged; // output
        QByteArray buffer;
        QByteArray host;
        QString display;
        Status failed = Status::success(); // first write failure, reported again at close
    };

    // Where this session's relative paths start.
    HostCore::Anchor anchor() const;
    // 75 for a file open under a number here; a link named like it is not that file.
    Status refuseIfOpen(const QString &path) const;
    Status openOutput(int number, const QString &path, bool replace);
    // Fails with 52 for a number out of range, 55 for one in use.
    Status numberFree(int number, const QString &path) const;
    bool isOpenHere(const QByteArray &host) const;
    Status flushBuffer(OpenFile &file);
    void closeAll();

    HostCore m_core;
    const DriveMap &m_map = m_core.driveMap();
    QChar m_currentDrive = QLatin1Char('C');
    CurrentDirectories m_currentDirs;

    void endListing();
    // The one name of a listing without wildcards, when the mask admits it.
    void listOneName(const Resolved &folder, const QString &name, int dirFd, int mask);
    // Reads the open folder as the names are fetched; takes the descriptor.
    Result<QString> startReading(Descriptor dirFd, const Wildcard &pattern, bool withDots, int mask,
                                 const QString &display);

    std::vector<QString> m_listing; // names decided up front: "." and "..", or the one name asked for
    size_t m_listingNext = 0;
    FolderStream m_listingDir; // the rest, read as they are fetched
    std::optional<Wildcard> m_listingPattern;
    int m_listingMask = 0;
    bool m_listingActive = false;

    std::map<int, OpenFile> m_files;
};

} // namespace quorvane::platform
