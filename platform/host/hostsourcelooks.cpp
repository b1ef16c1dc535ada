#include "platform/host/hostimagetrees.h"

#include "platform/host/beneath.h"
#include "platform/namecodec.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>

namespace quorvane::platform {

namespace {

// Looks are taken a block at a time, so that a million entries do not hold
// a million results at once. A block also ends where it would hold more
// folders open than this: the open-file limit is shared with the copies.
constexpr qsizetype LooksPerBlock = 4096;
constexpr std::size_t FoldersPerBlock = 64;
// Below this a second thread costs more than it saves.
constexpr qsizetype LooksWorthSharing = 256;

struct PendingLook {
    int folder = -1; // held by the block, not by the folder cache
    Status folderFailure;
    int error = 0;
    struct stat st {};
};

// looks[k] is the look at entries[first + k].
void takeLooks(const QStringList &entries, qsizetype first, std::vector<PendingLook> &looks, std::size_t begin,
               std::size_t end)
{
    for (std::size_t k = begin; k < end; ++k) {
        PendingLook &look = looks[k];
        if (look.folder < 0)
            continue;
        const QByteArray name = encodeName(lastNameOfEntry(entries.at(first + qsizetype(k))));
        if (::fstatat(look.folder, name.constData(), &look.st, AT_SYMLINK_NOFOLLOW) != 0)
            look.error = errno;
    }
}

// The other processor takes the first half while this thread takes the
// second: before a run writes, this check is all there is to do.
void takeLooksSideBySide(const QStringList &entries, qsizetype first, std::vector<PendingLook> &looks)
{
    const std::size_t half = looks.size() / 2;
    if (!twoOrMoreProcessors() || qsizetype(looks.size()) < LooksWorthSharing) {
        takeLooks(entries, first, looks, 0, looks.size());
        return;
    }
    std::thread helper;
    try {
        helper = std::thread([&, half] { takeLooks(entries, first, looks, 0, half); });
    } catch (const std::system_error &) {
        takeLooks(entries, first, looks, 0, looks.size());
        return;
    }
    takeLooks(entries, first, looks, half, looks.size());
    helper.join();
}

} // namespace

void HostImageTrees::sourceLooks(const QStringList &entries, const SourceLookSink &each)
{
    std::vector<PendingLook> looks;
    std::vector<Descriptor> held;
    // Fills looks from entries[start] on; returns where the block ends.
    const auto prepare = [&](qsizetype start) {
        looks.clear();
        held.clear();
        QStringView lastParent;
        Status lastFailure;
        const qsizetype last = std::min(entries.size(), start + LooksPerBlock);
        for (qsizetype i = start; i < last; ++i) {
            const QStringView parent = parentViewOfEntry(entries.at(i));
            if (held.empty() || parent != lastParent) {
                if (held.size() == FoldersPerBlock)
                    return i;
                lastParent = parent;
                const int cached = sourceFolder(parent.toString(), lastFailure);
                // The cache keeps only a few folders open; the block keeps its own.
                held.emplace_back(cached < 0 ? -1 : ::fcntl(cached, F_DUPFD_CLOEXEC, 0));
                if (cached >= 0 && !held.back())
                    lastFailure = sourceFailure(errno, parent.toString());
            }
            PendingLook &look = looks.emplace_back();
            look.folder = held.back().get();
            if (look.folder < 0)
                look.folderFailure = lastFailure;
        }
        return last;
    };
    for (qsizetype start = 0; start < entries.size();) {
        const qsizetype end = prepare(start);
        takeLooksSideBySide(entries, start, looks);
        for (qsizetype i = start; i < end; ++i) {
            const PendingLook &look = looks[std::size_t(i - start)];
            if (look.folder < 0)
                each(i, Result<FileStamp>::failure(look.folderFailure));
            else if (look.error == 0 && S_ISREG(look.st.st_mode))
                each(i, Result<FileStamp>::success(stampOf(look.st)));
            else // a link, or what could not be looked at: as a copy would read it
                each(i, sourceStamp(entries.at(i)));
        }
        start = end;
    }
}

} // namespace quorvane::platform
