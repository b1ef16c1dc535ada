// The imaging run where it must not lose data: a file put onto itself, a
// full disk, a move to another file system, all clash names taken, the source
// folders left after a move.
#include "runfixture.h"

#include "engine/journal/journalundo.h"
#include "platform/services.h"
#include "support/childrun.h"

#include <QCoreApplication>
#include <QStorageInfo>
#include <QtTest>

#include <cstdio>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

using namespace quorvane;

namespace {

// Child mode: runs one image from S:\ to T:\ (drives from QUORVANE_DRIVES)
// and prints the summary and what T:\ holds, because the private mount that
// T:\ may stand on is gone when this process ends.
int runChild(const QString &mode, const QString &targetHost)
{
    if (mode == u"copy-recursive") {
        QFile old(targetHost + QStringLiteral("/keep.bin"));
        if (!old.open(QIODevice::WriteOnly) || old.write(QByteArray(100 * 1024, 'o')) != 100 * 1024)
            return 3;
    }
    JobOptions o = jobOn(QStringLiteral("S:\\"), QStringLiteral("T:\\"));
    o.Recursive = mode == u"copy-recursive" ? Checked : Unchecked;
    o.DeleteSources = mode == u"move-flat" ? Checked : Unchecked;
    const RunSummary summary = runWith(o);
    std::printf("summary %lld %lld\n", static_cast<long long>(summary.imaged), static_cast<long long>(summary.skipped));
    for (const QString &name : treeOf(targetHost)) {
        const QByteArray content = contentOf(targetHost + QLatin1Char('/') + name);
        std::printf("entry %s %lld %c\n", qPrintable(name), static_cast<long long>(content.size()),
                    content.isEmpty() ? '-' : content.at(0));
    }
    return 0;
}

QByteArray filled(qsizetype size, char c)
{
    return QByteArray(size, c);
}

dev_t deviceOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_dev : dev_t(0);
}

} // namespace

class TestImagingMends : public QObject {
    Q_OBJECT

private slots:
    void ontoItself_data();
    void ontoItself();
    void linksToTheSource_data();
    void linksToTheSource();
    void allClashNamesTaken();
    void manyEqualNamesFlat();
    void moveNeverReplaces();
    void nullByteCutsExistingTarget();
    void unreadableSourceIsSkipped();
    void emptiedSourceFoldersGo();
    void windowMovesKeepTheirJournals();
    void moveToAnotherFileSystem();
    void fullDisk_data();
    void fullDisk();
    void systemFoldersRefused_data();
    void systemFoldersRefused();
};

void TestImagingMends::ontoItself_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("nullByte");
    QTest::addColumn<int>("deleteSources");

    QTest::newRow("copy, same path") << "D:\\src" << 0 << 0;
    QTest::newRow("dummies, same path") << "D:\\src" << 1 << 0;
    QTest::newRow("move, same path") << "D:\\src" << 0 << 1;
    QTest::newRow("dummies, other letter case") << "D:\\SRC\\" << 1 << 0;
    QTest::newRow("copy, other drive letter") << "E:\\src" << 0 << 0;
    QTest::newRow("dummies, other drive letter") << "E:\\src" << 1 << 0;
}

void TestImagingMends::ontoItself()
{
    QFETCH(QString, target);
    QFETCH(int, nullByte);
    QFETCH(int, deleteSources);

    EngineDrive drive;
    drive.mapExtra('E', drive.host());
    QVERIFY(drive.makeFile("src/a.txt", "keep me"));
    QVERIFY(drive.makeFile("src/sub/b.txt", "me too"));
    JobOptions o = jobOn(QStringLiteral("D:\\src"), target);
    o.Recursive = Checked;
    o.NullByte = nullByte;
    o.DeleteSources = deleteSources;
    const RunSummary summary = runWith(o);

    QCOMPARE(summary.imaged, 0);
    QCOMPARE(summary.skipped, 2);
    QCOMPARE(contentOf(drive.host("src/a.txt")), QByteArray("keep me"));
    QCOMPARE(contentOf(drive.host("src/sub/b.txt")), QByteArray("me too"));
    QCOMPARE(treeOf(drive.host("src")), QStringList({"a.txt", "sub/", "sub/b.txt"}));
}

