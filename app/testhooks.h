#pragma once

class QWidget;

namespace quorvane {

class Form1;

// Switches read from the environment for pictures and for tests that start
// the program as a process. Each goes through the window's real paths.
//   QUORVANE_SCREENSHOT=FILE   saves a picture of the main window, then ends
//                              (without the unload handler)
//   QUORVANE_TEST_CLOSE_MS=N   closes the main window after N ms, as the close box does
//   QUORVANE_TEST_ESC_MS=N     presses Esc on the start button after N ms
void installTestHooks(Form1 &window);

} // namespace quorvane
