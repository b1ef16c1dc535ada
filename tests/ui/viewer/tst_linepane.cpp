#include "ui/viewer/linepane.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTest>

using namespace quorvane;

class TestLinePane : public QObject {
    Q_OBJECT
private slots:
    void editing_data();
    void editing();
    void typingUndoesAsOneStep();
    void sharedLinesSurviveTheirList();
    void deletingAMillionLinesUndoes();
    void clickPlacesTheCursor();
    void contextMenuOffersQtsTexts();
};

// Tokens: ":text" is typed, anything else is a key sequence.
void TestLinePane::editing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("line");
    QTest::addColumn<qsizetype>("column");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("expected");

    const QString pair = QString::fromUtf8("a\U00010400b");
    QTest::newRow("typed in the middle") << "abc" << qsizetype(0) << qsizetype(1) << QStringList{":XY"} << "aXYbc";
    QTest::newRow("return splits") << "abc" << qsizetype(0) << qsizetype(1) << QStringList{"Return"} << "a\nbc";
    QTest::newRow("backspace joins lines") << "a\nb" << qsizetype(1) << qsizetype(0) << QStringList{"Backspace"}
                                           << "ab";
    QTest::newRow("delete joins lines") << "a\nb" << qsizetype(0) << qsizetype(1) << QStringList{"Del"} << "ab";
    QTest::newRow("selection replaced") << "abc\ndef" << qsizetype(0) << qsizetype(1)
                                        << QStringList{"Shift+Down", ":X"} << "aXef";
    QTest::newRow("all deleted") << "abc\ndef" << qsizetype(0) << qsizetype(0) << QStringList{"Ctrl+A", "Del"}
                                 << "";
    QTest::newRow("column kept over a short line")
        << "abcdef\nx\nabcdef" << qsizetype(0) << qsizetype(4) << QStringList{"Down", "Down", ":Z"}
        << "abcdef\nx\nabcdZef";
    QTest::newRow("left ends a selection at its start")
        << "abcd" << qsizetype(0) << qsizetype(3) << QStringList{"Shift+Left", "Shift+Left", "Left", ":_"} << "a_bcd";
    QTest::newRow("surrogate pair as one") << pair << qsizetype(0) << qsizetype(1)
                                           << QStringList{"Right", "Backspace"} << "ab";
    QTest::newRow("word deleted") << "C:\\Daten\\bild" << qsizetype(0) << qsizetype(13)
                                  << QStringList{"Ctrl+Backspace"} << "C:\\Daten\\";
    QTest::newRow("end of text") << "a\nbc" << qsizetype(0) << qsizetype(0) << QStringList{"Ctrl+End", ":!"}
                                 << "a\nbc!";
    QTest::newRow("undo and redo") << "ab" << qsizetype(0) << qsizetype(2)
                                   << QStringList{"Return", ":c", "Ctrl+Z", "Ctrl+Z", "Ctrl+Shift+Z"} << "ab\n";
}

void TestLinePane::editing()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, line);
    QFETCH(qsizetype, column);
    QFETCH(QStringList, keys);
    QFETCH(QString, expected);
    LinePane pane;
    pane.setPlainText(text);
    pane.setCursorPosition({line, column});
    for (const QString &key : keys) {
        if (key.startsWith(u':'))
            QTest::keyClicks(&pane, key.mid(1));
        else
            QTest::keySequence(&pane, QKeySequence(key));
    }
    QCOMPARE(pane.toPlainText(), expected);
}

void TestLinePane::typingUndoesAsOneStep()
{
    LinePane pane;
    pane.appendEntries({"C:\\a.txt", "C:\\b.txt"});
    pane.setCursorPosition(pane.lines().end());
    QTest::keyClicks(&pane, "xyz");
    QCOMPARE(pane.toPlainText(), QString("C:\\a.txt\nC:\\b.txtxyz"));
    pane.undo();
    QCOMPARE(pane.toPlainText(), QString("C:\\a.txt\nC:\\b.txt"));
    QVERIFY(!pane.canUndo());
    pane.redo();
    QCOMPARE(pane.toPlainText(), QString("C:\\a.txt\nC:\\b.txtxyz"));
}

void TestLinePane::sharedLinesSurviveTheirList()
{
    StringList list(true);
    for (const char *name : {"C:\\c", "", "C:\\a", "C:\\li\nne"})
        list.addItem(QString::fromUtf8(name));
    LinePane pane;
    pane.showList(list);
    // Sorted, the empty entry comes first and is left out, as appended.
    const QString shown = "C:\\a\nC:\\c\nC:\\li?ne";
    QCOMPARE(pane.toPlainText(), shown);
    list.clear();
    list.addItem("C:\\new");
    QCOMPARE(pane.toPlainText(), shown);
    QCOMPARE(list.item(0), QString("C:\\new"));

    // An edit in the middle keeps the shared lines around it.
    pane.setCursorPosition({1, 4});
    QTest::keyClicks(&pane, "2");
    QCOMPARE(pane.toPlainText(), QString("C:\\a\nC:\\c2\nC:\\li?ne"));
    QCOMPARE(pane.lines().longestLine(), 8);
}

void TestLinePane::deletingAMillionLinesUndoes()
{
    StringList list(false);
    const int count = 1000000;
    for (int i = 0; i < count; ++i)
        list.addItem(QStringLiteral("C:\\Daten\\f%1.txt").arg(i));
    LinePane pane;
    pane.showList(list);
    QCOMPARE(pane.lines().lineCount(), count);
    pane.selectAll();
    QTest::keyClick(&pane, Qt::Key_Delete);
    QVERIFY(pane.isEmpty());
    QTest::keySequence(&pane, QKeySequence::Undo);
    QCOMPARE(pane.lines().lineCount(), count);
    QCOMPARE(pane.lines().line(count - 1), QStringLiteral("C:\\Daten\\f%1.txt").arg(count - 1));
}

void TestLinePane::clickPlacesTheCursor()
{
    LinePane pane;
    pane.resize(300, 200);
    pane.setPlainText("first\nsecond\nthird");
    pane.show();
    QVERIFY(QTest::qWaitForWindowExposed(&pane));
    const int line = pane.fontMetrics().lineSpacing();
    const int wide = pane.fontMetrics().horizontalAdvance("sec");
    QTest::mouseClick(pane.viewport(), Qt::LeftButton, {}, QPoint(4 + wide, 4 + line + line / 2));
    QCOMPARE(pane.cursorPosition(), (TextPos{1, 3}));
    QTest::mouseClick(pane.viewport(), Qt::LeftButton, Qt::ShiftModifier, QPoint(4, 4 + 2 * line + line / 2));
    QCOMPARE(pane.selectedText(), QString("ond\n"));
}

void TestLinePane::contextMenuOffersQtsTexts()
{
    LinePane pane;
    pane.setPlainText("abc");
    QGuiApplication::clipboard()->clear();
    std::unique_ptr<QMenu> menu(pane.createContextMenu());
    QStringList texts;
    QStringList enabled;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator())
            continue;
        texts << action->text().section(u'\t', 0, 0);
        if (action->isEnabled())
            enabled << texts.last();
    }
    QCOMPARE(texts, (QStringList{"&Undo", "&Redo", "Cu&t", "&Copy", "&Paste", "Delete", "Select All"}));
    QCOMPARE(enabled, QStringList{"Select All"});
}

QTEST_MAIN(TestLinePane)
#include "tst_linepane.moc"
