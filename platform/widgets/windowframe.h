#pragma once

#include <QMargins>

class QWidget;

namespace quorvane::platform {

// The frame the window manager has drawn around a top-level window, as Qt
// knows it: null while no frame is known. Qt measures the frame from the
// window manager's own window when the manager has not told it; a manager
// still building its frame has it smaller than the window inside, and such
// a reading is no frame either.
QMargins knownFrame(const QWidget &window);

} // namespace quorvane::platform
