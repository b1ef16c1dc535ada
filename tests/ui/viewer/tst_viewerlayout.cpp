#include "ui/viewer/viewerlayout.h"

#include <QTest>

using namespace quorvane;

class TestViewerLayout : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void laterStepsReadRefusedValues();
    void placement_data();
    void placement();
};

void TestViewerLayout::layout_data()
{
    QTest::addColumn<float>("w");
    QTest::addColumn<float>("h");
    QTest::addColumn<float>("editWidth");
    QTest::addColumn<float>("editHeight");
    QTest::addColumn<float>("text1Left");
    QTest::addColumn<float>("text1Width");
    QTest::addColumn<float>("text1Height");
    QTest::addColumn<float>("label1Left");
    QTest::addColumn<float>("label2Left");

    QTest::newRow("design size") << 7575.f << 4995.f << 3787.5f << 4775.f << 3837.5f << 3737.5f << 4775.f << 1346.25f
                                 << 4858.75f;
    QTest::newRow("8000 x 6000") << 8000.f << 6000.f << 4000.f << 5780.f << 4050.f << 3950.f << 5780.f << 1452.5f
                                 << 5177.5f;
    // Narrower than 100: the right pane's width would be negative and keeps
    // its design value; its label centres over that old width at the new left.
    QTest::newRow("width 60") << 60.f << 4995.f << 30.f << 4775.f << 80.f << 3495.f << 4775.f << -532.5f << 980.f;
    QTest::newRow("width exactly 100") << 100.f << 4995.f << 50.f << 4775.f << 100.f << 0.f << 4775.f << -522.5f
                                       << -747.5f;
    // Lower than 220: both heights keep their design values, the widths follow.
    QTest::newRow("height 200") << 8000.f << 200.f << 4000.f << 4620.f << 4050.f << 3950.f << 4620.f << 1452.5f
                                << 5177.5f;
    QTest::newRow("height exactly 220") << 8000.f << 220.f << 4000.f << 0.f << 4050.f << 3950.f << 0.f << 1452.5f
                                        << 5177.5f;
    QTest::newRow("minimised to nothing")
        << 0.f << 0.f << 0.f << 4620.f << 50.f << 3495.f << 4620.f << -547.5f << 950.f;
    QTest::newRow("odd width keeps halves")
        << 7577.f << 5000.f << 3788.5f << 4780.f << 3838.5f << 3738.5f << 4780.f << 1346.75f << 4860.25f;
}

void TestViewerLayout::layout()
{
    QFETCH(float, w);
    QFETCH(float, h);
    ViewerGeometry g;
    layoutViewer(g, w, h);

    QTEST(g.txtEdit.width, "editWidth");
    QTEST(g.txtEdit.height, "editHeight");
    QTEST(g.Text1.left, "text1Left");
    QTEST(g.Text1.width, "text1Width");
    QTEST(g.Text1.height, "text1Height");
    QTEST(g.Label1.left, "label1Left");
    QTEST(g.Label2.left, "label2Left");
    // Nothing else moves.
    QCOMPARE(g.txtEdit.left, 0.f);
    QCOMPARE(g.txtEdit.top, 240.f);
    QCOMPARE(g.Text1.top, 240.f);
    QCOMPARE(g.Label1.top, 0.f);
    QCOMPARE(g.Label2.top, 0.f);
    QCOMPARE(g.Label1.width, 1095.f);
    QCOMPARE(g.Label2.width, 1695.f);
    QCOMPARE(g.Label1.height, 255.f);
    QCOMPARE(g.Label2.height, 255.f);
}

void TestViewerLayout::laterStepsReadRefusedValues()
{
    // After a good layout, a minimise keeps the sizes of the last one.
    ViewerGeometry g;
    layoutViewer(g, 8000, 6000);
    layoutViewer(g, 40, 100);
    QCOMPARE(g.txtEdit.width, 20.f);
    QCOMPARE(g.txtEdit.height, 5780.f);
    QCOMPARE(g.Text1.left, 70.f);
    QCOMPARE(g.Text1.width, 3950.f);
    QCOMPARE(g.Text1.height, 5780.f);
    QCOMPARE(g.Label1.left, 10.f - 547.5f);
    QCOMPARE(g.Label2.left, 1975.f + 70.f - 847.5f);
    // Restoring runs the layout again and matches the new size.
    layoutViewer(g, 7575, 4995);
    QCOMPARE(g.Text1.width, 3737.5f);
    QCOMPARE(g.txtEdit.height, 4775.f);
}

void TestViewerLayout::placement_data()
{
    QTest::addColumn<QSizeF>("window");
    QTest::addColumn<QSizeF>("screen");
    QTest::addColumn<QPointF>("expected");
    QTest::newRow("centred") << QSizeF(7575, 5500) << QSizeF(19200, 14400) << QPointF(5812.5, 4450);
    QTest::newRow("taller than the screen") << QSizeF(7575, 20000) << QSizeF(19200, 14400) << QPointF(5812.5, -2800);
    QTest::newRow("wider than the screen") << QSizeF(30000, 5000) << QSizeF(19200, 14400) << QPointF(-5400, 4700);
}

void TestViewerLayout::placement()
{
    QFETCH(QSizeF, window);
    QFETCH(QSizeF, screen);
    QFETCH(QPointF, expected);
    const TwipsPoint p =
        centreOnScreen(float(window.width()), float(window.height()), float(screen.width()), float(screen.height()));
    QCOMPARE(p.left, float(expected.x()));
    QCOMPARE(p.top, float(expected.y()));
}

QTEST_APPLESS_MAIN(TestViewerLayout)
#include "tst_viewerlayout.moc"
