#pragma once

#include <QtGlobal>

namespace quorvane::platform {

// Window geometry is kept in twips; 15 of them make one pixel at 96 dpi.
constexpr double TwipsPerPixel = 15.0;

inline int twipsToPixels(double twips) { return qRound(twips / TwipsPerPixel); }
inline double pixelsToTwips(int pixels) { return pixels * TwipsPerPixel; }

} // namespace quorvane::platform
