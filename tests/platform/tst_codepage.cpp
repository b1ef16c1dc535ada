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
        QTest::newRow("one umlaut") << QStringLiteral("ä") << QByteArray("\xE4");
        QTest::newRow("one surrogate pair") << QStringLiteral("😀") << QByteArray("?");
    }
    void encodes()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(toCodePage(text), bytes);
        // A key's code: one character gives its one byte, anything else -1.
        QCOMPARE(codePageCode(text), bytes.size() == 1 ? int(static_cast<unsigned char>(bytes.at(0))) : -1);
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
