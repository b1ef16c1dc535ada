#include "platform/host/hostcore.h"

#include "platform/host/descriptor.h"
#include "platform/hosterrors.h"
#include "platform/host/hostfolders.h"
#include "platform/namecodec.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane::platform {

namespace {

// Lexically cleaned absolute host path ("." and ".." taken out).
QByteArray cleanHostPath(const QByteArray &path)
{
    QList<QByteArray> parts;
    for (const QByteArray &part : path.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    return '/' + parts.join('/');
}

// The host's own absolute name of an existing path, every link followed.
// Asked of the kernel through the open file where /proc allows it: one
// lookup instead of one per component as realpath makes.
bool canonicalHost(const QByteArray &host, QByteArray &out)
{
    const Descriptor fd(::open(host.constData(), O_PATH | O_CLOEXEC));
    if (!fd)
        return false;
    char link[40];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd.get());
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(link, buffer, sizeof buffer);
    if (n > 0 && n < ssize_t(sizeof buffer) && buffer[0] == '/') {
        out = QByteArray(buffer, n);
        return true;
    }
    if (!::realpath(host.constData(), buffer))
        return false;
    out = QByteArray(buffer);
    return true;
}

// "X:\..." or "X:/...": a path that needs no current folder.
bool isAbsolute(const QString &path)
{
    return path.size() >= 3 && (path[2] == u'\\' || path[2] == u'/') && !driveLetterOf(path).isNull();
}

} // namespace

QByteArray HostCore::Resolved::host() const
{
    QByteArray out = root;
    for (const QByteArray &name : names)
        out = joinHost(out, name);
    return out;
}

QByteArray HostCore::Resolved::hostParent() const
{
    QByteArray out = root;
    for (qsizetype i = 0; i + 1 < names.size(); ++i)
        out = joinHost(out, names[i]);
    return out;
}

QString HostCore::Resolved::storedDrivePath() const
{
    DrivePath stored;
    stored.drive = path.drive;
    for (const QByteArray &name : names)
        stored.components.append(decodeName(name));
    return stored.toString();
}

Result<HostCore::Resolved> HostCore::spell(const QString &path, const Anchor &at) const
{
    using R = Result<Resolved>;
    if (path.isEmpty() || path.contains(QChar(0)) || (!at.folders && !isAbsolute(path)))
        return R::failure(failureFor(ErrBadFileNameOrNumber, path));
    static const CurrentDirectories atRoots;
    Resolved r;
    r.path = makeAbsolute(path, at.drive, at.folders ? *at.folders : atRoots);
    r.folderOnly = !r.path.isRoot() && (path.endsWith(QLatin1Char('\\')) || path.endsWith(QLatin1Char('/')));
    if (!m_map.isMapped(r.path.drive))
        return R::failure(failureFor(ErrDeviceUnavailable, path));
    r.root = m_map.hostFolder(r.path.drive);
    r.names.reserve(r.path.components.size());
    for (const QString &component : r.path.components)
        r.names.append(encodeName(component));
    return R::success(r);
}

qsizetype HostCore::namesInExactParent(const Resolved &r, QByteArray &parent)
{
    if (r.names.size() < 2)
        return 0;
    QByteArray exact = r.root;
    for (qsizetype i = 0; i + 1 < r.names.size(); ++i)
        exact = joinHost(exact, r.names[i]);
    if (!isHostFolder(exact))
        return 0;
    parent = exact;
    return r.names.size() - 1;
}

Status HostCore::lookUpNames(Resolved &r, QByteArray prefix, qsizetype first) const
{
    r.found = first;
    struct stat st {};
    for (qsizetype i = first; i < r.names.size(); ++i) {
        const QByteArray exact = joinHost(prefix, r.names[i]);
        if (::lstat(exact.constData(), &st) == 0) {
            prefix = exact;
            r.found = i + 1;
            continue;
        }
        const int err = errno;
        if (err == ENOTDIR)
            break;
        if (err != ENOENT)
            return errnoFailure(err, r.display());
        QByteArray variant;
        int lookupErr = 0;
        const FolderNameCache::Lookup found = m_names.find(prefix, r.path.components[i], &variant, &lookupErr);
        if (found == FolderNameCache::Lookup::Missing)
            break;
        if (found == FolderNameCache::Lookup::Failed) {
            if (lookupErr == ENOTDIR || lookupErr == ENOENT)
                break;
            return errnoFailure(lookupErr, r.display());
        }
        r.names[i] = variant;
        prefix = joinHost(prefix, variant);
        r.found = i + 1;
    }
    return Status::success();
}

