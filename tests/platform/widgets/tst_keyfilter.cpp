// The file-name key filter: every code by its outcome, and the way typed
// characters reach it.
#include "platform/widgets/keyfilter.h"

#include <QTest>

using namespace quorvane;

namespace {

QList<int> range(int from, int to)
{
    QList<int> out;
    for (int c = from; c <= to; ++c)
        out << c;
    return out;
}

} // namespace

class TestKeyFilter : public QObject {
    Q_OBJECT

private slots:
    void outcome_data()
    {
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<bool>("kept");
        QTest::newRow("kept: Ctrl+C, Backspace, Enter, Ctrl+V") << QList<int>{3, 8, 13, 22} << true;
        QTest::newRow("kept: blank ! & ' + -") << QList<int>{32, 33, 38, 39, 43, 45} << true;
        QTest::newRow("kept: digits") << range(48, 57) << true;
        QTest::newRow("kept: ? @ A to Z") << range(63, 90) << true;
        QTest::newRow("kept: 95 and above, 127 and the upper half") << range(95, 255) << true;
        QTest::newRow("kept: beyond one byte") << QList<int>{256, 1000, 32767} << true;
        QList<int> control = range(0, 31);
        for (int k : {3, 8, 13, 22})
            control.removeOne(k);
        QTest::newRow("dropped: other control codes, Ctrl+X and Ctrl+Z among them") << control << false;
        QTest::newRow("dropped: \" # $ % ( ) * , . /") << QList<int>{34, 35, 36, 37, 40, 41, 42, 44, 46, 47} << false;
        QTest::newRow("dropped: : ; < = >") << range(58, 62) << false;
        QTest::newRow("dropped: [ \\ ] ^") << range(91, 94) << false;
        QTest::newRow("dropped: negative codes") << QList<int>{-1, -128, -32768} << false;
    }

    void outcome()
    {
        QFETCH(QList<int>, codes);
        QFETCH(bool, kept);
        for (int c : codes) {
            short code = static_cast<short>(c);
            FilterKey(code);
            if (kept)
                QVERIFY2(code == c, qPrintable(QStringLiteral("code %1 was dropped").arg(c)));
            else
                QVERIFY2(code == 0, qPrintable(QStringLiteral("code %1 was kept").arg(c)));
        }
    }

    // Together the groups above name all 256 one-byte codes exactly once.
    void everyByteHasOneOutcome()
    {
        int kept = 0;
        for (int c = 0; c < 256; ++c) {
            short code = static_cast<short>(c);
            FilterKey(code);
            kept += code != 0;
        }
        QCOMPARE(kept, 4 + 6 + 10 + 28 + 161);
    }

    void ansiCodes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::newRow("ASCII letter") << "a" << 97;
        QTest::newRow("control character") << "\x18" << 24;
        QTest::newRow("umlaut") << QString::fromUtf8("ä") << 228;
        QTest::newRow("sharp s") << QString::fromUtf8("ß") << 223;
        QTest::newRow("euro sign sits at 128") << QString::fromUtf8("€") << 128;
        QTest::newRow("not in the code page becomes ?") << QString::fromUtf8("字") << 63;
        QTest::newRow("outside the basic plane becomes ?") << QString::fromUtf8("😀") << 63;
        QTest::newRow("two characters are no key") << "ab" << -1;
        QTest::newRow("nothing") << "" << -1;
    }

    void ansiCodes()
    {
        QFETCH(QString, text);
        QFETCH(int, code);
        QCOMPARE(int(ansiKeyCode(text)), code);
    }

    void keyEvents_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("dropped");
        QTest::newRow("letter") << int(Qt::Key_A) << 0 << "a" << false;
        QTest::newRow("umlaut") << int(Qt::Key_Adiaeresis) << 0 << QString::fromUtf8("ä") << false;
        QTest::newRow("full stop") << int(Qt::Key_Period) << 0 << "." << true;
        QTest::newRow("backslash") << int(Qt::Key_Backslash) << 0 << "\\" << true;
        QTest::newRow("colon") << int(Qt::Key_Colon) << int(Qt::ShiftModifier) << ":" << true;
        QTest::newRow("Ctrl+X") << int(Qt::Key_X) << int(Qt::ControlModifier) << "\x18" << true;
        QTest::newRow("Ctrl+V") << int(Qt::Key_V) << int(Qt::ControlModifier) << "\x16" << false;
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << 0 << "\b" << false;
        QTest::newRow("arrow without text") << int(Qt::Key_Left) << 0 << "" << false;
        QTest::newRow("Tab moves the focus") << int(Qt::Key_Tab) << 0 << "\t" << false;
        QTest::newRow("input method, all allowed") << int(Qt::Key_unknown) << 0 << "ab" << false;
        QTest::newRow("input method, one forbidden") << int(Qt::Key_unknown) << 0 << "a*" << true;
    }

    void keyEvents()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(bool, dropped);
        const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
        QCOMPARE(keyDroppedByFilter(event), dropped);
    }
};

QTEST_MAIN(TestKeyFilter)
#include "tst_keyfilter.moc"
