#include "startup/windowsystem.h"

#include <QTest>

using namespace quorvane;

class TestWindowSystem : public QObject {
    Q_OBJECT

private slots:
    void choice_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("waylandDisplay");
        QTest::addColumn<QByteArray>("qpaPlatform");
        QTest::addColumn<QByteArray>("expected");

        // A Wayland desktop with XWayland: X first, Wayland if X cannot be reached.
        QTest::newRow("wayland desktop with xwayland")
            << QByteArray(":0") << QByteArray("wayland-0") << QByteArray() << QByteArray("xcb;wayland");
        QTest::newRow("x desktop") << QByteArray(":0") << QByteArray() << QByteArray() << QByteArray("xcb");
        QTest::newRow("wayland only") << QByteArray() << QByteArray("wayland-0") << QByteArray()
                                      << QByteArray("wayland");
        QTest::newRow("no window system") << QByteArray() << QByteArray() << QByteArray() << QByteArray();
        // The user's own choice stands, whatever is at hand.
        QTest::newRow("user chose wayland")
            << QByteArray(":0") << QByteArray("wayland-0") << QByteArray("wayland") << QByteArray();
        QTest::newRow("user chose offscreen")
            << QByteArray(":0") << QByteArray() << QByteArray("offscreen") << QByteArray();
        QTest::newRow("user chose xcb without x")
            << QByteArray() << QByteArray("wayland-0") << QByteArray("xcb") << QByteArray();
    }

    void choice()
    {
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, waylandDisplay);
        QFETCH(QByteArray, qpaPlatform);
        QFETCH(QByteArray, expected);
        QCOMPARE(chosenPlatform(display, waylandDisplay, qpaPlatform), expected);
    }
};

QTEST_APPLESS_MAIN(TestWindowSystem)
#include "tst_windowsystem.moc"
