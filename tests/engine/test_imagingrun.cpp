#include "runfixture.h"

#include "engine/scan/scanner.h"
#include "engine/scan/worker.h"
#include "platform/toolkit.h"

#include <QtTest>

using namespace quorvane;

class TestImagingRun : public QObject {
    Q_OBJECT

private slots:
    void messages_data();
    void messages();
    void noTypesKeepsPreviousLists();
    void listingFillsBothPanes();
    void secondListingRefillsOpenViewer();
    void listingBatchesAndYields();
    void fullPathsCompleteWhenAskedForDuringListing();
    void listsForTheViewerAndTheImage();
    void imageOptions_data();
    void imageOptions();
    void clashNames_data();
    void clashNames();
    void topLevelOnly();
    void structureOnly();
    void targetInsideSourceIsLeftOut();
    void jobIsReadOnceAtStart();
    void progressAndStop();
    void secondClickWhileRunningIsIgnored();
    void busyCursorDuringRun();
};

void TestImagingRun::messages_data()
{
    QTest::addColumn<QString>("groups"); // "none", "zzz", or "all"
    QTest::addColumn<bool>("listing");
    QTest::addColumn<bool>("withFile"); // a .jpg in the source
    QTest::addColumn<QString>("message");

    QTest::newRow("no group") << "none" << false << true
                              << QStringLiteral("Es wurde(n) kein(e) Dateityp(en) angegeben.   ");
    QTest::newRow("own patterns are the mark")
        << "zzz" << true << true << QStringLiteral("Es wurde(n) kein(e) Dateityp(en) angegeben.   ");
    QTest::newRow("listing finds nothing")
        << "images" << true << false << QStringLiteral("Keine entsprechenden Dateien/Verzeichnisse gefunden.   ");
    QTest::newRow("image finds nothing") << "images" << false << false << QStringLiteral("Keine Dateien gefunden.   ");
}

void TestImagingRun::messages()
{
    QFETCH(QString, groups);
    QFETCH(bool, listing);
    QFETCH(bool, withFile);
    QFETCH(QString, message);

    EngineDrive drive;
    QVERIFY(drive.makeFile("src/notes.txt", "n"));
    if (withFile)
        QVERIFY(drive.makeFile("src/pic.jpg", "p"));
    QVERIFY(drive.makeDir("tgt"));

    JobOptions o = jobOn();
    o.AllTypes = Unchecked;
    if (groups == u"zzz") {
        o.UserGroup = Checked;
        o.UserPatterns = QStringLiteral("*.zzz");
    } else if (groups == u"images") {
        o.ImageGroup = Checked;
    }
    o.TextListing = listing;
    FakeView view;
    runWith(o, &view);

    QCOMPARE(drive.toolkit.boxes().size(), size_t(1));
    const auto &box = drive.toolkit.boxes().front();
    QCOMPARE(box.prompt, message);
    QVERIFY(box.prompt.endsWith(QStringLiteral(".   ")));
    QCOMPARE(box.style, int(platform::StyleInformation));
    QCOMPARE(box.title, QStringLiteral("Brannick Quorvane"));
    QCOMPARE(view.shows, 0);
    QCOMPARE(view.clears, 0);
    QCOMPARE(treeOf(drive.host("tgt")), QStringList());
    QVERIFY(!drive.toolkit.isBusy());
    QVERIFY(!testRun().active());
}

void TestImagingRun::noTypesKeepsPreviousLists()
{
    EngineDrive drive;
    QVERIFY(drive.makeFile("src/a.jpg"));
    JobOptions o = jobOn();
    o.TextListing = true;
    FakeView view;
    QVERIFY(runWith(o, &view).ran);
    QCOMPARE(testRun().lists().lstFoundFiles.count(), 1);

    testRun().lists().ScanActive = true; // a run that ends at the first message leaves it alone
    o.AllTypes = Unchecked;
    const RunSummary second = runWith(o, &view);
    QVERIFY(!second.ran);
    QCOMPARE(testRun().lists().lstFoundFiles.count(), 1);
    QCOMPARE(testRun().lists().lstFoundDirs.count(), 1);
    QCOMPARE(view.filePane, QStringLiteral("D:\\src\\a.jpg"));
    QVERIFY(testRun().lists().ScanActive);
    testRun().lists().ScanActive = false;
}

