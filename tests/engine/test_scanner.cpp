#include "enginedrive.h"

#include "engine/scan/diskwaits.h"
#include "engine/scan/scanner.h"
#include "engine/scan/walkcache.h"
#include "engine/scan/worker.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <chrono>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace quorvane;

namespace {

QStringList foundEntries(Begin &worker)
{
    QStringList out;
    for (qsizetype i = 0; i < worker.lstFoundFiles.count(); ++i)
        out << worker.lstFoundFiles.item(i);
    return out;
}

QStringList scan(Begin &worker, const QString &start, const QString &patterns)
{
    QString path = start;
    QString pattern = patterns;
    ScanTree(worker, path, pattern);
    return foundEntries(worker);
}

} // namespace

class TestScanner : public QObject {
    Q_OBJECT

private slots:
    void findsMatchesAtEveryDepth_data()
    {
        QTest::addColumn<QString>("patterns");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("two types") << "*.jpg;*.gif"
                                   << QStringList{"D:\\Daten\\a.JPG", "D:\\Daten\\b.gif", "D:\\Daten\\sub\\deep\\d.Gif",
                                                  "D:\\Daten\\sub\\e.jpg"};
        QTest::newRow("patterns in upper case") << "*.JPG;*.GIF"
                                                << QStringList{"D:\\Daten\\a.JPG", "D:\\Daten\\b.gif",
                                                               "D:\\Daten\\sub\\deep\\d.Gif", "D:\\Daten\\sub\\e.jpg"};
        QTest::newRow("hidden files") << "*.png"
                                      << QStringList{"D:\\Daten\\.cache\\h.png", "D:\\Daten\\.versteckt.png"};
        QTest::newRow("nothing matches") << "*.mp3" << QStringList{};
        QTest::newRow("everything") << "*.*" << QStringList{"D:\\Daten\\.cache\\h.png", "D:\\Daten\\.versteckt.png",
                                                            "D:\\Daten\\a.JPG",         "D:\\Daten\\b.gif",
                                                            "D:\\Daten\\LIESMICH",      "D:\\Daten\\sub\\deep\\d.Gif",
                                                            "D:\\Daten\\sub\\e.jpg",    "D:\\Daten\\sub\\notes.txt"};
    }

    void findsMatchesAtEveryDepth()
    {
        QFETCH(QString, patterns);
        QFETCH(QStringList, expected);
        EngineDrive drive;
        for (const char *name :
             {"Daten/a.JPG", "Daten/b.gif", "Daten/LIESMICH", "Daten/.versteckt.png", "Daten/.cache/h.png",
              "Daten/sub/e.jpg", "Daten/sub/notes.txt", "Daten/sub/deep/d.Gif"})
            QVERIFY(drive.makeFile(QString::fromLatin1(name)));
        QVERIFY(drive.makeDir(QStringLiteral("Daten/leer/nichts")));
        // From the cache the walk reads alone; helpers read ahead from a cold disk.
        for (const int readers : {-1, 4}) {
            drive.worker.walk.readers = readers;
            QString path = QStringLiteral("D:\\Daten");
            QString pattern = patterns;
            ScanTree(drive.worker, path, pattern);
            QCOMPARE(path, QStringLiteral("D:\\Daten\\"));
            QCOMPARE(pattern, patterns);
            QCOMPARE(foundEntries(drive.worker), expected);
            // A complete walk leaves both enumerators in the start directory.
            QCOMPARE(drive.worker.dirList.path(), QStringLiteral("D:\\Daten"));
            QCOMPARE(drive.worker.filList.path(), QStringLiteral("D:\\Daten"));
        }
    }

