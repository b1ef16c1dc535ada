#include "platform/host/hostcore.h"

#include "platform/host/descriptor.h"
#include "platform/hosterrors.h"
#include "platform/host/hostfolders.h"
#include "platform/host/hostimagetrees.h"
#include "platform/namecodec.h"
#include "platform/host/regularfile.h"
#include "platform/host/stagedfile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane::platform {

namespace {

mode_t newFileMode()
{
    return 0666 & ~processUmask();
}

bool isReadOnly(const struct stat &st)
{
    return (st.st_mode & S_IWUSR) == 0;
}

} // namespace

QByteArray HostCore::Target::host() const
{
    return joinHost(folder, name);
}

Result<HostCore::Target> HostCore::prepareTarget(const QString &path, const Anchor &at) const
{
    using R = Result<Target>;
    const Result<Resolved> r = resolve(path, at);
    if (!r.ok())
        return R::failure(r.status());
    const Resolved &t = r.value();
    if (t.path.isRoot() || (t.folderOnly && t.exists()))
        return R::failure(failureFor(ErrPathFileAccess, t.display()));
    if (!t.parentExists() || t.folderOnly)
        return R::failure(failureFor(ErrPathNotFound, t.display()));
    Target out;
    out.display = t.display();
    out.folder = t.hostParent();
    out.name = t.names.last();
    out.mode = newFileMode();
    struct stat st {};
    if (::stat(out.folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return R::failure(failureFor(ErrPathNotFound, out.display));
    if (!t.exists())
        return R::success(out);

    QByteArray host = t.host();
    if (::lstat(host.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        // New content goes to the file the link points at; the link stays.
        char real[PATH_MAX];
        if (::realpath(host.constData(), real)) {
            host = real;
            const qsizetype slash = host.lastIndexOf('/');
            out.folder = slash == 0 ? QByteArray("/") : host.left(slash);
            out.name = host.mid(slash + 1);
        } else if (errno != ENOENT) {
            return R::failure(errnoFailure(errno, out.display));
        } else {
            return R::success(out); // a dangling link is replaced by the file
        }
    }
    if (::stat(host.constData(), &st) != 0)
        return R::failure(errnoFailure(errno, out.display));
    // A device, a pipe or a folder under the name is not ours to turn into a file.
    if (!S_ISREG(st.st_mode))
        return R::failure(failureFor(ErrPathFileAccess, out.display, notRegularText(st.st_mode)));
    // Checked here because root would replace a read-only file without a word.
    if (isReadOnly(st))
        return R::failure(failureFor(ErrPathFileAccess, out.display, QStringLiteral("schreibgeschützt")));
    out.exists = true;
    out.mode = st.st_mode & 07777;
    out.device = st.st_dev;
    out.inode = st.st_ino;
    out.user = st.st_uid;
    out.group = st.st_gid;
    return R::success(out);
}

Status HostCore::copyTo(const QString &source, const QString &target, bool replace, const Anchor &at) const
{
    const Result<Resolved> s = resolveExisting(source, at);
    if (!s.ok())
        return s.status();
    struct stat st {};
    int err = 0;
    Descriptor in = openRegular(s.value().host(), st, err);
    if (!in)
        return openFailure(err, s.value().display());

    const Result<Target> t = prepareTarget(target, at);
    if (!t.ok())
        return t.status();
    const Target &to = t.value();
    Status result = Status::success();
    if (to.exists && !replace)
        result = failureFor(ErrFileExists, to.display);
    else if (to.exists && to.device == st.st_dev && to.inode == st.st_ino)
        result = failureFor(ErrPathFileAccess, to.display, QStringLiteral("Quelle und Ziel sind dieselbe Datei"));
    StagedFile staged;
    // A replaced file keeps what its user set; a new one takes the source's bits.
    if (result.ok())
        result = staged.create(to.folder, to.name, to.exists ? to.mode : st.st_mode & 0777, to.display);
    if (result.ok())
        result = staged.appendFrom(in.get(), st.st_size);
    if (result.ok())
        result = staged.keepMetadataOf(in.get());
    in.reset();
    if (!result.ok())
        return result;
    staged.setTimes(st.st_atim, st.st_mtim);
    if (to.exists)
        staged.setOwner(to.user, to.group, true);
    // A name that appeared meanwhile is not replaced: it was never looked at.
    result = staged.commit(to.exists, to.exists);
    if (result.ok())
        m_names.added(to.folder, to.name);
    return result;
}

Result<bool> HostCore::sameFile(const QString &a, const QString &b, const Anchor &at) const
{
    using R = Result<bool>;
    struct stat st[2]{};
    const QString *paths[2] = {&a, &b};
    for (int i = 0; i < 2; ++i) {
        const Result<Resolved> r = resolveExisting(*paths[i], at);
        if (!r.ok())
            return R::failure(r.status());
        if (::stat(r.value().host().constData(), &st[i]) != 0)
            return R::failure(errnoFailure(errno, r.value().display()));
    }
    return R::success(st[0].st_dev == st[1].st_dev && st[0].st_ino == st[1].st_ino);
}

Status HostCore::deleteFile(const QString &path, const Anchor &at) const
{
    const Result<Resolved> r = resolveExisting(path, at);
    if (!r.ok())
        return r.status();
    const QByteArray host = r.value().host();
    struct stat st {};
    if (r.value().path.isRoot() || ::lstat(host.constData(), &st) != 0)
        return failureFor(ErrFileNotFound, r.value().display());
    if (S_ISDIR(st.st_mode))
        return failureFor(ErrPathFileAccess, r.value().display(), QStringLiteral("ein Verzeichnis"));
    if (!S_ISLNK(st.st_mode) && isReadOnly(st))
        return failureFor(ErrPathFileAccess, r.value().display(), QStringLiteral("schreibgeschützt"));
    if (::unlink(host.constData()) != 0)
        return errnoFailure(errno, r.value().display());
    m_names.removed(r.value().hostParent(), r.value().names.last());
    return Status::success();
}

Result<std::uint32_t> HostCore::attributes(const QString &path, const Anchor &at) const
{
    using R = Result<std::uint32_t>;
    const Result<Resolved> r = resolveExisting(path, at);
    if (!r.ok())
        return R::failure(r.status());
    struct stat st {};
    if (::lstat(r.value().host().constData(), &st) != 0)
        return R::failure(errnoFailure(errno, r.value().display()));
    std::uint32_t attrs = AttrNormal;
    if (S_ISDIR(st.st_mode))
        attrs |= AttrDirectory;
    if (!S_ISLNK(st.st_mode) && isReadOnly(st))
        attrs |= AttrReadOnly;
    if (!r.value().names.isEmpty() && r.value().names.last().startsWith('.'))
        attrs |= AttrHidden;
    return R::success(attrs);
}

Status HostCore::setAttributes(const QString &path, std::uint32_t attributes, const Anchor &at) const
{
    const Result<Resolved> r = resolveExisting(path, at);
    if (!r.ok())
        return r.status();
    const QByteArray host = r.value().host();
    struct stat st {};
    if (::lstat(host.constData(), &st) != 0)
        return errnoFailure(errno, r.value().display());
    if (S_ISLNK(st.st_mode))
        return Status::success(); // a link has no mode of its own; its target is not ours to change
    mode_t mode = st.st_mode & 07777;
    if (!(attributes & AttrReadOnly))
        mode |= S_IWUSR;
    else if (!S_ISDIR(st.st_mode)) // a read-only mark on a folder does not lock its contents
        mode &= ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH);
    if (mode != (st.st_mode & 07777) && ::chmod(host.constData(), mode) != 0)
        return errnoFailure(errno, r.value().display());
    return Status::success();
}

Status HostCore::makeDirectory(const QString &path, const Anchor &at) const
{
    const Result<Resolved> r = resolve(path, at);
    if (!r.ok())
        return r.status();
    if (r.value().path.isRoot() || r.value().exists())
        return failureFor(ErrPathFileAccess, r.value().display(), QStringLiteral("existiert bereits"));
    if (!r.value().parentExists())
        return failureFor(ErrPathNotFound, r.value().display());
    if (::mkdir(r.value().host().constData(), 0777) != 0) {
        const int err = errno;
        if (err == EEXIST)
            return failureFor(ErrPathFileAccess, r.value().display(), QStringLiteral("existiert bereits"));
        if (err == ENOENT || err == ENOTDIR)
            return failureFor(ErrPathNotFound, r.value().display());
        return errnoFailure(err, r.value().display());
    }
    m_names.added(r.value().hostParent(), r.value().names.last());
    return Status::success();
}

Status HostCore::removeDirectory(const QString &path, const Anchor &at) const
{
    const Result<Resolved> r = resolve(path, at);
    if (!r.ok())
        return r.status();
    if (!r.value().exists())
        return failureFor(ErrPathNotFound, r.value().display());
    if (r.value().path.isRoot())
        return failureFor(ErrPathFileAccess, r.value().display());
    const QByteArray host = r.value().host();
    struct stat st {};
    if (::lstat(host.constData(), &st) != 0)
        return errnoFailure(errno, r.value().display());
    if (S_ISLNK(st.st_mode)) {
        // Only the link goes; what it points at is not part of this tree.
        if (::unlink(host.constData()) != 0)
            return errnoFailure(errno, r.value().display());
        m_names.removed(r.value().hostParent(), r.value().names.last());
        return Status::success();
    }
    if (!S_ISDIR(st.st_mode))
        return failureFor(ErrPathNotFound, r.value().display());
    if (::rmdir(host.constData()) != 0) {
        const int err = errno;
        if (err == ENOTEMPTY || err == EEXIST)
            return failureFor(ErrPathFileAccess, r.value().display(), QStringLiteral("nicht leer"));
        return errnoFailure(err, r.value().display());
    }
    m_names.removed(r.value().hostParent(), r.value().names.last());
    return Status::success();
}

Result<QByteArray> HostCore::readFile(const QString &path, qint64 maxBytes, const Anchor &at) const
{
    using R = Result<QByteArray>;
    const Result<Resolved> r = resolveExisting(path, at);
    if (!r.ok())
        return R::failure(r.status());
    struct stat st {};
    int err = 0;
    const Descriptor fd = openRegular(r.value().host(), st, err);
    if (!fd)
        return R::failure(openFailure(err, r.value().display()));
    QByteArray out;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return R::failure(errnoFailure(errno, r.value().display()));
        if (n == 0)
            break;
        out.append(buffer, n);
        if (out.size() > maxBytes)
            return R::failure(failureFor(ErrPathFileAccess, r.value().display(), QStringLiteral("Datei zu groß")));
    }
    return R::success(out);
}

Result<std::unique_ptr<ImageTrees>> HostCore::openImageTrees(const QString &sourceBase, const QString &targetBase,
                                                             bool planOnly, const Anchor &at) const
{
    using R = Result<std::unique_ptr<ImageTrees>>;
    const Result<Resolved> s = resolveExisting(sourceBase, at);
    if (!s.ok())
        return R::failure(s.status());
    const Result<Resolved> t = resolve(targetBase, at);
    if (!t.ok())
        return R::failure(t.status());
    const auto asFolder = [](QString display) {
        return display.endsWith(QLatin1Char('\\')) ? display : display + QLatin1Char('\\');
    };
    HostImageTrees::Roots roots;
    roots.sourceHost = s.value().host();
    roots.sourceDisplay = asFolder(s.value().display());
    roots.targetHost = t.value().host();
    roots.targetDisplay = asFolder(t.value().display());
    roots.planOnly = planOnly;
    Result<std::unique_ptr<HostImageTrees>> opened = HostImageTrees::open(roots, m_names);
    if (!opened.ok())
        return R::failure(opened.status());
    return R::success(std::move(opened).value());
}

} // namespace quorvane::platform
