#include "platform/host/hostimagetrees.h"

#include "platform/host/beneath.h"
#include "platform/hosterrors.h"
#include "platform/host/hostfolders.h"
#include "platform/namecodec.h"
#include "platform/namefold.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <cstdio>
#include <sys/xattr.h>
#include <unistd.h>

namespace quorvane::platform {

namespace {

// Enough for the folders a sorted list of files switches between, and for
// the folders above them.
constexpr std::size_t TargetFoldersKept = 16;

QByteArray below(const QByteArray &folder, const QByteArray &name)
{
    return folder.isEmpty() ? name : folder + '/' + name;
}

EntryKind kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return EntryKind::File;
    if (S_ISDIR(mode))
        return EntryKind::Folder;
    if (S_ISLNK(mode))
        return EntryKind::Link;
    return EntryKind::Other;
}

} // namespace

void HostImageTrees::TargetFolder::add(const QByteArray &name)
{
    if (!listed)
        return; // the listing will find it
    ++changes;
    exact.insert(name);
    QByteArray &smallest = folded[foldName(decodeName(name))];
    if (smallest.isNull() || name < smallest)
        smallest = name;
}

void HostImageTrees::TargetFolder::forget(const QByteArray &name)
{
    // Another program changed the folder: what else it changed is read again.
    Q_UNUSED(name);
    ++changes;
    listed = false;
    exact.clear();
    folded.clear();
}

