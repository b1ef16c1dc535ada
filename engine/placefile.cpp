#include "engine/placefile.h"

#include "platform/drivepath.h"
#include "platform/services.h"

namespace quorvane {

namespace {

constexpr std::uint32_t KeptAttributes = platform::AttrReadOnly | platform::AttrHidden
    | platform::AttrSystem | platform::AttrArchive;

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
    // Should the mark stay, the move itself says why it failed.
    (void)fs.setAttributes(source, platform::AttrNormal);
    const platform::Status moved = fs.moveFile(source, target);
    // A source that stays where it was keeps its read-only or hidden mark.
    if (!moved.ok() && before.ok() && (before.value & KeptAttributes) != 0)
        (void)fs.setAttributes(source, before.value & KeptAttributes);
    return moved;
}

platform::Status copySourceFile(const QString &source, const QString &target, bool replace)
{
    platform::FileSystem &fs = platform::fileSystem();
    return replace ? fs.copyFile(source, target) : fs.copyToNewFile(source, target);
}

bool sameFile(const QString &a, const QString &b)
{
    const platform::Result<bool> same = platform::fileSystem().sameFile(a, b);
    return same.ok() && same.value;
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
        return hostA.value == hostB.value;
    return absoluteA.compare(absoluteB, Qt::CaseInsensitive) == 0;
}

} // namespace quorvane
