#pragma once

#include <cstddef>
#include <memory>
#include <new>

namespace quorvane::platform {

// Memory for large buffers that fill at once (the lists of a walk). Fresh
// memory comes in 4 KiB pages, each first touch a fault of its own. Where
// such a fault is dear (about 20 microseconds on one virtual machine, where
// filling 28 MB of paths took 155 ms in 4 KiB pages and 9 ms in 2 MiB
// pages) the memory is offered in 2 MiB pages. Where it is cheap, small
// pages it is: a host that takes back the guest's free memory hands out a
// fresh 2 MiB page at 3 to 9 ms per MB, against 0.4 to 0.8 ms in small
// pages (a million-file scan: 1.6 to 3.8 s against 1.0 to 1.3 s).
constexpr std::size_t LargePageBytes = std::size_t(2) << 20;

// Whether large pages pay here: a first touch of a small page takes long.
// Measured once a process, on 2 MiB of fresh memory, in processor time so
// that a preemption does not count.
bool largePagesPay();
// The first touch of a small page, in microseconds of processor time, as
// that measurement found it; 0 where it could not measure.
double smallPageFaultMicroseconds();
// Asks for large pages over that stretch where they pay, for small ones
// where they do not; only advice, which a system without large pages
// ignores. from and bytes in whole large pages.
void adviseLargePages(void *from, std::size_t bytes);

// At least bytes, rounded up to whole large pages, aligned to one (in large
// pages where they pay); nullptr when out of memory. Give
// it back with freeLarge and the same size.
void *allocateLarge(std::size_t bytes);
void freeLarge(void *memory, std::size_t bytes);

// An allocator for containers that grow large: requests of a large page or
// more go to allocateLarge, smaller ones to the heap.
template <typename T>
struct LargeAllocator {
    using value_type = T;

    LargeAllocator() = default;
    template <typename U>
    LargeAllocator(const LargeAllocator<U> &) noexcept
    {
    }

    // Decided by size alone, so deallocate knows where a block came from.
    T *allocate(std::size_t n)
    {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < LargePageBytes)
            return std::allocator<T>().allocate(n);
        if (void *memory = allocateLarge(bytes))
            return static_cast<T *>(memory);
        throw std::bad_alloc();
    }

    void deallocate(T *memory, std::size_t n) noexcept
    {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < LargePageBytes)
            std::allocator<T>().deallocate(memory, n);
        else
            freeLarge(memory, bytes);
    }

    template <typename U>
    bool operator==(const LargeAllocator<U> &) const noexcept
    {
        return true;
    }
};

} // namespace quorvane::platform
