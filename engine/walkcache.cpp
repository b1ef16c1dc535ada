#include "engine/walkcache.h"

#include <algorithm>
#include <atomic>

namespace quorvane {

namespace {

// Bounds what the helpers read ahead of the walk, and so the memory.
constexpr int MaxAhead = 4096;

thread_local WalkCache *t_active = nullptr;
std::atomic<int> g_readers{-1};
std::uint64_t g_generations = 0; // walks run on one thread

} // namespace

void WalkCache::setReaderCount(int readers)
{
    g_readers = readers < 0 ? -1 : readers;
}

int WalkCache::readerCount()
{
    if (const int chosen = g_readers; chosen >= 0)
        return chosen;
    // One helper more than there are cores: the walking thread itself mostly
    // waits for them, and a helper that is kept off the processor must not
    // hold the walk up.
    return int(std::clamp(std::thread::hardware_concurrency() + 1, 2u, 4u));
}

WalkCache *WalkCache::active()
{
    return t_active;
}

void WalkCache::setActive(WalkCache *cache)
{
    t_active = cache;
}

WalkCache::WalkCache(platform::FileSystem &fs, int readers) : m_fs(fs), m_generation(++g_generations)
{
    for (int i = 0; i < readers; ++i)
        m_readers.emplace_back([this] { readerLoop(); });
}

WalkCache::~WalkCache()
{
    stopReaders();
}

void WalkCache::stopReaders()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_workChanged.notify_all();
    for (std::thread &reader : m_readers)
        reader.join();
    m_readers.clear();
}

std::uint64_t WalkCache::generation()
{
    return t_active && !t_active->m_disabled ? t_active->m_generation : 0;
}

void WalkCache::disable()
{
    stopReaders();
    std::lock_guard lock(m_mutex);
    m_disabled = true;
    m_slots.clear();
    m_pending.clear();
}

void WalkCache::publish(const QString &path, SnapshotPtr snapshot, bool taken)
{
    Slot &slot = m_slots[path];
    slot.state = State::Ready;
    slot.taken = taken;
    if (!taken)
        ++m_aheadCount;
    // Pushed in list order so that the last subdirectory, which the walk
    // visits first, is on top.
    for (const QString &name : snapshot->subdirs)
        m_pending.push_back({childPath(path, name), path});
    slot.snapshot = std::move(snapshot);
}

SnapshotPtr WalkCache::acquire(const QString &path)
{
    std::unique_lock lock(m_mutex);
    if (m_disabled) {
        lock.unlock();
        return readSnapshot(m_fs, path);
    }
    auto it = m_slots.find(path);
    if (it != m_slots.end()) {
        m_readyChanged.wait(lock, [&] {
            it = m_slots.find(path);
            return it == m_slots.end() || it->state != State::Reading;
        });
    }
    if (it != m_slots.end() && it->state == State::Ready) {
        if (!it->taken) {
            it->taken = true;
            --m_aheadCount;
            m_workChanged.notify_one();
        }
        return it->snapshot;
    }
    if (it != m_slots.end()) {
        // Finished earlier; only an abandoned walk comes back here. Read afresh.
        lock.unlock();
        return readSnapshot(m_fs, path);
    }
    m_slots.insert(path, Slot{});
    lock.unlock();
    SnapshotPtr snapshot = readSnapshot(m_fs, path);
    lock.lock();
    publish(path, snapshot, true);
    lock.unlock();
    m_readyChanged.notify_all();
    m_workChanged.notify_all();
    return snapshot;
}

void WalkCache::release(const QString &path)
{
    std::lock_guard lock(m_mutex);
    auto it = m_slots.find(path);
    if (it == m_slots.end() || it->state != State::Ready)
        return;
    // The subdirectories were finished before this one; their marks are no
    // longer needed once this directory itself is marked done.
    if (it->snapshot) {
        for (const QString &name : it->snapshot->subdirs) {
            const auto child = m_slots.find(childPath(path, name));
            if (child != m_slots.end() && child->state == State::Done)
                m_slots.erase(child);
        }
    }
    it = m_slots.find(path);
    if (!it->taken)
        --m_aheadCount;
    it->state = State::Done;
    it->taken = true;
    it->snapshot.reset();
}

void WalkCache::readerLoop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_workChanged.wait(lock, [&] {
            return m_stopping || (!m_pending.empty() && m_aheadCount < MaxAhead);
        });
        if (m_stopping)
            return;
        Pending next = std::move(m_pending.back());
        m_pending.pop_back();
        if (m_slots.contains(next.path))
            continue; // the walk got there first
        const auto parent = m_slots.constFind(next.parent);
        if (parent == m_slots.constEnd() || parent->state == State::Done)
            continue; // the walk is past this part of the tree
        m_slots.insert(next.path, Slot{});
        lock.unlock();
        SnapshotPtr snapshot = readSnapshotAhead(m_fs, next.path);
        lock.lock();
        if (snapshot->error != platform::ErrNone) {
            // Failures are the walking thread's to report, with the file system's full help.
            m_slots.remove(next.path);
        } else {
            publish(next.path, std::move(snapshot), false);
        }
        m_readyChanged.notify_all();
    }
}

} // namespace quorvane
