#include "viewerlayout.h"

namespace quorvane {

namespace {

// The toolkit refuses a negative size; the control keeps what it had.
void assignSize(float &property, float value)
{
    if (value >= 0)
        property = value;
}

} // namespace

void layoutViewer(ViewerGeometry &g, float width, float height)
{
    assignSize(g.txtEdit.width, width / 2);
    assignSize(g.txtEdit.height, height - 220);
    g.Text1.left = width / 2 + 50;
    assignSize(g.Text1.width, width / 2 - 50);
    assignSize(g.Text1.height, height - 220);
    g.Label1.left = g.txtEdit.width / 2 - g.Label1.width / 2;
    g.Label2.left = g.Text1.width / 2 + g.Text1.left - g.Label2.width / 2;
}

TwipsPoint centreOnScreen(float windowWidth, float windowHeight, float screenWidth, float screenHeight)
{
    TwipsPoint p;
    p.top = screenHeight / 2 - windowHeight / 2;
    p.left = screenWidth / 2 - windowWidth / 2;
    return p;
}

} // namespace quorvane
