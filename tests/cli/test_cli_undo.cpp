// Undo against what it must not trust: a file changed in place with its
// size and time kept, journals edited by hand, runs killed between a
// placement and its journal line, and a journal that lies in the target.
#include "clichild.h"
#include "clifiles.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace quorvane::testsupport;

QByteArray lineOf(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

qint64 nanoseconds(const struct timespec &t)
{
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// A journal line's identity of the file at path as it is now.
QJsonObject identityOf(const QByteArray &path, QJsonObject line)
{
    struct stat st {};
    ::lstat(path.constData(), &st);
    line.insert("device", qint64(st.st_dev));
    line.insert("inode", qint64(st.st_ino));
    line.insert("size", qint64(st.st_size));
    line.insert("mtime_ns", nanoseconds(st.st_mtim));
    line.insert("ctime_ns", nanoseconds(st.st_ctim));
    return line;
}

// Other bytes of the same length written into the file itself, its modification time put back.
bool replaceInPlace(const QByteArray &path, const QByteArray &bytes)
{
    struct stat st {};
    const int fd = ::open(path.constData(), O_WRONLY);
    const bool ok = fd >= 0 && ::fstat(fd, &st) == 0 && st.st_size == bytes.size()
        && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    const bool timed = ok && ::futimens(fd, times) == 0;
    if (fd >= 0)
        ::close(fd);
    return timed;
}

// Files (not folders) below folder.
int filesIn(const QByteArray &folder)
{
    int files = 0;
    for (const QByteArray &name : treeOf(folder).keys())
        files += name.endsWith('/') ? 0 : 1;
    return files;
}

} // namespace

class TestCliUndo : public QObject {
    Q_OBJECT

private slots:
    void init();
    void undoRefuses_data();
    void undoRefuses();
    void undoAfterKill_data();
    void undoAfterKill();
    void journalInsideTarget_data();
    void journalInsideTarget();
    void undoIdentical_data();
    void undoIdentical();

private:
    QByteArray path(const char *relative) const { return QFile::encodeName(m_dir->filePath(relative)); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_pids; // apart, so that the folders compared hold none
};

void TestCliUndo::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_pids = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid() && m_pids->isValid());
}

void TestCliUndo::undoRefuses_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QByteArray>("named"); // relative to the test's folder; "" the journal
    QTest::addColumn<int>("undone");       // the run's own copy, where undo still sees it
    QTest::newRow("same size and time, other bytes") << "impostor" << QByteArray("tgt/b.txt") << 0;
    QTest::newRow("copy line naming a file outside the target") << "copy" << QByteArray("out/victim.txt") << 1;
    QTest::newRow("move line from and to outside the roots") << "move" << QByteArray("out/new/victim.txt") << 1;
    QTest::newRow("line with ..") << "dots" << QByteArray("tgt/../out/victim.txt") << 1;
    QTest::newRow("journal without a header") << "headless" << QByteArray() << 0;
}

