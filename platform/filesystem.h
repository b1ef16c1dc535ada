#pragma once

#include "platform/imagetrees.h"
#include "platform/result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace quorvane::platform {

// Attribute bits as the callers know them.
enum Attribute : std::uint32_t {
    AttrNormal = 0,
    AttrReadOnly = 1,
    AttrHidden = 2,
    AttrSystem = 4,
    AttrVolume = 8,
    AttrDirectory = 16,
    AttrArchive = 32,
};

// Masks of the one-shot listing.
enum ListingMask : int {
    MaskNormal = 0,       // ordinary files only
    MaskHiddenSystem = 6, // every file, whatever its flags; no directories
    MaskDirectory = 16,   // also directories that are neither hidden nor system, with "." and ".."
};

struct DirEntry {
    QString name;             // as stored, bytes that do not decode carried as U+DC80 + byte
    bool isDirectory = false; // a real directory (a link to one is not)
    bool isLink = false;      // a symbolic link of any kind; never entered by a walk
    std::uint32_t attributes = AttrNormal;
};

// A folder held open. What lies below it is read without spelling its path
// again: the length of the path does not matter, and the folders above it are
// not looked up once more. Closed when the last owner lets go.
class FolderHandle {
public:
    virtual ~FolderHandle() = default;
};
using FolderHandlePtr = std::shared_ptr<const FolderHandle>;

// An entry of one reading of a folder, its name kept in the reading's names.
struct FolderEntry {
    qsizetype offset = 0; // where its name begins in FolderContents::names
    qsizetype size = 0;
    bool isDirectory = false; // as in DirEntry
    bool isLink = false;
    std::uint32_t attributes = AttrNormal;
};

// One reading of a folder by readFolder or readFolderAt: the entries
// readDirectory gives, their names one after another in one string (a
// walk reads hundreds of thousands of names; one allocation a folder
// instead of one a name).
struct FolderContents {
    QString names;
    std::vector<FolderEntry> entries;
    FolderHandlePtr handle; // the folder itself, when it was to stay open

    QStringView nameOf(const FolderEntry &entry) const { return QStringView(names).mid(entry.offset, entry.size); }
};

// The part of the file system that holds no state of its own: every member
// is const and THREAD-SAFE, so the walk's helper threads may call it while
// the user-interface thread works on the session. It knows no current drive
// or folder: every path is absolute ("X:\a\b"); any other form fails with
// 52. Letter case is looked up as in the session (see FileSystem), and what
// the members do is what the session's members of the same name do, except
// that the core knows nothing of the session's file numbers.
// Where a drive path lies on the host: the folder that holds it and its
// last name there, each as the lookup of the whole path resolved it.
struct HostPlace {
    QByteArray folder;
    QByteArray name;
};

class FileSystemCore {
public:
    virtual ~FileSystemCore() = default;

    virtual Result<QString> longName(const QString &path) const = 0;
    virtual Result<QByteArray> hostBytes(const QString &drivePath) const = 0;
    virtual Result<QString> location(const QString &path, bool followLast) const = 0;
    virtual Result<bool> sameFile(const QString &a, const QString &b) const = 0;
    virtual Result<std::uint32_t> attributes(const QString &path) const = 0;
    virtual Status setAttributes(const QString &path, std::uint32_t attributes) const = 0;
    virtual Status copyFile(const QString &source, const QString &target) const = 0;
    virtual Status copyToNewFile(const QString &source, const QString &target) const = 0;
    virtual Status moveFile(const QString &source, const QString &target) const = 0;
    virtual Status deleteFile(const QString &path) const = 0;
    virtual Status makeDirectory(const QString &path) const = 0;
    virtual Status removeDirectory(const QString &path) const = 0;
    virtual Result<QByteArray> readFile(const QString &path, qint64 maxBytes) const = 0;

    // Drives that exist, as "C:", "D:", in letter order.
    virtual QStringList drives() const = 0;

    // Reading for walks. A failure carries the error number and, as its
    // message, the host's reason in German ("Keine Berechtigung") without the
    // path: the caller names the folder in its own form. With keepOpen the
    // folder stays open in handle. readFolder takes an absolute folder
    // spelled exactly as stored ("X:\a\b"), without letter-case help;
    // readFolderAt a folder by its stored name inside a folder held open,
    // which reaches folders below paths of any length. readFolderAt never
    // enters a link.
    virtual Result<FolderContents> readFolder(const QString &absolutePath, bool keepOpen) const = 0;
    virtual Result<FolderContents> readFolderAt(const FolderHandle &parent, const QString &name,
                                                bool keepOpen) const = 0;
};

