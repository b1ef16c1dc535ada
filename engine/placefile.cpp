#include "engine/placefile.h"

#include "platform/drivepath.h"
#include "platform/fslog.h"
#include "platform/hosterrors.h"
#include "platform/services.h"

namespace quorvane {

namespace {

constexpr std::uint32_t KeptAttributes =
    platform::AttrReadOnly | platform::AttrHidden | platform::AttrSystem | platform::AttrArchive;

// Should the mark stay, the move or removal itself says why it failed.
void clearAttributes(const QString &source)
{
    const platform::Status cleared = platform::fileSystem().setAttributes(source, platform::AttrNormal);
    if (!cleared.ok())
        platform::logFailure(cleared, QStringLiteral("die Attribute der Quelle löschen"));
}

// A source that stays where it was keeps its read-only or hidden mark.
void restoreAttributes(const QString &source, const platform::Result<std::uint32_t> &before)
{
    if (!before.ok() || (before.value() & KeptAttributes) == 0)
        return;
    const platform::Status restored = platform::fileSystem().setAttributes(source, before.value() & KeptAttributes);
    if (!restored.ok())
        platform::logFailure(restored, QStringLiteral("die Attribute der Quelle zurücksetzen"));
}

} // namespace

platform::Status makeEmptyFile(const QString &target, bool replace)
{
    platform::FileSystem &fs = platform::fileSystem();
    const int number = fs.freeFile();
    const platform::Status opened = replace ? fs.openForOutput(number, target) : fs.openForNewOutput(number, target);
    platform::toolkit().yield();
    const platform::Status closed = fs.closeFile(number);
    return opened.ok() ? closed : opened;
}

platform::Status moveSourceFile(const QString &source, const QString &target)
{
    platform::FileSystem &fs = platform::fileSystem();
    const platform::Result<std::uint32_t> before = fs.attributes(source);
    clearAttributes(source);
    const platform::Status moved = fs.moveFile(source, target);
    if (!moved.ok())
        restoreAttributes(source, before);
    return moved;
}

platform::Status removeIdenticalSource(const QString &source, const platform::FileStamp &compared)
{
    platform::FileSystem &fs = platform::fileSystem();
    // Only the very file whose bytes were compared goes, not one written to since.
    const platform::Result<platform::FileStamp> now = platform::fileStamp(source);
    if (!now.ok())
        return now.status();
    if (!now.value().sameState(compared))
        return platform::failureFor(platform::ErrPathFileAccess, source,
                                    QStringLiteral("Die Quelle wurde beim Vergleichen geändert; sie bleibt"));
    const platform::Result<std::uint32_t> before = fs.attributes(source);
    clearAttributes(source);
    const platform::Status removed = fs.deleteFile(source);
    if (!removed.ok())
        restoreAttributes(source, before);
    return removed;
}

platform::Status copySourceFile(const QString &source, const QString &target, bool replace)
{
    platform::FileSystem &fs = platform::fileSystem();
    return replace ? fs.copyFile(source, target) : fs.copyToNewFile(source, target);
}

bool sameFile(const QString &a, const QString &b)
{
    const platform::Result<bool> same = platform::fileSystem().sameFile(a, b);
    return same.ok() && same.value();
}

bool samePlace(const QString &a, const QString &b)
{
    platform::FileSystem &fs = platform::fileSystem();
    const QString absoluteA = platform::withoutTrailingBackslashes(fs.absolutePath(a));
    const QString absoluteB = platform::withoutTrailingBackslashes(fs.absolutePath(b));
    // The host's names settle it where they can be had: two drive letters may
    // share a folder, and two names that differ in case may be two folders.
    const platform::Result<QString> hostA = fs.hostPath(absoluteA);
    const platform::Result<QString> hostB = fs.hostPath(absoluteB);
    if (hostA.ok() && hostB.ok())
        return hostA.value() == hostB.value();
    return absoluteA.compare(absoluteB, Qt::CaseInsensitive) == 0;
}

} // namespace quorvane