    // Every path read back has the spelling the disk stores, whatever was typed.
    void startInStoredSpelling()
    {
        EngineDrive drive;
        QVERIFY(drive.makeFile("Scan/b.jpg"));
        QVERIFY(drive.makeFile("Scan/Inner/a.jpg"));
        QCOMPARE(scan(drive.worker, "d:\\scan", "*.jpg"), (QStringList{"D:\\Scan\\b.jpg", "D:\\Scan\\Inner\\a.jpg"}));
        QCOMPARE(drive.worker.dirList.path(), QStringLiteral("D:\\Scan"));
        QVERIFY(drive.worker.dirList.setPath(QStringLiteral("d:\\")).ok());
        QCOMPARE(drive.worker.dirList.path(), QStringLiteral("D:\\"));
        QCOMPARE(drive.worker.filList.path(), QStringLiteral("D:\\"));
    }

    void emptyPatternsMeanEverything()
    {
        EngineDrive drive;
        QVERIFY(drive.makeFile("x/README"));
        QVERIFY(drive.makeFile("x/a.b.c"));
        QString path = QStringLiteral("D:\\x");
        QString patterns;
        ScanTree(drive.worker, path, patterns);
        QCOMPARE(patterns, QStringLiteral("*.*"));
        QCOMPARE(path, QStringLiteral("D:\\x\\"));
        QCOMPARE(foundEntries(drive.worker), (QStringList{"D:\\x\\a.b.c", "D:\\x\\README"}));
    }

    void driveRootHasNoDoubledBackslash()
    {
        EngineDrive drive('E');
        QVERIFY(drive.makeFile("autoexec.bat"));
        QVERIFY(drive.makeFile("dos/cmd.bat"));
        QString path = QStringLiteral("E:\\");
        QString patterns = QStringLiteral("*.bat");
        ScanTree(drive.worker, path, patterns);
        QCOMPARE(path, QStringLiteral("E:\\"));
        QCOMPARE(foundEntries(drive.worker), (QStringList{"E:\\autoexec.bat", "E:\\dos\\cmd.bat"}));
        QCOMPARE(drive.worker.dirList.path(), QStringLiteral("E:\\"));
    }

    void visitsPostOrderLastSubdirectoryFirst()
    {
        EngineDrive drive;
        for (const char *name : {"R/r.txt", "R/A/a.txt", "R/b/b.txt", "R/b/x/x.txt", "R/b/y/y.txt", "R/C/c.txt"})
            QVERIFY(drive.makeFile(QString::fromLatin1(name)));
        // Records the found list's size at every visit: a directory's own
        // files come after everything below it.
        QList<qsizetype> sizes;
        for (int n = 1; n <= 6; ++n)
            drive.toolkit.atYield(n, [&] { sizes << drive.worker.lstFoundFiles.count(); });
        QCOMPARE(scan(drive.worker, "D:\\R", "*.txt"),
                 (QStringList{"D:\\R\\A\\a.txt", "D:\\R\\b\\b.txt", "D:\\R\\b\\x\\x.txt", "D:\\R\\b\\y\\y.txt",
                              "D:\\R\\C\\c.txt", "D:\\R\\r.txt"}));
        QCOMPARE(drive.visits,
                 (QStringList{"D:\\R", "D:\\R\\C", "D:\\R\\b", "D:\\R\\b\\y", "D:\\R\\b\\x", "D:\\R\\A"}));
        // C done; y done; x done, then b's own file.
        QCOMPARE(sizes, (QList<qsizetype>{0, 0, 1, 1, 2, 4}));
    }

    void treeOfEmptyDirectoriesListsNothing()
    {
        EngineDrive drive;
        QVERIFY(drive.makeDir("leer/a/b"));
        QVERIFY(drive.makeDir("leer/c"));
        drive.worker.lstFoundFiles.addItem(QStringLiteral("left over"));
        QCOMPARE(scan(drive.worker, "D:\\leer", "*.*"), QStringList{});
        QCOMPARE(drive.toolkit.yieldCount(), 4);
    }

