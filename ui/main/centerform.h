#pragma once

#include <QPoint>
#include <QSize>

class QWidget;

namespace quorvane {

// The whole number nearest to numerator / denominator, a half going to the
// even neighbour; exact for every whole-twip input.
long long roundHalfEven(long long numerator, long long denominator);

// Where CenterForm puts a window, every length in twips: centred across the
// screen and within its upper 85 %, never above or left of it.
QPoint centerFormPosition(long long screenWidth, long long screenHeight, long long windowWidth, long long windowHeight);

// Places a top-level window by its outer size and the toolkit's screen size.
void CenterForm(QWidget &window);
// The same for a window that keeps its own outer size in twips.
void CenterForm(QWidget &window, QSize outerTwips);

} // namespace quorvane
