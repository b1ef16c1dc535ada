#include "engine/scan/diskwaits.h"

#include "platform/processtuning.h"

#include <utility>

namespace quorvane {

namespace {

constexpr int RunReadings = 64;
constexpr qint64 RunMilliseconds = 20;

} // namespace

DiskWaits::DiskWaits() : m_waitsBefore(platform::waitsOfThisThread())
{
    m_clock.start();
}

bool DiskWaits::coldAfterReading()
{
    if (++m_readings < RunReadings && m_clock.elapsed() < RunMilliseconds)
        return false;
    const long long waits = platform::waitsOfThisThread();
    const long long inRun = waits - std::exchange(m_waitsBefore, waits);
    const int readings = std::exchange(m_readings, 0);
    m_clock.restart();
    // A quarter: far below what a cold disk gives, twice what a warm tree
    // with paged-out folders did.
    return inRun >= 2 && inRun * 4 >= readings;
}

} // namespace quorvane
