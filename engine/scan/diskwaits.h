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
// Counted over runs of readings, one system call a run; a run also ends
// after a while, so that a slow disk is not waited for 64 times first. It
// counts the waits of the thread that makes it, so only that thread may ask
// (the walk keeps one; the helpers need none).
class DiskWaits {
public:
    DiskWaits();
    // After each reading of the thread: whether its readings keep waiting
    // for the disk.
    bool coldAfterReading();

private:
    long long m_waitsBefore;
    int m_readings = 0;
    QElapsedTimer m_clock;
};

} // namespace quorvane
