#pragma once

#include "platform/filecompare.h"
#include "platform/result.h"
#include "platform/volume.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace quorvane::platform {

// The folder of a relative entry ("a\b" for "a\b\c.txt", empty at the root)
// and its last name; the folder also as a view, without a copy.
inline QStringView parentViewOfEntry(const QString &relative)
{
    const qsizetype cut = relative.lastIndexOf(QLatin1Char('\\'));
    return cut < 0 ? QStringView() : QStringView(relative).left(cut);
}

inline QString parentOfEntry(const QString &relative)
{
    return parentViewOfEntry(relative).toString();
}

inline QString lastNameOfEntry(const QString &relative)
{
    return relative.mid(relative.lastIndexOf(QLatin1Char('\\')) + 1);
}

// What stands under a name in the target tree.
enum class EntryKind { Missing, File, Folder, Link, Other };

struct TargetEntry {
    EntryKind kind = EntryKind::Missing;
    QString name;          // as stored where something stands, else as asked
    FileStamp stamp;       // File: the file as it is now
    bool readOnly = false; // File: without its owner's write permission
};

// A file an operation has put in place.
struct PlacedFile {
    FileStamp stamp; // as it stands under its name, right after
    QByteArray host; // its host path, names as stored
};

// The two trees of one image run, each held open at its root for the whole
// run. Every operation names its files relative to a root ("a\b\c.txt",
// drive-path names with "\" between them) and goes through folder handles
// opened below that root: a folder is never left through "..", an absolute
// link or a link that leads out, so whatever another program renames or
// swaps for a link meanwhile, a run reads and removes only below its source
// root and writes only below its target root. The final step of each
// operation is a call on the folder handle with a single name (renameat2,
// linkat, unlinkat, openat), never a path looked up again.
//
// Source entries are the names the walk found, exact. Target names are
// looked up without regard to letter case: an existing entry keeps its
// spelling, a new one gets the name as asked.
//
// A link among the source entries is read as the file it leads to, while
// that lies inside the source tree; moving or removing such an entry
// removes only the link. A link in the target is never written through:
// an existing link under a target name is not a file that may be replaced.
class ImageTrees {
public:
    virtual ~ImageTrees() = default;

    // Where the roots lie now (FileSystem::location form), and their host
    // paths. The target's are empty while it does not exist yet.
    virtual QString sourceLocation() const = 0;
    virtual QString targetLocation() const = 0;
    // The roots' host paths as given: what sourceHost and targetHost begin with.
    virtual QByteArray sourceRootHost() const = 0;
    virtual QByteArray targetRootHost() const = 0;

    // Placed files are stamped once they have their names, change time
    // included (one more look per file): for a journal that must tell them
    // apart from any other file later.
    virtual void keepExactStamps() = 0;
    // The kind of disk the target lies on (of the folder that will hold it,
    // while it does not exist yet).
    virtual Volume targetVolume() = 0;
    // Whether the target root is the host's root or a system folder.
    virtual bool targetIsSystemFolder() = 0;
    // Whether the two roots are one folder (also through two names for it).
    virtual bool rootsAreOne() const = 0;
    // Whether the source folder relative (exact names) is the target root.
    virtual bool isTargetRoot(const QString &relativeSourceFolder) = 0;

    // --- The source tree
    // The stamp of what a copy of entry reads: the file, through a link the
    // file it leads to. Fails where that cannot be read, or lies outside.
    virtual Result<FileStamp> sourceStamp(const QString &entry) = 0;
    // The same for every entry, without opening a regular file: one call
    // instead of three, for the check of every file before a run writes.
    // Each look is handed on in the entries' order; they may be taken side
    // by side meanwhile.
    using SourceLookSink = std::function<void(qsizetype index, const Result<FileStamp> &look)>;
    virtual void sourceLooks(const QStringList &entries, const SourceLookSink &each) = 0;
    // The host path of entry, for records.
    virtual QByteArray sourceHost(const QString &entry) const = 0;
    // Whether two source entries are two files holding the same bytes.
    virtual Result<bool> sameSourceBytes(const QString &a, const QString &b) = 0;
    // Removes the empty folder relative (never the root). Fails, and
    // leaves it, when anything is in it.
    virtual Status removeSourceFolder(const QString &relative) = 0;
    // Removes entry, only while it is the very file that was compared
    // (compared: its sourceStamp then); a link goes as a link.
    virtual Status removeSource(const QString &entry, const FileStamp &compared) = 0;

    // --- The target tree
    // What stands under relative. A folder on the way that does not exist
    // yet gives Missing; one that is not a folder, or leads out, fails.
    virtual Result<TargetEntry> lookUp(const QString &relative) = 0;
    // Makes the folder relative and each missing folder on its way (the
    // root too). With make false nothing is made: success where it exists
    // or could be made, the nearest folder on its way that exists taking
    // new names; failing as making it would.
    virtual Status reachFolder(const QString &relative, bool make) = 0;
    // For a plan, which writes nothing: whether the target's folder, where
    // it exists, takes new names, and for a move whether entry's source
    // folder lets it go. Fails as the placement would, naming the target.
    virtual Status mayWrite(const QString &entry, const QString &target, bool moving) = 0;
    // The stored names in the target folder relative; empty where it does
    // not exist yet.
    virtual Result<QStringList> folderNames(const QString &relative) = 0;
    // The host path that relative has or would get, for records.
    virtual QByteArray targetHost(const QString &relative) = 0;

    // --- Placements. The target's folder must exist. Without replacing,
    // a name taken (in any letter case, also only meanwhile) fails with 58
    // and nothing is written; replacing names the regular file that was
    // looked at, which goes only once the new one is complete and keeps its
    // owner and mode. A new file appears under its name only when complete.
    // expected, where given, is the regular file entry must still be, every
    // field of its stamp: anything else under the name fails and stays.
    virtual Result<PlacedFile> copy(const QString &entry, const QString &target, const FileStamp *replacing,
                                    const FileStamp *expected) = 0;
    virtual Result<PlacedFile> makeEmpty(const QString &target, const FileStamp *replacing) = 0;
    // Never replaces. Clears the source's read-only mark first and gives it
    // back where the move fails. Across file systems the file is copied
    // from the handle that was checked and the source goes only while it is
    // still that file, unchanged. expected as for copy, checked right
    // before the rename.
    virtual Result<PlacedFile> move(const QString &entry, const QString &target, const FileStamp *expected) = 0;
    // Whether target holds entry's bytes (a link there does not count, nor
    // the same file under a second name); the stamps receive both files' as
    // compared.
    virtual Result<bool> sameBytes(const QString &entry, const QString &target, FileStamp *sourceStamp,
                                   FileStamp *targetStamp) = 0;

    // --- Copies finished later. A copy of entry to a free target name may
    // be started now and finished on another processor: startCopy checks
    // and opens what copy (without replacing) would, and fails as it would
    // where that fails; from then on the name counts as taken, and any look
    // at it waits for the copy. finishedCopies gives the outcomes of started
    // copies by their tickets, in any order; with wait, of every one.
    struct FinishedCopy {
        quint64 ticket = 0;
        Result<PlacedFile> result;
    };
    virtual Status startCopy(quint64 ticket, const QString &entry, const QString &target) = 0;
    virtual std::vector<FinishedCopy> finishedCopies(bool wait) = 0;
};

} // namespace quorvane::platform
