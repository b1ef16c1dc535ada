#include "placement.h"

#include "platform/services.h"
#include "platform/widgets/twips.h"
#include "viewerlayout.h"

#include <QWidget>

namespace quorvane {

using platform::pixelsToTwips;
using platform::twipsToPixels;

void placeAtScreenCentre(QWidget &window)
{
    const QSize screen = platform::toolkit().screenSizeTwips();
    // The outer size counts the frame, which is known once the native window exists.
    window.winId();
    const QRect outer = window.frameGeometry();
    const TwipsPoint at = centreOnScreen(float(pixelsToTwips(outer.width())),
                                         float(pixelsToTwips(outer.height())),
                                         float(screen.width()), float(screen.height()));
    window.move(twipsToPixels(at.left), twipsToPixels(at.top));
}

} // namespace quorvane
