#include "paths/longname.h"

#include "support/testdrive.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace quorvane;

class TestLongName : public QObject {
    Q_OBJECT

private slots:
    void recasing_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("short names") << "C:\\PROGRA~1\\MEINE DATEIEN"
                                     << "C:\\Progra~1\\Meine Dateien";
        QTest::newRow("all five separators") << "d:\\foto-archiv\\urlaub_2007 (alt)"
                                             << "D:\\Foto-Archiv\\Urlaub_2007 (Alt)";
        QTest::newRow("dot is no separator") << "README.TXT"
                                             << "Readme.txt";
        QTest::newRow("drive") << "c:"
                               << "C:";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("single character") << "x"
                                          << "X";
        QTest::newRow("digit lowers the next") << "2007ABC 9X"
                                               << "2007abc 9x";
        QTest::newRow("other marks lower the next") << "A.B,C;D"
                                                    << "A.b,c;d";
        QTest::newRow("sharp s keeps its length") << "STRAßE ßA"
                                                  << "Straße ßa";
        QTest::newRow("umlaut after separator") << "x_ärger"
                                                << "X_Ärger";
        QTest::newRow("slash is no separator") << "a/bc"
                                               << "A/bc";
    }
    void recasing()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(RecaseWords(path), expected);
        QVERIFY(RecaseWords(path).size() <= path.size());
    }

    // Paths that do not exist take the re-casing route.
    void missingPathIsRecased_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("short names") << "T:\\PROGRA~1\\MEINE DATEIEN"
                                     << "T:\\Progra~1\\Meine Dateien";
        QTest::newRow("separators") << "t:\\foto-archiv\\urlaub_2007 (alt)"
                                    << "T:\\Foto-Archiv\\Urlaub_2007 (Alt)";
        QTest::newRow("unmapped drive") << "q:\\DATEN"
                                        << "Q:\\Daten";
        QTest::newRow("bare drive") << "t:"
                                    << "T:";
        QTest::newRow("empty") << ""
                               << "";
    }
    void missingPathIsRecased()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        TestDrive drive('T');
        QVERIFY(drive.isValid());
        QCOMPARE(GetLongName(path), expected);
    }

    // An existing path comes back with every component as stored, however
    // oddly cased: no re-casing.
    void existingPathAsStored_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::newRow("mixed case kept") << "MeIN oRDNER/sub-DIR"
                                         << "T:\\mein ordner\\SUB-dir";
        QTest::newRow("upper case kept") << "FOTOS/URLAUB 2007"
                                         << "T:\\fotos\\urlaub 2007";
        QTest::newRow("file") << "Daten/BILD.jpg"
                              << "T:\\DATEN\\bild.JPG";
        QTest::newRow("trailing backslash kept") << "Daten/Fotos"
                                                 << "T:\\daten\\fotos\\";
    }
    void existingPathAsStored()
    {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        TestDrive drive('T');
        QVERIFY(drive.isValid());
        const QString host = drive.host(stored);
        if (stored.endsWith(QLatin1String(".jpg"))) {
            QVERIFY(QDir().mkpath(QFileInfo(host).path()));
            QFile file(host);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else {
            QVERIFY(QDir().mkpath(host));
        }
        QString expected = QStringLiteral("T:\\") + stored;
        expected.replace(QLatin1Char('/'), QLatin1Char('\\'));
        if (typed.endsWith(QLatin1Char('\\')))
            expected.append(QLatin1Char('\\'));
        QCOMPARE(GetLongName(typed), expected);
    }

    // Relative forms stay relative; only the names take their stored spelling.
    void relativePathKeepsItsForm_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("relative") << "unter\\datei.TXT"
                                  << "Unter\\Datei.txt";
        QTest::newRow("dots and trailing backslash") << ".\\unter\\..\\UNTER\\"
                                                     << ".\\Unter\\..\\Unter\\";
        QTest::newRow("drive-relative") << "t:UNTER"
                                        << "t:Unter";
        QTest::newRow("rooted") << "\\basis\\unter"
                                << "\\Basis\\Unter";
        // A host name may hold ":"; only a letter before it names a drive.
        QTest::newRow("colon after a digit") << "1:X"
                                             << "1:x";
    }
    void relativePathKeepsItsForm()
    {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        TestDrive drive('T');
        QVERIFY(drive.isValid());
        QVERIFY(QDir().mkpath(drive.host(QStringLiteral("Basis/Unter"))));
        QFile file(drive.host(QStringLiteral("Basis/Unter/Datei.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QFile colon(drive.host(QStringLiteral("Basis/1:x")));
        QVERIFY(colon.open(QIODevice::WriteOnly));
        QVERIFY(drive.fs().changeDrive(QStringLiteral("T:")).ok());
        QVERIFY(drive.fs().changeDirectory(QStringLiteral("T:\\Basis")).ok());
        QCOMPARE(GetLongName(typed), expected);
    }

    void partlyExistingPathIsRecased()
    {
        TestDrive drive('T');
        QVERIFY(drive.isValid());
        QVERIFY(QDir().mkpath(drive.host(QStringLiteral("VORHANDEN"))));
        QCOMPARE(GetLongName(QStringLiteral("T:\\VORHANDEN\\FEHLT")), QStringLiteral("T:\\Vorhanden\\Fehlt"));
    }
};

QTEST_GUILESS_MAIN(TestLongName)
#include "tst_longname.moc"
