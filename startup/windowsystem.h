#pragma once

#include <QByteArray>

namespace quorvane {

// The Qt platform the program asks for before its application object exists
// (the value for QT_QPA_PLATFORM), or empty to leave the choice to Qt. Each
// argument is the environment variable of that name, empty when unset.
// A Wayland compositor places every window itself and ignores where a
// program puts its own, so the centred windows and the drag by the body need
// an X server: where one is at hand (XWayland on a Wayland desktop) the
// program is its client, with Wayland behind it only for an X server that
// cannot be reached. A platform the user has set is kept.
[[nodiscard]] QByteArray chosenPlatform(const QByteArray &display, const QByteArray &waylandDisplay,
                                        const QByteArray &qpaPlatform);

} // namespace quorvane
