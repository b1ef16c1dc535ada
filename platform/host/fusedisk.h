#pragma once

#include "platform/host/descriptor.h"

#include <sys/types.h>

namespace quorvane::platform {

// The disk (or disk image) a FUSE program serves as the file system of
// device, opened for reading; invalid where it cannot be found. For the
// FUSE programs that name no source in the mount table (fusefat): the
// program is found among the host's processes by its name and by a mount
// point among its arguments that lies on device, and the disk is the file
// it holds open whose first sector carries a boot sector.
Descriptor openFuseDisk(dev_t device, const char *program);

} // namespace quorvane::platform
