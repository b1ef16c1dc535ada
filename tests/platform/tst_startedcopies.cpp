// Copies started now and finished on other threads: every one comes back
// once, complete, and its name counts as taken from the start.
#include "scratch.h"

#include "platform/imagetrees.h"

#include <QSet>
#include <QTest>

#include <sys/stat.h>

using namespace quorvane::platform;

class TestStartedCopies : public QObject {
    Q_OBJECT

private slots:
    void everyCopyComesBackOnce_data();
    void everyCopyComesBackOnce();
    void aStartedNameIsTaken_data();
    void aStartedNameIsTaken();
};

void TestStartedCopies::everyCopyComesBackOnce_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<bool>("closedFirst"); // the trees go before anyone asks
    QTest::newRow("more than the queue holds") << 1100 << false;
    QTest::newRow("closed with copies under way") << 40 << true;
}

void TestStartedCopies::everyCopyComesBackOnce()
{
    QFETCH(int, files);
    QFETCH(bool, closedFirst);
    scratch::Drive d;
    QVERIFY(d.dir("src") && d.dir("src/sub") && d.dir("dst") && d.dir("dst/sub"));
    for (int i = 0; i < files; ++i)
        QVERIFY(d.file("src/sub/f" + QByteArray::number(i), QByteArray(i % 256 * 37 + 1, char('a' + i % 26)), 0640));
    struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, d.host("src/sub/f7").constData(), old, 0), 0);

    auto trees = d.fs->openImageTrees(QStringLiteral("T:\\src"), QStringLiteral("T:\\dst"), false);
    QVERIFY(trees.ok());
    QSet<quint64> back;
    for (int i = 0; i < files; ++i) {
        const QString name = QStringLiteral("sub\\f%1").arg(i);
        QCOMPARE(trees.value()->startCopy(quint64(i + 1), name, name).error, 0);
        if (closedFirst)
            continue;
        for (const ImageTrees::FinishedCopy &done : trees.value()->finishedCopies(false)) {
            QCOMPARE(done.result.error, 0);
            QVERIFY(!back.contains(done.ticket));
            back.insert(done.ticket);
        }
    }
    if (closedFirst) {
        trees = decltype(trees)::failure(ErrInvalidCall);
    } else {
        for (const ImageTrees::FinishedCopy &done : trees.value()->finishedCopies(true)) {
            QCOMPARE(done.result.error, 0);
            QVERIFY(!back.contains(done.ticket));
            back.insert(done.ticket);
        }
        QCOMPARE(back.size(), files);
        QVERIFY(trees.value()->finishedCopies(true).empty());
    }
    QCOMPARE(d.names("dst/sub").size(), files);
    for (int i = 0; i < files; ++i)
        QCOMPARE(d.content("dst/sub/f" + QByteArray::number(i)), QByteArray(i % 256 * 37 + 1, char('a' + i % 26)));
    QCOMPARE(d.mode("dst/sub/f3"), mode_t(0640));
    struct stat st {};
    QCOMPARE(::stat(d.host("dst/sub/f7").constData(), &st), 0);
    QCOMPARE(st.st_mtim.tv_sec, time_t(1000000000));
}

void TestStartedCopies::aStartedNameIsTaken_data()
{
    QTest::addColumn<QString>("then"); // what is asked while the first copy may still run
    QTest::newRow("a look in another letter case") << "look";
    QTest::newRow("a second copy onto that name") << "copy";
    QTest::newRow("a folder under that name") << "folder";
    QTest::newRow("a copy onto a name found missing before") << "looked before";
}

void TestStartedCopies::aStartedNameIsTaken()
{
    QFETCH(QString, then);
    scratch::Drive d;
    QVERIFY(d.dir("src") && d.dir("dst"));
    // As large as a copy on another thread gets, so that it is still under way.
    const QByteArray first(1 << 20, 'f');
    QVERIFY(d.file("src/a.txt", first) && d.file("src/b.txt", "second"));
    auto trees = d.fs->openImageTrees(QStringLiteral("T:\\src"), QStringLiteral("T:\\dst"), false);
    QVERIFY(trees.ok());
    ImageTrees &t = *trees.value();
    if (then == u"looked before") {
        // Found missing, then taken in another letter case before the copy starts.
        const Result<TargetEntry> there = t.lookUp(QStringLiteral("A.txt"));
        QVERIFY(there.ok());
        QCOMPARE(int(there.value().kind), int(EntryKind::Missing));
        QVERIFY(t.reachFolder(QStringLiteral("a.txt\\x"), true).ok());
        QVERIFY(t.startCopy(2, QStringLiteral("b.txt"), QStringLiteral("A.txt")).error != 0);
        QVERIFY(t.finishedCopies(true).empty());
        QCOMPARE(d.names("dst"), QList<QByteArray>{"a.txt"});
        return;
    }
    QCOMPARE(t.startCopy(1, QStringLiteral("a.txt"), QStringLiteral("a.txt")).error, 0);
    if (then == u"look") {
        const Result<TargetEntry> there = t.lookUp(QStringLiteral("A.TXT"));
        QVERIFY(there.ok());
        QCOMPARE(int(there.value().kind), int(EntryKind::File));
        QCOMPARE(there.value().name, QStringLiteral("a.txt"));
    } else if (then == u"copy") {
        QCOMPARE(t.startCopy(2, QStringLiteral("b.txt"), QStringLiteral("A.txt")).error, int(ErrFileExists));
    } else {
        QVERIFY(!t.reachFolder(QStringLiteral("A.TXT"), true).ok());
    }
    const std::vector<ImageTrees::FinishedCopy> done = t.finishedCopies(true);
    QCOMPARE(done.size(), std::size_t(1));
    QCOMPARE(done.front().ticket, quint64(1));
    QCOMPARE(done.front().result.error, 0);
    QCOMPARE(d.names("dst"), QList<QByteArray>{"a.txt"});
    QCOMPARE(d.content("dst/a.txt"), first);
}

QTEST_GUILESS_MAIN(TestStartedCopies)
#include "tst_startedcopies.moc"
