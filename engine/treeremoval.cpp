#include "engine/treeremoval.h"

#include "platform/services.h"

#include <QSet>

namespace quorvane {

namespace {

using platform::FileSystem;

QString withoutTrailingBackslash(QString path)
{
    while (path.size() > 3 && path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    return path;
}

// Names in directory s (ending in "\") that are links of any kind: they are
// removed as links and never get their attributes set, since that would
// change what they point to.
QSet<QString> linkNames(FileSystem &fs, const QString &s)
{
    QSet<QString> links;
    auto listing = fs.readDirectory(s);
    if (listing.ok()) {
        for (const platform::DirEntry &entry : listing.value) {
            if (entry.isLink)
                links.insert(entry.name);
        }
    }
    return links;
}

// True when path itself is a link: the caller's directory may be one.
bool isLink(FileSystem &fs, const QString &path)
{
    const QString bare = withoutTrailingBackslash(path);
    const qsizetype cut = bare.lastIndexOf(QLatin1Char('\\'));
    if (cut < 0)
        return false;
    const QString name = bare.mid(cut + 1);
    auto listing = fs.readDirectory(bare.left(cut + 1));
    if (!listing.ok())
        return false;
    for (const platform::DirEntry &entry : listing.value) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0 && entry.isLink)
            return true;
    }
    return false;
}

void removeTree(FileSystem &fs, const QString &path)
{
    QString s = path;
    if (s.size() <= 3)
        return;
    if (!s.endsWith(QLatin1Char('\\')))
        s += QLatin1Char('\\');
    const QSet<QString> links = linkNames(fs, s);

    // Files of every attribute first.
    auto name = fs.dirFirst(s + QStringLiteral("*.*"), platform::MaskHiddenSystem);
    while (name.ok() && !name.value.isEmpty()) {
        if (!links.contains(name.value))
            (void)fs.setAttributes(s + name.value, platform::AttrNormal);
        (void)fs.deleteFile(s + name.value);
        name = fs.dirNext();
    }

    // The listing state is shared by the whole process, so the names are
    // collected before any recursion starts another listing.
    QStringList directories;
    name = fs.dirFirst(s + QStringLiteral("*.*"), platform::MaskDirectory);
    while (name.ok() && !name.value.isEmpty()) {
        if (name.value != QLatin1String(".") && name.value != QLatin1String(".."))
            directories.append(name.value);
        name = fs.dirNext();
    }

    for (const QString &directory : std::as_const(directories)) {
        if (links.contains(directory)) {
            (void)fs.deleteFile(s + directory);
            continue;
        }
        (void)fs.setAttributes(s + directory, platform::AttrNormal);
        removeTree(fs, s + directory + QLatin1Char('\\'));
        (void)fs.removeDirectory(s + directory);
    }

    platform::toolkit().yield();
    (void)fs.setAttributes(path, platform::AttrNormal);
    (void)fs.removeDirectory(path);
}

} // namespace

void DeleteTree(const QString &path)
{
    if (path.size() <= 3)
        return;
    FileSystem &fs = platform::fileSystem();
    // "C:\." or "C:\x\.." are longer than three characters and still a root.
    if (withoutTrailingBackslash(fs.absolutePath(path)).size() <= 3)
        return;
    if (isLink(fs, path)) {
        (void)fs.deleteFile(withoutTrailingBackslash(path));
        return;
    }
    removeTree(fs, path);
}

} // namespace quorvane
