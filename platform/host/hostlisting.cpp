#include "platform/host/hostfilesystem.h"

#include "platform/hosterrors.h"
#include "platform/host/hostfolders.h"
#include "platform/namecodec.h"
#include "platform/wildcard.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvane::platform {

namespace {

// Attribute bits that decide whether a listing admits an entry.
std::uint32_t listingClass(unsigned char type, int dirFd, const char *name)
{
    if (type == DT_UNKNOWN) {
        struct stat st {};
        if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return AttrNormal;
        if (S_ISDIR(st.st_mode))
            type = DT_DIR;
        else if (S_ISREG(st.st_mode))
            type = DT_REG;
        else if (S_ISLNK(st.st_mode))
            type = DT_LNK;
        else
            type = DT_FIFO;
    }
    std::uint32_t attrs = name[0] == '.' ? AttrHidden : AttrNormal;
    if (type == DT_DIR)
        attrs |= AttrDirectory;
    else if (type != DT_REG && type != DT_LNK)
        attrs |= AttrSystem; // pipes, sockets, devices: not ordinary files
    return attrs;
}

bool admitted(std::uint32_t attrs, int mask)
{
    const std::uint32_t special = attrs & (AttrHidden | AttrSystem | AttrDirectory);
    return (special & ~std::uint32_t(mask)) == 0;
}

} // namespace

namespace {

// A listing's folder and name pattern: "C:\a\*.txt" is "C:\a\" and "*.txt";
// "C:\a\" and "C:" mean "*.*" there, a name alone the current folder.
struct ListingRequest {
    QString folder;
    QString name;
};

ListingRequest splitListingPattern(const QString &pattern)
{
    ListingRequest request;
    qsizetype cut = -1;
    for (qsizetype i = pattern.size() - 1; i >= 0 && cut < 0; --i) {
        if (pattern.at(i) == QLatin1Char('\\') || pattern.at(i) == QLatin1Char('/'))
            cut = i;
    }
    if (cut >= 0) {
        request.folder = pattern.left(cut + 1);
        request.name = pattern.mid(cut + 1);
    } else if (!driveLetterOf(pattern).isNull()) {
        request.folder = pattern.left(2);
        request.name = pattern.mid(2);
    } else {
        request.name = pattern;
    }
    if (request.folder.isEmpty())
        request.folder = QStringLiteral(".");
    if (request.name.isEmpty())
        request.name = QStringLiteral("*.*");
    return request;
}

} // namespace

Result<QString> HostFileSystem::dirFirst(const QString &pattern, int mask)
{
    endListing();
    const ListingRequest request = splitListingPattern(pattern);
    const Result<Resolved> r = m_core.resolve(request.folder, anchor());
    if (!r.ok())
        return Result<QString>::failure(r.error, r.message);
    if (!r.value().exists())
        return Result<QString>::success({}); // a folder that is not there holds nothing

    Descriptor dirFd(::open(r.value().host().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    m_listingActive = dirFd.valid();
    if (!dirFd) {
        if (errno == ENOTDIR || errno == ENOENT)
            return Result<QString>::success({});
        const int err = errno;
        endListing();
        return Result<QString>::failure(errnoFailure(err, r.value().display()));
    }
    // A drive root has no "." and "..".
    const bool withDots = (mask & AttrDirectory) && !r.value().path.isRoot();
    const QString &name = request.name;
    if (name == QLatin1String(".") || name == QLatin1String("..")) {
        if (withDots)
            m_listing.push_back(name);
    } else if (!hasWildcards(name)) {
        listOneName(r.value(), name, dirFd.get(), mask);
    } else {
        return startReading(std::move(dirFd), Wildcard(name), withDots, mask, r.value().display());
    }
    return dirNext();
}

void HostFileSystem::listOneName(const Resolved &folder, const QString &name, int dirFd, int mask)
{
    // The same lookup as every path (exact name first).
    const Result<Resolved> one = m_core.resolve(folder.display() + QLatin1Char('\\') + name, anchor());
    if (one.ok() && one.value().exists() && one.value().names.size() == folder.names.size() + 1) {
        const QByteArray stored = one.value().names.last();
        if (admitted(listingClass(DT_UNKNOWN, dirFd, stored.constData()), mask))
            m_listing.push_back(decodeName(stored));
    }
}

Result<QString> HostFileSystem::startReading(Descriptor dirFd, const Wildcard &pattern, bool withDots, int mask,
                                             const QString &display)
{
    if (withDots) {
        for (const QString &dots : {QStringLiteral("."), QStringLiteral("..")}) {
            if (pattern.matches(dots))
                m_listing.push_back(dots);
        }
    }
    // Read as the names are fetched: a listing that stops at its first
    // name (the existence tests) costs one read, not the whole folder.
    m_listingDir = FolderStream(std::move(dirFd));
    if (!m_listingDir) {
        const int err = errno;
        endListing();
        return Result<QString>::failure(errnoFailure(err, display));
    }
    m_listingPattern = pattern;
    m_listingMask = mask;
    return dirNext();
}

Result<QString> HostFileSystem::dirNext()
{
    if (!m_listingActive)
        return Result<QString>::failure(failureFor(ErrInvalidCall, {}));
    if (m_listingNext < m_listing.size())
        return Result<QString>::success(m_listing[m_listingNext++]);
    while (m_listingDir) {
        const dirent *entry = ::readdir(m_listingDir.get());
        if (!entry)
            break;
        const char *raw = entry->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        const QString decoded = decodeName(raw, qsizetype(std::strlen(raw)));
        if (m_listingPattern->matches(decoded)
            && admitted(listingClass(entry->d_type, ::dirfd(m_listingDir.get()), raw), m_listingMask))
            return Result<QString>::success(decoded);
    }
    endListing();
    return Result<QString>::success({});
}

void HostFileSystem::endListing()
{
    m_listingDir.reset();
    m_listing.clear();
    m_listingNext = 0;
    m_listingActive = false;
    m_listingPattern.reset();
}

namespace {

// Everything an open folder holds but "." and "..".
Result<std::vector<DirEntry>> readOpenFolder(int fd, const QString &shownPath)
{
    std::vector<DirEntry> out;
    const int err = readFolderEntries(fd, out);
    if (err != 0)
        return Result<std::vector<DirEntry>>::failure(errnoFailure(err, shownPath));
    return Result<std::vector<DirEntry>>::success(std::move(out));
}

} // namespace

Result<std::vector<DirEntry>> HostFileSystem::readDirectory(const QString &path)
{
    using R = Result<std::vector<DirEntry>>;
    // Fast path: the folder exists as written, so one open does it.
    Descriptor fd = m_core.openExactFolder(path, anchor());
    if (fd)
        return readOpenFolder(fd.get(), path);
    const Result<Resolved> r = m_core.resolve(path, anchor());
    if (!r.ok())
        return R::failure(r.error, r.message);
    const QString display = r.value().display();
    if (!r.value().exists())
        return R::failure(failureFor(ErrPathNotFound, display));
    fd = Descriptor(::open(r.value().host().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) {
        const int err = errno;
        return R::failure(err == ENOTDIR ? failureFor(ErrPathNotFound, display) : errnoFailure(err, display));
    }
    return readOpenFolder(fd.get(), display);
}

} // namespace quorvane::platform