void TestImagingRun::listingFillsBothPanes()
{
    EngineDrive drive;
    QVERIFY(drive.makeFile("src/b.txt"));
    QVERIFY(drive.makeFile("src/A.TXT"));
    QVERIFY(drive.makeFile("src/sub/c.txt"));
    QVERIFY(drive.makeFile("src/sub/skip.dat"));
    JobOptions o = jobOn();
    o.AllTypes = Unchecked;
    o.TextGroup = Checked;
    o.TextListing = true;
    FakeView view;
    const RunSummary summary = runWith(o, &view);

    QCOMPARE(summary.found, 3);
    QCOMPARE(view.shows, 1);
    QCOMPARE(view.filePane, QStringLiteral("D:\\src\\A.TXT\r\nD:\\src\\b.txt\r\nD:\\src\\sub\\c.txt"));
    QCOMPARE(view.dirPane, QStringLiteral("D:\\src\r\nD:\\src\\sub"));
    QCOMPARE(treeOf(drive.host()).contains(QStringLiteral("tgt/")), false);
    QVERIFY(!testRun().lists().ScanActive);
}

void TestImagingRun::secondListingRefillsOpenViewer()
{
    EngineDrive drive;
    QVERIFY(drive.makeFile("src/one.txt"));
    QVERIFY(drive.makeFile("other/two.txt"));
    JobOptions o = jobOn();
    o.TextListing = true;
    FakeView view;
    runWith(o, &view);
    QCOMPARE(view.filePane, QStringLiteral("D:\\src\\one.txt"));

    o.SourceDir = QStringLiteral("D:\\other");
    runWith(o, &view);
    QCOMPARE(view.clears, 2);
    QCOMPARE(view.filePane, QStringLiteral("D:\\other\\two.txt"));
    QCOMPARE(view.dirPane, QStringLiteral("D:\\other"));
}

void TestImagingRun::listingBatchesAndYields()
{
    // A memory file system where there is one: many files are made here.
    const QString shm = QStringLiteral("/dev/shm");
    EngineDrive drive('D', QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm : QString());
    const int count = 20000;
    QVERIFY(drive.makeDir("src"));
    for (int i = 0; i < count; ++i) {
        QFile file(drive.host(QStringLiteral("src/f%1.txt").arg(i, 5, 10, QLatin1Char('0'))));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    JobOptions o = jobOn();
    o.TextListing = true;
    FakeView view;
    const int yieldsBefore = drive.toolkit.yieldCount();
    runWith(o, &view);

    const QStringList lines = view.filePane.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), count);
    QCOMPARE(lines.first(), QStringLiteral("D:\\src\\f00000.txt"));
    QCOMPARE(lines.last(), QStringLiteral("D:\\src\\f19999.txt"));
    // Many entries share a call, and the window gets a turn between batches.
    QVERIFY2(view.fileCalls >= 3 && view.fileCalls < count / 100, qPrintable(QString::number(view.fileCalls)));
    QVERIFY(drive.toolkit.yieldCount() - yieldsBefore >= view.fileCalls);
}

// The complete path names are made beside the listing; whoever asks for
// them while the panes fill (the full-path toggle) gets all of them.
void TestImagingRun::fullPathsCompleteWhenAskedForDuringListing()
{
    class AskingView : public FakeView {
    public:
        void appendToFilePane(const QStringList &entries) override
        {
            FakeView::appendToFilePane(entries);
            testRun().lists().settleFoundLists();
            if (seen < 0)
                seen = testRun().lists().lstFullPathName.count();
        }
        qsizetype seen = -1;
    };
    EngineDrive drive;
    for (int i = 0; i < 300; ++i)
        QVERIFY(drive.makeFile(QStringLiteral("src/d%1/f.txt").arg(i % 7) + QString::number(i)));
    JobOptions o = jobOn();
    o.TextListing = true;
    AskingView view;
    runWith(o, &view);
    QCOMPARE(view.seen, qsizetype(300));
    QCOMPARE(testRun().lists().lstFullPathName.item(0), drive.host("src/d0/f.txt0"));
}

void TestImagingRun::listsForTheViewerAndTheImage()
{
    EngineDrive drive;
    QVERIFY(drive.makeFile("top.txt"));
    QVERIFY(drive.makeFile("x/b.txt"));
    QVERIFY(drive.makeFile("x/a.txt"));
    QVERIFY(drive.makeFile("x/y/c.txt"));
    JobOptions o = jobOn(QStringLiteral("D:\\"), QStringLiteral("D:\\x\\y"));
    o.NullByte = Checked;
    runWith(o);

    Begin &w = testRun().lists();
    QStringList dirs, hosts, copies;
    for (qsizetype i = 0; i < w.lstFoundDirs.count(); ++i)
        dirs << w.lstFoundDirs.item(i);
    for (qsizetype i = 0; i < w.lstFullPathName.count(); ++i)
        hosts << w.lstFullPathName.item(i);
    for (qsizetype i = 0; i < w.lstFilesToCopy.count(); ++i)
        copies << w.lstFilesToCopy.item(i);
    QCOMPARE(dirs, QStringList({"D:\\", "D:\\x", "D:\\x\\y"}));
    QCOMPARE(
        hosts,
        QStringList({drive.host("top.txt"), drive.host("x/a.txt"), drive.host("x/b.txt"), drive.host("x/y/c.txt")}));
    // The target lies below the source: what is in it is not imaged again.
    QCOMPARE(copies, QStringList({"top.txt", "x\\a.txt", "x\\b.txt"}));
}

