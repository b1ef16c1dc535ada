#include "platform/host/hostcore.h"

#include "platform/host/descriptor.h"
#include "platform/hosterrors.h"
#include "platform/host/hostfolders.h"
#include "platform/namecodec.h"
#include "platform/host/regularfile.h"
#include "platform/host/stagedfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane::platform {

namespace {

bool sameContentState(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size
        && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec
        && a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// 0, or the errno of making the folder's entries reach the disk.
int syncFolder(const QByteArray &folder)
{
    const Descriptor fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return !fd || ::fsync(fd.get()) != 0 ? errno : 0;
}

// Whether the source is still what was copied: the same file under the same
// name, not written to meanwhile (size, modification and change time to the
// nanosecond), and, for a link, still that link to that file. in is the
// source open for reading, before its stat when the copy began, linkStat
// the lstat of its name.
bool sourceUnchanged(int in, const QByteArray &fromHost, const struct stat &before, const struct stat &linkStat)
{
    struct stat after {};
    struct stat nameNow {};
    if (::fstat(in, &after) != 0 || !sameContentState(before, after) || ::lstat(fromHost.constData(), &nameNow) != 0
        || nameNow.st_dev != linkStat.st_dev || nameNow.st_ino != linkStat.st_ino)
        return false;
    if (!S_ISLNK(linkStat.st_mode))
        return true;
    struct stat pointedNow {};
    return ::stat(fromHost.constData(), &pointedNow) == 0 && pointedNow.st_dev == before.st_dev
        && pointedNow.st_ino == before.st_ino;
}

// Removes the file at path only when it is still copy, should the name have
// changed hands.
void removeIfStill(const QByteArray &path, const struct stat &copy)
{
    struct stat there {};
    if (::lstat(path.constData(), &there) == 0 && there.st_dev == copy.st_dev && there.st_ino == copy.st_ino)
        ::unlink(path.constData());
}

} // namespace

Status HostCore::moveFile(const QString &source, const QString &target, const Anchor &at) const
{
    const Result<Resolved> s = resolveExisting(source, at);
    if (!s.ok())
        return s.status();
    if (s.value().path.isRoot())
        return failureFor(ErrPathFileAccess, s.value().display());
    const QByteArray from = s.value().host();
    struct stat st {};
    if (::lstat(from.constData(), &st) != 0)
        return errnoFailure(errno, s.value().display());

    const Result<Resolved> t = resolve(target, at);
    if (!t.ok())
        return t.status();
    const Result<QByteArray> to = moveDestination(t.value(), from);
    if (!to.ok())
        return to.status();
    const Status done = renameOrCopy(s.value(), st, to.value(), t.value().display());
    if (done.ok()) {
        m_names.removed(s.value().hostParent(), s.value().names.last());
        m_names.added(t.value().hostParent(), to.value().mid(to.value().lastIndexOf('/') + 1));
    }
    return done;
}

Result<QByteArray> HostCore::moveDestination(const Resolved &t, const QByteArray &from)
{
    using R = Result<QByteArray>;
    if (t.path.isRoot() || (t.folderOnly && t.exists()))
        return R::failure(failureFor(ErrPathFileAccess, t.display()));
    if (!t.parentExists() || t.folderOnly)
        return R::failure(failureFor(ErrPathNotFound, t.display()));
    if (!t.exists())
        return R::success(t.host());
    // The one existing target allowed is the source itself under a new
    // letter case ("a.txt" to "A.TXT").
    const QByteArray given = encodeName(t.path.components.last());
    if (t.host() != from || given == t.names.last())
        return R::failure(failureFor(ErrFileExists, t.display()));
    return R::success(joinHost(t.hostParent(), given));
}

Status HostCore::renameOrCopy(const Resolved &from, const struct stat &st, const QByteArray &to,
                              const QString &toDisplay)
{
    const qsizetype cut = to.lastIndexOf('/');
    const QByteArray toFolder = cut == 0 ? QByteArray("/") : to.left(cut);
    const QByteArray toName = to.mid(cut + 1);
    // Moved as a link it would point elsewhere, or nowhere, from its new
    // place: the content goes as a regular file, the link is what is removed.
    if (S_ISLNK(st.st_mode))
        return moveByCopy(from, st, toFolder, toName, toDisplay);
    const int renameErr = renameNoReplace(from.host(), to);
    if (renameErr == 0)
        return Status::success();
    if (renameErr == EEXIST)
        return failureFor(ErrFileExists, toDisplay);
    if (renameErr != EXDEV)
        return errnoFailure(renameErr, toDisplay);
    if (!S_ISREG(st.st_mode))
        return failureFor(ErrRenameAcrossDisks, toDisplay);
    return moveByCopy(from, st, toFolder, toName, toDisplay);
}

Status HostCore::moveByCopy(const Resolved &from, const struct stat &linkStat, const QByteArray &toFolder,
                            const QByteArray &toName, const QString &toDisplay)
{
    const QByteArray fromHost = from.host();
    struct stat before {};
    int openErr = 0;
    Descriptor in = openRegular(fromHost, before, openErr);
    if (!in)
        return openFailure(openErr, from.display());
    StagedFile staged;
    Status result = staged.create(toFolder, toName, before.st_mode & 07777, toDisplay);
    if (result.ok())
        result = staged.appendFrom(in.get(), before.st_size);
    if (result.ok())
        result = staged.keepMetadataOf(in.get());
    struct stat copy {};
    if (result.ok() && ::fstat(staged.fd(), &copy) != 0)
        result = errnoFailure(errno, toDisplay);
    if (!result.ok())
        return result;
    staged.setTimes(before.st_atim, before.st_mtim);
    staged.setOwner(before.st_uid, before.st_gid, false);
    result = staged.commit(false);
    // The new name must be on the disk before the old one goes.
    if (result.ok()) {
        if (const int err = syncFolder(toFolder); err != 0)
            result = errnoFailure(err, toDisplay);
    }
    // The source goes only if it is still what was copied.
    if (result.ok() && !sourceUnchanged(in.get(), fromHost, before, linkStat))
        result = failureFor(
            ErrPathFileAccess, from.display(),
            QStringLiteral("Die Quelle wurde beim Verschieben geändert; sie bleibt, die Kopie ist entfernt"));
    // Closed before its name goes: a network file system keeps a removed
    // file that is still open under a hidden name of its own.
    in.reset();
    const QByteArray to = joinHost(toFolder, toName);
    if (!result.ok()) {
        if (result.error != ErrFileExists)
            removeIfStill(to, copy);
        return result;
    }
    if (::unlink(fromHost.constData()) != 0) {
        const int unlinkErr = errno;
        removeIfStill(to, copy); // the move did not happen: one copy only
        return errnoFailure(unlinkErr, from.display());
    }
    return Status::success();
}

} // namespace quorvane::platform
