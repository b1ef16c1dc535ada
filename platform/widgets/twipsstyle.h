#pragma once

#include <QProxyStyle>

namespace quorvane::platform {

// The look of check boxes, option buttons and frames whose rectangles come
// from a twips table. Those rectangles were made for marks of 13 pixels and
// for frame titles that sit on the frame's top line; the base style draws
// larger marks and puts its line below the title. A row of low boxes then
// lost the bottom edge of its marks, and the line of a low frame ran
// through the option buttons inside it. This style keeps the base style's
// drawing and changes only its measures: smaller marks, a narrower gap
// before the caption, and the title on the line.
class TwipsStyle : public QProxyStyle {
public:
    // mark: the largest side of a check mark or option circle, in pixels.
    explicit TwipsStyle(int mark);

    // Gives the window's check boxes, option buttons and frames this style,
    // with marks one pixel lower than its lowest box: at a fractional scale
    // the mark's last row still lies wholly inside the box. The window owns
    // the style.
    static void applyTo(QWidget &window);

    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl sub,
                         const QWidget *widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget = nullptr) const override;

private:
    int m_mark;
};

} // namespace quorvane::platform
