#include "placement.h"

#include "platform/services.h"
#include "platform/widgets/twips.h"
#include "viewerlayout.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace quorvane {

using platform::pixelsToTwips;
using platform::twipsToPixels;

namespace {

void centreOuterFrame(QWidget &window)
{
    const QSize screen = platform::toolkit().screenSizeTwips();
    const QRect outer = window.frameGeometry();
    const TwipsPoint at = centreOnScreen(float(pixelsToTwips(outer.width())), float(pixelsToTwips(outer.height())),
                                         float(screen.width()), float(screen.height()));
    window.move(twipsToPixels(at.left), twipsToPixels(at.top));
}

// A window manager frames a window only after it is shown, and Qt learns the
// frame without telling the window by an event. Until then the window was
// centred by its inner size; this looks for the frame for a short while
// after showing and centres the window once more, by its outer size.
class CentreWhenFramed : public QObject {
public:
    explicit CentreWhenFramed(QWidget &window) : QObject(&window), m_window(window)
    {
        window.installEventFilter(this);
        m_poll.setInterval(20);
        connect(&m_poll, &QTimer::timeout, this, &CentreWhenFramed::look);
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show && !m_poll.isActive()) {
            m_shown.start();
            m_poll.start();
        }
        return false;
    }

private:
    void look()
    {
        const bool framed = m_window.frameGeometry() != m_window.geometry();
        if (framed)
            centreOuterFrame(m_window);
        // Without a window manager no frame ever comes.
        if (framed || m_shown.hasExpired(5000))
            deleteLater();
    }

    QWidget &m_window;
    QTimer m_poll;
    QElapsedTimer m_shown;
};

} // namespace

void placeAtScreenCentre(QWidget &window)
{
    // The outer size counts the frame, known here when the native window has it already.
    window.winId();
    centreOuterFrame(window);
    if (window.frameGeometry() == window.geometry())
        new CentreWhenFramed(window);
}

} // namespace quorvane
