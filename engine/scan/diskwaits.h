#pragma once

#include <QElapsedTimer>

namespace quorvane {

// Tells a walk on a cold disk from one the cache serves by how often the
// reading thread had to wait; a thread that is preempted on a busy machine
// did not wait. On a cold disk nearly every reading does: 62 to 64 in each
// run of 64 here. A warm tree may have a few folders that are read from the
// disk again, as the host pages out what sat unused for a few seconds: at
// most 8 in a run of 64 where it had dropped some 1,800 blocks. Taken for a
// cold disk (as a single slow reading once was), those set all readers to
// work at twice the processor time for a walk the cache serves.
//
// A wait counts only where the reading also took long: a walk that shares
// its reading with a helper also waits for locks and for the helper between
// its readings (half the runs of a warm walk looked cold by waits alone),
// and a preempted reading takes long without waiting.
//
// Counted over runs of readings, one system call a run; a run also ends
// after a while, so that a slow disk is not waited for 64 times first. It
// counts the waits of the thread that makes it, so only that thread may ask
// (the walk keeps one; the helpers need none).
class DiskWaits {
public:
    DiskWaits();
    // Before each reading of the thread.
    void readingStarts() { m_reading.start(); }
    // After each reading of the thread: whether its readings keep waiting
    // for the disk.
    bool coldAfterReading();
    // The thread is about to wait for something else than the disk (a
    // helper's reading): that wait is not counted.
    void excuseOneWait() { ++m_excused; }
    // Whether the last reading ended a run.
    bool runEnded() const { return m_readings == 0; }

private:
    long long m_waitsBefore;
    long long m_excused = 0;
    int m_readings = 0;
    int m_slowReadings = 0;
    QElapsedTimer m_clock;
    QElapsedTimer m_reading;
};

} // namespace quorvane