    // A run that starts and ends inside a visit's yield clears drive.worker.ScanActive: the
    // outer walk gives up, and its ancestors list whatever directory the
    // enumerators then stand in.
    void nestedRunAbandonsOuterWalk()
    {
        EngineDrive drive;
        for (const char *name : {"R/r.txt", "R/a/a.txt", "R/p/p.txt", "R/p/b/b.txt", "R/p/b/x/x.txt", "N/n.txt"})
            QVERIFY(drive.makeFile(QString::fromLatin1(name)));
        drive.toolkit.atYield(4, [&] {
            QString path = QStringLiteral("D:\\N");
            QString patterns = QStringLiteral("*.txt");
            ScanTree(drive.worker, path, patterns);
            drive.worker.ScanActive = false;
        });
        const QStringList found = scan(drive.worker, "D:\\R", "*.txt");
        QCOMPARE(drive.visits, (QStringList{"D:\\R", "D:\\R\\p", "D:\\R\\p\\b", "D:\\R\\p\\b\\x", "D:\\N"}));
        // N's file from the nested run, again from p (standing in N), then R's own.
        QCOMPARE(found, (QStringList{"D:\\N\\n.txt", "D:\\N\\n.txt", "D:\\R\\r.txt"}));
        QVERIFY(!drive.worker.ScanActive);
    }

    // A nested walk that does not end its run leaves drive.worker.ScanActive set: the
    // outer walk goes on from wherever the enumerators then stand.
    void nestedWalkWithoutEndLetsOuterGoOn()
    {
        EngineDrive drive;
        for (const char *name : {"R/r.txt", "R/a/a.txt", "R/b/b.txt", "N/n.txt"})
            QVERIFY(drive.makeFile(QString::fromLatin1(name)));
        drive.toolkit.atYield(2, [&] {
            QString path = QStringLiteral("D:\\N");
            QString patterns = QStringLiteral("*.txt");
            ScanTree(drive.worker, path, patterns);
        });
        const QStringList found = scan(drive.worker, "D:\\R", "*.txt");
        QCOMPARE(drive.visits, (QStringList{"D:\\R", "D:\\R\\b", "D:\\N", "D:\\R\\a"}));
        QCOMPARE(found, (QStringList{"D:\\N\\n.txt", "D:\\N\\n.txt", "D:\\R\\a\\a.txt", "D:\\R\\r.txt"}));
    }

    // Folders removed while the walk is below them: the walk steps back into
    // a directory and counts its subdirectories through the listing it took on
    // entering it, also once a nested walk has made it read the rest afresh.
    // So no file is listed twice and no sibling visited twice; a folder that
    // is gone before the walk gets there hides nothing and is not unreadable.
    void foldersRemovedBelowTheWalk_data()
    {
        QTest::addColumn<bool>("nested");
        QTest::addColumn<QString>("removeAt");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QStringList>("expected");
        for (const bool nested : {false, true}) {
            const char *mode = nested ? "after a nested walk" : "walk alone";
            QTest::addRow("folder above, %s", mode)
                << nested << "D:\\R\\b\\x"
                << "R/b" << QStringList{"D:\\R\\a\\a.txt", "D:\\R\\b\\b.txt", "D:\\R\\b\\x\\x.txt", "D:\\R\\r.txt"};
            QTest::addRow("start, %s", mode)
                << nested << "D:\\R\\b\\x"
                << "R" << QStringList{"D:\\R\\b\\b.txt", "D:\\R\\b\\x\\x.txt", "D:\\R\\r.txt"};
            QTest::addRow("earlier sibling, %s", mode)
                << nested << "D:\\R\\b"
                << "R/a" << QStringList{"D:\\R\\b\\b.txt", "D:\\R\\b\\x\\x.txt", "D:\\R\\r.txt"};
        }
    }

