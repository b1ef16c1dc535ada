#include "engine/dirsnapshot.h"

#include "engine/stringlist.h"
#include "engine/walkcache.h"
#include "platform/services.h"

#include <algorithm>

namespace quorvane {

namespace {

template <typename Read>
SnapshotPtr takeSnapshot(const QString &path, const Read &read)
{
    auto snapshot = std::make_shared<DirSnapshot>();
    auto listing = read(path);
    if (!listing.ok()) {
        snapshot->error = listing.error != platform::ErrNone ? listing.error : platform::ErrPathNotFound;
        return snapshot;
    }
    snapshot->files.reserve(listing.value.size());
    for (platform::DirEntry &entry : listing.value) {
        if (entry.isDirectory && !entry.isLink) {
            snapshot->subdirs.push_back(std::move(entry.name));
        } else if (!entry.isDirectory && !(entry.attributes & (platform::AttrDirectory | platform::AttrVolume))) {
            // Links to directories are neither: never entered, never listed
            // as files. Only links pay for finding out where they lead.
            if (entry.isLink && read(childPath(path, entry.name)).ok())
                continue;
            snapshot->files.push_back(std::move(entry.name));
        }
    }
    const auto less = [](const QString &a, const QString &b) { return compareListText(a, b) < 0; };
    std::sort(snapshot->subdirs.begin(), snapshot->subdirs.end(), less);
    return snapshot;
}

} // namespace

SnapshotPtr readSnapshot(platform::FileSystem &fs, const QString &path)
{
    return takeSnapshot(path, [&fs](const QString &p) { return fs.readDirectory(p); });
}

SnapshotPtr readSnapshotAhead(const platform::FileSystem &fs, const QString &path)
{
    return takeSnapshot(path, [&fs](const QString &p) { return fs.readDirectoryExact(p); });
}

namespace {

bool isPlainAbsolute(const QString &path)
{
    // "X:\..." without "/", "\\" or "." components needs no help from the file system.
    const qsizetype n = path.size();
    const QChar *p = path.constData();
    if (n < 3 || p[1] != u':' || p[2] != u'\\' || !p[0].isLetter())
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