void TestCliUndo::undoRefuses()
{
    QFETCH(QString, edit);
    QFETCH(QByteArray, named);
    QFETCH(int, undone);
    const QByteArray journal = path("run.jsonl");
    QVERIFY(makeFile(path("src/b.txt"), "bytes of b"));
    QVERIFY(makeFile(path("out/victim.txt"), "precious"));
    QCOMPARE(runCli(cliArgs({"image", path("src"), path("tgt"), "--all", "--journal", journal})).exitCode, 0);
    QByteArray victim = path("out/victim.txt");
    QByteArray expected = "precious";
    const auto intent = [&](const char *operation, const QByteArray &source, const QByteArray &target) {
        return lineOf(QJsonObject{{"intent", 2},
                                  {"operation", operation},
                                  {"source", QFile::decodeName(source)},
                                  {"target", QFile::decodeName(target)}})
            + lineOf(identityOf(victim, {{"done", 2}}));
    };
    QByteArray appended;
    if (edit == u"impostor") {
        victim = path("tgt/b.txt");
        expected = "other byte";
        QVERIFY(replaceInPlace(victim, expected));
    } else if (edit == u"copy") {
        appended = intent("copy", path("src/b.txt"), victim);
    } else if (edit == u"move") {
        appended = intent("move", path("out/new/victim.txt"), victim);
    } else if (edit == u"dots") {
        appended = intent("copy", path("src/b.txt"), path("tgt") + "/../out/victim.txt");
    } else {
        struct stat st {};
        ::lstat(victim.constData(), &st);
        QVERIFY(::unlink(journal.constData()) == 0);
        QVERIFY(makeFile(journal,
                         lineOf({{"operation", "copy"},
                                 {"source", QFile::decodeName(path("src/b.txt"))},
                                 {"target", QFile::decodeName(victim)},
                                 {"size", qint64(st.st_size)},
                                 {"mtime_ns", nanoseconds(st.st_mtim)}})));
    }
    QVERIFY(makeFile(journal, contentOf(journal) + appended));

    const ChildRun o = runCli(cliArgs({"undo", journal}));
    QCOMPARE(o.exitCode, 1);
    const QByteArray subject = named.isEmpty() ? journal : QFile::encodeName(m_dir->path()) + '/' + named;
    QVERIFY2(o.errors.contains("nicht rückgängig: " + subject + ": "), o.errors.constData());
    QVERIFY2(o.errors.contains(QStringLiteral("rückgängig gemacht %1, nicht rückgängig 1").arg(undone).toUtf8()),
             o.errors.constData());
    QCOMPARE(contentOf(victim), expected);
    QCOMPARE(treeOf(path("out")).keys(), QList<QByteArray>{"victim.txt"});
    QCOMPARE(contentOf(path("src/b.txt")), QByteArray("bytes of b"));
}

void TestCliUndo::undoAfterKill_data()
{
    QTest::addColumn<QString>("injection");
    QTest::addColumn<bool>("acrossSystems");
    QTest::addColumn<int>("inTarget"); // files in the target and the source while the child is held
    QTest::addColumn<int>("inSource");
    // Each holds the second of three moves; the first is done, the third never begun.
    QTest::newRow("renamed, its line not written") << "renameat2:delay_exit" << false << 2 << 1;
    QTest::newRow("copied to another file system, not yet named") << "linkat:delay_enter" << true << 1 << 2;
    QTest::newRow("copied to another file system, source still there") << "unlinkat:delay_enter" << true << 2 << 2;
    QTest::newRow("copied to another file system, source removed") << "unlinkat:delay_exit" << true << 2 << 1;
}

void TestCliUndo::undoAfterKill()
{
    QFETCH(QString, injection);
    QFETCH(bool, acrossSystems);
    QFETCH(int, inTarget);
    QFETCH(int, inSource);
    if (!haveStrace())
        QSKIP("strace is not installed");
    std::unique_ptr<QTemporaryDir> other;
    QByteArray target = path("tgt");
    if (acrossSystems) {
        if (otherFileSystem().isEmpty())
            QSKIP("no writable /dev/shm on another file system");
        other = std::make_unique<QTemporaryDir>(otherFileSystem() + QStringLiteral("/qv-undo-XXXXXX"));
        target = QFile::encodeName(other->path());
    }
    for (const char *name : {"/f1.jpg", "/f2.jpg", "/f3.jpg"})
        QVERIFY(makeFile(path("src") + name, QByteArray("content of ") + name));
    const QMap<QByteArray, QByteArray> sources = treeOf(path("src"));
    const QByteArray journal = path("run.jsonl");

    Child child(m_pids->filePath("pid"), traced({"-e", "inject=" + injection + "=1500000:when=2"}),
                   cliArgs({"image", path("src"), target, "--all", "--move", "--journal", journal}));
    bool held = false;
    for (int waited = 0; waited < 10000 && !held; waited += 10) {
        held = filesIn(target) == inTarget && filesIn(path("src")) == inSource
            && (injection != u"linkat:delay_enter" || child.copying(10));
        if (!held)
            QThread::msleep(10);
    }
    child.kill();
    const ChildRun killed = child.finish();
    if (!killed.cannotSetUp.isEmpty())
        QSKIP(qPrintable(killed.cannotSetUp));
    QVERIFY2(held, "the second move was never seen held");
    QCOMPARE(killed.exitCode, -1);
    // The second move is announced and never closed.
    QVERIFY2(contentOf(journal).trimmed().split('\n').last().contains("\"intent\":2"), contentOf(journal).constData());

    const ChildRun undone = runCli(cliArgs({"undo", journal}));
    QVERIFY2(undone.errors.contains("nicht rückgängig 0\n"), undone.errors.constData());
    QCOMPARE(undone.exitCode, 0);
    QCOMPARE(treeOf(path("src")), sources);
    QCOMPARE(filesIn(target), 0);
}

