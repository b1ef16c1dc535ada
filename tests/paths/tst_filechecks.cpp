#include "paths/pathhelpers.h"

#include "support/hostfiles.h"
#include "support/testdrive.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace quorvane;

namespace {

// T: holds Daten/bild.jpg (empty), Daten/Leer/ and Daten/.versteckt.
bool fillDrive(const TestDrive &drive)
{
    return QDir().mkpath(drive.host(QStringLiteral("Daten/Leer")))
        && writeHostFile(drive.host(QStringLiteral("Daten/bild.jpg")))
        && writeHostFile(drive.host(QStringLiteral("Daten/text.txt")), "Inhalt")
        && writeHostFile(drive.host(QStringLiteral("Daten/.versteckt")), "x");
}

} // namespace

class TestFileChecks : public QObject {
    Q_OBJECT

private slots:
    void fileExists_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("expected");
        QTest::newRow("empty file") << "T:\\Daten\\bild.jpg" << true;
        QTest::newRow("file with content") << "T:\\Daten\\text.txt" << true;
        QTest::newRow("case ignored") << "t:\\DATEN\\BILD.JPG" << true;
        QTest::newRow("hidden file") << "T:\\Daten\\.versteckt" << true;
        QTest::newRow("directory") << "T:\\Daten\\Leer" << false;
        QTest::newRow("file named as a folder") << "T:\\Daten\\bild.jpg\\" << false;
        QTest::newRow("root") << "T:\\" << false;
        QTest::newRow("missing") << "T:\\Daten\\fehlt.jpg" << false;
        QTest::newRow("missing folder") << "T:\\Fehlt\\bild.jpg" << false;
        QTest::newRow("unmapped drive") << "Q:\\bild.jpg" << false;
        QTest::newRow("empty") << "" << false;
    }
    void fileExists()
    {
        QFETCH(QString, path);
        QFETCH(bool, expected);
        TestDrive drive('T');
        QVERIFY(drive.isValid() && fillDrive(drive));
        const int nextNumber = drive.fs().freeFile();
        QCOMPARE(FileExists(path), expected);
        // The test open leaves no file number in use.
        QCOMPARE(drive.fs().freeFile(), nextNumber);
    }

    void dirExists_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("expected");
        QTest::newRow("directory") << "T:\\Daten" << true;
        QTest::newRow("with backslash") << "T:\\Daten\\" << true;
        QTest::newRow("empty directory") << "T:\\Daten\\Leer" << true;
        QTest::newRow("case ignored") << "t:\\daten\\LEER" << true;
        QTest::newRow("file") << "T:\\Daten\\bild.jpg" << false;
        QTest::newRow("missing") << "T:\\Daten\\Fehlt" << false;
        QTest::newRow("unmapped drive") << "Q:\\Daten" << false;
        QTest::newRow("root of a drive with files") << "T:\\" << true;
        QTest::newRow("root of an empty drive") << "E:\\" << false;
    }
    void dirExists()
    {
        QFETCH(QString, path);
        QFETCH(bool, expected);
        QTemporaryDir empty;
        QVERIFY(empty.isValid());
        TestDrive drive('T', nullptr, {{'E', empty.path()}});
        QVERIFY(drive.isValid() && fillDrive(drive));
        QCOMPARE(DirExists(path), expected);
    }

    // The empty string tests the root of the current drive.
    void dirExistsOfEmptyString()
    {
        TestDrive drive('T');
        QVERIFY(drive.isValid());
        QVERIFY(drive.fs().changeDrive(QStringLiteral("T:")).ok());
        QCOMPARE(DirExists(QString()), false);
        QVERIFY(writeHostFile(drive.host(QStringLiteral("x.txt"))));
        QCOMPARE(DirExists(QString()), true);
    }
};

QTEST_GUILESS_MAIN(TestFileChecks)
#include "tst_filechecks.moc"
