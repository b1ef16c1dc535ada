#include "platform/largememory.h"

#include <cstdint>
#include <ctime>
#include <sys/mman.h>
#include <unistd.h>

namespace quorvane::platform {

namespace {

std::size_t roundedUp(std::size_t bytes)
{
    return (bytes + LargePageBytes - 1) / LargePageBytes * LargePageBytes;
}

// Between the 2 microseconds a small page's first touch took on a host
// that takes free memory back, and the 20 it took where large pages won.
constexpr double DearFaultMicroseconds = 8.0;

double threadMicroseconds()
{
    timespec now {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

double measureSmallFault()
{
    const long page = ::sysconf(_SC_PAGESIZE);
    void *raw = ::mmap(nullptr, LargePageBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (page <= 0 || raw == MAP_FAILED)
        return 0;
#if defined(MADV_NOHUGEPAGE)
    (void)::madvise(raw, LargePageBytes, MADV_NOHUGEPAGE); // on systems that give large pages unasked
#endif
    auto *bytes = static_cast<volatile char *>(raw);
    const double from = threadMicroseconds();
    for (std::size_t at = 0; at < LargePageBytes; at += std::size_t(page))
        bytes[at] = 1;
    const double took = threadMicroseconds() - from;
    ::munmap(raw, LargePageBytes);
    return took / double(LargePageBytes / std::size_t(page));
}

} // namespace

double smallPageFaultMicroseconds()
{
    static const double microseconds = measureSmallFault();
    return microseconds;
}

bool largePagesPay()
{
    return smallPageFaultMicroseconds() >= DearFaultMicroseconds;
}

void adviseLargePages(void *from, std::size_t bytes)
{
#if defined(MADV_HUGEPAGE) && defined(MADV_NOHUGEPAGE)
    (void)::madvise(from, bytes, largePagesPay() ? MADV_HUGEPAGE : MADV_NOHUGEPAGE);
#else
    (void)from;
    (void)bytes;
#endif
}

void *allocateLarge(std::size_t bytes)
{
    const std::size_t size = roundedUp(bytes);
    // Room to cut an aligned stretch out of: large pages need the alignment.
    const std::size_t mapped = size + LargePageBytes;
    void *raw = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + LargePageBytes - 1) / LargePageBytes * LargePageBytes;
    if (aligned > start)
        ::munmap(raw, aligned - start);
    const std::uintptr_t end = start + mapped;
    if (end > aligned + size)
        ::munmap(reinterpret_cast<void *>(aligned + size), end - (aligned + size));
    adviseLargePages(reinterpret_cast<void *>(aligned), size);
    return reinterpret_cast<void *>(aligned);
}

void freeLarge(void *memory, std::size_t bytes)
{
    if (memory)
        ::munmap(memory, roundedUp(bytes));
}

} // namespace quorvane::platform
