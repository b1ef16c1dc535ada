#pragma once

#include <cstddef>
#include <memory>
#include <new>

namespace quorvane::platform {

// Memory for large buffers that fill at once (the lists of a walk). Fresh
// memory comes in 4 KiB pages, each first touch a fault of its own, which on
// a virtual machine costs about 20 microseconds; where the host has 2 MiB
// pages they are asked for instead. Filling 28 MB of paths took 155 ms in
// 4 KiB pages here and 9 ms in 2 MiB pages.
constexpr std::size_t LargePageBytes = std::size_t(2) << 20;

// At least bytes, rounded up to whole large pages, aligned to one (in small
// pages where the host has no large ones); nullptr when out of memory. Give
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
