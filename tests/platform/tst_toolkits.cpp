// The scripted toolkit that tests drive the engine with, the headless one
// that serves by default, and the process-wide services.
#include "platform/headlesstoolkit.h"
#include "platform/host/hostfilesystem.h"
#include "support/scriptedtoolkit.h"
#include "platform/services.h"

#include <QTest>
#include <QTimer>

using namespace quorvane::platform;

class TestToolkits : public QObject {
    Q_OBJECT

private slots:
    void scriptedAnswersFromQueue();
    void defaultAnswers_data();
    void defaultAnswers();
    void scriptedRunsActionAtYield();
    void headlessRunsEvents();
    void servicesInstallAndRestore();
};

void TestToolkits::scriptedAnswersFromQueue()
{
    ScriptedToolkit tk;
    tk.queueAnswer(AnswerNo);
    tk.queueAnswer(AnswerYes);
    QCOMPARE(tk.messageBox(QStringLiteral("Datei überschreiben?"), 4 + 32, QStringLiteral("Speichern")), int(AnswerNo));
    QCOMPARE(tk.messageBox(QStringLiteral("Noch einmal?"), 4 + 32, QStringLiteral("T")), int(AnswerYes));
    QCOMPARE(tk.messageBox(QStringLiteral("Fertig."), 64, QStringLiteral("T")), int(AnswerOk));
    QCOMPARE(tk.boxes().size(), size_t(3));
    QCOMPARE(tk.boxes()[0].prompt, QStringLiteral("Datei überschreiben?"));
    QCOMPARE(tk.boxes()[0].style, 36);
    QCOMPARE(tk.boxes()[0].title, QStringLiteral("Speichern"));
    QCOMPARE(tk.boxes()[2].style, 64);
    QCOMPARE(tk.pendingAnswers(), 0);

    tk.setBusyCursor();
    tk.setBusyCursor();
    QVERIFY(tk.isBusy());
    tk.setDefaultCursor();
    QVERIFY(!tk.isBusy());
    QCOMPARE(tk.busyCursorCalls(), 2);
    QCOMPARE(tk.defaultCursorCalls(), 1);
}

void TestToolkits::defaultAnswers_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("answer");
    QTest::newRow("OK") << 0 << 1;
    QTest::newRow("OK information") << 64 << 1;
    QTest::newRow("OK/Cancel") << 1 << 1;
    QTest::newRow("Yes/No question") << 4 + 32 << 6;
    QTest::newRow("Yes/No, second default") << 4 + 256 << 6;
    QTest::newRow("Yes/No/Cancel") << 3 << 6;
    QTest::newRow("Retry/Cancel") << 5 << 4;
}

void TestToolkits::defaultAnswers()
{
    QFETCH(int, style);
    QFETCH(int, answer);
    ScriptedToolkit scripted;
    QCOMPARE(scripted.messageBox(QStringLiteral("p"), style, QStringLiteral("t")), answer);
    HeadlessToolkit headless;
    QCOMPARE(headless.messageBox(QStringLiteral("p"), style, QStringLiteral("t")), answer);
}

void TestToolkits::scriptedRunsActionAtYield()
{
    ScriptedToolkit tk;
    QStringList trace;
    // The action itself yields, as a nested run does; it must not run twice.
    tk.atYield(2, [&] {
        trace << QStringLiteral("nested start");
        tk.yield();
        trace << QStringLiteral("nested end");
    });
    for (int i = 1; i <= 4; ++i) {
        trace << QStringLiteral("yield %1").arg(i);
        tk.yield();
    }
    QCOMPARE(trace, (QStringList{"yield 1", "yield 2", "nested start", "nested end", "yield 3", "yield 4"}));
    QCOMPARE(tk.yieldCount(), 5);
}

void TestToolkits::headlessRunsEvents()
{
    HeadlessToolkit tk;
    bool ran = false;
    QTimer::singleShot(0, this, [&] { ran = true; });
    tk.yield();
    QVERIFY(ran);
    QCOMPARE(tk.screenSizeTwips(), QSize(15360, 11520));
}

void TestToolkits::servicesInstallAndRestore()
{
    Toolkit &defaultTk = toolkit();
    FileSystem &defaultFs = fileSystem();
    QVERIFY(dynamic_cast<HeadlessToolkit *>(&defaultTk));
    QVERIFY(dynamic_cast<HostFileSystem *>(&defaultFs));
    ScriptedToolkit scripted;
    HostFileSystem other{DriveMap()};
    {
        ScopedPlatform scope(&other, &scripted);
        QCOMPARE(&toolkit(), static_cast<Toolkit *>(&scripted));
        QCOMPARE(&fileSystem(), static_cast<FileSystem *>(&other));
        {
            ScopedPlatform inner(nullptr, nullptr); // changes nothing
            QCOMPARE(&toolkit(), static_cast<Toolkit *>(&scripted));
        }
        QCOMPARE(&toolkit(), static_cast<Toolkit *>(&scripted));
    }
    QCOMPARE(&toolkit(), &defaultTk);
    QCOMPARE(&fileSystem(), &defaultFs);
    installToolkit(&scripted);
    QCOMPARE(&toolkit(), static_cast<Toolkit *>(&scripted));
    installToolkit(nullptr);
    QCOMPARE(&toolkit(), &defaultTk);
}

QTEST_GUILESS_MAIN(TestToolkits)
#include "tst_toolkits.moc"
