#pragma once

namespace quorvane {

// Left, top, width and height of one control, in twips.
struct TwipsRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
};

// Where the viewer's four controls stand inside its client area, in twips.
// The layout works in single precision without rounding; only the widget
// maps the values to pixels.
struct ViewerGeometry {
    TwipsRect txtEdit{0, 240, 4035, 4620};
    TwipsRect Text1{4080, 240, 3495, 4620};
    TwipsRect Label1{1260, 0, 1095, 255};
    TwipsRect Label2{4920, 0, 1695, 255};
};

// Design size of the client area.
constexpr float ViewerDesignWidth = 7575;
constexpr float ViewerDesignHeight = 4995;

// Resize layout for a client area of width x height twips. A size that comes
// out below zero is refused for that one control, which keeps its former
// value; the later steps read whatever the earlier ones left.
void layoutViewer(ViewerGeometry &geometry, float width, float height);

// Top-left corner that centres a window of the given outer size on the
// screen. Not clamped: a window larger than the screen gets negative values.
struct TwipsPoint {
    float left = 0;
    float top = 0;
};
TwipsPoint centreOnScreen(float windowWidth, float windowHeight, float screenWidth, float screenHeight);

} // namespace quorvane
