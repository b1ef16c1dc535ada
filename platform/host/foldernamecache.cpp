#include "platform/host/foldernamecache.h"

#include "platform/namecodec.h"
#include "platform/namefold.h"

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

namespace quorvane::platform {

namespace {

constexpr qsizetype MaxFolders = 16;
// Folder times advance in clock ticks of a few milliseconds.
constexpr long long RacyNanoseconds = 50'000'000;

bool isRecent(const struct timespec &t)
{
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const long long age = (now.tv_sec - t.tv_sec) * 1'000'000'000LL + (now.tv_nsec - t.tv_nsec);
    return age < RacyNanoseconds;
}

bool sameTime(const struct timespec &a, const struct timespec &b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

bool FolderNameCache::stamp(const QByteArray &folder, Folder &entry, int *errorOut)
{
    struct stat st {};
    if (::stat(folder.constData(), &st) != 0) {
        if (errorOut)
            *errorOut = errno;
        return false;
    }
    entry.device = st.st_dev;
    entry.inode = st.st_ino;
    entry.modified = st.st_mtim;
    return true;
}

bool FolderNameCache::refresh(const QByteArray &folder, Folder &entry, int *errorOut)
{
    entry.names.clear();
    if (!stamp(folder, entry, errorOut))
        return false;
    DIR *dir = ::opendir(folder.constData());
    if (!dir) {
        if (errorOut)
            *errorOut = errno;
        return false;
    }
    while (const dirent *e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name == "." || name == "..")
            continue;
        QByteArray &slot = entry.names[foldName(decodeName(name))];
        if (slot.isNull() || name < slot)
            slot = name;
    }
    ::closedir(dir);
    entry.racy = isRecent(entry.modified);
    return true;
}

FolderNameCache::Lookup FolderNameCache::find(const QByteArray &folder, const QString &wanted, QByteArray *stored,
                                              int *errorOut)
{
    const std::lock_guard<std::mutex> hold(m_lock);
    auto it = m_folders.find(folder);
    bool fresh = false;
    if (it != m_folders.end()) {
        struct stat st {};
        fresh = !it->racy && ::stat(folder.constData(), &st) == 0 && st.st_dev == it->device && st.st_ino == it->inode
            && sameTime(st.st_mtim, it->modified);
    } else {
        if (m_folders.size() >= MaxFolders)
            m_folders.clear();
        it = m_folders.insert(folder, Folder());
    }
    if (!fresh && !refresh(folder, *it, errorOut)) {
        m_folders.erase(it);
        return Lookup::Failed;
    }
    const auto match = it->names.constFind(foldName(wanted));
    if (match == it->names.constEnd())
        return Lookup::Missing;
    *stored = *match;
    return Lookup::Found;
}

void FolderNameCache::added(const QByteArray &folder, const QByteArray &name)
{
    const std::lock_guard<std::mutex> hold(m_lock);
    const auto it = m_folders.find(folder);
    if (it == m_folders.end())
        return;
    QByteArray &slot = it->names[foldName(decodeName(name))];
    if (slot.isNull() || name < slot)
        slot = name;
    // Our own change explains the new time stamp; without this, a folder
    // filled in a burst would be scanned again for every name put into it.
    if (stamp(folder, *it, nullptr))
        it->racy = false;
    else
        m_folders.erase(it);
}

void FolderNameCache::removed(const QByteArray &folder, const QByteArray &name)
{
    const std::lock_guard<std::mutex> hold(m_lock);
    const auto it = m_folders.find(folder);
    if (it == m_folders.end())
        return;
    const QString key = foldName(decodeName(name));
    const auto match = it->names.find(key);
    if (match != it->names.end() && *match == name) {
        // Another case variant may stand behind it: only a new scan can tell.
        m_folders.erase(it);
        return;
    }
    if (!stamp(folder, *it, nullptr))
        m_folders.erase(it);
}

} // namespace quorvane::platform
