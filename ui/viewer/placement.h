#pragma once

class QWidget;

namespace quorvane {

// Puts a window's outer frame in the middle of the screen, unclamped, as the
// viewer and the save-as browser are placed when they load.
void placeAtScreenCentre(QWidget &window);

} // namespace quorvane