void TestImagingRun::imageOptions_data()
{
    QTest::addColumn<int>("recursive");
    QTest::addColumn<int>("nullByte");
    QTest::addColumn<int>("deleteSources");
    QTest::addColumn<QStringList>("target"); // file=content
    QTest::addColumn<QStringList>("sourceAfter");

    const QStringList sources{"a.txt=A1", "sub/a.txt=A2", "sub/deep/x.txt=X"};
    const QStringList nested{"a.txt=A1", "sub/a.txt=A2", "sub/deep/x.txt=X"};
    const QStringList nestedEmpty{"a.txt=", "sub/a.txt=", "sub/deep/x.txt="};
    const QStringList flat{"a.txt=A1", "a[1].txt=A2", "x.txt=X"};
    const QStringList flatEmpty{"a.txt=", "a[1].txt=", "x.txt="};

    QTest::newRow("recursive dummies") << 1 << 1 << 0 << nestedEmpty << sources;
    QTest::newRow("recursive dummies, move ignored") << 1 << 1 << 1 << nestedEmpty << sources;
    QTest::newRow("recursive move") << 1 << 0 << 1 << nested << QStringList();
    QTest::newRow("recursive copy") << 1 << 0 << 0 << nested << sources;
    QTest::newRow("flat dummies") << 0 << 1 << 0 << flatEmpty << sources;
    QTest::newRow("flat move") << 0 << 0 << 1 << flat << QStringList();
    QTest::newRow("flat copy") << 0 << 0 << 0 << flat << sources;
    QTest::newRow("grayed counts as unset") << 2 << 2 << 2 << flat << sources;
}

void TestImagingRun::imageOptions()
{
    QFETCH(int, recursive);
    QFETCH(int, nullByte);
    QFETCH(int, deleteSources);
    QFETCH(QStringList, target);
    QFETCH(QStringList, sourceAfter);

    EngineDrive drive;
    QVERIFY(drive.makeFile("src/a.txt", "A1"));
    QVERIFY(drive.makeFile("src/sub/a.txt", "A2"));
    QVERIFY(drive.makeFile("src/sub/deep/x.txt", "X"));
    QVERIFY(drive.makeDir("tgt"));
    JobOptions o = jobOn();
    o.Recursive = recursive;
    o.NullByte = nullByte;
    o.DeleteSources = deleteSources;
    const RunSummary summary = runWith(o);

    QCOMPARE(summary.found, 3);
    QCOMPARE(summary.imaged, 3);
    QCOMPARE(summary.skipped, 0);
    QStringList got;
    for (const QString &path : treeOf(drive.host("tgt"))) {
        if (!path.endsWith(QLatin1Char('/')))
            got << path + QLatin1Char('=') + QString::fromUtf8(contentOf(drive.host("tgt/" + path)));
    }
    QCOMPARE(got, target);
    QStringList left;
    for (const QString &path : treeOf(drive.host("src")))
        left << (path.endsWith(QLatin1Char('/'))
                     ? path
                     : path + QLatin1Char('=') + QString::fromUtf8(contentOf(drive.host("src/" + path))));
    QStringList expectedLeft;
    if (!sourceAfter.isEmpty())
        expectedLeft = QStringList{"a.txt=A1", "sub/", "sub/a.txt=A2", "sub/deep/", "sub/deep/x.txt=X"};
    // After a move the emptied folders go; the source folder itself stays.
    QCOMPARE(left, expectedLeft);
    QVERIFY(QFileInfo(drive.host("src")).isDir());
}

