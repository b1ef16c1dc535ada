#include "engine/scan/dirsnapshot.h"

#include "engine/scan/stringlist.h"
#include "engine/scan/walkcache.h"
#include "platform/drivepath.h"
#include "platform/services.h"

#include <algorithm>

namespace quorvane {

namespace {

FolderRead takeSnapshot(platform::Result<platform::FolderContents> read, const SnapshotPatterns *patterns)
{
    auto snapshot = std::make_shared<DirSnapshot>();
    if (!read.ok()) {
        // A folder that is not there is a path that is not found, whichever part is missing.
        snapshot->error = read.error == platform::ErrFileNotFound ? platform::ErrPathNotFound : read.error;
        snapshot->reason = read.message;
        return {std::move(snapshot), {}};
    }
    platform::FolderContents &contents = read.value();
    snapshot->files.reserve(contents.entries.size());
    for (const platform::FolderEntry &entry : contents.entries) {
        if (entry.isDirectory && !entry.isLink) {
            snapshot->subdirs.push_back(contents.nameOf(entry).toString());
        } else if (!entry.isDirectory && !(entry.attributes & (platform::AttrDirectory | platform::AttrVolume))) {
            // Links to directories are neither: never entered, never listed as files.
            snapshot->files.push_back({entry.offset, entry.size});
        }
    }
    snapshot->fileNames = std::move(contents.names);
    const auto less = [](const QString &a, const QString &b) { return compareListText(a, b) < 0; };
    std::sort(snapshot->subdirs.begin(), snapshot->subdirs.end(), less);
    if (patterns && !patterns->set.matchesEverything()) {
        // Matched here, on the reading thread, so the walk only takes the result.
        snapshot->matchedPatterns = patterns->text;
        for (size_t i = 0; i < snapshot->files.size(); ++i) {
            if (patterns->set.matches(snapshot->file(i)))
                snapshot->matches.push_back(qsizetype(i));
        }
    }
    platform::FolderHandlePtr handle = snapshot->subdirs.empty() ? nullptr : std::move(contents.handle);
    return {std::move(snapshot), std::move(handle)};
}

} // namespace

FolderRead readSnapshot(platform::FileSystem &fs, const QString &path, const SnapshotPatterns *patterns)
{
    platform::Result<platform::FolderContents> read = fs.readFolder(path, true);
    if (!read.ok() && (read.error == platform::ErrFileNotFound || read.error == platform::ErrPathNotFound)) {
        // Not there as spelled: the disk may store it in another letter case.
        const platform::Result<QString> stored = fs.longName(path);
        if (stored.ok() && stored.value() != path)
            read = fs.readFolder(stored.value(), true);
    }
    return takeSnapshot(std::move(read), patterns);
}

FolderRead readSnapshotAt(const platform::FileSystemCore &fs, const platform::FolderHandle &parent, const QString &name,
                          const SnapshotPatterns *patterns)
{
    return takeSnapshot(fs.readFolderAt(parent, name, true), patterns);
}

FolderRead readSnapshotExact(const platform::FileSystemCore &fs, const QString &path, const SnapshotPatterns *patterns)
{
    return takeSnapshot(fs.readFolder(path, true), patterns);
}

namespace {

bool isPlainAbsolute(const QString &path)
{
    // "X:\..." without "/", "\\" or "." components needs no help from the file system.
    const qsizetype n = path.size();
    const QChar *p = path.constData();
    if (!platform::startsWithDriveRoot(path))
        return false;
    for (qsizetype i = 2; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (c == u'/')
            return false;
        if (c != u'\\' || i + 1 >= n)
            continue;
        // The component after this separator: empty, "." or ".." is not plain.
        if (p[i + 1] == u'\\')
            return false;
        qsizetype dots = 0;
        while (i + 1 + dots < n && p[i + 1 + dots] == u'.' && dots < 3)
            ++dots;
        if ((dots == 1 || dots == 2) && (i + 1 + dots == n || p[i + 1 + dots] == u'\\'))
            return false;
    }
    return true;
}

} // namespace

QString normalizeDirectoryPath(const QString &path)
{
    const QString result = isPlainAbsolute(path) ? path : platform::fileSystem().absolutePath(path);
    return platform::withoutTrailingBackslashes(result);
}

QString childPath(const QString &parent, const QString &name)
{
    if (parent.endsWith(QLatin1Char('\\')))
        return parent + name;
    return parent + QLatin1Char('\\') + name;
}

bool isChildPath(const QString &path, const QString &parent, const QString &name)
{
    const qsizetype separator = parent.endsWith(QLatin1Char('\\')) ? 0 : 1;
    return path.size() == parent.size() + separator + name.size() && path.endsWith(name) && path.startsWith(parent)
        && (separator == 0 || path.at(parent.size()) == QLatin1Char('\\'));
}

SnapshotPtr loadDirectory(WalkState *walk, const QString &path)
{
    if (!walk || !walk->active)
        return readSnapshot(platform::fileSystem(), path).snapshot;
    return walk->active->load(path);
}

} // namespace quorvane
