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

BackgroundCopies::BackgroundCopies(std::size_t threads, std::size_t batch, std::size_t queued)
    : m_threadCount(threads < 1 ? 1 : threads),
      m_batch(batch < 1 ? 1 : batch), m_queued(queued < m_batch ? m_batch : queued)
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
    for (std::size_t i = 0; i < m_threadCount; ++i) {
        try {
            m_threads.emplace_back([this] { serve(); });
        } catch (const std::system_error &) {
            break; // a host that allows fewer threads gets fewer
        }
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
        piece.work = nullptr; // its source closes here, not under the lock
        hold.lock();
        --m_busy;
        m_finished.push_back(std::move(done));
        // Woken once there is room for a whole batch: not for every piece.
        if (m_callerWaits && m_waiting.size() <= m_callerWants && (m_callerWants > 0 || m_busy == 0))
            m_room.notify_one();
    }
}

} // namespace quorvane::platform
