#include "centerform.h"

#include "platform/services.h"
#include "platform/widgets/twips.h"

#include <QWidget>

namespace quorvane {

long long roundHalfEven(long long numerator, long long denominator)
{
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    long long quotient = numerator / denominator;
    long long remainder = numerator % denominator;
    if (remainder < 0) { // floor division, so the remainder counts upwards
        --quotient;
        remainder += denominator;
    }
    const long long twice = 2 * remainder;
    if (twice > denominator || (twice == denominator && (quotient % 2 != 0)))
        ++quotient;
    return quotient;
}

QPoint centerFormPosition(long long screenWidth, long long screenHeight, long long windowWidth, long long windowHeight)
{
    // Halvings drop the remainder (toward zero), as the integer division does.
    long long top = roundHalfEven(screenHeight * 85, 100) / 2 - windowHeight / 2;
    long long left = screenWidth / 2 - windowWidth / 2;
    if (top < 0)
        top = 0;
    if (left < 0)
        left = 0;
    return QPoint(static_cast<int>(left), static_cast<int>(top));
}

void CenterForm(QWidget &window, QSize outerTwips)
{
    const QSize screen = platform::toolkit().screenSizeTwips();
    const QPoint place = centerFormPosition(screen.width(), screen.height(), outerTwips.width(), outerTwips.height());
    // move() places the outer frame of a top-level window.
    window.move(platform::twipsToPixels(place.x()), platform::twipsToPixels(place.y()));
}

void CenterForm(QWidget &window)
{
    const QRect outer = window.frameGeometry();
    CenterForm(window,
               QSize(static_cast<int>(platform::pixelsToTwips(outer.width())),
                     static_cast<int>(platform::pixelsToTwips(outer.height()))));
}

} // namespace quorvane
