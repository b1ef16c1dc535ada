#include "platform/processtuning.h"

#include <cstddef> // defines __GLIBC__ where it applies

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <sys/resource.h>

namespace quorvane::platform {

void keepFreedMemory()
{
#if defined(__GLIBC__)
    // 64 MiB of free heap may stay with the process; beyond that it goes back.
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#endif
}

void releaseFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

long long blocksReadByThisThread()
{
#if defined(RUSAGE_THREAD)
    rusage usage{};
    if (::getrusage(RUSAGE_THREAD, &usage) == 0)
        return usage.ru_inblock;
#endif
    return 0;
}

} // namespace quorvane::platform
