#include "placement.h"

#include "platform/services.h"
#include "platform/widgets/twips.h"
#include "platform/widgets/windowframe.h"
#include "viewerlayout.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace quorvane {

using platform::pixelsToTwips;
using platform::twipsToPixels;

namespace {

// Places the window itself, inside its frame: Qt's move() would place the
// frame by the reading Qt keeps, which may be one this does not trust.
void centreOuterFrame(QWidget &window)
{
    const QSize screen = platform::toolkit().screenSizeTwips();
    const QMargins frame = platform::knownFrame(window);
    const QRect outer = window.geometry().marginsAdded(frame);
    const TwipsPoint at = centreOnScreen(float(pixelsToTwips(outer.width())), float(pixelsToTwips(outer.height())),
                                         float(screen.width()), float(screen.height()));
    const QPoint inside(twipsToPixels(at.left) + frame.left(), twipsToPixels(at.top) + frame.top());
    window.setGeometry(QRect(inside, window.size()));
}

// A window manager frames a window only after it is shown, and Qt learns the
// frame without telling the window by an event. Until then the window was
// centred by its inner size; this looks for the frame for a short while
// after showing and centres the window once more, by its outer size.
class CentreWhenFramed : public QObject {
public:
    explicit CentreWhenFramed(QWidget &window)
        : QObject(&window), m_window(window), m_placedAt(window.geometry().topLeft())
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
    // Some window managers tell the frame in steps (borders, then the title
    // bar): the window is centred again while its frame still changes,
    // unless the user has moved it meanwhile. A frame does not move the
    // window inside it, so the user's move is the window's own place
    // changing, not its frame's.
    void look()
    {
        const QMargins frame = platform::knownFrame(m_window);
        const bool untouched = m_window.geometry().topLeft() == m_placedAt;
        if (!frame.isNull() && frame != m_frame && untouched) {
            centreOuterFrame(m_window);
            m_frame = frame;
            m_placedAt = m_window.geometry().topLeft();
            m_framed.start();
        }
        // Qt reads the frame again only when the window manager confirms a
        // geometry, so a frame told after the last confirmation stays unknown
        // (seen under load). A move there and back asks for a confirmation.
        if (m_frame.isNull() && frame.isNull() && m_shown.elapsed() >= m_nextNudgeMs) {
            const QPoint at = m_window.pos();
            m_window.move(at + QPoint(1, 0));
            m_window.move(at);
            m_nextNudgeMs += NudgeIntervalMs;
        }
        // Without a window manager no frame ever comes.
        if ((m_framed.isValid() && m_framed.hasExpired(1000)) || m_shown.hasExpired(5000))
            deleteLater();
    }

    QWidget &m_window;
    QTimer m_poll;
    QElapsedTimer m_shown;
    QElapsedTimer m_framed;
    QMargins m_frame;  // the frame the window was last centred by
    QPoint m_placedAt; // the window's place inside its frame, as centred
    static constexpr qint64 NudgeIntervalMs = 250;
    qint64 m_nextNudgeMs = NudgeIntervalMs;
};

} // namespace

void placeAtScreenCentre(QWidget &window)
{
    // A window not made yet is made where it is centred: XWayland's window
    // manager under weston takes a window's place only from where it was
    // made, and a move asked for before it is shown puts it elsewhere.
    centreOuterFrame(window);
    if (platform::knownFrame(window).isNull())
        new CentreWhenFramed(window);
}

} // namespace quorvane
