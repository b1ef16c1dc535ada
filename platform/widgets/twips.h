#pragma once

#include <QWidget>
#include <QtGlobal>

namespace quorvane::platform {

// Window geometry is kept in twips; 15 of them make one pixel at 96 dpi.
constexpr double TwipsPerPixel = 15.0;

inline int twipsToPixels(double twips)
{
    return qRound(twips / TwipsPerPixel);
}
inline double pixelsToTwips(int pixels)
{
    return pixels * TwipsPerPixel;
}

// Left, top, width and height in twips, from the container's inside top-left.
inline void place(QWidget *widget, double left, double top, double width, double height)
{
    widget->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

} // namespace quorvane::platform
