#include "platform/widgets/twipsstyle.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QPainter>
#include <QRadioButton>
#include <QStyleFactory>
#include <QStyleOptionGroupBox>

#include <climits>

namespace quorvane::platform {

namespace {

constexpr int CaptionGap = 4;   // between a mark and its caption
constexpr int TitleIndent = 6;  // the title begins past the frame's rounded corner
constexpr int TitlePadding = 2; // room without line on either side of the title
constexpr int FrameMargin = 3;  // inside the line, around the frame's contents

// The application's own style, as a copy the proxy can own.
QStyle *applicationStyle()
{
    return QStyleFactory::create(QApplication::style()->name());
}

// A frame with a title and a plain line, the only kind this style draws itself.
const QStyleOptionGroupBox *titledFrame(const QStyleOptionComplex *option)
{
    const auto *box = qstyleoption_cast<const QStyleOptionGroupBox *>(option);
    const bool plain =
        box && !(box->subControls & QStyle::SC_GroupBoxCheckBox) && !(box->features & QStyleOptionFrame::Flat);
    return plain ? box : nullptr;
}

} // namespace

TwipsStyle::TwipsStyle(int mark) : QProxyStyle(applicationStyle()), m_mark(mark) {}

void TwipsStyle::applyTo(QWidget &window)
{
    QList<QWidget *> styled;
    int lowest = INT_MAX;
    for (QAbstractButton *button : window.findChildren<QAbstractButton *>()) {
        if (qobject_cast<QCheckBox *>(button) || qobject_cast<QRadioButton *>(button)) {
            styled.append(button);
            lowest = qMin(lowest, button->height());
        }
    }
    for (QGroupBox *frame : window.findChildren<QGroupBox *>())
        styled.append(frame);
    if (styled.isEmpty())
        return;
    auto *style = new TwipsStyle(lowest == INT_MAX ? INT_MAX : lowest - 1);
    style->setParent(&window);
    for (QWidget *widget : styled)
        widget->setStyle(style);
}

int TwipsStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const
{
    const int base = QProxyStyle::pixelMetric(metric, option, widget);
    switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
        return qMin(base, m_mark);
    case PM_CheckBoxLabelSpacing:
    case PM_RadioButtonLabelSpacing:
        return qMin(base, CaptionGap);
    default:
        return base;
    }
}

// The title stands on the frame's top line, which runs through the middle
// of the title's height; the contents begin below the title.
QRect TwipsStyle::subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl sub,
                                 const QWidget *widget) const
{
    const QStyleOptionGroupBox *box = control == CC_GroupBox ? titledFrame(option) : nullptr;
    if (!box)
        return QProxyStyle::subControlRect(control, option, sub, widget);
    const QRect &all = box->rect;
    const int titleHeight = box->text.isEmpty() ? 0 : box->fontMetrics.height();
    switch (sub) {
    case SC_GroupBoxLabel:
        if (box->text.isEmpty())
            return {};
        return visualRect(box->direction, all,
                          QRect(all.left() + TitleIndent, all.top(),
                                box->fontMetrics.horizontalAdvance(box->text) + 2 * TitlePadding, titleHeight));
    case SC_GroupBoxFrame:
        return all.adjusted(0, titleHeight / 2, 0, 0);
    case SC_GroupBoxContents:
        return all.adjusted(FrameMargin, qMax(titleHeight, FrameMargin), -FrameMargin, -FrameMargin);
    default:
        return QProxyStyle::subControlRect(control, option, sub, widget);
    }
}

void TwipsStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                                    const QWidget *widget) const
{
    const QStyleOptionGroupBox *box = control == CC_GroupBox ? titledFrame(option) : nullptr;
    if (!box) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QRect title = proxy()->subControlRect(CC_GroupBox, box, SC_GroupBoxLabel, widget);
    if (box->subControls & SC_GroupBoxFrame) {
        // The base style draws its frame at a distance of its own below the
        // rectangle it is given; this one is drawn where the title's line is.
        const QRectF frame = proxy()->subControlRect(CC_GroupBox, box, SC_GroupBoxFrame, widget);
        const QColor surface = box->palette.window().color();
        painter->save();
        painter->setClipRegion(QRegion(box->rect).subtracted(title), Qt::IntersectClip);
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(surface.darker(112));
        painter->setBrush(surface.darker(101));
        painter->drawRoundedRect(frame.adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
        painter->restore();
    }
    if ((box->subControls & SC_GroupBoxLabel) && !title.isEmpty()) {
        proxy()->drawItemText(painter, title, Qt::AlignCenter | Qt::TextHideMnemonic, box->palette,
                              box->state & State_Enabled, box->text, QPalette::WindowText);
    }
}

} // namespace quorvane::platform
