#pragma once

#include <mutex>

namespace quorvane::platform {

// A mutex for locks held a microsecond or two by two threads on two
// processors. A thread that finds it taken tries again for a few
// microseconds before it sleeps: on a virtual machine going to sleep and
// being woken (a futex call each, and a message between processors) cost
// about 30 us, many times what the holder still needs. Measured on a warm
// walk of 20,000 folders with one helper: 826 sleeps on the walk's lock
// before, 78 after, and a fifth less time.
//
// Lockable, so std::unique_lock and std::condition_variable_any take it.
class SpinThenWaitMutex {
public:
    void lock()
    {
        for (int i = 0; i < SpinRounds; ++i) {
            if (m_mutex.try_lock())
                return;
            relax();
        }
        m_mutex.lock();
    }
    bool try_lock() { return m_mutex.try_lock(); }
    void unlock() { m_mutex.unlock(); }

private:
    // About 5 us on the processors measured.
    static constexpr int SpinRounds = 200;

    static void relax()
    {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#elif defined(__aarch64__)
        asm volatile("yield");
#endif
    }

    std::mutex m_mutex;
};

} // namespace quorvane::platform