// The file system with the semantics of the platform the program was made
// for: drive-letter paths with "\" ("C:\Daten\x.jpg"), letter case ignored in
// names, attributes, and error numbers instead of exceptions.
//
// Paths may be absolute ("C:\a"), rooted on the current drive ("\a"),
// drive-relative ("C:a") or relative to the current directory ("a\b").
//
// A FileSystem is a session over its core: the current drive and folders,
// the one-shot listing, the numbered files and what it remembers of names
// live here, so one thread uses it at a time (NOT thread-safe). Other
// threads reach the core alone, through core().
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The thread-safe core under this session.
    virtual const FileSystemCore &core() const = 0;

    QStringList drives() const { return core().drives(); }

    // The one-shot listing: one listing state for the whole process. Starting
    // a listing ends the one in progress. The empty string marks the end.
    virtual Result<QString> dirFirst(const QString &pattern, int mask) = 0;
    virtual Result<QString> dirNext() = 0;

    // Everything a directory holds but "." and "..", in the order the disk
    // gives it. Links are reported as links and never followed.
    virtual Result<std::vector<DirEntry>> readDirectory(const QString &path) = 0;

    // The core's reading for walks (see FileSystemCore).
    Result<FolderContents> readFolder(const QString &absolutePath, bool keepOpen) const
    {
        return core().readFolder(absolutePath, keepOpen);
    }
    Result<FolderContents> readFolderAt(const FolderHandle &parent, const QString &name, bool keepOpen) const
    {
        return core().readFolderAt(parent, name, keepOpen);
    }

    // Replaces an existing target only once the new content is complete;
    // refuses to copy a file onto itself.
    virtual Status copyFile(const QString &source, const QString &target) = 0;
    // Never replaces: fails with 58 when a file stands under the target name,
    // also one that appears while the copy is made.
    virtual Status copyToNewFile(const QString &source, const QString &target) = 0;
    // Renames, across file systems by a checked copy; never replaces a target.
    virtual Status moveFile(const QString &source, const QString &target) = 0;
    virtual Status deleteFile(const QString &path) = 0;
    virtual Result<std::uint32_t> attributes(const QString &path) = 0;
    virtual Status setAttributes(const QString &path, std::uint32_t attributes) = 0;

    // Removes a folder with everything in it that the listings of the
    // platform the program was made for admit: files of every attribute,
    // folders that are not hidden, read-only marks cleared first. Below the
    // folder named, everything goes through handles and no link is
    // followed; a link named as the folder is removed as a link. perFolder
    // runs once for every folder emptied, before it is removed. What cannot
    // go stays, and so do the folders above it.
    virtual Status removeTree(const QString &path, const std::function<void()> &perFolder) = 0;
    virtual Status makeDirectory(const QString &path) = 0;   // 75 when it exists
    virtual Status removeDirectory(const QString &path) = 0; // only an empty one; a link is removed as a link

    virtual Status changeDrive(const QString &drive) = 0; // "D", "D:" or any path on D
    virtual Status changeDirectory(const QString &path) = 0;
    virtual QString currentDrive() const = 0;     // "C:"
    virtual QString currentDirectory() const = 0; // "C:\Daten", a root as "C:\"

    // Sequential files under numbers.
    virtual int freeFile() = 0;
    virtual Status openForInput(int number, const QString &path) = 0;
    // Output goes to an unnamed file beside the target; close puts it in
    // place only when every byte is written, so a failed write leaves an old
    // file whole. The file found under the name at open is replaced (keeping
    // its owner and mode); one that appears only meanwhile is not (58).
    virtual Status openForOutput(int number, const QString &path) = 0;
    // The same for a new file: closing fails with 58, and writes nothing,
    // when a file stands under the name by then.
    virtual Status openForNewOutput(int number, const QString &path) = 0;
    virtual Status printLine(int number, const QString &text) = 0; // Windows-1252, then CR LF
    virtual Status closeFile(int number) = 0;
    // Closes an output file without putting anything in place: the old file,
    // or none, stays under the name.
    virtual void abandonOutput(int number) = 0;

    // Whole-file helpers for small files such as the settings file.
    virtual Result<QByteArray> readFile(const QString &path, qint64 maxBytes) = 0;
    virtual Status replaceFile(const QString &path, const QByteArray &content) = 0;

    // The absolute drive path with every component as stored on the disk;
    // fails when a component does not exist.
    virtual Result<QString> longName(const QString &path) = 0;
    // The absolute drive path ("C:\a\b") of a path given in any of the forms above.
    virtual QString absolutePath(const QString &path) const = 0;
    // The host's own name for a drive path ("/home/anna/x.jpg"), for display.
    virtual Result<QString> hostPath(const QString &drivePath) = 0;
    // The drive path of a host path, using the drive whose folder holds it.
    virtual Result<QString> drivePath(const QString &hostPath) const = 0;
    // The host's name of a drive path byte for byte, letter case resolved
    // where the names exist: for output that other programs read back.
    virtual Result<QByteArray> hostBytes(const QString &drivePath) = 0;
    // The same, parted into the folder and the name in it; fails for a
    // drive's root, which has no name of its own.
    virtual Result<HostPlace> hostPlace(const QString &drivePath) = 0;

    // The two trees of an image run, held open at their roots (see
    // ImageTrees). sourceBase must be a folder; targetBase may not exist yet
    // (it is made by the first folder the run makes). planOnly: nothing is
    // ever written through them.
    virtual Result<std::unique_ptr<ImageTrees>> openImageTrees(const QString &sourceBase, const QString &targetBase,
                                                               bool planOnly) = 0;

    // Where a path leads on the host, for telling whether one place lies
    // inside another: the host path with every link in its folders followed,
    // and the link of its last component too when followLast, as
    // "/"-separated names decoded like listed names (exact, no display
    // substitutes). Components that do not exist yet follow as written, the
    // existing ones as stored. Fails where the disk cannot say.
    virtual Result<QString> location(const QString &path, bool followLast) = 0;

    // Whether two paths lead to one and the same file on the disk, through
    // links, hard links or two drive letters alike. Fails when either cannot
    // be reached, so a caller that must not harm a file treats that as "cannot
    // tell".
    virtual Result<bool> sameFile(const QString &a, const QString &b) = 0;
};

} // namespace quorvane::platform
