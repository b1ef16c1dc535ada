#include "engine/treeremoval.h"

#include "engine/confinement.h"
#include "paths/pathhelpers.h"
#include "platform/drivepath.h"
#include "platform/fslog.h"
#include "platform/services.h"

#include <QSet>

namespace quorvane {

namespace {

using platform::FileSystem;

// Names in directory s (ending in "\") that are links of any kind: they are
// removed as links and never get their attributes set, since that would
// change what they point to.
QSet<QString> linkNames(FileSystem &fs, const QString &s)
{
    QSet<QString> links;
    auto listing = fs.readDirectory(s);
    if (listing.ok()) {
        for (const platform::DirEntry &entry : listing.value()) {
            if (entry.isLink)
                links.insert(entry.name);
        }
    }
    return links;
}

// Whether the disk resolves path to a place inside the tree being removed;
// nothing outside it is ever touched, whatever a name or a link says.
bool inside(FileSystem &fs, const QString &path, bool followLast, const QString &tree)
{
    const platform::Result<QString> place = fs.location(path, followLast);
    return place.ok() && liesBelow(place.value(), tree);
}

void removeTree(FileSystem &fs, const QString &path, const QString &tree)
{
    QString s = path;
    if (s.size() <= 3)
        return;
    AddBackslash(s);
    const QSet<QString> links = linkNames(fs, s);

    // Files of every attribute first.
    auto name = fs.dirFirst(s + QStringLiteral("*.*"), platform::MaskHiddenSystem);
    while (name.ok() && !name.value().isEmpty()) {
        if (inside(fs, s + name.value(), false, tree)) {
            // A mark that stays is named by the delete that then fails.
            if (!links.contains(name.value()))
                (void)fs.setAttributes(s + name.value(), platform::AttrNormal);
            platform::logFailure(fs.deleteFile(s + name.value()), QStringLiteral("Datei löschen"));
        }
        name = fs.dirNext();
    }

    // The listing state is shared by the whole process, so the names are
    // collected before any recursion starts another listing.
    QStringList directories;
    name = fs.dirFirst(s + QStringLiteral("*.*"), platform::MaskDirectory);
    while (name.ok() && !name.value().isEmpty()) {
        if (name.value() != QLatin1String(".") && name.value() != QLatin1String(".."))
            directories.append(name.value());
        name = fs.dirNext();
    }

    for (const QString &directory : std::as_const(directories)) {
        const QString sub = s + directory;
        if (!inside(fs, sub, false, tree))
            continue;
        if (links.contains(directory)) {
            platform::logFailure(fs.deleteFile(sub), QStringLiteral("Verknüpfung löschen"));
            continue;
        }
        // A folder that became a link meanwhile leads elsewhere: not entered.
        if (!inside(fs, sub, true, tree))
            continue;
        (void)fs.setAttributes(sub, platform::AttrNormal); // as for files: the removal tells
        removeTree(fs, sub + QLatin1Char('\\'), tree);
        // Gone already after a complete pass below; one that stays was named there.
        (void)fs.removeDirectory(sub);
    }

    platform::toolkit().yield();
    (void)fs.setAttributes(path, platform::AttrNormal); // the removal below tells
    platform::logFailure(fs.removeDirectory(path), QStringLiteral("Verzeichnis entfernen"));
}

} // namespace

void DeleteTree(const QString &path)
{
    if (path.size() <= 3)
        return;
    FileSystem &fs = platform::fileSystem();
    // "C:\." or "C:\x\.." are longer than three characters and still a root.
    if (platform::withoutTrailingBackslashes(fs.absolutePath(path)).size() <= 3)
        return;
    // The path as every operation resolves it (exact name first): when that
    // is a link, only the link goes.
    const QString bare = platform::withoutTrailingBackslashes(path);
    const platform::Result<QString> entry = fs.location(bare, false);
    const platform::Result<QString> tree = fs.location(bare, true);
    if (!entry.ok() || !tree.ok())
        return;
    if (entry.value() != tree.value()) {
        platform::logFailure(fs.deleteFile(bare), QStringLiteral("Verknüpfung löschen"));
        return;
    }
    removeTree(fs, path, tree.value());
}

} // namespace quorvane
