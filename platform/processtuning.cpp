#include "platform/processtuning.h"

#include "platform/host/descriptor.h"
#include "platform/largememory.h"

#include <cstddef> // defines __GLIBC__ where it applies

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace quorvane::platform {

namespace {

constexpr std::size_t MiB = 1024 * 1024;

#if defined(__GLIBC__)
// Every new page of memory costs a fault: a run of 20,000 files took some
// 2,600 of them, most for its lists and tables. The heap is grown once by a
// stretch that stays with the process, and that stretch is offered large
// pages where they pay (largePagesPay), which fault once per 2 MiB. Only
// advice: where the heap does not grow where it stood, nothing changes.
void offerLargePagesToHeap()
{
    const auto before = reinterpret_cast<std::uintptr_t>(::sbrk(0));
    // Through a volatile pointer: a compiler drops a bare malloc and free.
    void *volatile stretch = std::malloc(24 * MiB);
    std::free(stretch);
    const auto after = reinterpret_cast<std::uintptr_t>(::sbrk(0));
    if (before == std::uintptr_t(-1) || after <= before)
        return;
    const std::uintptr_t from = (before + LargePageBytes - 1) / LargePageBytes * LargePageBytes;
    const std::uintptr_t to = after / LargePageBytes * LargePageBytes;
    if (to > from)
        adviseLargePages(reinterpret_cast<void *>(from), to - from);
}
#endif

} // namespace

void keepFreedMemory()
{
#if defined(__GLIBC__)
    static const bool done = [] {
        // 64 MiB of free heap may stay with the process; beyond that it goes back.
        mallopt(M_TRIM_THRESHOLD, int(64 * MiB));
        // Lists of a million entries come from the heap too and are used
        // again, not mapped afresh and faulted in each time.
        mallopt(M_MMAP_THRESHOLD, int(32 * MiB));
        mallopt(M_TOP_PAD, int(16 * MiB));
        offerLargePagesToHeap();
        return true;
    }();
    (void)done;
#endif
}

void releaseFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

bool twoOrMoreProcessors()
{
    static const bool twoOrMore = std::thread::hardware_concurrency() > 1;
    return twoOrMore;
}

namespace {

// The start of one of the kernel's counter files, as text; false where the
// host has none. They are no files of the user's: nothing is checked
// before, nothing done after, that a name could be swapped under.
template <std::size_t N>
bool readCounters(const char *path, char (&text)[N])
{
    const Descriptor fd(::open(path, O_RDONLY | O_CLOEXEC));
    if (!fd)
        return false;
    const ssize_t got = ::read(fd.get(), text, N - 1);
    if (got <= 0)
        return false;
    text[got] = 0;
    return true;
}

long long steadyNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The first line of /proc/stat: "cpu  user nice system idle iowait irq softirq steal ...".
long long machineBusyTicks()
{
    char text[512];
    if (!readCounters("/proc/stat", text))
        return -1;
    unsigned long long f[8] = {};
    if (std::sscanf(text, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &f[0], &f[1], &f[2], &f[3], &f[4], &f[5],
                    &f[6], &f[7])
        != 8)
        return -1;
    // Idle and waiting for the disk are not busy.
    return (long long)(f[0] + f[1] + f[2] + f[5] + f[6] + f[7]);
}

} // namespace

int idleProcessorsNow()
{
    // "0.06 0.03 0.00 1/115 2772": the fourth field counts the running tasks.
    char text[128];
    int running = 0;
    if (!readCounters("/proc/loadavg", text) || std::sscanf(text, "%*f %*f %*f %d/", &running) != 1)
        return 0;
    const int processors = int(std::thread::hardware_concurrency());
    return std::max(0, processors - std::max(running, 1));
}

ProcessorSample sampleProcessors()
{
    ProcessorSample sample;
    sample.machineBusyTicks = machineBusyTicks();
    rusage usage{};
    if (::getrusage(RUSAGE_SELF, &usage) == 0) {
        sample.ownMicroseconds = (long long)(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1'000'000
            + usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
    }
    sample.wallNanoseconds = steadyNanoseconds();
    return sample;
}

bool sampleIsOlderThan(const ProcessorSample &sample, long long nanoseconds)
{
    return steadyNanoseconds() - sample.wallNanoseconds >= nanoseconds;
}

double processorsTakenByOthers(const ProcessorSample &from, const ProcessorSample &to)
{
    static const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    const long long wall = to.wallNanoseconds - from.wallNanoseconds;
    if (from.machineBusyTicks < 0 || to.machineBusyTicks < 0 || ticksPerSecond <= 0 || wall <= 0)
        return 0;
    const double machine = double(to.machineBusyTicks - from.machineBusyTicks) / double(ticksPerSecond);
    const double own = double(to.ownMicroseconds - from.ownMicroseconds) / 1e6;
    return std::max(0.0, (machine - own) / (double(wall) / 1e9));
}

long long waitsOfThisThread()
{
#if defined(RUSAGE_THREAD)
    rusage usage{};
    if (::getrusage(RUSAGE_THREAD, &usage) == 0)
        return usage.ru_nvcsw;
#endif
    return 0;
}

} // namespace quorvane::platform
