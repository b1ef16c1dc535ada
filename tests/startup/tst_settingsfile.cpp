#include "startup/settingsfile.h"

#include "support/hostfiles.h"
#include "support/testdrive.h"

#include <QFile>
#include <QTest>

using namespace quorvane;

namespace {

const QString Section = QStringLiteral("Brannick Quorvane");
const QString Key = QStringLiteral("UserDef");
const QString Default = QStringLiteral("*.cdr;*.scr");

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT

private slots:
    // Hand-written files read as the program reads its one setting.
    void read_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("stored value") << QByteArray("[Brannick Quorvane]\r\nUserDef=*.psd;*.ai\r\n") << "*.psd;*.ai";
        QTest::newRow("lower-case names") << QByteArray("[brannick quorvane]\r\nuserdef=*.x\r\n") << "*.x";
        QTest::newRow("LF only") << QByteArray("[Brannick Quorvane]\nUserDef=*.x\n") << "*.x";
        QTest::newRow("empty value") << QByteArray("[Brannick Quorvane]\r\nUserDef=\r\n") << Default;
        QTest::newRow("blank value") << QByteArray("[Brannick Quorvane]\r\nUserDef=   \r\n") << Default;
        QTest::newRow("no key") << QByteArray("[Brannick Quorvane]\r\nOther=1\r\n") << Default;
        QTest::newRow("no section") << QByteArray("[Other]\r\nUserDef=*.x\r\n") << Default;
        QTest::newRow("no header at all") << QByteArray("UserDef=*.x\r\n") << Default;
        QTest::newRow("empty file") << QByteArray() << Default;
        QTest::newRow("windows-1252 text")
            << QByteArray("[Brannick Quorvane]\r\nUserDef=\xc4rger*.\x80\r\n") << QString::fromUtf8("Ärger*.€");
        QTest::newRow("binary junk") << QByteArray("\x00\x01\xff\xfe[\r\n\x1a=\x00", 11) << Default;
        QTest::newRow("3000 characters cut to 2047")
            << QByteArray("[Brannick Quorvane]\r\nUserDef=" + QByteArray(2000, 'a') + QByteArray(1000, 'b') + "\r\n")
            << QString(QString(2000, QLatin1Char('a')) + QString(47, QLatin1Char('b')));
    }
    void read()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        TestDrive drive('T');
        QVERIFY(drive.isValid());
        QVERIFY(writeHostFile(drive.host(QStringLiteral("Quorvane.ini")), content));
        QCOMPARE(ReadIniString(Section, Key, QStringLiteral("T:\\Quorvane.ini"), Default), expected);
    }

    void readWithoutFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("missing file") << "T:\\Quorvane.ini";
        QTest::newRow("missing folder") << "T:\\fehlt\\Quorvane.ini";
        QTest::newRow("missing drive") << "Q:\\Quorvane.ini";
        QTest::newRow("a folder") << "T:\\";
        QTest::newRow("empty name") << "";
    }
    void readWithoutFile()
    {
        QFETCH(QString, file);
        TestDrive drive('T');
        QVERIFY(drive.isValid());
        QCOMPARE(ReadIniString(Section, Key, file, Default), Default);
    }

    // A file over the size limit is neither read nor cut short by a rewrite.
    void oversizedFile()
    {
        TestDrive drive('T');
        QVERIFY(drive.isValid());
        QByteArray content("[Brannick Quorvane]\r\nUserDef=*.big\r\n;");
        content.append(QByteArray(SettingsFileLimit, 'x'));
        const QString host = drive.host(QStringLiteral("Quorvane.ini"));
        QVERIFY(writeHostFile(host, content));
        QCOMPARE(ReadIniString(Section, Key, QStringLiteral("T:\\Quorvane.ini"), Default), Default);
        QCOMPARE(WriteIniString(Section, Key, QStringLiteral("*.new"), QStringLiteral("T:\\Quorvane.ini")), QString());
        QCOMPARE(readHostFile(host), content);
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("before"); // "<none>": no file
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("new file") << QByteArray("<none>") << "*.a;*.b"
                                  << QByteArray("[Brannick Quorvane]\r\nUserDef=*.a;*.b\r\n");
        QTest::newRow("new section") << QByteArray("; Notiz\n[Fenster]\nLinks=10\n") << "*.a"
                                     << QByteArray(
                                            "; Notiz\n[Fenster]\nLinks=10\n[Brannick Quorvane]\r\nUserDef=*.a\r\n");
        QTest::newRow("replaced in place")
            << QByteArray("[A]\r\nx=1\r\n[BRANNICK QUORVANE]\nuserdef=alt\n; Kommentar\n[B]\r\ny=2") << "*.neu"
            << QByteArray("[A]\r\nx=1\r\n[BRANNICK QUORVANE]\nUserDef=*.neu\n; Kommentar\n[B]\r\ny=2");
        QTest::newRow("empty text") << QByteArray("[Brannick Quorvane]\r\nUserDef=*.a\r\n") << ""
                                    << QByteArray("[Brannick Quorvane]\r\nUserDef=\r\n");
        QTest::newRow("windows-1252 bytes") << QByteArray("<none>") << QString::fromUtf8("Ärger€ 中")
                                            << QByteArray("[Brannick Quorvane]\r\nUserDef=\xc4rger\x80 ?\r\n");
        QTest::newRow("line breaks stay in the line")
            << QByteArray("[Brannick Quorvane]\r\nUserDef=x\r\n") << "*.a\r\n[Evil]\nUserDef=b"
            << QByteArray("[Brannick Quorvane]\r\nUserDef=*.a  [Evil] UserDef=b\r\n");
    }
    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        TestDrive drive('T');
        QVERIFY(drive.isValid());
        const QString host = drive.host(QStringLiteral("Quorvane.ini"));
        if (before != "<none>")
            QVERIFY(writeHostFile(host, before));
        // An existing file is found whatever the case of the name given.
        const QString file =
            before == "<none>" ? QStringLiteral("T:\\Quorvane.ini") : QStringLiteral("t:\\quorvane.INI");
        QCOMPARE(WriteIniString(Section, Key, value, file), QString());
        QCOMPARE(readHostFile(host), after);
    }

    // What one run stores, the next start reads; an emptied box gives the default again.
    void roundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("pattern list") << "*.cdr;*.psd;*.ai"
                                      << "*.cdr;*.psd;*.ai";
        QTest::newRow("emptied") << "" << Default;
        QTest::newRow("umlauts") << QString::fromUtf8("*.äöü;*.ß") << QString::fromUtf8("*.äöü;*.ß");
        QTest::newRow("long value cut") << QString(3000, QLatin1Char('z')) << QString(2047, QLatin1Char('z'));
    }
    void roundTrip()
    {
        QFETCH(QString, value);
        QFETCH(QString, expected);
        TestDrive drive('T');
        QVERIFY(drive.isValid());
        const QString file = QStringLiteral("T:\\Quorvane.ini");
        (void)WriteIniString(Section, Key, QStringLiteral("*.first"), file);
        (void)WriteIniString(Section, Key, value, file);
        QCOMPARE(ReadIniString(Section, Key, file, Default), expected);
        QCOMPARE(ReadIniString(Section, Key, file, Default), expected); // nothing cached, same answer
    }

    void writeIntoMissingFolderCreatesNothing()
    {
        TestDrive drive('T');
        QVERIFY(drive.isValid());
        QCOMPARE(WriteIniString(Section, Key, QStringLiteral("x"), QStringLiteral("T:\\fehlt\\Quorvane.ini")),
                 QString());
        QVERIFY(!QFile::exists(drive.host(QStringLiteral("fehlt"))));
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
