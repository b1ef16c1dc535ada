#include "ui/viewer/linepane.h"
#include "ui/viewer/panetext.h"

#include <QTest>

using namespace quorvane;

using Batches = QList<QStringList>;

class TestPaneText : public QObject {
    Q_OBJECT
private slots:
    void paneRule_data();
    void paneRule();
    void appendsAfterTypedText();
    void clearedPaneStartsAfresh();
    void fillLeavesNoUndoStep();
    void longListInBatches();
};

void TestPaneText::paneRule_data()
{
    QTest::addColumn<Batches>("batches");
    QTest::addColumn<QString>("expected");

    const QStringList abc{"C:\\a.txt", "C:\\b.txt", "C:\\c.txt"};
    const QString abcText = "C:\\a.txt\r\nC:\\b.txt\r\nC:\\c.txt";
    QTest::newRow("three in one call") << Batches{abc} << abcText;
    QTest::newRow("three in three calls") << Batches{{abc[0]}, {abc[1]}, {abc[2]}} << abcText;
    QTest::newRow("nothing") << Batches{} << QString();
    QTest::newRow("empty call") << Batches{{}} << QString();
    QTest::newRow("empty first entry adds nothing") << Batches{{"", "a", "b"}} << "a\r\nb";
    QTest::newRow("empty entries in separate calls") << Batches{{""}, {""}, {"a"}, {"b"}} << "a\r\nb";
    QTest::newRow("only empty entries") << Batches{{"", "", ""}} << QString();
    QTest::newRow("later empty entry adds an empty line") << Batches{{"a", "", "b"}} << "a\r\n\r\nb";
    QTest::newRow("empty entry at the end") << Batches{{"a"}, {""}} << "a\r\n";
    QTest::newRow("after a trailing empty line") << Batches{{"a", ""}, {"b"}} << "a\r\n\r\nb";
    QTest::newRow("umlauts and no-break space kept")
        << Batches{{QString::fromUtf8("C:\\Ä\u00a0ö ß.txt"), QString::fromUtf8("\u00a0")}}
        << QString::fromUtf8("C:\\Ä\u00a0ö ß.txt\r\n\u00a0");
    QTest::newRow("blanks are entries") << Batches{{" ", "  "}} << " \r\n  ";
    // A name holding a line break stays one line, in the pane as in a saved list.
    QTest::newRow("line breaks inside names")
        << Batches{{"C:\\li\nne.txt", "C:\\cr\rx.txt", QString::fromUtf8("C:\\p\u2029q.txt")}}
        << "C:\\li?ne.txt\r\nC:\\cr?x.txt\r\nC:\\p?q.txt";
}

void TestPaneText::paneRule()
{
    QFETCH(Batches, batches);
    QFETCH(QString, expected);
    LinePane pane;
    for (const QStringList &batch : batches)
        pane.appendEntries(batch);
    QCOMPARE(paneText(pane), expected);
    QCOMPARE(pane.isEmpty(), expected.isEmpty());
}

void TestPaneText::appendsAfterTypedText()
{
    LinePane pane;
    pane.setFocus();
    QTest::keyClicks(&pane, "xy");
    pane.appendEntries({"a"});
    QCOMPARE(paneText(pane), QString("xy\r\na"));

    // A user who leaves one line end behind leaves a pane that is not empty.
    LinePane other;
    QTest::keyClick(&other, Qt::Key_Return);
    QVERIFY(!other.isEmpty());
    other.appendEntries({"a"});
    QCOMPARE(paneText(other), QString("\r\n\r\na"));
}

void TestPaneText::clearedPaneStartsAfresh()
{
    LinePane pane;
    pane.appendEntries({"a", "b"});
    pane.clear();
    QVERIFY(pane.isEmpty());
    pane.appendEntries({"", "c"});
    QCOMPARE(paneText(pane), QString("c"));
}

void TestPaneText::fillLeavesNoUndoStep()
{
    LinePane pane;
    pane.appendEntries({"a", "b"});
    QVERIFY(!pane.canUndo());
    // The user's own typing stays undoable.
    pane.setCursorPosition(pane.lines().end());
    QTest::keyClicks(&pane, "z");
    QVERIFY(pane.canUndo());
}

void TestPaneText::longListInBatches()
{
    // How the time grows with the list is measured in bench/ (pane_driver).
    LinePane pane;
    pane.show();
    QStringList batch;
    for (int i = 0; i < 1000; ++i)
        batch.append(QStringLiteral("C:\\Daten\\Urlaub\\bild%1.jpg").arg(i, 5, 10, QChar('0')));
    for (int round = 0; round < 5; ++round)
        pane.appendEntries(batch);
    QCOMPARE(pane.lines().lineCount(), 5000);
    const QString text = paneText(pane);
    QCOMPARE(text.count(QStringLiteral("\r\n")), 4999);
    QVERIFY(text.endsWith(QStringLiteral("bild00999.jpg")));
}

QTEST_MAIN(TestPaneText)
#include "tst_panetext.moc"
