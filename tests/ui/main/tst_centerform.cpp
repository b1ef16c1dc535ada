// Placement of a window by CenterForm's arithmetic, and on a real window.
#include "support/scriptedtoolkit.h"
#include "platform/services.h"
#include "platform/widgets/twips.h"
#include "ui/main/centerform.h"

#include <QTest>
#include <QWidget>

using namespace quorvane;

class TestCenterForm : public QObject {
    Q_OBJECT

private slots:
    void roundsHalfToEven_data()
    {
        QTest::addColumn<qlonglong>("numerator");
        QTest::addColumn<qlonglong>("denominator");
        QTest::addColumn<qlonglong>("rounded");
        QTest::newRow("exact") << 979200LL << 100LL << 9792LL;
        QTest::newRow("half to even, down") << 250LL << 100LL << 2LL; // 2.5
        QTest::newRow("half to even, up") << 350LL << 100LL << 4LL;   // 3.5
        QTest::newRow("just above half") << 251LL << 100LL << 3LL;
        QTest::newRow("just below half") << 249LL << 100LL << 2LL;
        QTest::newRow("negative half to even") << -250LL << 100LL << -2LL; // -2.5
        QTest::newRow("negative half, odd below") << -350LL << 100LL << -4LL;
        QTest::newRow("negative, just past half") << -251LL << 100LL << -3LL;
        QTest::newRow("zero") << 0LL << 100LL << 0LL;
    }

    void roundsHalfToEven()
    {
        QFETCH(qlonglong, numerator);
        QFETCH(qlonglong, denominator);
        QFETCH(qlonglong, rounded);
        QCOMPARE(roundHalfEven(numerator, denominator), rounded);
    }

    void position_data()
    {
        QTest::addColumn<int>("screenW");
        QTest::addColumn<int>("screenH");
        QTest::addColumn<int>("windowW");
        QTest::addColumn<int>("windowH");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        // 1024 x 768 pixels: left 3325, top 4896 - h / 2.
        QTest::newRow("1024x768, main window") << 15360 << 11520 << 8710 << 4500 << 3325 << 2646;
        QTest::newRow("1024x768, odd height halves down") << 15360 << 11520 << 8710 << 4501 << 3325 << 2646;
        QTest::newRow("1024x768, narrow layout") << 15360 << 11520 << 6235 << 4500 << 4563 << 2646;
        // 0.85 of 30 is 25.5: rounds to the even 26, then 26 / 2 = 13.
        QTest::newRow("85 % lands on a half") << 30 << 30 << 10 << 2 << 10 << 12;
        // 0.85 of 90 is 76.5: rounds to 76, then 76 / 2 = 38.
        QTest::newRow("85 % half rounds down to even") << 90 << 90 << 10 << 2 << 40 << 37;
        // Odd screen width: 15375 / 2 drops the remainder.
        QTest::newRow("odd widths drop remainders") << 15375 << 11520 << 8711 << 4500 << 3332 << 2646;
        QTest::newRow("taller than 85 % clamps top") << 15360 << 11520 << 8710 << 11000 << 3325 << 0;
        QTest::newRow("wider than the screen clamps left") << 6000 << 11520 << 8710 << 4500 << 0 << 2646;
        QTest::newRow("both clamped") << 1500 << 1500 << 8710 << 4500 << 0 << 0;
        QTest::newRow("exactly fits the 85 % band") << 15360 << 11520 << 8710 << 9792 << 3325 << 0;
    }

    void position()
    {
        QFETCH(int, screenW);
        QFETCH(int, screenH);
        QFETCH(int, windowW);
        QFETCH(int, windowH);
        QFETCH(int, left);
        QFETCH(int, top);
        QCOMPARE(centerFormPosition(screenW, screenH, windowW, windowH), QPoint(left, top));
    }

    void placesARealWindowByItsOuterSize()
    {
        platform::ScriptedToolkit toolkit;
        toolkit.setScreenSizeTwips(QSize(15360, 11520));
        platform::ScopedPlatform scope(nullptr, &toolkit);
        QWidget window;
        window.resize(300, 200);
        CenterForm(window, QSize(8710, 4500));
        QCOMPARE(window.frameGeometry().topLeft(), QPoint(222, 176)); // 3325 and 2646 twips
        // Without a size of its own the window's outer frame counts.
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        CenterForm(window);
        const QRect outer = window.frameGeometry();
        // Left 7680 - w / 2 and top 4896 - h / 2, in twips, for w x h pixels.
        const int w = outer.width() * 15;
        const int h = outer.height() * 15;
        QCOMPARE(outer.topLeft(), QPoint(qRound((7680 - w / 2) / 15.0), qMax(0, qRound((4896 - h / 2) / 15.0))));
    }
};

QTEST_MAIN(TestCenterForm)
#include "tst_centerform.moc"
