#include "platform/host/hostimagetrees.h"

#include "platform/host/beneath.h"
#include "platform/namecodec.h"
#include "platform/processtuning.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>

namespace quorvane::platform {

namespace {

// Looks are taken a block at a time, so that a million entries do not hold
// a million results at once. A block also ends where it would hold more
// folders open than this; two blocks are open at once, and the open-file
// limit is shared with the copies.
constexpr qsizetype LooksPerBlock = 4096;
constexpr std::size_t FoldersPerBlock = 32;
// Below this a second thread costs more than it saves.
constexpr qsizetype LooksWorthSharing = 256;
// Looks taken at one go by either thread.
constexpr std::size_t LooksPerTurn = 64;

} // namespace

// One block: looks[k] is the look at entries[first + k].
struct LookBlock {
    struct PendingLook {
        int folder = -1; // index into folders
        int error = 0;
        struct stat st {};
    };

    qsizetype first = 0;
    qsizetype end = 0;
    std::vector<PendingLook> looks;
    std::vector<Descriptor> folders; // held by the block, not by the folder cache
    std::vector<Status> folderFailures;
    std::atomic<std::size_t> next{0};

    // Takes looks until none is left; either thread, side by side.
    void take(const QStringList &entries)
    {
        for (;;) {
            const std::size_t from = next.fetch_add(LooksPerTurn);
            if (from >= looks.size())
                return;
            const std::size_t to = std::min(looks.size(), from + LooksPerTurn);
            for (std::size_t k = from; k < to; ++k) {
                PendingLook &look = looks[k];
                const int folder = folders[std::size_t(look.folder)].get();
                if (folder < 0)
                    continue;
                const QByteArray name = encodeName(lastNameOfEntry(entries.at(first + qsizetype(k))));
                if (::fstatat(folder, name.constData(), &look.st, AT_SYMLINK_NOFOLLOW) != 0)
                    look.error = errno;
            }
        }
    }
};

namespace {

// The other processor takes looks of one block while this thread makes the
// next block ready and hands on the last one's results: before a run
// writes, this check is all there is to do.
class LookHelper {
public:
    LookHelper(const QStringList &entries, bool wanted) : m_entries(entries), m_wanted(wanted) {}
    ~LookHelper() { join(); }
    LookHelper(const LookHelper &) = delete;
    LookHelper &operator=(const LookHelper &) = delete;

    void start(LookBlock &block)
    {
        if (!m_wanted || block.end - block.first < LooksWorthSharing)
            return;
        try {
            m_thread = std::thread([this, &block] { block.take(m_entries); });
        } catch (const std::system_error &) {
            // This thread takes them all.
        }
    }
    void join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    const QStringList &m_entries;
    const bool m_wanted;
    std::thread m_thread;
};

} // namespace

void HostImageTrees::prepareLooks(const QStringList &entries, qsizetype start, LookBlock &block)
{
    block.first = start;
    block.looks.clear();
    block.folders.clear();
    block.folderFailures.clear();
    block.next = 0;
    QStringView lastParent;
    const qsizetype last = std::min(entries.size(), start + LooksPerBlock);
    for (qsizetype i = start; i < last; ++i) {
        const QStringView parent = parentViewOfEntry(entries.at(i));
        if (block.folders.empty() || parent != lastParent) {
            if (block.folders.size() == FoldersPerBlock) {
                block.end = i;
                return;
            }
            lastParent = parent;
            Status failure;
            const int cached = sourceFolder(parent.toString(), failure);
            // The cache keeps only a few folders open; the block keeps its own.
            block.folders.emplace_back(cached < 0 ? -1 : ::fcntl(cached, F_DUPFD_CLOEXEC, 0));
            if (cached >= 0 && !block.folders.back())
                failure = sourceFailure(errno, parent.toString());
            block.folderFailures.push_back(failure);
        }
        block.looks.push_back({int(block.folders.size() - 1), 0, {}});
    }
    block.end = last;
}

void HostImageTrees::handOnLooks(const QStringList &entries, const LookBlock &block, const SourceLookSink &each)
{
    for (qsizetype i = block.first; i < block.end; ++i) {
        const LookBlock::PendingLook &look = block.looks[std::size_t(i - block.first)];
        const std::size_t folder = std::size_t(look.folder);
        if (!block.folders[folder])
            each(i, Result<FileStamp>::failure(block.folderFailures[folder]));
        else if (look.error == 0 && S_ISREG(look.st.st_mode))
            each(i, Result<FileStamp>::success(stampOf(look.st)));
        else // a link, or what could not be looked at: as a copy would read it
            each(i, sourceStamp(entries.at(i)));
    }
}

void HostImageTrees::sourceLooks(const QStringList &entries, const SourceLookSink &each)
{
    LookBlock blocks[2];
    LookHelper helper(entries, twoOrMoreProcessors());
    LookBlock *current = &blocks[0];
    LookBlock *following = &blocks[1];
    prepareLooks(entries, 0, *current);
    helper.start(*current);
    for (;;) {
        // While the helper looks, this thread makes the next block ready;
        // while the helper looks at that one, this thread hands on.
        const bool more = current->end < entries.size();
        if (more)
            prepareLooks(entries, current->end, *following);
        current->take(entries);
        helper.join();
        if (more)
            helper.start(*following);
        handOnLooks(entries, *current, each);
        if (!more)
            return;
        std::swap(current, following);
    }
}

} // namespace quorvane::platform
