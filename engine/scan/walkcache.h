#pragma once

#include "engine/scan/dirsnapshot.h"
#include "engine/scan/diskwaits.h"
#include "platform/spinthenwaitmutex.h"

#include <QHash>
#include <QString>

#include <condition_variable>
#include <cstdint>
#include <thread>
#include <vector>

namespace quorvane {

// The directories of one walk, each read from the disk once. The walk asks
// for the same directory several times (re-entering a parent for every
// subdirectory); those requests are served from the snapshot taken at the
// first one. Helper threads read ahead in the order the walk will visit: one
// beside the walk on an idle second processor, many at once once the disk
// has to be waited for, so that a cold disk serves many folders at a time and
// the walking (user-interface) thread rarely waits for it. Every folder below
// the start is read by its name inside its parent, held open, so the length
// of its path does not matter. A snapshot is dropped as soon as the walk has finished its
// directory.
class WalkCache {
public:
    // How many helper threads read ahead: total once the disk has to be
    // waited for, atStart from the beginning, and with helperWhenIdle one as
    // soon as a processor is idle beside the walk. The walking thread's own
    // readings tell whether the disk is waited for (a helper waits for work
    // as well).
    struct Readers {
        int total = 0;
        int atStart = 0;
        bool helperWhenIdle = false;
    };
    // patterns: what the helpers match the files against ("" for none).
    // generation: a number no earlier cache of the same enumerators had.
    WalkCache(platform::FileSystem &fs, Readers readers, std::uint64_t generation, const QString &patterns = {});
    ~WalkCache();
    WalkCache(const WalkCache &) = delete;
    WalkCache &operator=(const WalkCache &) = delete;

    SnapshotPtr acquire(const QString &path);
    // The walk is done with this directory.
    void release(const QString &path);
    // A nested walk may have changed the tree: drops what was read ahead and
    // stops the helpers. From now on a directory is read when the walk first
    // asks for it; those the walk is in keep their listings.
    void disable();

    // The helpers of a walk whose owner chose none: all of them once the
    // disk is waited for, one beside the walk where a processor is idle.
    static Readers defaultReaders();

    // Names this cache while it serves requests; 0 once disabled. A snapshot
    // taken under the same non-zero number is still what a request would get.
    std::uint64_t generation() const;

    // The snapshot of a directory for the walking thread. The file
    // enumerator follows the directory enumerator into every directory: its
    // request is the one just served.
    SnapshotPtr load(const QString &path);

private:
    enum class State { Reading, Ready };
    struct Slot {
        State state = State::Reading;
        bool taken = false; // the walk has asked for it at least once
        SnapshotPtr snapshot;
    };
    // A directory known from its parent's listing and not read yet.
    struct Pending {
        QString parent;                   // the parent's path
        QString name;                     // its name there, as stored
        platform::FolderHandlePtr folder; // the parent, held open
        QByteArray order;                 // where the walk comes to it: smaller is sooner
    };

    void readerLoop();
    // Reads the next folder in the walk's order ahead of it; false when
    // there is none to read now. With m_mutex held, released while reading.
    bool readNextPending(std::unique_lock<platform::SpinThenWaitMutex> &lock);
    void startReaders(int count);  // with m_mutex held
    void wakeReaders(size_t work); // with m_mutex held
    void aheadTaken();             // with m_mutex held: the walk took a folder read ahead
    FolderRead readPending(const Pending &next, const QString &path) const;
    bool takePending(const QString &path, Pending &out);                                     // with m_mutex held
    void publish(const QString &path, FolderRead read, bool taken, const QByteArray &order); // with m_mutex held
    void stopReaders();

    platform::FileSystem &m_fs;
    const std::uint64_t m_generation;
    SnapshotPatterns m_patterns;
    const SnapshotPatterns *m_matchWith = nullptr;
    platform::SpinThenWaitMutex m_mutex;
    std::condition_variable_any m_readyChanged; // the walk waits for m_waitingFor
    std::condition_variable_any m_workChanged;  // readers in use wait for work
    QString m_waitingFor;
    QHash<QString, Slot> m_slots;
    // A heap in the order of the walk: its top is the next directory the
    // walk enters, whichever reader published its parent when.
    std::vector<Pending> m_pending;
    int m_aheadCount = 0;  // read but not yet asked for
    bool m_aheadFull = false; // the helpers wait until the walk has taken a stretch of it
    int m_readerTotal = 0; // readers started once the disk has to be waited for
    int m_idle = 0;        // readers in use that wait for work
    bool m_stopping = false;
    bool m_disabled = false;
    std::vector<std::thread> m_readers;
    QString m_lastServedPath; // the walking thread's own
    SnapshotPtr m_lastServed;
    DiskWaits m_walkerWaits; // the walking thread's own
    int m_idleLooksLeft = 0; // the walking thread's: looks for an idle processor still to take
};

// What the enumerators of one worker share about the walk under way.
struct WalkState {
    WalkCache *active = nullptr; // the walk's cache, on the walking thread
    std::uint64_t walks = 0;     // caches made so far; numbers the next
    int readers = -1;            // helper threads per walk, all from the start; negative: the default
    // The last path an enumerator entered, spelled as stored.
    QString lastEntered;

    std::uint64_t generation() const { return active ? active->generation() : 0; }
    WalkCache::Readers readerCount() const
    {
        return readers >= 0 ? WalkCache::Readers{readers, readers} : WalkCache::defaultReaders();
    }
};

} // namespace quorvane
