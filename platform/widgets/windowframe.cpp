#include "windowframe.h"

#include <QGuiApplication>
#include <QWidget>

namespace quorvane::platform {

QMargins knownFrame(const QWidget &window)
{
    const QRect outer = window.frameGeometry();
    const QRect inner = window.geometry();
    if (!outer.contains(inner))
        return {};
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

bool compositorPlacesWindows()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace quorvane::platform