void TestImagingMends::linksToTheSource_data()
{
    QTest::addColumn<bool>("folderLink"); // else a link to the file itself
    QTest::addColumn<int>("nullByte");
    QTest::addColumn<int>("deleteSources");

    QTest::newRow("dummy onto a file link") << false << 1 << 0;
    QTest::newRow("copy onto a file link") << false << 0 << 0;
    QTest::newRow("move onto a file link") << false << 0 << 1;
    QTest::newRow("dummy through a folder link") << true << 1 << 0;
    QTest::newRow("copy through a folder link") << true << 0 << 0;
}

void TestImagingMends::linksToTheSource()
{
    // The target already holds the source under another name: the file must
    // come through whole, whatever the image does.
    QFETCH(bool, folderLink);
    QFETCH(int, nullByte);
    QFETCH(int, deleteSources);

    EngineDrive drive;
    QVERIFY(drive.makeFile("src/sub/a.txt", "precious"));
    if (folderLink) {
        QVERIFY(drive.makeDir("tgt"));
        QVERIFY(QFile::link(drive.host("src/sub"), drive.host("tgt/sub")));
    } else {
        QVERIFY(drive.makeDir("tgt/sub"));
        QVERIFY(QFile::link(drive.host("src/sub/a.txt"), drive.host("tgt/sub/a.txt")));
    }
    JobOptions o = jobOn();
    o.Recursive = Checked;
    o.NullByte = nullByte;
    o.DeleteSources = deleteSources;
    const RunSummary summary = runWith(o);

    QCOMPARE(summary.imaged, 0);
    QCOMPARE(summary.skipped, 1);
    QCOMPARE(contentOf(drive.host("src/sub/a.txt")), QByteArray("precious"));
}

void TestImagingMends::allClashNamesTaken()
{
    EngineDrive drive;
    QVERIFY(drive.makeFile("tgt/a.txt", "old"));
    for (int k = 1; k <= 999; ++k)
        QVERIFY(drive.makeFile(QStringLiteral("tgt/a[%1].txt").arg(k), "old"));
    QVERIFY(drive.makeFile("src/a.txt", "new"));
    QVERIFY(drive.makeFile("src/b.txt", "new"));
    const RunSummary summary = runWith(jobOn());

    QCOMPARE(summary.skipped, 1);
    QCOMPARE(summary.imaged, 1);
    // The record says which file, that no name was found, and why.
    QCOMPARE(summary.skippedFiles.size(), 1);
    const SkippedFile &skipped = summary.skippedFiles.first();
    QCOMPARE(int(skipped.action), int(ImageAction::Copy));
    QCOMPARE(skipped.source, QStringLiteral("D:\\src\\a.txt"));
    QVERIFY(skipped.target.isEmpty());
    QCOMPARE(skipped.reason, QStringLiteral("Alle Namen bis [999] sind schon vergeben"));
    QCOMPARE(treeOf(drive.host("tgt")).size(), 1001);
    QCOMPARE(contentOf(drive.host("tgt/a.txt")), QByteArray("old"));
    QCOMPARE(contentOf(drive.host("tgt/a[999].txt")), QByteArray("old"));
    QCOMPARE(contentOf(drive.host("tgt/b.txt")), QByteArray("new"));
}

void TestImagingMends::manyEqualNamesFlat()
{
    // The last free numbers are handed out in order, then no name is left.
    EngineDrive drive;
    QVERIFY(drive.makeFile("tgt/a.txt", "old"));
    for (int k = 1; k <= 996; ++k)
        QVERIFY(drive.makeFile(QStringLiteral("tgt/a[%1].txt").arg(k), "old"));
    for (int i = 0; i < 5; ++i)
        QVERIFY(drive.makeFile(QStringLiteral("src/d%1/A.txt").arg(i), QByteArray::number(i)));
    JobOptions o = jobOn();
    o.DeleteSources = Checked;
    const RunSummary summary = runWith(o);

    QCOMPARE(summary.imaged, 3);
    QCOMPARE(summary.skipped, 2);
    QCOMPARE(contentOf(drive.host("tgt/A[997].txt")), QByteArray("0"));
    QCOMPARE(contentOf(drive.host("tgt/A[999].txt")), QByteArray("2"));
    QCOMPARE(contentOf(drive.host("tgt/a[996].txt")), QByteArray("old"));
    QCOMPARE(treeOf(drive.host("tgt")).size(), 1000);
    QCOMPARE(treeOf(drive.host("src")), QStringList({"d3/", "d3/A.txt", "d4/", "d4/A.txt"}));
}

