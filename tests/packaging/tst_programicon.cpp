// Qt draws SVG Tiny only and quietly leaves out whatever else a file uses;
// without its SVG plugin it draws no icon at all. Both would leave every
// window of the program with a blank icon and nothing to tell.
#include <QIcon>
#include <QImage>
#include <QTest>

class TestProgramIcon : public QObject {
    Q_OBJECT

private:
    // The colour at a point given on the drawing's own 128 x 128 grid.
    static QColor at(const QImage &image, int x, int y)
    {
        return image.pixelColor(x * image.width() / 128, y * image.height() / 128);
    }

private slots:
    void drawnAtEverySize_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {24, 32, 48, 64, 256})
            QTest::addRow("%d px", size) << size;
    }
    void drawnAtEverySize()
    {
        QFETCH(int, size);
        const QIcon icon(QStringLiteral(":/icons/quorvane.svg"));
        QVERIFY2(!icon.isNull(), "no icon: the resource or Qt's SVG icon plugin is missing");
        const QImage image = icon.pixmap(QSize(size, size), 1.0).toImage();
        QCOMPARE(image.size(), QSize(size, size));

        QCOMPARE(at(image, 1, 1).alpha(), 0); // outside the rounded square
        const QColor ground = at(image, 18, 64);
        QVERIFY2(ground.alpha() == 255 && ground.blue() > 90 && ground.red() < 80, qPrintable(ground.name()));
        const QColor sheet = at(image, 40, 46);
        QVERIFY2(sheet.red() > 230 && sheet.green() > 230 && sheet.blue() > 230, qPrintable(sheet.name()));
        const QColor handle = at(image, 99, 97);
        QVERIFY2(handle.red() > 200 && handle.green() > 140 && handle.blue() < 90, qPrintable(handle.name()));
    }
};

QTEST_MAIN(TestProgramIcon)
#include "tst_programicon.moc"
