#include "paths/portablename.h"

#include "platform/namecodec.h"

#include <QTest>

using namespace quorvane;

class TestPortableName : public QObject {
    Q_OBJECT

private slots:
    void lookAlikes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain name unchanged") << "Urlaub 2007.jpg" << "Urlaub 2007.jpg";
        QTest::newRow("umlauts unchanged") << "Ärger.txt" << "Ärger.txt";
        QTest::newRow("colon and question mark") << "b:c?.jpg" << u"b\uFF1Ac\uFF1F.jpg"_qs;
        QTest::newRow("all refused marks") << "\"*<>|" << u"\uFF02\uFF0A\uFF1C\uFF1E\uFF5C"_qs;
        QTest::newRow("backslash of a host name")
            << QStringLiteral("a") + QChar(platform::BackslashInName) + QStringLiteral("b") << u"a\uFF3Cb"_qs;
        QTest::newRow("control character") << QStringLiteral("a") + QChar(0x01) + QStringLiteral("b") << u"a\u2401b"_qs;
        QTest::newRow("trailing dot and blank") << "name. " << u"name\uFF0E\u3000"_qs;
        QTest::newRow("inner dot kept") << "a.b.c" << "a.b.c";
        QTest::newRow("device name") << "con" << u"co\uFF4E"_qs;
        QTest::newRow("device name before a dot") << "LPT1.txt" << u"LPT\uFF11.txt"_qs;
        QTest::newRow("not a device name") << "CONSOLE.txt" << "CONSOLE.txt";
        QTest::newRow("COM0 is no device") << "COM0" << "COM0";
    }
    void lookAlikes()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(portableName(name), expected);
    }

    void asciiOnly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain ASCII unchanged") << "a.jpg" << "a.jpg";
        QTest::newRow("colon") << "b:c.jpg" << "b%3Ac.jpg";
        QTest::newRow("umlaut as UTF-8 bytes") << "ä.txt" << "%C3%A4.txt";
        QTest::newRow("beyond the BMP") << u"\U0001F600"_qs << "%F0%9F%98%80";
        QTest::newRow("trailing dot") << "x." << "x%2E";
    }
    void asciiOnly()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(portableName(name, NameRule::Ascii), expected);
    }

    void undecodableByteBecomesItsValue()
    {
        const QString name = platform::decodeName(QByteArray("a\xff.txt"));
        QCOMPARE(portableName(name), QStringLiteral("a%FF.txt"));
    }

    // Too long for the disk: the end of the stem goes, the extension stays,
    // and no character is cut in half.
    void longNamesKeepTheirExtension()
    {
        const QString umlauts(200, QChar(u'ä'));
        const QString out = portableName(umlauts + umlauts + QStringLiteral(".jpeg"));
        QVERIFY(out.endsWith(QStringLiteral(".jpeg")));
        QVERIFY(platform::encodeName(out).size() <= 255);
        QVERIFY(out.size() <= 255);
        QVERIFY(out.startsWith(QStringLiteral("ää")));

        const QString faces = QString(u"\U0001F600"_qs).repeated(140);
        const QString cut = portableName(faces);
        QVERIFY(cut.size() <= 255);
        QVERIFY(!cut.back().isHighSurrogate());
    }

    void pathMapsEveryComponent()
    {
        QCOMPARE(portablePath(QStringLiteral("a?\\con\\b:c")), u"a\uFF1F\\co\uFF4E\\b\uFF1Ac"_qs);
    }
};

QTEST_GUILESS_MAIN(TestPortableName)
#include "tst_portablename.moc"
