#include "windowsystem.h"

namespace quorvane {

QByteArray chosenPlatform(const QByteArray &display, const QByteArray &waylandDisplay, const QByteArray &qpaPlatform)
{
    // Qt treats an empty QT_QPA_PLATFORM as unset.
    if (!qpaPlatform.isEmpty())
        return {};
    // Qt tries the platforms of a ";" list in turn.
    if (!display.isEmpty())
        return waylandDisplay.isEmpty() ? QByteArrayLiteral("xcb") : QByteArrayLiteral("xcb;wayland");
    // Without an X server Qt would still pick X where the session does not
    // say "wayland", and stop.
    if (!waylandDisplay.isEmpty())
        return QByteArrayLiteral("wayland");
    return {};
}

} // namespace quorvane
