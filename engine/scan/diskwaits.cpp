#include "engine/scan/diskwaits.h"

#include "platform/processtuning.h"

#include <algorithm>
#include <utility>

namespace quorvane {

namespace {

constexpr int RunReadings = 64;
constexpr qint64 RunMilliseconds = 20;
// A folder the cache serves is read in about 10 us here, one from the disk
// in hundreds.
constexpr qint64 SlowReadingNanoseconds = 50'000;

} // namespace

DiskWaits::DiskWaits() : m_waitsBefore(platform::waitsOfThisThread())
{
    m_clock.start();
}

bool DiskWaits::coldAfterReading()
{
    if (m_reading.isValid() && m_reading.nsecsElapsed() >= SlowReadingNanoseconds)
        ++m_slowReadings;
    m_reading.invalidate();
    if (++m_readings < RunReadings && m_clock.elapsed() < RunMilliseconds)
        return false;
    const long long waits = platform::waitsOfThisThread();
    const long long inRun = waits - std::exchange(m_waitsBefore, waits) - std::exchange(m_excused, 0);
    const int readings = std::exchange(m_readings, 0);
    const int slow = std::exchange(m_slowReadings, 0);
    m_clock.restart();
    // A quarter: far below what a cold disk gives, twice what a warm tree
    // with paged-out folders did.
    const long long waited = std::min<long long>(inRun, slow);
    return waited >= 2 && waited * 4 >= readings;
}

} // namespace quorvane