void TestImagingMends::moveNeverReplaces()
{
    EngineDrive drive;
    QVERIFY(drive.makeFile("src/sub/a.txt", "source"));
    QVERIFY(drive.makeFile("tgt/sub/a.txt", "target"));
    const QString source = drive.host("src/sub/a.txt");
    QVERIFY(QFile::setPermissions(source, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    JobOptions o = jobOn();
    o.Recursive = Checked;
    o.DeleteSources = Checked;
    const RunSummary summary = runWith(o);

    QCOMPARE(summary.skipped, 1);
    QCOMPARE(contentOf(source), QByteArray("source"));
    QCOMPARE(contentOf(drive.host("tgt/sub/a.txt")), QByteArray("target"));
    // The failed move gives the source its read-only mark back.
    QVERIFY(!(QFileInfo(source).permissions() & QFile::WriteOwner));
    QVERIFY(QFileInfo(drive.host("src/sub")).isDir());
}

void TestImagingMends::nullByteCutsExistingTarget()
{
    EngineDrive drive;
    QVERIFY(drive.makeFile("src/a.txt", "source"));
    QVERIFY(drive.makeFile("tgt/a.txt", "a longer old target"));
    JobOptions o = jobOn();
    o.Recursive = Checked;
    o.NullByte = Checked;
    const int yieldsBefore = drive.toolkit.yieldCount();
    const RunSummary summary = runWith(o);
    QCOMPARE(summary.imaged, 1);
    QCOMPARE(QFileInfo(drive.host("tgt/a.txt")).size(), 0);
    QCOMPARE(contentOf(drive.host("src/a.txt")), QByteArray("source"));
    QCOMPARE(treeOf(drive.host("tgt")), QStringList({"a.txt"}));
    // One yield for the scan visit, one inside the dummy, one after the entry.
    QVERIFY(drive.toolkit.yieldCount() - yieldsBefore >= 3);
}

void TestImagingMends::unreadableSourceIsSkipped()
{
    EngineDrive drive;
    QVERIFY(drive.makeFile("src/a.txt", "a"));
    QVERIFY(drive.makeFile("src/c.txt", "c"));
    QVERIFY(drive.makeDir("tgt"));
    if (::mkfifo(QFile::encodeName(drive.host("src/b.txt")).constData(), 0644) != 0)
        QSKIP("cannot make a named pipe here");
    const RunSummary summary = runWith(jobOn());
    QCOMPARE(summary.found, 3);
    QCOMPARE(summary.skipped, 1);
    QCOMPARE(treeOf(drive.host("tgt")), QStringList({"a.txt", "c.txt"}));
}

void TestImagingMends::emptiedSourceFoldersGo()
{
    EngineDrive drive;
    QVERIFY(drive.makeFile("src/top.txt"));
    QVERIFY(drive.makeFile("src/a/x.txt"));
    QVERIFY(drive.makeFile("src/a/keep.dat")); // matches no pattern
    QVERIFY(drive.makeFile("src/b/c/y.txt"));
    QVERIFY(drive.makeFile("src/b/z.txt"));
    QVERIFY(drive.makeDir("src/e")); // empty before, untouched
    QVERIFY(drive.makeFile("src/d/f/w.txt"));
    QVERIFY(drive.makeDir("src/d/f/g")); // keeps f and d
    QVERIFY(drive.makeFile("src/h/.hidden.txt"));
    QVERIFY(drive.makeFile("src/h/.other")); // hidden, matches nothing
    JobOptions o = jobOn();
    o.AllTypes = Unchecked;
    o.TextGroup = Checked;
    o.DeleteSources = Checked;
    o.Recursive = Checked;
    const RunSummary summary = runWith(o);

    QCOMPARE(summary.imaged, 6);
    QCOMPARE(treeOf(drive.host("src")),
             QStringList({"a/", "a/keep.dat", "d/", "d/f/", "d/f/g/", "e/", "h/", "h/.other"}));

    // A source that ends up empty stays itself.
    QVERIFY(drive.makeFile("only/one.txt"));
    o.SourceDir = QStringLiteral("D:\\only");
    o.TargetDir = QStringLiteral("D:\\tgt2");
    runWith(o);
    QCOMPARE(treeOf(drive.host("only")), QStringList());
    QVERIFY(QFileInfo(drive.host("only")).isDir());
}

void TestImagingMends::windowMovesKeepTheirJournals()
{
    EngineDrive drive;
    const QByteArray before = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", QFile::encodeName(drive.host("state")));
    const QString journals = drive.host("state/quorvane");
    JobOptions o = jobOn();
    o.JournalMoves = true;
    QVERIFY(drive.makeFile("src/copied.txt"));
    runWith(o);
    QVERIFY2(!QFileInfo::exists(journals), "a run that only copies keeps no journal");

    o.DeleteSources = Checked;
    o.Recursive = Checked;
    for (int run = 0; run < 21; ++run) {
        QVERIFY(drive.makeFile(QStringLiteral("src/sub/moved%1.txt").arg(run), "m"));
        o.TargetDir = QStringLiteral("D:\\tgt%1").arg(run);
        const RunSummary summary = runWith(o);
        QVERIFY(summary.journalFailure.ok());
    }
    qputenv("XDG_STATE_HOME", before);
    QStringList names = QDir(journals).entryList(QDir::Files, QDir::Name);
    QCOMPARE(names.size(), 20);
    QFile newest(journals + QLatin1Char('/') + names.last());
    QVERIFY(newest.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = newest.readAll().split('\n');
    QCOMPARE(lines.size(), 4); // the header, the last run's one move announced and done, the end of its line
    QVERIFY(lines.at(0).contains("\"format\":\"quorvane-journal\""));
    QVERIFY(lines.at(1).contains("\"operation\":\"move\""));
    QVERIFY(lines.at(1).contains(QFile::encodeName(drive.host("src/sub/moved20.txt"))));
    QVERIFY(lines.at(2).contains("\"done\":1"));
    // Undo takes the newest back.
    const UndoSummary undone = undoJournal(QStringLiteral("D:\\state\\quorvane\\") + names.last());
    QCOMPARE(undone.undone, 1);
    QVERIFY(undone.failures.isEmpty());
    QVERIFY(QFileInfo::exists(drive.host("src/sub/moved20.txt")));
    QVERIFY(!QFileInfo::exists(drive.host("tgt20/sub/moved20.txt")));
}

void TestImagingMends::moveToAnotherFileSystem()
{
    QTemporaryDir other(QStringLiteral("/dev/shm/qv-run-XXXXXX"));
    EngineDrive drive;
    if (!other.isValid() || deviceOf(other.path()) == deviceOf(drive.host()))
        QSKIP("no second file system (/dev/shm) here");
    drive.mapExtra('T', other.path());
    QVERIFY(drive.makeFile("src/sub/deep/x.txt", filled(300000, 'x')));
    QVERIFY(drive.makeFile("src/sub/y.txt", "y"));
    JobOptions o = jobOn(QStringLiteral("D:\\src"), QStringLiteral("T:\\"));
    o.Recursive = Checked;
    o.DeleteSources = Checked;
    const RunSummary summary = runWith(o);

    QCOMPARE(summary.imaged, 2);
    QCOMPARE(contentOf(other.filePath("sub/deep/x.txt")), filled(300000, 'x'));
    QCOMPARE(contentOf(other.filePath("sub/y.txt")), QByteArray("y"));
    QCOMPARE(treeOf(drive.host("src")), QStringList());
}

void TestImagingMends::fullDisk_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("room");    // of the target's tmpfs
    QTest::addColumn<bool>("fillsMeanwhile"); // the disk fills during the run
    QTest::addColumn<QStringList>("expected"); // name size first-byte, in the full target
    QTest::addColumn<QStringList>("sourceLeft");

    // Another program fills the disk while the run writes (the first two
    // copies of each thread fail with ENOSPC): keep.bin, the old 100 KB
    // target, stays whole; new.bin leaves no trace. small.txt is empty, so
    // that it copies no bytes whichever thread writes it, and comes through.
    QTest::newRow("copy replacing a file")
        << "copy-recursive" << "4m" << true << QStringList{"summary 1 2", "entry keep.bin 102400 o", "entry small.txt 0 -"}
        << QStringList{"keep.bin", "new.bin", "small.txt"};
    QTest::newRow("move to a full file system")
        << "move-flat" << "4m" << true << QStringList{"summary 1 2", "entry small.txt 0 -"}
        << QStringList{"keep.bin", "new.bin"};
    // Too little room from the start: nothing is written at all.
    QTest::newRow("refused before writing")
        << "copy-recursive" << "512k" << false << QStringList{"summary 0 0", "entry keep.bin 102400 o"}
        << QStringList{"keep.bin", "new.bin", "small.txt"};
}

void TestImagingMends::fullDisk()
{
    QFETCH(QString, mode);
    QFETCH(QString, room);
    QFETCH(bool, fillsMeanwhile);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, sourceLeft);

    QTemporaryDir source;
    QTemporaryDir mountPoint;
    QVERIFY(source.isValid() && mountPoint.isValid());
    for (const auto &[name, content] :
         {std::pair{"keep.bin", filled(1024 * 1024, 'k')}, std::pair{"new.bin", filled(1024 * 1024, 'n')},
          std::pair{"small.txt", QByteArray()}}) {
        QFile f(source.filePath(QLatin1String(name)));
        QVERIFY(f.open(QIODevice::WriteOnly) && (content.isEmpty() || f.write(content) == content.size()));
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUORVANE_DRIVES"), QStringLiteral("S=%1;T=%2").arg(source.path(), mountPoint.path()));
    QString program = QCoreApplication::applicationFilePath();
    QStringList args{QStringLiteral("--child"), mode, mountPoint.path()};
    if (fillsMeanwhile) {
        if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
            QSKIP("strace is not installed");
        args = QStringList{QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-o"), QStringLiteral("/dev/null"),
                           QStringLiteral("-e"), QStringLiteral("trace=copy_file_range"), QStringLiteral("-e"),
                           QStringLiteral("inject=copy_file_range:error=ENOSPC:when=1..2"), program}
            + args;
        program = QStringLiteral("strace");
        env = testsupport::forTracedChild(env);
    }
    const testsupport::ChildRun child = testsupport::runUnder(
        testsupport::privateMounts(), QStringLiteral("mount -t tmpfs -o size=%1 tmpfs \"$1\"").arg(room),
        {mountPoint.path()}, program, args, env);
    if (!child.cannotSetUp.isEmpty())
        QSKIP(qPrintable(child.cannotSetUp));
    QVERIFY2(child.exitCode == 0, child.errors.constData());
    const QStringList lines = QString::fromUtf8(child.output).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines, expected);
    QCOMPARE(treeOf(source.path()), sourceLeft);
    if (sourceLeft.contains(QStringLiteral("keep.bin")))
        QCOMPARE(contentOf(source.filePath("keep.bin")), filled(1024 * 1024, 'k'));
    if (sourceLeft.contains(QStringLiteral("new.bin")))
        QCOMPARE(contentOf(source.filePath("new.bin")), filled(1024 * 1024, 'n'));
}

void TestImagingMends::systemFoldersRefused_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("mode"); // 0 copy, 1 dummy, 2 structure
    QTest::newRow("copy into the root") << "/" << "R:\\" << 0;
    QTest::newRow("dummies into /usr") << "/" << "R:\\usr" << 1;
    QTest::newRow("structure into /etc") << "/" << "R:\\etc" << 2;
    // Where /lib is a link to /usr/lib the folder is refused by either name.
    QTest::newRow("library folder by a link") << "/" << "R:\\lib" << 0;
    QTest::newRow("a drive mapped onto /var") << "/var" << "V:\\" << 0;
}