    void foldersRemovedBelowTheWalk()
    {
        QFETCH(bool, nested);
        QFETCH(QString, removeAt);
        QFETCH(QString, removed);
        QFETCH(QStringList, expected);
        EngineDrive drive;
        drive.worker.walk.readers = 0; // nothing read ahead of the removal by chance
        for (const char *name : {"R/r.txt", "R/a/a.txt", "R/b/b.txt", "R/b/x/x.txt"})
            QVERIFY(drive.makeFile(QString::fromLatin1(name)));
        QVERIFY(drive.makeDir("R/c"));
        QVERIFY(drive.makeDir("N"));
        const auto noteVisit = drive.toolkit.onYield;
        drive.toolkit.onYield = [&](int n) {
            noteVisit(n);
            const QString here = drive.worker.dirList.path();
            if (nested && here == QLatin1String("D:\\R\\c")) {
                QString path = QStringLiteral("D:\\N");
                QString patterns = QStringLiteral("*.txt");
                ScanTree(drive.worker, path, patterns); // leaves drive.worker.ScanActive set: the outer walk goes on
            }
            if (here == removeAt)
                QVERIFY(QDir(drive.host(removed)).removeRecursively());
        };
        const QStringList found = scan(drive.worker, "D:\\R", "*.txt");
        QCOMPARE(found, expected);
        QVERIFY(drive.worker.unreadableFolders().empty());
    }

    void fileEnumeratorFollowsDirectoryEnumerator()
    {
        EngineDrive drive;
        QVERIFY(drive.makeFile("x/y/z.txt"));
        QVERIFY(drive.worker.dirList.setPath(QStringLiteral("D:\\x\\y\\")).ok());
        QCOMPARE(drive.worker.dirList.path(), QStringLiteral("D:\\x\\y"));
        QCOMPARE(drive.worker.filList.path(), QStringLiteral("D:\\x\\y"));
        drive.worker.filList.setPattern(QStringLiteral("*.TXT"));
        QCOMPARE(drive.worker.filList.count(), qsizetype(1));
        QCOMPARE(drive.worker.filList.item(0), QStringLiteral("z.txt"));
        // A failed change leaves both where they were.
        QVERIFY(!drive.worker.dirList.setPath(QStringLiteral("D:\\x\\fehlt")).ok());
        QCOMPARE(drive.worker.dirList.path(), QStringLiteral("D:\\x\\y"));
        QCOMPARE(drive.worker.filList.path(), QStringLiteral("D:\\x\\y"));
        QVERIFY(drive.worker.dirList.setPath(QStringLiteral("D:\\")).ok());
        QCOMPARE(drive.worker.dirList.path(), QStringLiteral("D:\\"));
        QCOMPARE(drive.worker.dirList.item(0), QStringLiteral("D:\\x"));
    }

    void startThatCannotBeEnteredListsNothing()
    {
        EngineDrive drive;
        QVERIFY(drive.makeFile("other/o.txt"));
        QVERIFY(drive.worker.dirList.setPath(QStringLiteral("D:\\other")).ok());
        drive.worker.lstFoundFiles.addItem(QStringLiteral("left over"));
        QCOMPARE(scan(drive.worker, "D:\\fehlt", "*.*"), QStringList{});
        QCOMPARE(drive.toolkit.yieldCount(), 0);
        QCOMPARE(drive.worker.dirList.path(), QStringLiteral("D:\\other"));
    }

