#pragma once

#include <QtGlobal>

namespace quorvane {

// 1 while the viewer's file pane shows the complete path names, otherwise 0.
// Program-wide so that it outlives one load of the viewer; its unload resets it.
extern qint16 FullPathShown;

} // namespace quorvane
