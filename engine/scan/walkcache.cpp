#include "engine/scan/walkcache.h"

#include "platform/processtuning.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace quorvane {

namespace {

// Bounds what the helpers read ahead of the walk, and so the memory.
constexpr int MaxAhead = 4096;
// Helpers that stopped at that bound go on once the walk has taken this
// many of their folders. Woken for every folder the walk took, as they once
// were, they cost a wake-up and a switch per folder on a warm disk (20,000
// of each for 200,000 files) and doubled the walk's processor time.
constexpr int ResumeAhead = MaxAhead - 512;

// A cold disk answers many requests at once about as fast as one: the count
// is chosen for the disk, not for the processors, which mostly wait.
constexpr int DefaultReaders = 16;
// From the cache, one helper on an idle second processor shares the reading
// with the walk (a warm walk of 200,000 files: 190 ms instead of 270). It
// pays only because neither side waits for the other: the walk reads the
// next folder itself where the helper has not begun it, and reads ahead
// itself where the helper is still at the one it needs. More helpers only
// take turns on the two processors. Where another program keeps the second
// processor busy, a helper costs more than it brings: beside a spinning
// process the million-file walk took 2.0 s of processor time with one and
// 1.4 s without, 1.8 s against 1.4 s in all. The rest go to work once the
// walk's readings keep waiting for the disk (DiskWaits).
constexpr int WarmHelpers = 1;
// Whether a processor is idle is seen at one moment, when other programs
// may be starting or ending (half the walks started from a shell pipeline
// saw the pipeline's other programs running); the walk looks again after
// each run of readings, for a while.
constexpr int IdleLooks = 16;

bool failed(const FolderRead &read)
{
    return read.snapshot->error != platform::ErrNone;
}

// The walk enters a directory's subdirectories from the last to the first,
// each with all below it before the next: the order of a directory is its
// parent's followed by its place in that order, compared byte by byte.
QByteArray childOrder(const QByteArray &parent, size_t index, size_t count)
{
    const auto place = quint32(count - 1 - index);
    QByteArray order = parent;
    for (int shift = 24; shift >= 0; shift -= 8)
        order += char((place >> shift) & 0xff);
    return order;
}

template <typename Entry>
bool comesLater(const Entry &a, const Entry &b)
{
    return a.order > b.order;
}

} // namespace

WalkCache::Readers WalkCache::defaultReaders()
{
    return {DefaultReaders, 0, platform::twoOrMoreProcessors()};
}

WalkCache::WalkCache(platform::FileSystem &fs, Readers readers, std::uint64_t generation, const QString &patterns)
    : m_fs(fs), m_generation(generation), m_patterns{patterns, platform::WildcardList(patterns)}
{
    if (!patterns.isEmpty() && !m_patterns.set.matchesEverything())
        m_matchWith = &m_patterns;
    m_readerTotal = std::max(readers.total, 0);
    int atStart = std::clamp(readers.atStart, 0, m_readerTotal);
    if (readers.helperWhenIdle && atStart < WarmHelpers && m_readerTotal >= WarmHelpers) {
        if (platform::idleProcessorsNow() > 0)
            atStart = WarmHelpers;
        else
            m_idleLooksLeft = IdleLooks;
    }
    std::lock_guard lock(m_mutex);
    startReaders(atStart);
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
    // No reader starts once m_stopping is set, so the list stays as it is.
    for (std::thread &reader : m_readers)
        reader.join();
    m_readers.clear();
}

std::uint64_t WalkCache::generation() const
{
    return m_disabled ? 0 : m_generation;
}

SnapshotPtr WalkCache::load(const QString &path)
{
    if (!m_disabled && path == m_lastServedPath && m_lastServed)
        return m_lastServed;
    SnapshotPtr snapshot = acquire(path);
    m_lastServedPath = path;
    m_lastServed = snapshot;
    return snapshot;
}

void WalkCache::disable()
{
    stopReaders();
    std::lock_guard lock(m_mutex);
    m_disabled = true;
    // What was read ahead may be out of date by the time the walk gets there.
    // A directory the walk is in keeps its listing: the walk steps back into
    // it and counts its subdirectories through that very listing, so one
    // read afresh would lead it into a sibling twice or into the files of a
    // subdirectory again.
    m_slots.removeIf([](const QHash<QString, Slot>::iterator &it) { return !it->taken; });
    m_aheadCount = 0;
    m_aheadFull = false;
    m_pending.clear();
}

FolderRead WalkCache::readPending(const Pending &next, const QString &path) const
{
    // Reader threads come here: only the file system's thread-safe core.
    const platform::FileSystemCore &core = m_fs.core();
    if (next.folder)
        return readSnapshotAt(core, *next.folder, next.name, m_matchWith);
    return readSnapshotExact(core, path, m_matchWith);
}

bool WalkCache::takePending(const QString &path, Pending &out)
{
    // The helpers read in the walk's order: what it asks for is mostly on top.
    for (size_t i = 0; i < m_pending.size(); ++i) {
        if (!isChildPath(path, m_pending[i].parent, m_pending[i].name))
            continue;
        if (i == 0) {
            std::pop_heap(m_pending.begin(), m_pending.end(), comesLater<Pending>);
        } else {
            std::swap(m_pending[i], m_pending.back());
        }
        out = std::move(m_pending.back());
        m_pending.pop_back();
        if (i != 0)
            std::make_heap(m_pending.begin(), m_pending.end(), comesLater<Pending>);
        return true;
    }
    return false;
}

void WalkCache::aheadTaken()
{
    --m_aheadCount;
    if (m_aheadFull && m_aheadCount <= ResumeAhead) {
        m_aheadFull = false;
        wakeReaders(m_pending.size());
    }
}

