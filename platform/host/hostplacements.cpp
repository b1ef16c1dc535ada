#include "platform/host/hostimagetrees.h"

#include "platform/host/beneath.h"
#include "platform/host/copyorder.h"
#include "platform/hosterrors.h"
#include "platform/namefold.h"
#include "platform/host/hostfolders.h"
#include "platform/namecodec.h"
#include "platform/host/regularfile.h"
#include "platform/host/stagedfile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace quorvane::platform {

namespace {

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool sameContentState(const struct stat &a, const struct stat &b)
{
    return stampOf(a).sameState(stampOf(b));
}

// Removes name from folder only while it is still the file copy, should
// the name have changed hands meanwhile.
void removeIfStill(int folder, const QByteArray &name, const struct stat &copy)
{
    struct stat there {};
    if (::fstatat(folder, name.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(there, copy))
        ::unlinkat(folder, name.constData(), 0);
}

} // namespace

StagingChoices HostImageTrees::stagingIn(TargetFolder &folder) const
{
    return {!folder.inheritsAcl(), m_exactStamps};
}

CopyOrder HostImageTrees::orderFor(TargetFolder &folder, const Existing &there, Descriptor source,
                                   const struct stat &st, const QString &display) const
{
    CopyOrder order;
    order.source = std::move(source);
    order.sourceStat = st;
    order.folder = folder.fd.get();
    order.name = there.name;
    // A replaced file keeps what its user set; a new one takes the source's bits.
    order.mode = there.exists ? there.st.st_mode & 07777 : st.st_mode & 0777;
    order.replace = there.exists;
    if (there.exists)
        order.owner = CopyOrder::Owner{there.st.st_uid, there.st.st_gid};
    order.staging = stagingIn(folder);
    order.display = display;
    return order;
}

Result<PlacedFile> HostImageTrees::placed(TargetFolder &folder, const QByteArray &name, const struct stat &st)
{
    folder.add(name);
    const QByteArray host = targetFolderHost(folder);
    m_names.added(host, name);
    FileStamp stamp = stampOf(st);
    if (targetSettlesTimesLate())
        stamp.changedNs = FileStamp::UnknownTime;
    return Result<PlacedFile>::success({stamp, joinHost(host, name)});
}

Status HostImageTrees::mayReplace(const Existing &there, const FileStamp *replacing, const QString &display) const
{
    if (!replacing)
        return failureFor(ErrFileExists, display);
    // A device, a pipe, a folder or a link under the name is not ours to turn into a file.
    if (!S_ISREG(there.st.st_mode))
        return failureFor(ErrPathFileAccess, display, notRegularText(there.st.st_mode));
    if (there.st.st_dev != replacing->device || there.st.st_ino != replacing->inode)
        return failureFor(ErrPathFileAccess, display,
                          QStringLiteral("Wurde während des Laufs durch eine andere Datei ersetzt; bleibt"));
    // Checked here because root would replace a read-only file without a word.
    if ((there.st.st_mode & S_IWUSR) == 0)
        return failureFor(ErrPathFileAccess, display, QStringLiteral("schreibgeschützt"));
    return Status::success();
}

Status HostImageTrees::asExpected(const QString &entry, const struct stat &st, const FileStamp *expected) const
{
    if (!expected || (S_ISREG(st.st_mode) && stampOf(st).sameState(*expected)))
        return Status::success();
    return failureFor(ErrPathFileAccess, sourceDisplay(entry),
                      QStringLiteral("Wurde inzwischen geändert oder ersetzt; bleibt"));
}

std::optional<HostImageTrees::Existing> HostImageTrees::lookedJustNow(const QString &target,
                                                                       const TargetFolderPtr &folder)
{
    // A name missing from a folder's listing is missing without a system
    // call: looking again would only hash and fold it again, unless the
    // records changed meanwhile.
    std::optional<MissingLook> last = std::move(m_lastMissing);
    m_lastMissing.reset();
    if (!last || last->target != target || last->folder != folder || last->changes != folder->changes)
        return std::nullopt;
    return std::move(last->there);
}

Result<HostImageTrees::Destination> HostImageTrees::destination(const QString &target, const FileStamp *replacing,
                                                                 const QString &display)
{
    using R = Result<Destination>;
    Status why;
    Destination place;
    place.folder = placementFolder(target, why);
    if (!place.folder)
        return R::failure(why);
    if (std::optional<Existing> missing = lookedJustNow(target, place.folder)) {
        place.there = std::move(*missing);
        return R::success(std::move(place));
    }
    const Result<Existing> looked = existing(*place.folder, lastNameOfEntry(target), display);
    if (!looked.ok())
        return R::failure(looked.status());
    place.there = looked.value();
    if (place.there.exists) {
        const Status allowed = mayReplace(place.there, replacing, display);
        if (!allowed.ok())
            return R::failure(allowed);
    }
    return R::success(std::move(place));
}

Result<PlacedFile> HostImageTrees::copy(const QString &entry, const QString &target, const FileStamp *replacing,
                                        const FileStamp *expected)
{
    using R = Result<PlacedFile>;
    // Small copies gathered for the other threads are not kept waiting meanwhile.
    m_background.handOver();
    const QString display = targetDisplay(target);
    const Result<Destination> place = destination(target, replacing, display);
    if (!place.ok())
        return R::failure(place.status());
    const TargetFolderPtr folder = place.value().folder;
    const Existing &there = place.value().there;
    struct stat st {};
    Status why;
    Descriptor in = openSource(entry, st, why);
    if (!in)
        return R::failure(why);
    if (const Status checked = asExpected(entry, st, expected); !checked.ok())
        return R::failure(checked);
    if (there.exists && sameFile(there.st, st))
        return R::failure(
            failureFor(ErrPathFileAccess, display, QStringLiteral("Quelle und Ziel sind dieselbe Datei")));

    struct stat made {};
    const Status result = writeCopy(orderFor(*folder, there, std::move(in), st, display), made);
    if (!result.ok())
        return R::failure(result);
    return placed(*folder, there.name, made);
}

Result<PlacedFile> HostImageTrees::makeEmpty(const QString &target, const FileStamp *replacing)
{
    using R = Result<PlacedFile>;
    const QString display = targetDisplay(target);
    const Result<Destination> place = destination(target, replacing, display);
    if (!place.ok())
        return R::failure(place.status());
    const TargetFolderPtr folder = place.value().folder;
    const Existing &there = place.value().there;
    StagedFile staged;
    Status result = staged.createIn(folder->fd.get(), there.name,
                                    there.exists ? there.st.st_mode & 07777 : 0666 & ~processUmask(), display);
    if (!result.ok())
        return R::failure(result);
    stagingIn(*folder).applyTo(staged);
    if (there.exists)
        staged.setOwner(there.st.st_uid, there.st.st_gid, true);
    struct stat made {};
    result = staged.commit(there.exists, there.exists, &made);
    if (!result.ok())
        return R::failure(result);
    return placed(*folder, there.name, made);
}

Result<PlacedFile> HostImageTrees::move(const QString &entry, const QString &target, const FileStamp *expected)
{
    using R = Result<PlacedFile>;
    const QString display = targetDisplay(target);
    Status why;
    const int from = sourceFolder(parentOfEntry(entry), why);
    if (from < 0)
        return R::failure(why);
    const QByteArray fromName = encodeName(lastNameOfEntry(entry));
    struct stat own {};
    if (::fstatat(from, fromName.constData(), &own, AT_SYMLINK_NOFOLLOW) != 0)
        return R::failure(sourceFailure(errno, entry));
    if (S_ISDIR(own.st_mode))
        return R::failure(sourceFailure(EISDIR, entry));
    if (const Status checked = asExpected(entry, own, expected); !checked.ok())
        return R::failure(checked);
    const TargetFolderPtr to = placementFolder(target, why);
    if (!to)
        return R::failure(why);
    const Result<Existing> looked = existing(*to, lastNameOfEntry(target), display);
    if (!looked.ok())
        return R::failure(looked.status());
    if (looked.value().exists)
        return R::failure(failureFor(ErrFileExists, display));
    const QByteArray toName = looked.value().name;
    // Moved as a link it would point elsewhere, or nowhere, from its new
    // place: the content goes as a regular file, the link is what is removed.
    if (S_ISLNK(own.st_mode))
        return moveByCopy(entry, from, fromName, own, *to, toName, display);

    // The source's read-only mark goes with the move, as on the system the
    // program was made for; it comes back if the file stays.
    const bool wasReadOnly = S_ISREG(own.st_mode) && (own.st_mode & S_IWUSR) == 0;
    if (wasReadOnly)
        (void)makeWritableAt(from, fromName);
    const int err = renameNoReplaceAt(from, fromName, to->fd.get(), toName);
    if (err == 0) {
        struct stat moved {};
        if (!m_exactStamps || ::fstatat(to->fd.get(), toName.constData(), &moved, AT_SYMLINK_NOFOLLOW) != 0)
            moved = own;
        m_names.removed(joinHost(m_sourceHost, hostRelative(parentOfEntry(entry))), fromName);
        return placed(*to, toName, moved);
    }
    Result<PlacedFile> result =
        R::failure(err == EEXIST ? failureFor(ErrFileExists, display) : errnoFailure(err, display));
    if (err == EXDEV && S_ISREG(own.st_mode))
        result = moveByCopy(entry, from, fromName, own, *to, toName, display);
    else if (err == EXDEV)
        result = R::failure(failureFor(ErrRenameAcrossDisks, display));
    if (!result.ok() && wasReadOnly)
        (void)setModeAt(from, fromName, own.st_mode);
    return result;
}

Result<PlacedFile> HostImageTrees::moveByCopy(const QString &entry, int from, const QByteArray &fromName,
                                              const struct stat &linkStat, TargetFolder &to, const QByteArray &toName,
                                              const QString &display)
{
    using R = Result<PlacedFile>;
    struct stat before {};
    Status why;
    const Descriptor in = openSource(entry, before, why);
    if (!in)
        return R::failure(why);
    StagedFile staged;
    Status result = staged.createIn(to.fd.get(), toName, before.st_mode & 07777, display);
    stagingIn(to).applyTo(staged);
    if (result.ok() && before.st_size > 0)
        result = staged.appendWhole(in.get(), before);
    if (result.ok())
        result = staged.keepMetadataOf(in.get());
    if (!result.ok())
        return R::failure(result);
    staged.setTimes(before.st_atim, before.st_mtim);
    staged.setOwner(before.st_uid, before.st_gid, false);
    struct stat copy {};
    result = staged.commit(false, true, &copy);
    if (!result.ok())
        return R::failure(result);
    // The new name must be on the disk before the old one goes.
    if (const int err = syncFolderAt(to.fd.get()); err != 0)
        result = errnoFailure(err, display);
    if (result.ok() && !stillCopied(entry, in.get(), before, from, fromName, linkStat))
        result = failureFor(
            ErrPathFileAccess, sourceDisplay(entry),
            QStringLiteral("Die Quelle wurde beim Verschieben geändert; sie bleibt, die Kopie ist entfernt"));
    if (result.ok() && ::unlinkat(from, fromName.constData(), 0) != 0)
        result = errnoFailure(errno, sourceDisplay(entry));
    if (!result.ok()) {
        removeIfStill(to.fd.get(), toName, copy); // the move did not happen: one copy only
        return R::failure(result);
    }
    return placed(to, toName, copy);
}

bool HostImageTrees::stillCopied(const QString &entry, int in, const struct stat &before, int from,
                                 const QByteArray &fromName, const struct stat &linkStat)
{
    // The same entry under the name, the file not written to meanwhile, and
    // a link still leading to that file; a file itself is the one copied.
    struct stat after {};
    struct stat nameNow {};
    if (::fstat(in, &after) != 0 || !sameContentState(before, after)
        || ::fstatat(from, fromName.constData(), &nameNow, AT_SYMLINK_NOFOLLOW) != 0 || !sameFile(nameNow, linkStat))
        return false;
    if (!S_ISLNK(linkStat.st_mode))
        return sameFile(before, linkStat);
    const Result<FileStamp> leadsTo = sourceStamp(entry);
    return leadsTo.ok() && leadsTo.value().device == std::uint64_t(before.st_dev)
        && leadsTo.value().inode == std::uint64_t(before.st_ino);
}

Result<bool> HostImageTrees::sameBytes(const QString &entry, const QString &target, FileStamp *sourceStamp,
                                       FileStamp *targetStamp)
{
    using R = Result<bool>;
    struct stat st {};
    Status why;
    const Descriptor in = openSource(entry, st, why);
    if (!in)
        return R::failure(why);
    if (sourceStamp)
        *sourceStamp = stampOf(st);
    const TargetFolderPtr folder = targetFolder(parentOfEntry(target), false, why);
    if (!folder)
        return why.ok() ? R::success(false) : R::failure(why);
    const QString asked = lastNameOfEntry(target);
    const std::optional<QByteArray> name = folder->find(asked, foldName(asked));
    if (!name)
        return R::success(false);
    // A file elsewhere, behind a link in the target, does not keep the bytes in the image.
    const Descriptor there(
        ::openat(folder->fd.get(), name->constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat targetStat {};
    if (!there || ::fstat(there.get(), &targetStat) != 0 || !S_ISREG(targetStat.st_mode))
        return R::success(false);
    // Two names of one file are not two copies: removing one would lose it.
    if (sameFile(st, targetStat))
        return R::success(false);
    if (targetStamp)
        *targetStamp = stampOf(targetStat);
    return sameOpenBytes(in.get(), st, sourceDisplay(entry), there.get(), targetStat, targetDisplay(target));
}

} // namespace quorvane::platform