    // A folder whose host path is longer than the host accepts is reached
    // through the folders above it, held open: its files are listed. Only
    // where the walk must spell the path (its start) is it named unreadable.
    void filesBelowOverlongPathsAreFound()
    {
        EngineDrive drive;
        QVERIFY(drive.makeFile("R/r.txt"));
        QVERIFY(drive.makeFile("R/a/a.txt"));
        QVERIFY(drive.makeFile("R/z/z.txt"));
        const QByteArray level(200, 'L');
        int fd = ::open(QFile::encodeName(drive.host("R/z")).constData(), O_RDONLY | O_DIRECTORY);
        QVERIFY(fd >= 0);
        int depth = 0;
        qsizetype length = QFile::encodeName(drive.host("R/z")).size();
        QString deep = QStringLiteral("D:\\R\\z");
        while (length <= 4200) {
            QCOMPARE(::mkdirat(fd, level.constData(), 0755), 0);
            const int next = ::openat(fd, level.constData(), O_RDONLY | O_DIRECTORY);
            ::close(fd);
            QVERIFY(next >= 0);
            fd = next;
            length += level.size() + 1;
            deep += QLatin1Char('\\') + QString::fromLatin1(level);
            ++depth;
        }
        ::close(::openat(fd, "tief.txt", O_CREAT | O_WRONLY, 0644));
        ::close(fd);

        for (const int readers : {0, 4}) {
            drive.worker.walk.readers = readers;
            drive.visits.clear();
            QCOMPARE(scan(drive.worker, "D:\\R", "*.txt"),
                     (QStringList{"D:\\R\\a\\a.txt", "D:\\R\\r.txt", deep + "\\tief.txt", "D:\\R\\z\\z.txt"}));
            QVERIFY(drive.worker.unreadableFolders().empty());
            QCOMPARE(drive.visits.size(), depth + 3);
            QCOMPARE(drive.visits.last(), QStringLiteral("D:\\R\\a"));
        }

        QCOMPARE(scan(drive.worker, deep, "*.*"), QStringList{});
        QCOMPARE(drive.worker.unreadableFolders().size(), size_t(1));
        QCOMPARE(drive.worker.unreadableFolders().front().path, deep + "\\");
        QCOMPARE(drive.worker.unreadableFolders().front().reason, QStringLiteral("Der Dateiname ist zu lang"));
        removeDeepChain(drive.host("R/z"), level, depth);
    }

    void linkToAncestorIsNotFollowed()
    {
        EngineDrive drive;
        QVERIFY(drive.makeFile("R/r.txt"));
        QVERIFY(drive.makeFile("R/a/a.txt"));
        QCOMPARE(::symlink(QFile::encodeName(drive.host("R")).constData(),
                           QFile::encodeName(drive.host("R/a/zurueck")).constData()),
                 0);
        QCOMPARE(::symlink("..", QFile::encodeName(drive.host("R/a/hoch")).constData()), 0);
        // Links to files are files; links to directories are neither.
        QCOMPARE(::symlink("../r.txt", QFile::encodeName(drive.host("R/a/verweis.txt")).constData()), 0);
        QCOMPARE(::symlink("fehlt", QFile::encodeName(drive.host("R/a/ins-leere")).constData()), 0);
        QCOMPARE(scan(drive.worker, "D:\\R", "*.*"),
                 (QStringList{"D:\\R\\a\\a.txt", "D:\\R\\a\\ins-leere", "D:\\R\\a\\verweis.txt", "D:\\R\\r.txt"}));
        QCOMPARE(drive.visits, (QStringList{"D:\\R", "D:\\R\\a"}));
    }

    void undecodableNamesStayReachable()
    {
        EngineDrive drive;
        QVERIFY(drive.makeDir("R"));
        const QByteArray dir = QFile::encodeName(drive.host("R")) + "/b\xe4r";
        QCOMPARE(::mkdir(dir.constData(), 0755), 0);
        ::close(::open((dir + "/f\xfc.jpg").constData(), O_CREAT | O_WRONLY, 0644));
        const QStringList found = scan(drive.worker, "D:\\R", "*.JPG");
        QCOMPARE(found.size(), 1);
        const QString expected = QStringLiteral("D:\\R\\b") + QChar(0xDCE4) + QStringLiteral("r\\f") + QChar(0xDCFC)
            + QStringLiteral(".jpg");
        QCOMPARE(found.first(), expected);
        QVERIFY(drive.fs().attributes(found.first()).ok());
        // QTemporaryDir cannot remove what it cannot name.
        ::unlink((dir + "/f\xfc.jpg").constData());
        ::rmdir(dir.constData());
    }

