// The built program on a Wayland desktop: weston with XWayland, the program
// started as such a desktop starts it (WAYLAND_DISPLAY, DISPLAY and
// XDG_SESSION_TYPE=wayland set, no platform chosen for Qt), driven by real
// input. Where windows stand is read twice: on the X display, and in
// weston's own account of its screen.
#include "desktop.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString MainTitle = QStringLiteral("Brannick Quorvane");
const QString ViewerTitle = QStringLiteral("Quorvane");

// Points inside the main window's client area, in twips (as in tst_journeys.cpp).
namespace form1 {
constexpr QPoint Start{120 + 2295 / 2, 2880 + 795 / 2};
constexpr QPoint Pictures{2520 + 240 + 120, 120 + 720 + 127};
constexpr QPoint TextListing{2520 + 180 + 120, 2820 + 210 + 127};
} // namespace form1

QPoint pixels(QPoint twips)
{
    return QPoint(qRound(twips.x() / 15.0), qRound(twips.y() / 15.0));
}

// Where CenterForm puts a window of this outer size on the 1024 x 768 screen
// (15360 x 11520 twips): centred across, and centred in the upper 85 %.
QPoint centerForm(QSize outer)
{
    const int left = 7680 - outer.width() * 15 / 2;
    const int top = 4896 - outer.height() * 15 / 2;
    return pixels(QPoint(qMax(left, 0), qMax(top, 0)));
}

// Where the viewer centres itself: on the whole screen.
QPoint screenCentre(QSize outer)
{
    return QPoint(qRound((7680 - outer.width() * 15 / 2.0) / 15.0), qRound((5760 - outer.height() * 15 / 2.0) / 15.0));
}

// A top-level window as weston's scene graph lists it: its surface's place
// on the screen, and the part it paints opaque (an X window's client area
// and one pixel around it; a Wayland window's client area). Null when the
// window is not listed.
struct View {
    QRect place;
    QRect opaque;
};

View compositorView(const QString &sceneGraph, const QString &title)
{
    static const QString point = QStringLiteral("\\((-?\\d+), (-?\\d+)\\) -> \\((-?\\d+), (-?\\d+)\\)");
    const QRegularExpression view(QStringLiteral("top-level window '") + QRegularExpression::escape(title)
                                  + QStringLiteral("'[^\\n]*\\n\\s*position: ") + point
                                  + QStringLiteral("\\n(?:\\s*\\[opaque: ") + point + QStringLiteral(")?"));
    const QRegularExpressionMatch m = view.match(sceneGraph);
    if (!m.hasMatch())
        return {};
    const auto rect = [&m](int first) {
        return QRect(QPoint(m.captured(first).toInt(), m.captured(first + 1).toInt()),
                     QPoint(m.captured(first + 2).toInt() - 1, m.captured(first + 3).toInt() - 1));
    };
    return {rect(1), m.captured(5).isEmpty() ? QRect() : rect(5)};
}

} // namespace

class TestWaylandJourneys : public QObject {
    Q_OBJECT

private:
    QString at(const QString &relative) const { return m_dir->filePath(relative); }
    QString drives() const;
    QStringList environment(const QStringList &more = {}) const;
    View view(const QString &title) const { return compositorView(m_desk.sceneGraph(), title); }

    Desktop m_desk;
    std::unique_ptr<QTemporaryDir> m_dir;

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void windowsCentredOnXWayland();
};

void TestWaylandJourneys::initTestCase()
{
    const QString missing = Desktop::missingForWayland();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
    const QString why = m_desk.startWayland();
    QVERIFY2(why.isEmpty(), qPrintable(why));
}

// Pictures at two levels below D:, the program folder and a state folder of the journey's own.
void TestWaylandJourneys::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir().mkpath(at("app")));
    QVERIFY(QDir().mkpath(at("src/Bilder/Urlaub")));
    for (const char *name : {"src/Bilder/a.jpg", "src/Bilder/Urlaub/c.gif"}) {
        QFile file(at(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
}

void TestWaylandJourneys::cleanup()
{
    m_desk.stop();
}

// The program on D: = src, standing in src with the root of D: as its source.
QString TestWaylandJourneys::drives() const
{
    return QStringLiteral("D=") + at("src");
}

QStringList TestWaylandJourneys::environment(const QStringList &more) const
{
    return QStringList{QStringLiteral("XDG_STATE_HOME=") + at("state")} + more;
}

// With XWayland at hand the program is its X client: its windows are on the
// X display, and weston's window manager puts each where the program placed
// it before showing it. A frame is not known before a window is shown, and
// this manager ignores every later move, so here the windows stand centred
// by their inner size.
void TestWaylandJourneys::windowsCentredOnXWayland()
{
    const QPoint frame = m_desk.clientOffset();
    QVERIFY2(frame.x() >= 0, "no window of another program came up on XWayland's display");

    const QString main = m_desk.launch(at("app"), drives(), {at("src/x")}, at("src"), environment());
    QVERIFY2(!main.isEmpty(), "the main window is not on XWayland's display");
    // The X display tells where the screen shows the window (weston tells
    // XWayland a window's place only after mapping it).
    QTRY_COMPARE_WITH_TIMEOUT(view(MainTitle).opaque.adjusted(1, 1, -1, -1), m_desk.clientArea(main), 5000);
    const QRect client = m_desk.clientArea(main);
    QCOMPARE(client.topLeft() - frame, centerForm(client.size()));

    m_desk.click(main, form1::Pictures);
    m_desk.click(main, form1::TextListing);
    m_desk.click(main, form1::Start);
    const QString viewer = m_desk.waitForWindow(ViewerTitle);
    QVERIFY2(!viewer.isEmpty(), "the viewer is not on XWayland's display");
    QTRY_COMPARE_WITH_TIMEOUT(view(ViewerTitle).opaque.adjusted(1, 1, -1, -1), m_desk.clientArea(viewer), 5000);
    const QRect viewerClient = m_desk.clientArea(viewer);
    QCOMPARE(viewerClient.topLeft() - frame, screenCentre(viewerClient.size()));
}

QTEST_GUILESS_MAIN(TestWaylandJourneys)
#include "tst_wayland_journeys.moc"
