#include "platform/largememory.h"

#include <cstdint>
#include <sys/mman.h>

namespace quorvane::platform {

namespace {

std::size_t roundedUp(std::size_t bytes)
{
    return (bytes + LargePageBytes - 1) / LargePageBytes * LargePageBytes;
}

} // namespace

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
#if defined(MADV_HUGEPAGE)
    // Only a wish: without large pages the memory works as well, in small ones.
    (void)::madvise(reinterpret_cast<void *>(aligned), size, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<void *>(aligned);
}

void freeLarge(void *memory, std::size_t bytes)
{
    if (memory)
        ::munmap(memory, roundedUp(bytes));
}

} // namespace quorvane::platform
