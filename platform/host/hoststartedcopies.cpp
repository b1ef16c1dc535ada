#include "platform/host/hostimagetrees.h"

#include "platform/host/copyorder.h"
#include "platform/hosterrors.h"
#include "platform/processtuning.h"

#include <memory>

namespace quorvane::platform {

namespace {

// Larger files are copied at once on the window's thread, which can then
// answer between their pieces; a queue of them would make it wait instead.
constexpr off_t LargestInBackground = off_t(1) << 20;

} // namespace

Status HostImageTrees::startCopy(quint64 ticket, const QString &entry, const QString &target)
{
    const QString display = targetDisplay(target);
    const Result<Destination> place = destination(target, nullptr, display);
    if (!place.ok())
        return place.status();
    const TargetFolderPtr folder = place.value().folder;
    struct stat st {};
    Status why;
    Descriptor in = openSource(entry, st, why);
    if (!in)
        return why;
    const auto order = std::make_shared<CopyOrder>(orderFor(*folder, place.value().there, std::move(in), st, display));
    // A FUSE program serves one request at a time: nothing to gain there.
    // Nor on one processor.
    if (!twoOrMoreProcessors() || st.st_size > LargestInBackground || targetVolume().viaFuse) {
        // The small files before it are not kept waiting meanwhile.
        m_background.handOver();
        struct stat made {};
        const Status written = writeCopy(*order, made);
        m_finished.push_back(
            {ticket, written.ok() ? placed(*folder, order->name, made) : Result<PlacedFile>::failure(written)});
        return Status::success();
    }
    const QString key = place.value().there.key;
    folder->pending.insert(key);
    ++folder->changes;
    m_started.insert(ticket, {folder, order->name, key});
    order->offTheWindowThread = true;
    m_background.submit(ticket, [order](struct stat &made) {
        const Status written = writeCopy(*order, made);
        order->source.reset(); // closed by the thread that copied, the rest freed by this one
        return written;
    });
    return Status::success();
}

void HostImageTrees::takeBack(std::vector<BackgroundCopies::Done> done)
{
    for (BackgroundCopies::Done &copy : done) {
        const Started started = m_started.take(copy.ticket);
        started.folder->pending.remove(started.key);
        ++started.folder->changes;
        m_finished.push_back({copy.ticket, copy.status.ok() ? placed(*started.folder, started.name, copy.made)
                                                            : Result<PlacedFile>::failure(copy.status)});
    }
}

std::vector<ImageTrees::FinishedCopy> HostImageTrees::finishedCopies(bool wait)
{
    if (!m_started.isEmpty())
        takeBack(m_background.takeFinished(wait));
    std::vector<FinishedCopy> finished;
    finished.swap(m_finished);
    return finished;
}

void HostImageTrees::settleCopies()
{
    if (!m_started.isEmpty())
        takeBack(m_background.takeFinished(true));
}

void HostImageTrees::settleIfPending(TargetFolder &folder, const QString &key)
{
    if (!folder.pending.isEmpty() && folder.pending.contains(key))
        settleCopies();
}

} // namespace quorvane::platform