bool HostImageTrees::TargetFolder::list()
{
    ++changes;
    exact.clear();
    folded.clear();
    const FolderStream dir(Descriptor(::openat(fd.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
    if (!dir)
        return false;
    listed = true;
    errno = 0;
    while (const dirent *e = ::readdir(dir.get())) {
        const char *n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        add(QByteArray(n, qsizetype(std::strlen(n))));
    }
    listed = errno == 0;
    return listed;
}

std::optional<QByteArray> HostImageTrees::TargetFolder::find(const QString &name, const QString &key)
{
    const QByteArray asked = encodeName(name);
    if (!listed && !list()) {
        // A folder that cannot be listed still answers for the exact name.
        struct stat st {};
        if (::fstatat(fd.get(), asked.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
            return asked;
        return std::nullopt;
    }
    if (exact.contains(asked))
        return asked;
    const auto other = folded.constFind(key);
    if (other != folded.constEnd())
        return *other;
    return std::nullopt;
}

bool HostImageTrees::TargetFolder::inheritsAcl()
{
    if (defaultAcl < 0) {
        // Asked once per folder through its handle; where the answer is
        // unclear, an inherited ACL is assumed and taken away as needed.
        char path[40];
        std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd.get());
        const ssize_t size = ::getxattr(path, "system.posix_acl_default", nullptr, 0);
        defaultAcl = size >= 0 || (errno != ENODATA && errno != ENOTSUP) ? 1 : 0;
    }
    return defaultAcl == 1;
}

Status HostImageTrees::targetFailure(int err, const QString &display) const
{
    if (err == EXDEV || err == ELOOP)
        return failureFor(ErrPathFileAccess, display, QStringLiteral("Führt aus dem Ziel-Verzeichnis hinaus"));
    if (err == ENOTDIR)
        return failureFor(ErrPathNotFound, display, QStringLiteral("Auf dem Weg steht eine Datei, kein Verzeichnis"));
    return errnoFailure(err, display);
}

QByteArray HostImageTrees::targetFolderHost(const TargetFolder &folder) const
{
    // Asked for every file placed in the folder: joined once.
    if (folder.absolute.isNull())
        folder.absolute = folder.host.isEmpty() ? m_targetHost : joinHost(m_targetHost, folder.host);
    return folder.absolute;
}

void HostImageTrees::remember(const TargetFolderPtr &folder)
{
    if (m_targetFolders.size() >= TargetFoldersKept)
        m_targetFolders.pop_back();
    m_targetFolders.insert(m_targetFolders.begin(), folder);
    m_lastFolder.reset();
}

HostImageTrees::TargetFolderPtr HostImageTrees::rootFolder(bool make, Status &why)
{
    if (m_root)
        return m_root;
    if (!m_target) {
        if (!make || m_planOnly)
            return nullptr;
        // The target root and the folders above it that are missing, made
        // name by name from the folder that exists.
        Descriptor at(::dup(m_targetAnchor.get()));
        for (const QByteArray &name : std::as_const(m_missingRoot)) {
            if (::mkdirat(at.get(), name.constData(), 0777) != 0 && errno != EEXIST) {
                why = targetFailure(errno, m_targetDisplay);
                return nullptr;
            }
            at.reset(::openat(at.get(), name.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!at) {
                why = targetFailure(errno, m_targetDisplay);
                return nullptr;
            }
        }
        m_target = std::move(at);
        m_targetLocation = decodeName(pathOfDescriptor(m_target.get()));
        m_missingRoot.clear();
    }
    auto root = std::make_shared<TargetFolder>();
    root->fd.reset(::openat(m_target.get(), ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!root->fd) {
        why = targetFailure(errno, m_targetDisplay);
        return nullptr;
    }
    m_root = root;
    return m_root;
}

HostImageTrees::TargetFolderPtr HostImageTrees::targetFolder(const QString &relative, bool make, Status &why)
{
    why = Status::success();
    if (relative.isEmpty())
        return rootFolder(make, why);
    // The files of one folder come together, and each asks for its folder
    // three times: the last answer is had without folding and comparing.
    if (m_lastFolder && relative == m_lastFolderAsked)
        return m_lastFolder;
    const QString key = foldName(relative);
    for (std::size_t i = 0; i < m_targetFolders.size(); ++i) {
        if (m_targetFolders[i]->key != key)
            continue;
        TargetFolderPtr found = m_targetFolders[i];
        if (i > 0) {
            m_targetFolders.erase(m_targetFolders.begin() + qsizetype(i));
            m_targetFolders.insert(m_targetFolders.begin(), found);
        }
        m_lastFolderAsked = relative;
        m_lastFolder = found;
        return found;
    }
    const auto failed = m_failedFolders.constFind(key);
    if (failed != m_failedFolders.constEnd()) {
        why = *failed;
        return nullptr;
    }
    const TargetFolderPtr parent = targetFolder(parentOfEntry(relative), make, why);
    if (!parent)
        return nullptr;
    TargetFolderPtr child = childFolder(parent, key, relative, make, why);
    if (!child && !why.ok())
        m_failedFolders.insert(key, why);
    return child;
}

HostImageTrees::TargetFolderPtr HostImageTrees::childFolder(const TargetFolderPtr &parent, const QString &key,
                                                            const QString &relative, bool make, Status &why)
{
    const QString name = lastNameOfEntry(relative);
    const QString display = targetDisplay(relative);
    auto child = std::make_shared<TargetFolder>();
    child->key = key;
    const QString nameKey = foldName(name);
    settleIfPending(*parent, nameKey);
    // Twice at most: once more after another program changed the folder.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::optional<QByteArray> stored = parent->find(name, nameKey);
        if (stored) {
            child->host = below(parent->host, *stored);
            // From the root, so that a link inside the target may lead
            // anywhere inside it, and nowhere else.
            child->fd = openBeneath(m_target.get(), child->host, O_PATH | O_DIRECTORY, LinksInside);
            if (child->fd) {
                remember(child);
                return child;
            }
            if (errno == ENOENT && attempt == 0) {
                parent->forget(*stored);
                continue;
            }
            why = targetFailure(errno, display);
            return nullptr;
        }
        if (!make || m_planOnly)
            return nullptr;
        const QByteArray made = encodeName(name);
        if (::mkdirat(parent->fd.get(), made.constData(), 0777) != 0) {
            if (errno == EEXIST && attempt == 0) {
                parent->forget(made);
                continue;
            }
            why = targetFailure(errno, display);
            return nullptr;
        }
        parent->add(made);
        m_names.added(targetFolderHost(*parent), made);
        child->host = below(parent->host, made);
        child->fd.reset(::openat(parent->fd.get(), made.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!child->fd) {
            why = targetFailure(errno, display);
            return nullptr;
        }
        child->listed = true; // new and empty
        remember(child);
        return child;
    }
    why = targetFailure(EEXIST, display);
    return nullptr;
}

HostImageTrees::TargetFolderPtr HostImageTrees::placementFolder(const QString &target, Status &why)
{
    TargetFolderPtr folder = targetFolder(parentOfEntry(target), false, why);
    if (!folder && why.ok())
        why = failureFor(ErrPathNotFound, targetDisplay(target));
    return folder;
}

Result<HostImageTrees::Existing> HostImageTrees::existing(TargetFolder &folder, const QString &name,
                                                          const QString &display)
{
    using R = Result<Existing>;
    Existing there;
    there.key = foldName(name);
    settleIfPending(folder, there.key);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::optional<QByteArray> stored = folder.find(name, there.key);
        if (!stored)
            break;
        if (::fstatat(folder.fd.get(), stored->constData(), &there.st, AT_SYMLINK_NOFOLLOW) == 0) {
            there.name = *stored;
            there.exists = true;
            return R::success(there);
        }
        if (errno != ENOENT)
            return R::failure(errnoFailure(errno, display));
        folder.forget(*stored);
    }
    there.name = encodeName(name);
    return R::success(there);
}

Result<TargetEntry> HostImageTrees::lookUp(const QString &relative)
{
    using R = Result<TargetEntry>;
    TargetEntry entry;
    entry.name = lastNameOfEntry(relative);
    Status why;
    const TargetFolderPtr folder = targetFolder(parentOfEntry(relative), false, why);
    if (!folder)
        return why.ok() ? R::success(entry) : R::failure(why);
    m_lastMissing.reset();
    const Result<Existing> there = existing(*folder, entry.name, targetDisplay(relative));
    if (!there.ok())
        return R::failure(there.status());
    if (!there.value().exists) {
        if (folder->listed)
            m_lastMissing = MissingLook{relative, folder, folder->changes, there.value()};
        return R::success(entry);
    }
    const struct stat &st = there.value().st;
    entry.name = decodeName(there.value().name);
    entry.kind = kindOf(st.st_mode);
    if (entry.kind == EntryKind::File) {
        entry.stamp = stampOf(st);
        entry.readOnly = (st.st_mode & S_IWUSR) == 0;
    }
    return R::success(entry);
}

Status HostImageTrees::reachFolder(const QString &relative, bool make)
{
    Status why;
    const TargetFolderPtr folder = targetFolder(relative, make, why);
    if (folder || !why.ok() || make)
        return why;
    return couldMake(relative);
}

Status HostImageTrees::couldMake(const QString &relative)
{
    // Nothing is in the way: the first missing folder is made in the
    // nearest one that exists, if that takes new names.
    Status why;
    QString missing = relative;
    TargetFolderPtr above;
    while (!missing.isEmpty()) {
        above = targetFolder(parentOfEntry(missing), false, why);
        if (!why.ok())
            return why;
        if (above || parentOfEntry(missing).isEmpty())
            break;
        missing = parentOfEntry(missing);
    }
    if (!above) {
        // The target root itself is missing, to be made from its anchor.
        if (::faccessat(m_targetAnchor.get(), ".", W_OK, AT_EACCESS) != 0)
            return targetFailure(errno, m_targetDisplay);
        return Status::success();
    }
    if (::faccessat(above->fd.get(), ".", W_OK, AT_EACCESS) != 0)
        return targetFailure(errno, targetDisplay(missing));
    return Status::success();
}

Status HostImageTrees::mayWrite(const QString &entry, const QString &target, bool moving)
{
    Status why;
    const TargetFolderPtr folder = targetFolder(parentOfEntry(target), false, why);
    if (!why.ok())
        return why;
    // A folder still to be made is reachFolder's to judge.
    if (folder && ::faccessat(folder->fd.get(), ".", W_OK, AT_EACCESS) != 0)
        return errnoFailure(errno, targetDisplay(target));
    if (moving) {
        const int source = sourceFolder(parentOfEntry(entry), why);
        if (source < 0)
            return why;
        if (::faccessat(source, ".", W_OK, AT_EACCESS) != 0)
            return errnoFailure(errno, targetDisplay(target));
    }
    return Status::success();
}

Result<QStringList> HostImageTrees::folderNames(const QString &relative)
{
    settleCopies();
    Status why;
    const TargetFolderPtr folder = targetFolder(relative, false, why);
    if (!folder)
        return why.ok() ? Result<QStringList>::success({}) : Result<QStringList>::failure(why);
    if (!folder->listed && !folder->list())
        return Result<QStringList>::failure(errnoFailure(errno, targetDisplay(relative)));
    QStringList names;
    names.reserve(folder->exact.size());
    for (const QByteArray &name : std::as_const(folder->exact))
        names.append(decodeName(name));
    return Result<QStringList>::success(names);
}

QByteArray HostImageTrees::targetHost(const QString &relative)
{
    Status why;
    const TargetFolderPtr folder = targetFolder(parentOfEntry(relative), false, why);
    if (!folder)
        return joinHost(m_targetHost, hostRelative(relative));
    const Result<Existing> there = existing(*folder, lastNameOfEntry(relative), targetDisplay(relative));
    const QByteArray name = there.ok() ? there.value().name : encodeName(lastNameOfEntry(relative));
    return joinHost(targetFolderHost(*folder), name);
}

} // namespace quorvane::platform
