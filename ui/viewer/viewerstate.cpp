#include "viewerstate.h"

namespace quorvane {

qint16 FullPathShown = 0;

} // namespace quorvane
