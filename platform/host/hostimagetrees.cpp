#include "platform/host/hostimagetrees.h"

#include "platform/host/beneath.h"
#include "platform/hosterrors.h"
#include "platform/host/hostfolders.h"
#include "platform/namecodec.h"
#include "platform/host/regularfile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace quorvane::platform {

namespace {

// Enough for the folders a sorted list of files switches between.
constexpr std::size_t SourceFoldersKept = 8;

const QString LeadsOutOfSource = QStringLiteral("Führt aus dem Quell-Verzeichnis hinaus");

Descriptor openRoot(const QByteArray &host)
{
    return Descriptor(::open(host.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
}

} // namespace

HostImageTrees::HostImageTrees(const Roots &roots, FolderNameCache &names)
    : m_sourceHost(roots.sourceHost),
      m_targetHost(roots.targetHost),
      m_sourceDisplay(roots.sourceDisplay),
      m_targetDisplay(roots.targetDisplay),
      m_planOnly(roots.planOnly),
      m_names(names)
{
}

HostImageTrees::~HostImageTrees() = default;

Result<std::unique_ptr<HostImageTrees>> HostImageTrees::open(const Roots &roots, FolderNameCache &names)
{
    using R = Result<std::unique_ptr<HostImageTrees>>;
    std::unique_ptr<HostImageTrees> trees(new HostImageTrees(roots, names));
    trees->m_source = openRoot(roots.sourceHost);
    if (!trees->m_source)
        return R::failure(errnoFailure(errno, roots.sourceDisplay));
    trees->m_sourcePlace = pathOfDescriptor(trees->m_source.get());
    trees->m_sourceLocation = decodeName(trees->m_sourcePlace);

    trees->m_target = openRoot(roots.targetHost);
    if (trees->m_target) {
        trees->m_targetLocation = decodeName(pathOfDescriptor(trees->m_target.get()));
        return R::success(std::move(trees));
    }
    if (errno != ENOENT)
        return R::failure(errnoFailure(errno, roots.targetDisplay));
    // A target that is not there yet is made by the first folder asked
    // for, from the nearest folder above it that exists.
    QByteArray above = roots.targetHost;
    while (!trees->m_targetAnchor) {
        const qsizetype cut = above.lastIndexOf('/');
        if (cut < 0 || above == "/")
            return R::failure(failureFor(ErrPathNotFound, roots.targetDisplay));
        trees->m_missingRoot.prepend(above.mid(cut + 1));
        above = cut == 0 ? QByteArray("/") : above.left(cut);
        trees->m_targetAnchor = openRoot(above);
        if (!trees->m_targetAnchor && errno != ENOENT)
            return R::failure(errnoFailure(errno, roots.targetDisplay));
    }
    return R::success(std::move(trees));
}

Status HostImageTrees::sourceFailure(int err, const QString &entry) const
{
    if (err == EXDEV || err == ELOOP)
        return failureFor(ErrPathFileAccess, sourceDisplay(entry), LeadsOutOfSource);
    if (err == EINVAL || err == EISDIR)
        return openFailure(err, sourceDisplay(entry));
    return errnoFailure(err, sourceDisplay(entry));
}

int HostImageTrees::sourceFolder(const QString &relative, Status &why)
{
    for (std::size_t i = 0; i < m_sourceFolders.size(); ++i) {
        if (m_sourceFolders[i].key != relative)
            continue;
        if (i > 0)
            std::rotate(m_sourceFolders.begin(), m_sourceFolders.begin() + qsizetype(i),
                        m_sourceFolders.begin() + qsizetype(i) + 1);
        why = m_sourceFolders.front().failure;
        return m_sourceFolders.front().fd.get();
    }
    SourceFolder folder;
    folder.key = relative;
    // The walk enters no link: a folder that is one now was swapped in since.
    folder.fd = openBeneath(m_source.get(), hostRelative(relative), O_PATH | O_DIRECTORY, NoLinks);
    if (!folder.fd)
        folder.failure = sourceFailure(errno, relative);
    if (m_sourceFolders.size() >= SourceFoldersKept)
        m_sourceFolders.pop_back();
    m_sourceFolders.insert(m_sourceFolders.begin(), std::move(folder));
    why = m_sourceFolders.front().failure;
    return m_sourceFolders.front().fd.get();
}

Descriptor HostImageTrees::openLinkedSource(const QString &entry, int folder, const QByteArray &name)
{
    constexpr int Flags = O_RDONLY | O_NONBLOCK | O_NOCTTY;
    Descriptor fd = openBeneath(m_source.get(), hostRelative(entry), Flags, LinksInside);
    if (fd || errno != EXDEV)
        return fd;
    // An absolute link may still lead into the tree: where it ends on the
    // disk decides, and the file is then opened below the root, link-free,
    // so that nothing outside can be reached whatever changes meanwhile.
    char target[PATH_MAX];
    const ssize_t n = ::readlinkat(folder, name.constData(), target, sizeof target - 1);
    if (n <= 0 || target[0] != '/') {
        errno = EXDEV;
        return Descriptor();
    }
    target[n] = 0;
    char real[PATH_MAX];
    if (!::realpath(target, real))
        return Descriptor();
    const QByteArray place(real);
    const QByteArray root = m_sourcePlace.endsWith('/') ? m_sourcePlace : m_sourcePlace + '/';
    if (m_sourcePlace.isEmpty() || !place.startsWith(root) || place.size() == root.size()) {
        errno = EXDEV;
        return Descriptor();
    }
    return openBeneath(m_source.get(), place.mid(root.size()), Flags, NoLinks);
}

Descriptor HostImageTrees::openSource(const QString &entry, struct stat &st, Status &why)
{
    const int folder = sourceFolder(parentOfEntry(entry), why);
    if (folder < 0)
        return Descriptor();
    const QByteArray name = encodeName(lastNameOfEntry(entry));
    Descriptor in(::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!in && errno == ELOOP)
        in = openLinkedSource(entry, folder, name);
    if (!in) {
        why = sourceFailure(errno, entry);
        return in;
    }
    if (::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        why = sourceFailure(S_ISDIR(st.st_mode) ? EISDIR : EINVAL, entry);
        return Descriptor();
    }
    // Opened without waiting, so that a pipe is refused above; to a regular
    // file that flag means nothing.
    return in;
}

Volume HostImageTrees::targetVolume()
{
    if (!m_targetVolume)
        m_targetVolume = volumeOf(m_target ? m_target.get() : m_targetAnchor.get());
    return *m_targetVolume;
}

bool HostImageTrees::targetSettlesTimesLate()
{
    // A FUSE program may set a file's change time once more as it lets go of it.
    return targetVolume().viaFuse;
}

bool HostImageTrees::rootsAreOne() const
{
    struct stat source {};
    struct stat target {};
    return m_target && ::fstat(m_source.get(), &source) == 0 && ::fstat(m_target.get(), &target) == 0
        && source.st_dev == target.st_dev && source.st_ino == target.st_ino;
}

bool HostImageTrees::isTargetRoot(const QString &relativeSourceFolder)
{
    Status why;
    const int folder = sourceFolder(relativeSourceFolder, why);
    struct stat source {};
    struct stat target {};
    return folder >= 0 && m_target && ::fstat(folder, &source) == 0 && ::fstat(m_target.get(), &target) == 0
        && source.st_dev == target.st_dev && source.st_ino == target.st_ino;
}

Result<FileStamp> HostImageTrees::sourceStamp(const QString &entry)
{
    struct stat st {};
    Status why;
    const Descriptor in = openSource(entry, st, why);
    if (!in)
        return Result<FileStamp>::failure(why);
    return Result<FileStamp>::success(stampOf(st));
}

QByteArray HostImageTrees::sourceHost(const QString &entry) const
{
    return joinHost(m_sourceHost, hostRelative(entry));
}

Result<bool> HostImageTrees::sameSourceBytes(const QString &a, const QString &b)
{
    struct stat statA {};
    struct stat statB {};
    Status why;
    const Descriptor first = openSource(a, statA, why);
    if (!first)
        return Result<bool>::failure(why);
    const Descriptor second = openSource(b, statB, why);
    if (!second)
        return Result<bool>::failure(why);
    if (statA.st_dev == statB.st_dev && statA.st_ino == statB.st_ino)
        return Result<bool>::success(false);
    return sameOpenBytes(first.get(), statA, sourceDisplay(a), second.get(), statB, sourceDisplay(b));
}

Status HostImageTrees::removeSourceFolder(const QString &relative)
{
    if (relative.isEmpty())
        return failureFor(ErrPathFileAccess, sourceDisplay(relative));
    Status why;
    const int parent = sourceFolder(parentOfEntry(relative), why);
    if (parent < 0)
        return why;
    // rmdir removes only an empty folder and never follows a link: whatever
    // is in it by now keeps it.
    if (::unlinkat(parent, encodeName(lastNameOfEntry(relative)).constData(), AT_REMOVEDIR) != 0) {
        const int err = errno;
        if (err == ENOTEMPTY || err == EEXIST)
            return failureFor(ErrPathFileAccess, sourceDisplay(relative), QStringLiteral("nicht leer"));
        return errnoFailure(err, sourceDisplay(relative));
    }
    m_sourceFolders.erase(
        std::remove_if(m_sourceFolders.begin(), m_sourceFolders.end(),
                       [&](const SourceFolder &f) { return f.key == relative || f.key.startsWith(relative + u'\\'); }),
        m_sourceFolders.end());
    return Status::success();
}

Status HostImageTrees::removeSource(const QString &entry, const FileStamp &compared)
{
    const QString display = sourceDisplay(entry);
    const Status changed = failureFor(ErrPathFileAccess, display,
                                      QStringLiteral("Die Quelle wurde beim Vergleichen geändert; sie bleibt"));
    Status why;
    const int folder = sourceFolder(parentOfEntry(entry), why);
    if (folder < 0)
        return why;
    const QByteArray name = encodeName(lastNameOfEntry(entry));
    struct stat own {};
    if (::fstatat(folder, name.constData(), &own, AT_SYMLINK_NOFOLLOW) != 0)
        return errnoFailure(errno, display);
    if (S_ISLNK(own.st_mode)) {
        // Only the link goes, and only while it still leads to the file compared.
        const Result<FileStamp> now = sourceStamp(entry);
        struct stat again {};
        if (!now.ok() || !now.value().sameState(compared)
            || ::fstatat(folder, name.constData(), &again, AT_SYMLINK_NOFOLLOW) != 0 || again.st_ino != own.st_ino
            || again.st_dev != own.st_dev)
            return changed;
        return ::unlinkat(folder, name.constData(), 0) == 0 ? Status::success() : errnoFailure(errno, display);
    }
    if (!S_ISREG(own.st_mode) || !stampOf(own).sameState(compared))
        return changed;
    struct stat before {};
    const int cleared = makeWritableAt(folder, name, &before);
    if (cleared != 0)
        return errnoFailure(cleared == EINVAL ? ENOENT : cleared, display);
    if (::unlinkat(folder, name.constData(), 0) != 0) {
        const int err = errno;
        (void)setModeAt(folder, name, before.st_mode);
        return errnoFailure(err, display);
    }
    return Status::success();
}

} // namespace quorvane::platform