void WalkCache::wakeReaders(size_t work)
{
    if (m_aheadFull)
        return; // they would only find that and sleep again
    // Waking a reader costs a system call; wake no more than can take work.
    const size_t wake = std::min(work, size_t(m_idle));
    for (size_t i = 0; i < wake; ++i)
        m_workChanged.notify_one();
}

void WalkCache::startReaders(int count)
{
    while (int(m_readers.size()) < count && !m_stopping) {
        try {
            m_readers.emplace_back([this] { readerLoop(); });
        } catch (const std::system_error &) {
            return; // the walk goes on with the readers it has
        }
    }
}

void WalkCache::publish(const QString &path, FolderRead read, bool taken, const QByteArray &order)
{
    Slot &slot = m_slots[path];
    slot.state = State::Ready;
    slot.taken = taken;
    if (!taken && ++m_aheadCount >= MaxAhead)
        m_aheadFull = true;
    const std::vector<QString> &subdirs = read.snapshot->subdirs;
    for (size_t i = 0; i < subdirs.size(); ++i) {
        m_pending.push_back({path, subdirs[i], read.handle, childOrder(order, i, subdirs.size())});
        std::push_heap(m_pending.begin(), m_pending.end(), comesLater<Pending>);
    }
    wakeReaders(read.snapshot->subdirs.size());
    slot.snapshot = std::move(read.snapshot);
}

SnapshotPtr WalkCache::acquire(const QString &path)
{
    std::unique_lock lock(m_mutex);
    auto it = m_slots.find(path);
    while (it != m_slots.end() && it->state == State::Reading) {
        if (readNextPending(lock)) {
            it = m_slots.find(path);
            continue;
        }
        // Waiting for a helper is no wait for the disk.
        m_walkerWaits.excuseOneWait();
        m_waitingFor = path;
        m_readyChanged.wait(lock, [&] {
            it = m_slots.find(path);
            return it == m_slots.end() || it->state != State::Reading;
        });
        m_waitingFor.clear();
    }
    if (it != m_slots.end() && it->state == State::Ready) {
        if (!it->taken) {
            it->taken = true;
            aheadTaken();
        }
        return it->snapshot;
    }
    // Not read yet: reading it here beats waiting for a helper to get to it.
    Pending pending;
    const bool known = takePending(path, pending);
    m_slots.insert(path, Slot{});
    const bool watchDisk = int(m_readers.size()) < m_readerTotal;
    lock.unlock();
    if (watchDisk)
        m_walkerWaits.readingStarts();
    FolderRead read;
    if (known)
        read = readPending(pending, path);
    // The path itself, with every help the file system gives, where no open
    // parent serves or where the system ran out of open files for a moment.
    if (!known || (failed(read) && read.snapshot->error == platform::ErrTooManyFiles))
        read = readSnapshot(m_fs, path, m_matchWith);
    const QByteArray order = std::move(pending.order);
    pending = {};
    SnapshotPtr snapshot = read.snapshot;
    const bool cold = watchDisk && m_walkerWaits.coldAfterReading();
    bool idleBeside = false;
    if (m_idleLooksLeft > 0 && watchDisk && m_walkerWaits.runEnded()) {
        --m_idleLooksLeft;
        idleBeside = platform::idleProcessorsNow() > 0;
    }
    lock.lock();
    if (cold) {
        startReaders(m_readerTotal);
    } else if (idleBeside) {
        startReaders(std::max(WarmHelpers, int(m_readers.size())));
        m_idleLooksLeft = 0;
    }
    publish(path, std::move(read), true, order);
    return snapshot;
}

void WalkCache::release(const QString &path)
{
    // The walk does not come back (an abandoned walk reads afresh), and a
    // helper that finds no parent knows the walk is past it.
    std::lock_guard lock(m_mutex);
    const auto it = m_slots.find(path);
    if (it == m_slots.end() || it->state != State::Ready)
        return;
    const bool wasAhead = !it->taken;
    m_slots.erase(it);
    if (wasAhead)
        aheadTaken();
}

bool WalkCache::readNextPending(std::unique_lock<platform::SpinThenWaitMutex> &lock)
{
    if (m_pending.empty() || m_aheadFull)
        return false;
    std::pop_heap(m_pending.begin(), m_pending.end(), comesLater<Pending>);
    Pending next = std::move(m_pending.back());
    m_pending.pop_back();
    if (!m_slots.contains(next.parent))
        return true; // the walk is past this part of the tree
    QString path = childPath(next.parent, next.name);
    if (m_slots.contains(path))
        return true; // the walk got there first
    m_slots.insert(path, Slot{});
    lock.unlock();
    FolderRead read = readPending(next, path);
    const bool byHandle = next.folder != nullptr;
    next.folder.reset(); // the parent closes here once its last child is read
    lock.lock();
    if (!m_slots.contains(next.parent)) {
        m_slots.remove(path); // the walk went past while this was read
    } else if (failed(read) && (!byHandle || read.snapshot->error == platform::ErrTooManyFiles)) {
        // The walking thread asks again with the file system's full help.
        m_slots.remove(path);
    } else {
        publish(path, std::move(read), false, next.order);
    }
    if (m_waitingFor == path)
        m_readyChanged.notify_one();
    return true;
}

void WalkCache::readerLoop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_stopping && (m_pending.empty() || m_aheadFull)) {
            ++m_idle;
            m_workChanged.wait(lock, [&] { return m_stopping || (!m_pending.empty() && !m_aheadFull); });
            --m_idle;
        }
        if (m_stopping)
            return;
        (void)readNextPending(lock);
    }
}

} // namespace quorvane
