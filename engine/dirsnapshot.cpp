#include "engine/dirsnapshot.h"

#include "engine/stringlist.h"
#include "engine/walkcache.h"
#include "platform/services.h"

#include <algorithm>

namespace quorvane {

SnapshotPtr readSnapshot(platform::FileSystem &fs, const QString &path)
{
    auto snapshot = std::make_shared<DirSnapshot>();
    auto listing = fs.readDirectory(path);
    if (!listing.ok()) {
        snapshot->error = listing.error != platform::ErrNone ? listing.error : platform::ErrPathNotFound;
        return snapshot;
    }
    snapshot->files.reserve(listing.value.size());
    for (platform::DirEntry &entry : listing.value) {
        if (entry.isDirectory && !entry.isLink)
            snapshot->subdirs.push_back(std::move(entry.name));
        else if (!entry.isDirectory && !(entry.attributes & (platform::AttrDirectory | platform::AttrVolume)))
            snapshot->files.push_back(std::move(entry.name));
        // Links to directories are neither: never entered, never listed as files.
    }
    const auto less = [](const QString &a, const QString &b) { return compareListText(a, b) < 0; };
    std::sort(snapshot->subdirs.begin(), snapshot->subdirs.end(), less);
    std::sort(snapshot->files.begin(), snapshot->files.end(), less);
    return snapshot;
}

namespace {

bool isPlainAbsolute(const QString &path)
{
    // "X:\..." without "/", "\\" or "." components needs no help from the file system.
    if (path.size() < 3 || path.at(1) != QLatin1Char(':') || path.at(2) != QLatin1Char('\\')
        || !path.at(0).isLetter())
        return false;
    if (path.contains(QLatin1Char('/')) || path.indexOf(QLatin1String("\\\\"), 2) >= 0)
        return false;
    const qsizetype n = path.size();
    for (qsizetype i = path.indexOf(QLatin1String("\\.")); i >= 0; i = path.indexOf(QLatin1String("\\."), i + 1)) {
        qsizetype j = i + 2;
        if (j < n && path.at(j) == QLatin1Char('.'))
            ++j;
        if (j == n || path.at(j) == QLatin1Char('\\'))
            return false;
    }
    return true;
}

} // namespace

QString normalizeDirectoryPath(const QString &path)
{
    QString result = isPlainAbsolute(path) ? path : platform::fileSystem().absolutePath(path);
    while (result.size() > 3 && result.endsWith(QLatin1Char('\\')))
        result.chop(1);
    return result;
}

QString childPath(const QString &parent, const QString &name)
{
    if (parent.endsWith(QLatin1Char('\\')))
        return parent + name;
    return parent + QLatin1Char('\\') + name;
}

SnapshotPtr loadDirectory(const QString &path)
{
    if (WalkCache *cache = WalkCache::active())
        return cache->acquire(path);
    return readSnapshot(platform::fileSystem(), path);
}

} // namespace quorvane
