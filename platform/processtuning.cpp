#include "processtuning.h"

#include <cstddef> // defines __GLIBC__ where it applies

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace quorvane::platform {

void keepFreedMemory()
{
#if defined(__GLIBC__)
    // 64 MiB of free heap may stay with the process; beyond that it goes back.
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#endif
}

} // namespace quorvane::platform