void TestImagingRun::clashNames_data()
{
    QTest::addColumn<QStringList>("present"); // in the target before
    QTest::addColumn<QString>("source");      // one source file
    QTest::addColumn<QString>("expected");    // its name in the image

    QTest::newRow("third a.txt") << QStringList{"a.txt", "a[1].txt"} << "a.txt"
                                 << "a[2].txt";
    QTest::newRow("no dot") << QStringList{"README"} << "README"
                            << "README[1]";
    QTest::newRow("dot first") << QStringList{".profile"} << ".profile"
                               << "[1].profile";
    QTest::newRow("two dots") << QStringList{"b.tar.gz"} << "b.tar.gz"
                              << "b.tar[1].gz";
    QTest::newRow("other letter case") << QStringList{"A.TXT"} << "a.txt"
                                       << "a[1].txt";
    QTest::newRow("gap is used") << QStringList{"a.txt", "a[2].txt"} << "a.txt"
                                 << "a[1].txt";
    QTest::newRow("folder takes the name") << QStringList{"c.txt/"} << "c.txt"
                                           << "c[1].txt";
    QTest::newRow("free") << QStringList{"b.txt"} << "a.txt"
                          << "a.txt";
}

void TestImagingRun::clashNames()
{
    QFETCH(QStringList, present);
    QFETCH(QString, source);
    QFETCH(QString, expected);

    EngineDrive drive;
    QVERIFY(drive.makeDir("tgt"));
    for (const QString &name : present) {
        if (name.endsWith(QLatin1Char('/')))
            QVERIFY(drive.makeDir("tgt/" + name));
        else
            QVERIFY(drive.makeFile("tgt/" + name, "old"));
    }
    QVERIFY(drive.makeFile("src/deeper/" + source, "new"));
    const RunSummary summary = runWith(jobOn());

    QCOMPARE(summary.imaged, 1);
    QCOMPARE(contentOf(drive.host("tgt/" + expected)), QByteArray("new"));
    for (const QString &name : present) {
        if (!name.endsWith(QLatin1Char('/')))
            QCOMPARE(contentOf(drive.host("tgt/" + name)), QByteArray("old"));
    }
}

void TestImagingRun::topLevelOnly()
{
    EngineDrive drive;
    QVERIFY(drive.makeFile("src/top.txt"));
    QVERIFY(drive.makeFile("src/sub/below.txt"));
    JobOptions o = jobOn();
    o.TopLevelOnly = Checked;
    o.TextListing = true;
    FakeView view;
    runWith(o, &view);
    QCOMPARE(view.filePane, QStringLiteral("D:\\src\\top.txt"));

    o.TextListing = false;
    o.Recursive = Checked;
    QVERIFY(drive.makeDir("tgt"));
    const RunSummary summary = runWith(o);
    QCOMPARE(summary.found, 1);
    QCOMPARE(treeOf(drive.host("tgt")), QStringList({"top.txt"}));
}

void TestImagingRun::structureOnly()
{
    EngineDrive drive;
    QVERIFY(drive.makeFile("src/a/b/x.txt"));
    QVERIFY(drive.makeDir("src/empty"));
    QVERIFY(drive.makeFile("src/top.txt"));
    QVERIFY(drive.makeFile("src/tgt/old/y.txt")); // the target, inside the source
    JobOptions o = jobOn(QStringLiteral("D:\\src"), QStringLiteral("D:\\src\\tgt"));
    o.StructureOnly = true;
    o.Recursive = Checked;
    const RunSummary summary = runWith(o);

    QCOMPARE(summary.dirsMirrored, 3);
    QCOMPARE(summary.dirsFailed, 0);
    QCOMPARE(treeOf(drive.host("src/tgt")), QStringList({"a/", "a/b/", "empty/", "old/", "old/y.txt"}));
    QCOMPARE(drive.toolkit.boxes().size(), size_t(0));

    // A source without folders below it has nothing to mirror.
    QVERIFY(drive.makeFile("flat/one.txt"));
    o.SourceDir = QStringLiteral("D:\\flat");
    o.TargetDir = QStringLiteral("D:\\flatcopy");
    runWith(o);
    QCOMPARE(drive.toolkit.boxes().size(), size_t(1));
    QCOMPARE(drive.toolkit.boxes().front().prompt, QStringLiteral("Keine Dateien gefunden.   "));
    QVERIFY(!QFileInfo::exists(drive.host("flatcopy")));
}

void TestImagingRun::targetInsideSourceIsLeftOut()
{
    EngineDrive drive;
    QVERIFY(drive.makeFile("src/a.txt", "1"));
    QVERIFY(drive.makeFile("src/out/a.txt", "earlier image"));
    JobOptions o = jobOn(QStringLiteral("D:\\src"), QStringLiteral("D:\\SRC\\Out"));
    const RunSummary summary = runWith(o);
    QCOMPARE(summary.found, 2);
    QCOMPARE(summary.leftOut, 1);
    QCOMPARE(summary.imaged, 1);
    QCOMPARE(treeOf(drive.host("src/out")), QStringList({"a.txt", "a[1].txt"}));
    QCOMPARE(contentOf(drive.host("src/out/a[1].txt")), QByteArray("1"));
}

