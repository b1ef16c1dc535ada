#include "enginedrive.h"

#include "engine/placement/pathcreation.h"

#include <QFileInfo>
#include <QTest>

using namespace quorvane;

class TestPathCreation : public QObject {
    Q_OBJECT

private slots:
    void createsLevels_data()
    {
        QTest::addColumn<QStringList>("existingDirs");
        QTest::addColumn<QStringList>("existingFiles");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("expected");
        QTest::addColumn<QStringList>("dirsAfter");   // host folders that must exist
        QTest::addColumn<QStringList>("absentAfter"); // host paths that must not exist as folders
        QTest::newRow("missing levels") << QStringList{"Neu"} << QStringList{} << "D:\\Neu\\A\\B" << true
                                        << QStringList{"Neu/A", "Neu/A/B"} << QStringList{};
        QTest::newRow("all exist") << QStringList{"Neu/A/B"} << QStringList{} << "D:\\Neu\\A\\B\\" << true
                                   << QStringList{"Neu/A/B"} << QStringList{};
        QTest::newRow("root only") << QStringList{} << QStringList{} << "D:\\" << true << QStringList{}
                                   << QStringList{};
        QTest::newRow("other letter case") << QStringList{"Neu"} << QStringList{} << "d:\\NEU\\x" << true
                                           << QStringList{"Neu/x"} << QStringList{"NEU"};
        QTest::newRow("level is a file") << QStringList{"Neu"} << QStringList{"Neu/datei"} << "D:\\Neu\\datei\\unter"
                                         << false << QStringList{"Neu"} << QStringList{"Neu/datei/unter"};
        QTest::newRow("missing drive") << QStringList{} << QStringList{} << "Q:\\Neu\\A" << false << QStringList{}
                                       << QStringList{"Neu"};
        QTest::newRow("not a drive path")
            << QStringList{} << QStringList{} << "Neu\\A" << false << QStringList{} << QStringList{"Neu"};
    }

    void createsLevels()
    {
        QFETCH(QStringList, existingDirs);
        QFETCH(QStringList, existingFiles);
        QFETCH(QString, path);
        QFETCH(bool, expected);
        QFETCH(QStringList, dirsAfter);
        QFETCH(QStringList, absentAfter);
        EngineDrive drive;
        for (const QString &dir : existingDirs)
            QVERIFY(drive.makeDir(dir));
        for (const QString &file : existingFiles)
            QVERIFY(drive.makeFile(file));
        drive.toolkit.setBusyCursor();

        QString given = path;
        QCOMPARE(CreatePath(given), expected);
        QCOMPARE(given, path.endsWith('\\') ? path : path + '\\');
        for (const QString &dir : dirsAfter)
            QVERIFY2(QFileInfo(drive.host(dir)).isDir(), qPrintable(dir));
        for (const QString &absent : absentAfter)
            QVERIFY2(!QFileInfo(drive.host(absent)).isDir(), qPrintable(absent));
        for (const QString &file : existingFiles)
            QVERIFY(QFileInfo(drive.host(file)).isFile());
        // The busy pointer gives way to the arrow only on success.
        QCOMPARE(drive.toolkit.isBusy(), !expected);
    }

    void entersTheCreatedPath()
    {
        EngineDrive drive;
        QString path = QStringLiteral("D:\\eins\\zwei");
        QVERIFY(CreatePath(path));
        QCOMPARE(drive.fs().currentDrive(), QStringLiteral("D:"));
        QCOMPARE(drive.fs().currentDirectory(), QStringLiteral("D:\\eins\\zwei"));
    }
};

QTEST_GUILESS_MAIN(TestPathCreation)
#include "test_pathcreation.moc"
