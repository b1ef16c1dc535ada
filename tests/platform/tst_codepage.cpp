#include "platform/codepage.h"

#include <QtTest>

using quorvane::platform::codePageCode;
using quorvane::platform::fromCodePage;
using quorvane::platform::toCodePage;

class TestCodePage : public QObject {
    Q_OBJECT

private slots:
    void encodes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << QStringLiteral("C:\\a.txt") << QByteArray("C:\\a.txt");
        QTest::newRow("umlauts") << QStringLiteral("Äöß") << QByteArray("\xC4\xF6\xDF");
        QTest::newRow("euro and quotes") << QStringLiteral("€„“") << QByteArray("\x80\x84\x93");
        QTest::newRow("outside the page") << QStringLiteral("a中b") << QByteArray("a?b");
        QTest::newRow("surrogate pair is one character") << QStringLiteral("x😀y") << QByteArray("x?y");
        QTest::newRow("lone surrogate") << QString(QChar(0xDC80)) << QByteArray("?");
        QTest::newRow("empty") << QString() << QByteArray();
    }
    void encodes()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(toCodePage(text), bytes);
    }

    void codeOfOneCharacter_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::newRow("ascii") << QStringLiteral("A") << 65;
        QTest::newRow("umlaut") << QStringLiteral("ä") << 0xE4;
        QTest::newRow("euro") << QStringLiteral("€") << 0x80;
        QTest::newRow("outside the page") << QStringLiteral("中") << 63;
        QTest::newRow("surrogate pair") << QStringLiteral("😀") << 63;
        QTest::newRow("two characters") << QStringLiteral("ab") << -1;
        QTest::newRow("nothing") << QString() << -1;
    }
    void codeOfOneCharacter()
    {
        QFETCH(QString, text);
        QFETCH(int, code);
        QCOMPARE(codePageCode(text), code);
    }

    void everyByteSurvivesARoundTrip()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = fromCodePage(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(toCodePage(text), all);
        QCOMPARE(text.at(0x80), QChar(0x20AC));
        QCOMPARE(text.at(0xE4), QChar(0xE4));
    }
};

QTEST_APPLESS_MAIN(TestCodePage)
#include "tst_codepage.moc"