void TestImagingMends::systemFoldersRefused()
{
    QFETCH(QString, host);
    QFETCH(QString, target);
    QFETCH(int, mode);
    EngineDrive drive;
    drive.mapExtra(target.at(0).toLatin1(), host);
    const QString probe = QStringLiteral("qv-refused-%1.txt").arg(::getpid());
    QVERIFY(drive.makeFile(QStringLiteral("src/deeper/") + probe, "x"));
    const auto removeStray = qScopeGuard([&] {
        for (const QString &folder : {QStringLiteral("/"), QStringLiteral("/usr"), QStringLiteral("/etc"),
                                      QStringLiteral("/lib"), QStringLiteral("/var")}) {
            QFile::remove(folder + QLatin1Char('/') + probe);
            QDir(folder).rmdir(QStringLiteral("deeper"));
        }
    });
    JobOptions o = jobOn(QStringLiteral("D:\\src"), target);
    o.Recursive = Checked;
    o.NullByte = mode == 1 ? Checked : Unchecked;
    o.StructureOnly = mode == 2;
    const RunSummary summary = runWith(o);

    QCOMPARE(summary.imaged, 0);
    QCOMPARE(summary.dirsMirrored, 0);
    QVERIFY(summary.preflight.refusal.contains(QStringLiteral("Systemordner")));
    QCOMPARE(drive.toolkit.boxes().size(), size_t(1));
    QCOMPARE(drive.toolkit.boxes().front().prompt, summary.preflight.refusal);
    QVERIFY(!QFileInfo::exists(QStringLiteral("/") + probe));
}

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--child") == 0) {
        QCoreApplication app(argc, argv);
        return runChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    TestImagingMends test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_imagingmends.moc"
