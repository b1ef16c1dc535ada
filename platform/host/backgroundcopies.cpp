#include "platform/host/backgroundcopies.h"

#include <algorithm>
#include <sys/resource.h>
#include <system_error>

namespace quorvane::platform {

std::size_t copiesWorthQueueing()
{
    constexpr rlim_t Fewest = 16;
    constexpr rlim_t Most = 1024;
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return Fewest;
    // A quarter of the limit leaves the rest to folders, the window and the
    // libraries.
    const rlim_t open = limit.rlim_cur == RLIM_INFINITY ? Most * 4 : limit.rlim_cur;
    return std::size_t(std::clamp(open / 4, Fewest, Most));
}

namespace {

// How often the load of the rest of the machine is looked at: a reading
// of /proc/stat costs some 20 us, a handing over happens every few hundred.
// The first look takes in the time before the copies began (the scan and
// the looks before writing), so that a copy of half a second goes on with
// more threads soon after it begins.
constexpr long long LookEveryNanoseconds = 50'000'000;
// Others keep at least half a processor busy, at two looks in a row: the
// kernel's own threads that write our copies to the disk count as others,
// and took up to 0.77 of a processor at a single look on an idle machine.
constexpr double BusyMachine = 0.5;

} // namespace

BackgroundCopies::BackgroundCopies(std::size_t threads, std::size_t batch, std::size_t queued,
                                   std::size_t busyMachineThreads)
    : m_threadCount(threads < 1 ? 1 : threads),
      m_busyMachineThreads(std::max(busyMachineThreads, m_threadCount)),
      m_lastLook(sampleProcessors()),
      m_batch(batch < 1 ? 1 : batch),
      m_queued(queued < m_batch ? m_batch : queued)
{
}

BackgroundCopies::~BackgroundCopies()
{
    handOver();
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_ending = true;
    }
    m_work.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
}

void BackgroundCopies::submit(quint64 ticket, Work work)
{
    m_gathered.push_back({ticket, std::move(work)});
    if (m_gathered.size() >= m_batch)
        handOver();
}

void BackgroundCopies::startThreads()
{
    // Started with the first batch: a run that writes nothing in the
    // background starts no thread.
    if (m_startTried)
        return;
    m_startTried = true;
    for (std::size_t i = 0; i < m_threadCount; ++i)
        startThread();
}

void BackgroundCopies::startThread()
{
    try {
        m_threads.emplace_back([this] { serve(); });
    } catch (const std::system_error &) {
        // a host that allows fewer threads gets fewer
    }
}

void BackgroundCopies::growWhereOthersAreBusy()
{
    if (m_threads.empty() || m_threads.size() >= m_busyMachineThreads)
        return;
    if (!sampleIsOlderThan(m_lastLook, LookEveryNanoseconds))
        return;
    const ProcessorSample now = sampleProcessors();
    const bool busy = processorsTakenByOthers(m_lastLook, now) >= BusyMachine;
    m_lastLook = now;
    m_busyLooks = busy ? m_busyLooks + 1 : 0;
    if (m_busyLooks < 2)
        return;
    while (m_threads.size() < m_busyMachineThreads) {
        const std::size_t before = m_threads.size();
        startThread();
        if (m_threads.size() == before)
            return;
    }
}

void BackgroundCopies::writeHere()
{
    // Not one thread to be had: the pieces are written here, in order.
    for (Piece &piece : m_gathered) {
        Done done;
        done.ticket = piece.ticket;
        done.status = piece.work(done.made);
        const std::lock_guard<std::mutex> hold(m_lock);
        m_finished.push_back(std::move(done));
    }
    m_gathered.clear();
}

void BackgroundCopies::handOver()
{
    if (m_gathered.empty())
        return;
    startThreads();
    if (m_threads.empty()) {
        writeHere();
        return;
    }
    growWhereOthersAreBusy();
    std::size_t idle = 0;
    {
        std::unique_lock<std::mutex> hold(m_lock);
        m_callerWaits = true;
        m_callerWants = m_queued - m_gathered.size();
        m_room.wait(hold, [&] { return m_waiting.size() <= m_callerWants; });
        m_callerWaits = false;
        for (Piece &piece : m_gathered)
            m_waiting.push_back(std::move(piece));
        idle = m_threadsWaiting;
    }
    m_gathered.clear();
    if (idle > 0)
        m_work.notify_all();
}

std::vector<BackgroundCopies::Done> BackgroundCopies::takeFinished(bool waitForAll)
{
    std::vector<Done> taken;
    if (waitForAll)
        handOver();
    {
        std::unique_lock<std::mutex> hold(m_lock);
        if (waitForAll) {
            m_callerWaits = true;
            m_callerWants = 0;
            m_room.wait(hold, [&] { return m_waiting.empty() && m_busy == 0; });
            m_callerWaits = false;
        }
        taken.swap(m_finished);
    }
    return taken;
}

void BackgroundCopies::serve()
{
    std::unique_lock<std::mutex> hold(m_lock);
    for (;;) {
        ++m_threadsWaiting;
        m_work.wait(hold, [&] { return !m_waiting.empty() || m_ending; });
        --m_threadsWaiting;
        // An ending still lets the pieces handed over finish: each holds a
        // file that is complete or absent only once its work is done.
        if (m_waiting.empty())
            return;
        Piece piece = std::move(m_waiting.front());
        m_waiting.pop_front();
        ++m_busy;
        hold.unlock();
        Done done;
        done.ticket = piece.ticket;
        done.status = piece.work(done.made);
        done.spent = std::move(piece.work);
        hold.lock();
        --m_busy;
        m_finished.push_back(std::move(done));
        // Woken once there is room for a whole batch: not for every piece.
        if (m_callerWaits && m_waiting.size() <= m_callerWants && (m_callerWants > 0 || m_busy == 0))
            m_room.notify_one();
    }
}

} // namespace quorvane::platform