    // 16-bit counts would have lost every file beyond 32767.
    void findsMoreThan32767Files()
    {
        // A memory file system where there is one: creating many files on
        // this disk soon after deleting many is slow.
        const QString shm = QStringLiteral("/dev/shm");
        EngineDrive drive('D', QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm : QString());
        const int perDirectory = 10000;
        const int directories = 4;
        for (int d = 0; d < directories; ++d) {
            const QByteArray folder = QFile::encodeName(drive.host(QStringLiteral("viel/d%1").arg(d)));
            QVERIFY(QDir().mkpath(QString::fromUtf8(folder)));
            for (int i = 0; i < perDirectory; ++i) {
                const QByteArray name = folder + "/f" + QByteArray::number(i).rightJustified(5, '0') + ".jpg";
                const int fd = ::open(name.constData(), O_CREAT | O_WRONLY, 0644);
                QVERIFY(fd >= 0);
                ::close(fd);
            }
        }
        QString path = QStringLiteral("D:\\viel");
        QString patterns = QStringLiteral("*.jpg");
        ScanTree(drive.worker, path, patterns);
        QCOMPARE(drive.worker.lstFoundFiles.count(), qsizetype(perDirectory * directories));
        QCOMPARE(drive.worker.lstFoundFiles.item(0), QStringLiteral("D:\\viel\\d0\\f00000.jpg"));
        QCOMPARE(drive.worker.lstFoundFiles.item(32767), QStringLiteral("D:\\viel\\d3\\f02767.jpg"));
        QCOMPARE(drive.worker.lstFoundFiles.item(39999), QStringLiteral("D:\\viel\\d3\\f09999.jpg"));
    }

    // Helpers read at most a few thousand folders ahead, then wait until the
    // walk has taken a stretch of them: the walk goes past that bound in order.
    void helpersPastTheirBoundKeepTheOrder()
    {
        const QString shm = QStringLiteral("/dev/shm");
        EngineDrive drive('D', QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm : QString());
        const int folders = 6000;
        for (int d = 0; d < folders; ++d)
            QVERIFY(drive.makeFile(QStringLiteral("B/d%1/f.txt").arg(d, 4, 10, QLatin1Char('0'))));
        drive.worker.walk.readers = 4;
        const QStringList found = scan(drive.worker, "D:\\B", "*.txt");
        QCOMPARE(found.size(), folders);
        for (int d = 0; d < folders; d += 997)
            QCOMPARE(found.at(d), QStringLiteral("D:\\B\\d%1\\f.txt").arg(d, 4, 10, QLatin1Char('0')));
    }

    void walkFromTheCacheStartsNoDiskReaders()
    {
        // A walk the cache serves shares its reading with one helper at most
        // (where a second processor is idle); the many readers are for a
        // disk that keeps the walk waiting.
        EngineDrive drive;
        for (int d = 0; d < 40; ++d)
            QVERIFY(drive.makeFile(QStringLiteral("W/d%1/e%1/f.txt").arg(d)));
        QCOMPARE(scan(drive.worker, "D:\\W", "*.txt").size(), 40); // now in the cache
        const auto threads = [] {
            return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
        };
        const qsizetype before = threads();
        qsizetype most = 0;
        drive.worker.beforeYield = [&] { most = std::max(most, threads()); };
        QCOMPARE(scan(drive.worker, "D:\\W", "*.txt").size(), 40);
        QVERIFY2(most <= before + 1, qPrintable(QString::number(most - before)));
    }

