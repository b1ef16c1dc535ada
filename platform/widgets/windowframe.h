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

// Whether the window system ignores where the program puts its windows: a
// Wayland compositor places them itself, and moves one only when asked to
// follow the pointer.
bool compositorPlacesWindows();

} // namespace quorvane::platform