void TestCliUndo::journalInsideTarget_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("recursive copy") << QStringList{"--recursive"};
    QTest::newRow("recursive dummies") << QStringList{"--recursive", "--null-byte"};
}

void TestCliUndo::journalInsideTarget()
{
    QFETCH(QStringList, options);
    QVERIFY(makeFile(path("src/sub/a.txt"), "source a"));
    QVERIFY(makeFile(path("src/b.txt"), "source b"));
    QVERIFY(QDir().mkpath(m_dir->filePath("tgt/sub")));
    // The journal has the name the run gives the first source's image.
    const QByteArray journal = path("tgt/sub/a.txt");
    const ChildRun run = runCli(cliArgs({"image", path("src"), path("tgt"), "--all", "--journal", journal}) + options);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errors.contains("Würde das Protokoll dieses Laufs ersetzen"), run.errors.constData());
    const QByteArray written = contentOf(journal);
    QVERIFY2(written.startsWith("{") && written.contains("\"format\":\"quorvane-journal\""), written.constData());
    QVERIFY(exists(path("tgt/b.txt")));

    const ChildRun undone = runCli(cliArgs({"undo", journal}));
    QVERIFY2(undone.errors.contains("rückgängig gemacht 1, nicht rückgängig 0"), undone.errors.constData());
    QCOMPARE(undone.exitCode, 0);
    QVERIFY(!exists(path("tgt/b.txt")));
    QCOMPARE(contentOf(journal), written);
    QCOMPARE(contentOf(path("src/sub/a.txt")), QByteArray("source a"));
}

void TestCliUndo::undoIdentical_data()
{
    QTest::addColumn<QByteArray>("newcomer"); // put at the source's old place after the run; "" none
    QTest::addColumn<int>("exitCode");
    QTest::newRow("old place empty: the bytes come back") << QByteArray() << 0;
    QTest::newRow("another file at the old place stays") << QByteArray("newcomer") << 1;
}

void TestCliUndo::undoIdentical()
{
    // A move that found the source's bytes in the target already removed
    // the source: undo brings back a copy of the kept file, never over
    // whatever stands at the old place meanwhile.
    QFETCH(QByteArray, newcomer);
    QFETCH(int, exitCode);
    QVERIFY(makeFile(path("src/d/same.jpg"), "same bytes"));
    QVERIFY(makeFile(path("tgt/same.jpg"), "same bytes"));
    const QByteArray journal = path("run.jsonl");
    const ChildRun run =
        runCli(cliArgs({"image", path("src"), path("tgt"), "--all", "--move", "--skip-identical", "--journal", journal}));
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(contentOf(journal).contains("\"operation\":\"identical\""), contentOf(journal).constData());
    QVERIFY(!exists(path("src/d/same.jpg")));
    if (!newcomer.isEmpty())
        QVERIFY(makeFile(path("src/d/same.jpg"), newcomer));

    const ChildRun undone = runCli(cliArgs({"undo", journal}));
    QCOMPARE(undone.exitCode, exitCode);
    if (exitCode != 0)
        QVERIFY2(undone.errors.contains("nicht rückgängig: " + path("src/d/same.jpg") + ": "), undone.errors.constData());
    QCOMPARE(contentOf(path("src/d/same.jpg")), newcomer.isEmpty() ? QByteArray("same bytes") : newcomer);
    QCOMPARE(contentOf(path("tgt/same.jpg")), QByteArray("same bytes"));
}

QTEST_GUILESS_MAIN(TestCliUndo)
#include "test_cli_undo.moc"
