#include "platform/host/hostcore.h"

#include "platform/host/beneath.h"
#include "platform/host/descriptor.h"
#include "platform/hosterrors.h"
#include "platform/fslog.h"
#include "platform/host/hostfolders.h"
#include "platform/namecodec.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane::platform {

namespace {

struct Name {
    QByteArray bytes;
    bool folder = false;
};

// Everything a folder holds but "." and "..", read before anything in it
// changes, with what each entry is (not followed).
bool namesIn(int folder, std::vector<Name> &out)
{
    const FolderStream dir(Descriptor(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
    if (!dir)
        return false;
    errno = 0;
    while (const dirent *e = ::readdir(dir.get())) {
        const char *n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        Name name{QByteArray(n, qsizetype(std::strlen(n))), e->d_type == DT_DIR};
        if (e->d_type == DT_UNKNOWN) {
            struct stat st {};
            name.folder = ::fstatat(folder, n, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
            // An entry gone meanwhile is no failure of the reading, which errno tells.
            errno = 0;
        }
        out.push_back(std::move(name));
    }
    return errno == 0;
}

// Empties the folder held open as folder, the way the one-shot listings of
// the platform the program was made for would: files of every kind first
// (links removed as links), then each folder that is not hidden, entered
// by its handle and never through a link. What cannot go stays, and so does
// every folder above it.
void removeContents(int folder, const QString &display, const std::function<void()> &perFolder)
{
    std::vector<Name> names;
    if (!namesIn(folder, names)) {
        logFailure(errnoFailure(errno, display), QStringLiteral("Verzeichnis lesen"));
        return;
    }
    for (const Name &name : names) {
        if (name.folder)
            continue;
        // A read-only mark would keep the file on the platform the program
        // was made for; through a handle, so that a swapped-in link is not followed.
        (void)makeWritableAt(folder, name.bytes);
        if (::unlinkat(folder, name.bytes.constData(), 0) != 0)
            logFailure(errnoFailure(errno, display), QStringLiteral("Datei löschen"));
    }
    for (const Name &name : names) {
        if (!name.folder || name.bytes.startsWith('.'))
            continue; // hidden folders are not listed there: they stay
        const Descriptor sub(::openat(folder, name.bytes.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!sub)
            continue; // not a folder any more (a link swapped in): not entered
        struct stat st {};
        if (::fstat(sub.get(), &st) == 0 && (st.st_mode & S_IWUSR) == 0)
            (void)::fchmod(sub.get(), (st.st_mode & 07777) | S_IWUSR);
        const QString subDisplay = display + QLatin1Char('\\') + decodeName(name.bytes);
        removeContents(sub.get(), subDisplay, perFolder);
        perFolder();
        if (::unlinkat(folder, name.bytes.constData(), AT_REMOVEDIR) != 0 && errno != ENOENT)
            logFailure(errnoFailure(errno, subDisplay), QStringLiteral("Verzeichnis entfernen"));
    }
}

} // namespace

Status HostCore::removeTree(const QString &path, const std::function<void()> &perFolder, const Anchor &at) const
{
    const Result<Resolved> r = resolveExisting(path, at);
    if (!r.ok())
        return r.status();
    if (r.value().path.isRoot())
        return failureFor(ErrPathFileAccess, r.value().display());
    const QString display = r.value().display();
    // The path comes from outside: its folder is opened by name, everything
    // below it by handles.
    const Descriptor parent(::open(r.value().hostParent().constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!parent)
        return errnoFailure(errno, display);
    const QByteArray name = r.value().names.last();
    struct stat entry {};
    if (::fstatat(parent.get(), name.constData(), &entry, AT_SYMLINK_NOFOLLOW) != 0)
        return errnoFailure(errno, display);
    // A link names a tree elsewhere: only the link goes.
    if (!S_ISDIR(entry.st_mode)) {
        if (!S_ISLNK(entry.st_mode))
            return failureFor(ErrPathNotFound, display);
        if (::unlinkat(parent.get(), name.constData(), 0) != 0)
            return errnoFailure(errno, display);
        m_names.removed(r.value().hostParent(), name);
        return Status::success();
    }
    const Descriptor tree(::openat(parent.get(), name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat opened {};
    if (!tree || ::fstat(tree.get(), &opened) != 0 || opened.st_ino != entry.st_ino || opened.st_dev != entry.st_dev)
        return failureFor(ErrPathFileAccess, display, QStringLiteral("Wurde während des Entfernens ersetzt"));
    if ((opened.st_mode & S_IWUSR) == 0)
        (void)::fchmod(tree.get(), (opened.st_mode & 07777) | S_IWUSR);
    removeContents(tree.get(), display, perFolder);
    perFolder();
    if (::unlinkat(parent.get(), name.constData(), AT_REMOVEDIR) != 0)
        return errnoFailure(errno, display);
    m_names.removed(r.value().hostParent(), name);
    return Status::success();
}

} // namespace quorvane::platform