    void walkBesideBusyProcessorsReadsAlone()
    {
        // Where other programs keep every other processor busy, a helper
        // would only take turns with them and cost more than it brings.
        EngineDrive drive;
        for (int d = 0; d < 40; ++d)
            QVERIFY(drive.makeFile(QStringLiteral("W/d%1/e%1/f.txt").arg(d)));
        QCOMPARE(scan(drive.worker, "D:\\W", "*.txt").size(), 40); // now in the cache
        std::vector<std::unique_ptr<QProcess>> spinners;
        for (unsigned i = 1; i < std::thread::hardware_concurrency(); ++i) {
            spinners.push_back(std::make_unique<QProcess>());
            spinners.back()->start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
            QVERIFY(spinners.back()->waitForStarted());
        }
        const auto threads = [] {
            return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
        };
        const qsizetype before = threads();
        qsizetype most = 0;
        drive.worker.beforeYield = [&] { most = std::max(most, threads()); };
        const qsizetype found = scan(drive.worker, "D:\\W", "*.txt").size();
        for (const auto &spinner : spinners)
            spinner->kill();
        for (const auto &spinner : spinners)
            spinner->waitForFinished();
        QCOMPARE(found, 40);
        QCOMPARE(most, before);
    }

    // The readers start when the walking thread's readings keep waiting, not
    // for a few waits among many readings the cache served, nor for waits
    // between its readings (for a lock, for a helper), nor for readings that
    // take long without waiting (preempted). Real waits: the thread sleeps.
    void diskWaitsTellColdFromWarm_data()
    {
        QTest::addColumn<int>("readings");
        QTest::addColumn<int>("waitEvery"); // 0: never
        QTest::addColumn<int>("waitMicroseconds");
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("cold");
        QTest::newRow("the cache serves every reading") << 200 << 0 << 0 << "sleep inside" << false;
        QTest::newRow("a few folders read again") << 200 << 8 << 300 << "sleep inside" << false;
        QTest::newRow("cold disk") << 64 << 1 << 100 << "sleep inside" << true;
        QTest::newRow("slow disk, before a run of readings is full") << 3 << 1 << 12000 << "sleep inside" << true;
        QTest::newRow("waits between the readings") << 200 << 1 << 100 << "sleep between" << false;
        QTest::newRow("long readings without a wait") << 200 << 1 << 100 << "busy inside" << false;
    }

    void diskWaitsTellColdFromWarm()
    {
        QFETCH(int, readings);
        QFETCH(int, waitEvery);
        QFETCH(int, waitMicroseconds);
        QFETCH(QString, how);
        QFETCH(bool, cold);
        const auto pause = [&](int i) {
            if (!waitEvery || i % waitEvery != 0)
                return;
            const auto length = std::chrono::microseconds(waitMicroseconds);
            if (how.startsWith(QLatin1String("sleep"))) {
                std::this_thread::sleep_for(length);
                return;
            }
            for (const auto end = std::chrono::steady_clock::now() + length; std::chrono::steady_clock::now() < end;) {}
        };
        const bool inside = how.endsWith(QLatin1String("inside"));
        DiskWaits waits;
        bool told = false;
        for (int i = 1; i <= readings && !told; ++i) {
            if (!inside)
                pause(i);
            waits.readingStarts();
            if (inside)
                pause(i);
            told = waits.coldAfterReading();
        }
        QCOMPARE(told, cold);
    }

private:
    static void removeDeepChain(const QString &top, const QByteArray &level, int depth)
    {
        std::vector<int> fds;
        int fd = ::open(QFile::encodeName(top).constData(), O_RDONLY | O_DIRECTORY);
        for (int i = 0; i < depth && fd >= 0; ++i) {
            fds.push_back(fd);
            fd = ::openat(fd, level.constData(), O_RDONLY | O_DIRECTORY);
        }
        if (fd >= 0) {
            ::unlinkat(fd, "tief.txt", 0);
            ::close(fd);
        }
        while (!fds.empty()) {
            ::unlinkat(fds.back(), level.constData(), AT_REMOVEDIR);
            ::close(fds.back());
            fds.pop_back();
        }
    }
};

QTEST_GUILESS_MAIN(TestScanner)
#include "test_scanner.moc"
