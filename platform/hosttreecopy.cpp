#include "hosttreecopy.h"

#include "hostfolders.h"
#include "namecodec.h"
#include "wildcard.h"
#include "stagedfile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quorvane::platform {

namespace {

// Enough for the folders a sorted list of files switches between.
constexpr std::size_t FoldersKept = 8;

QString locationOfFd(int fd)
{
    char link[40];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(link, buffer, sizeof buffer);
    if (n <= 0 || n >= ssize_t(sizeof buffer) || buffer[0] != '/')
        return {};
    return decodeName(buffer, n);
}

int openFolder(const QByteArray &host)
{
    return ::open(host.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
}

} // namespace

HostTreeCopy::HostTreeCopy(const QByteArray &sourceHost, const QByteArray &targetHost, const QString &targetDisplay,
                           FolderNameCache &names)
    : m_targetHost(targetHost), m_targetDisplay(targetDisplay), m_names(names)
{
    m_sourceFd = openFolder(sourceHost);
    m_targetFd = openFolder(targetHost);
    if (m_sourceFd >= 0)
        m_sourceLocation = locationOfFd(m_sourceFd);
    if (m_targetFd >= 0)
        m_targetLocation = locationOfFd(m_targetFd);
    if (m_sourceLocation.isEmpty() || m_targetLocation.isEmpty()) {
        // Without the places there is nothing the caller could check.
        if (m_sourceFd >= 0)
            ::close(m_sourceFd);
        if (m_targetFd >= 0)
            ::close(m_targetFd);
        m_sourceFd = m_targetFd = -1;
    }
}

HostTreeCopy::~HostTreeCopy()
{
    for (auto *cache : {&m_sourceFolders, &m_targetFolders}) {
        for (const Folder &f : *cache) {
            if (f.fd >= 0 && f.fd != m_sourceFd && f.fd != m_targetFd)
                ::close(f.fd);
        }
    }
    if (m_sourceFd >= 0)
        ::close(m_sourceFd);
    if (m_targetFd >= 0)
        ::close(m_targetFd);
}

QByteArray HostTreeCopy::hostRelative(const QString &relativeFolder)
{
    QByteArray path;
    for (const QString &component : relativeFolder.split(QLatin1Char('\\'))) {
        if (!path.isEmpty())
            path += '/';
        path += encodeName(component);
    }
    return path;
}

int HostTreeCopy::openBeneath(int baseFd, const QByteArray &path)
{
    open_how how{};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    const long fd = ::syscall(SYS_openat2, baseFd, path.constData(), &how, sizeof how);
    if (fd >= 0 || errno != ENOSYS)
        return int(fd);
    // An older kernel: name by name, never through a link.
    int at = baseFd;
    for (const QByteArray &name : path.split('/')) {
        const int next = (name == "." || name == "..")
            ? -1
            : ::openat(at, name.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (at != baseFd)
            ::close(at);
        if (next < 0)
            return -1;
        at = next;
    }
    return at;
}

bool HostTreeCopy::listNames(int folderFd, QSet<QString> &taken)
{
    const int fd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    errno = 0;
    while (const dirent *e = ::readdir(dir)) {
        const char *n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        taken.insert(foldName(decodeName(n, qsizetype(std::strlen(n)))));
    }
    const bool complete = errno == 0;
    ::closedir(dir);
    return complete;
}

HostTreeCopy::Folder *HostTreeCopy::folderOf(std::vector<Folder> &cache, int baseFd, const QString &relative,
                                             bool withNames)
{
    const qsizetype cut = relative.lastIndexOf(QLatin1Char('\\'));
    const QString key = cut < 0 ? QString() : relative.left(cut);
    for (std::size_t i = 0; i < cache.size(); ++i) {
        if (cache[i].key == key)
            return cache[i].ok ? &cache[i] : nullptr;
    }
    Folder folder;
    folder.key = key;
    if (!key.isEmpty())
        folder.host = hostRelative(key);
    if (withNames)
        folder.fullHost = key.isEmpty() ? m_targetHost : joinHost(m_targetHost, folder.host);
    folder.fd = key.isEmpty() ? baseFd : openBeneath(baseFd, folder.host);
    folder.ok = folder.fd >= 0 && (!withNames || listNames(folder.fd, folder.taken));
    if (cache.size() >= FoldersKept) {
        const Folder &last = cache.back();
        if (last.fd >= 0 && last.fd != baseFd)
            ::close(last.fd);
        cache.pop_back();
    }
    cache.insert(cache.begin(), std::move(folder));
    return cache.front().ok ? &cache.front() : nullptr;
}

TreeCopy::Outcome HostTreeCopy::copyNew(const QString &source, const QString &target, Status &failure)
{
    const Folder *from = folderOf(m_sourceFolders, m_sourceFd, source, false);
    if (!from)
        return Outcome::NotHandled;
    const int fromFd = from->fd;
    Folder *to = folderOf(m_targetFolders, m_targetFd, target, true);
    if (!to)
        return Outcome::NotHandled;
    const QString targetName = target.mid(target.lastIndexOf(QLatin1Char('\\')) + 1);
    const QString key = foldName(targetName);
    if (to->taken.contains(key))
        return Outcome::NotHandled; // replacing, or a name in another letter case: the careful way

    const QByteArray sourceName = encodeName(source.mid(source.lastIndexOf(QLatin1Char('\\')) + 1));
    const int in = ::openat(fromFd, sourceName.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (in < 0)
        return Outcome::NotHandled; // a link, or something the careful way will name
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return Outcome::NotHandled;
    }
    const QByteArray name = encodeName(targetName);
    StagedFile staged;
    Status result = staged.createIn(to->fd, name, st.st_mode & 0777, m_targetDisplay + target);
    if (result.ok() && st.st_size > 0)
        result = staged.appendFrom(in, st.st_size);
    if (result.ok())
        result = staged.keepMetadataOf(in);
    if (result.ok()) {
        staged.setTimes(st.st_atim, st.st_mtim);
        result = staged.commit(false, false);
    }
    ::close(in);
    if (result.error == ErrFileExists) {
        to->taken.insert(key);
        return Outcome::NotHandled;
    }
    if (!result.ok()) {
        failure = result;
        return Outcome::Failed;
    }
    to->taken.insert(key);
    m_names.added(to->fullHost, name);
    return Outcome::Copied;
}

} // namespace quorvane::platform