void TestImagingRun::jobIsReadOnceAtStart()
{
    // The user ticks "Quell-Dateien löschen !" and unticks "Rekursiv" while
    // the image is made: the run goes on as it started.
    EngineDrive drive;
    QVERIFY(drive.makeFile("src/a/one.txt", "1"));
    QVERIFY(drive.makeFile("src/b/two.txt", "2"));
    QVERIFY(drive.makeDir("tgt"));
    JobOptions window = jobOn();
    window.Recursive = Checked;
    Run run;
    run.onProgress = [&](const RunProgress &progress) {
        if (progress.stage == RunStage::Imaging) {
            window.DeleteSources = Checked;
            window.Recursive = Unchecked;
        }
    };
    const RunSummary summary = run.RunJob(window, nullptr);
    QCOMPARE(summary.imaged, 2);
    QCOMPARE(treeOf(drive.host("tgt")), QStringList({"a/", "a/one.txt", "b/", "b/two.txt"}));
    QCOMPARE(treeOf(drive.host("src")), QStringList({"a/", "a/one.txt", "b/", "b/two.txt"}));
}

void TestImagingRun::progressAndStop()
{
    EngineDrive drive;
    for (int i = 0; i < 5; ++i)
        QVERIFY(drive.makeFile(QStringLiteral("src/d%1/f.txt").arg(i), "x"));
    QVERIFY(drive.makeDir("tgt"));
    Run run;
    qsizetype mostFound = 0;
    int finished = 0;
    run.onProgress = [&](const RunProgress &progress) {
        if (progress.stage == RunStage::Scanning)
            mostFound = std::max(mostFound, progress.total);
        // Told after every file: stop once two are done.
        if (progress.stage == RunStage::Imaging && progress.done == 2)
            run.requestStop();
    };
    run.onFinished = [&](const RunSummary &) { ++finished; };
    JobOptions o = jobOn();
    o.Recursive = Checked;
    o.NullByte = Checked;
    const RunSummary stopped = run.RunJob(o, nullptr);
    QVERIFY(mostFound >= 4); // the last folder's files come after its yield
    QCOMPARE(stopped.stoppedIn, RunStage::Imaging);
    QCOMPARE(stopped.imaged, 2);
    QCOMPARE(stopped.notReached, 3);
    QCOMPARE(treeOf(drive.host("tgt")).filter(QStringLiteral(".txt")).size(), 2);
    QCOMPARE(finished, 1);

    // The stop was for that run alone.
    run.onProgress = nullptr;
    const RunSummary next = run.RunJob(o, nullptr);
    QCOMPARE(next.imaged, 5);
    QCOMPARE(next.notReached, 0);
    QCOMPARE(finished, 2);
}

void TestImagingRun::secondClickWhileRunningIsIgnored()
{
    EngineDrive drive;
    QVERIFY(drive.makeFile("src/a/one.txt"));
    QVERIFY(drive.makeFile("src/b/two.txt"));
    QVERIFY(drive.makeDir("tgt"));
    RunSummary nested;
    bool activeInside = false;
    drive.toolkit.atYield(2, [&] {
        activeInside = testRun().active();
        nested = runWith(jobOn());
    });
    JobOptions o = jobOn();
    o.Recursive = Checked;
    const RunSummary outer = runWith(o);

    QVERIFY(activeInside);
    QVERIFY(!nested.ran);
    QCOMPARE(outer.found, 2);
    QCOMPARE(outer.imaged, 2);
    QCOMPARE(treeOf(drive.host("tgt")), QStringList({"a/", "a/one.txt", "b/", "b/two.txt"}));
    QVERIFY(!testRun().active());
    QVERIFY(!testRun().lists().ScanActive);
}

void TestImagingRun::busyCursorDuringRun()
{
    EngineDrive drive;
    QVERIFY(drive.makeFile("src/sub/x.txt"));
    JobOptions o = jobOn();
    o.Recursive = Checked;
    bool busyAtEveryYield = true;
    for (int n = 1; n <= 6; ++n)
        drive.toolkit.atYield(n, [&] { busyAtEveryYield = busyAtEveryYield && drive.toolkit.isBusy(); });
    runWith(o);
    QVERIFY(drive.toolkit.yieldCount() >= 3);
    QVERIFY(busyAtEveryYield); // also after the target folder was created
    QVERIFY(!drive.toolkit.isBusy());
    QVERIFY(QFileInfo::exists(drive.host("tgt/sub/x.txt")));
}

QTEST_GUILESS_MAIN(TestImagingRun)
#include "test_imagingrun.moc"