Result<HostCore::Resolved> HostCore::resolve(const QString &path, const Anchor &at) const
{
    using R = Result<Resolved>;
    Result<Resolved> spelled = spell(path, at);
    if (!spelled.ok())
        return spelled;
    Resolved &r = spelled.value();
    // Most paths exist exactly as written: one lstat settles them.
    struct stat st {};
    if (::lstat(r.host().constData(), &st) == 0) {
        r.found = r.names.size();
        return spelled;
    }
    // A new name in a folder that exists as written: only the last name needs help.
    QByteArray prefix = r.root;
    const qsizetype first = namesInExactParent(r, prefix);
    const Status looked = lookUpNames(r, prefix, first);
    if (!looked.ok())
        return R::failure(looked);
    // A drive whose folder is gone is a drive that is not ready.
    if (r.found == 0 && !isHostFolder(r.root))
        return R::failure(failureFor(ErrDeviceUnavailable, r.display()));
    return spelled;
}

Result<HostCore::Resolved> HostCore::resolveExisting(const QString &path, const Anchor &at) const
{
    Result<Resolved> r = resolve(path, at);
    if (r.ok() && !r.value().exists())
        return Result<Resolved>::failure(missing(r.value()));
    // "f.txt\" names a folder; a file does not answer to it.
    if (r.ok() && r.value().folderOnly && !isHostFolder(r.value().host()))
        return Result<Resolved>::failure(failureFor(ErrPathNotFound, r.value().display()));
    return r;
}

Status HostCore::missing(const Resolved &r)
{
    // "file.txt\x": the folder part names a file, so it is the path that is wrong.
    const bool inFolder = r.parentExists() && (r.names.size() < 2 || isHostFolder(r.hostParent()));
    return failureFor(inFolder ? ErrFileNotFound : ErrPathNotFound, r.display());
}

Result<QString> HostCore::longName(const QString &path, const Anchor &at) const
{
    const Result<Resolved> r = resolveExisting(path, at);
    if (!r.ok())
        return Result<QString>::failure(r.status());
    return Result<QString>::success(r.value().storedDrivePath());
}

Result<QByteArray> HostCore::hostBytes(const QString &drivePath, const Anchor &at) const
{
    const Result<Resolved> r = resolve(drivePath, at);
    if (!r.ok())
        return Result<QByteArray>::failure(r.status());
    return Result<QByteArray>::success(r.value().host());
}

Result<HostPlace> HostCore::hostPlace(const QString &drivePath, const Anchor &at) const
{
    const Result<Resolved> r = resolve(drivePath, at);
    if (!r.ok())
        return Result<HostPlace>::failure(r.status());
    if (r.value().names.isEmpty())
        return Result<HostPlace>::failure(errnoFailure(EISDIR, drivePath));
    return Result<HostPlace>::success({r.value().hostParent(), r.value().names.last()});
}

Result<QString> HostCore::location(const QString &path, bool followLast, const Anchor &at) const
{
    using R = Result<QString>;
    const Result<Resolved> r = resolve(path, at);
    if (!r.ok())
        return R::failure(r.status());
    const Resolved &where = r.value();
    // The host settles the part that exists, links and all; a last component
    // not followed, or not there yet, is a plain name in that folder.
    qsizetype settled = where.found;
    if (settled == where.names.size() && !followLast && settled > 0)
        --settled;
    QByteArray existing = where.root;
    for (qsizetype i = 0; i < settled; ++i)
        existing = joinHost(existing, where.names[i]);
    QByteArray out;
    if (!canonicalHost(existing, out)) {
        const int err = errno;
        struct stat st {};
        // A dangling link as the last component is itself what a write replaces.
        if (err != ENOENT || settled == 0 || settled != where.names.size() || ::lstat(existing.constData(), &st) != 0
            || !S_ISLNK(st.st_mode))
            return R::failure(errnoFailure(err, where.display()));
        --settled;
        if (!canonicalHost(where.hostParent(), out))
            return R::failure(errnoFailure(errno, where.display()));
    }
    for (qsizetype i = settled; i < where.names.size(); ++i)
        out = joinHost(out, where.names[i]);
    return R::success(decodeName(out));
}

Result<QString> HostCore::drivePath(const QString &hostPath) const
{
    if (hostPath.isEmpty() || hostPath.contains(QChar(0)))
        return Result<QString>::failure(failureFor(ErrBadFileNameOrNumber, hostPath));
    QByteArray bytes = encodeName(hostPath);
    if (!bytes.startsWith('/')) {
        char buffer[PATH_MAX];
        if (!::getcwd(buffer, sizeof buffer))
            return Result<QString>::failure(errnoFailure(errno, hostPath));
        bytes = QByteArray(buffer) + '/' + bytes;
    }
    bytes = cleanHostPath(bytes);
    QByteArray rest;
    const QChar drive = m_map.driveOf(bytes, &rest);
    if (drive.isNull())
        return Result<QString>::failure(failureFor(ErrDeviceUnavailable, hostPath));
    DrivePath out;
    out.drive = drive;
    for (const QByteArray &part : rest.split('/')) {
        if (!part.isEmpty())
            out.components.append(decodeName(part));
    }
    return Result<QString>::success(out.toString());
}

} // namespace quorvane::platform
