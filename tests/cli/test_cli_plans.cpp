// The plan of an image against the run that follows it, files already in the
// target recognised by their bytes, the journal of a run and its undo, and
// the summary for scripts.
#include "clichild.h"
#include "clifiles.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using quorvane::testsupport::ChildRun;
using quorvane::testsupport::contentOf;
using quorvane::testsupport::exists;
using quorvane::testsupport::makeFile;
using quorvane::testsupport::treeOf;

// Byte names pass through as the program gets them.
ChildRun cli(const QList<QByteArray> &arguments, const QStringList &mechanism = {})
{
    return quorvane::testsupport::runCli(quorvane::testsupport::cliArgs(arguments), mechanism);
}

} // namespace

class TestCliPlans : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void planIsCarriedOut_data();
    void planIsCarriedOut();
    void planPredictsEverySkip_data();
    void planPredictsEverySkip();
    void identicalFiles_data();
    void identicalFiles();
    void undoRestoresMovedFiles_data();
    void undoRestoresMovedFiles();
    void undoReplacesNothing();
    void journalThatFailsStopsTheRun();
    void journalThatCannotSyncFails_data();
    void journalThatCannotSyncFails();
    void jsonSummary();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_src;
    QByteArray m_tgt;
};

void TestCliPlans::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_src = QFile::encodeName(m_dir->filePath("src"));
    m_tgt = QFile::encodeName(m_dir->filePath("tgt"));
}

void TestCliPlans::cleanup()
{
    // Names that are not UTF-8 are out of QDir's reach.
    QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), m_dir->path()});
}

void TestCliPlans::planIsCarriedOut_data()
{
    QTest::addColumn<QList<QByteArray>>("options");
    QTest::addColumn<bool>("targetThere");

    QTest::newRow("flat copy") << QList<QByteArray>{} << true;
    QTest::newRow("flat copy, new target") << QList<QByteArray>{} << false;
    QTest::newRow("recursive copy") << QList<QByteArray>{"--recursive"} << true;
    QTest::newRow("flat move") << QList<QByteArray>{"--move"} << true;
    QTest::newRow("recursive move, new target") << QList<QByteArray>{"--recursive", "--move"} << false;
    QTest::newRow("flat dummies") << QList<QByteArray>{"--null-byte"} << true;
}

void TestCliPlans::planIsCarriedOut()
{
    QFETCH(QList<QByteArray>, options);
    QFETCH(bool, targetThere);
    const bool moving = options.contains("--move");
    const bool dummies = options.contains("--null-byte");
    // Four files that clash in a flat image (letter case counts as the same
    // name), one without a dot, one whose name is not UTF-8.
    for (const char *name : {"/a/x.txt", "/b/x.txt", "/c/X.TXT", "/c/d/x.txt", "/README", "/d/caf\xe9.txt"})
        QVERIFY(makeFile(m_src + name, QByteArray("content of ") + name));
    if (targetThere) {
        QVERIFY(makeFile(m_tgt + "/x.txt", "old"));
        QVERIFY(makeFile(m_tgt + "/x[2].txt", "old 2"));
        QVERIFY(makeFile(m_tgt + "/a/x.txt", "old a"));
    }
    const QMap<QByteArray, QByteArray> sources = treeOf(m_src);
    const QMap<QByteArray, QByteArray> before = treeOf(m_tgt);

    const ChildRun plan = cli(QList<QByteArray>{"image", m_src, m_tgt, "--all", "--dry-run"} + options);
    QCOMPARE(plan.exitCode, 0);
    QVERIFY2(plan.errors.contains("Probelauf, nichts geschrieben: gefunden 6, abgebildet 6, übersprungen 0"),
             plan.errors.constData());
    QCOMPARE(treeOf(m_tgt), before);
    QCOMPARE(exists(m_tgt), targetThere);
    QCOMPARE(treeOf(m_src), sources);

    const QList<QByteArray> lines = plan.output.trimmed().split('\n');
    QCOMPARE(lines.size(), 6);
    const ChildRun run = cli(QList<QByteArray>{"image", m_src, m_tgt, "--all"} + options);
    QCOMPARE(run.exitCode, 0);
    QMap<QByteArray, QByteArray> expected = before;
    for (const QByteArray &line : lines) {
        const qsizetype arrow = line.indexOf(" -> ");
        QVERIFY2(arrow > 0, line.constData());
        const QByteArray source = line.left(arrow);
        const QByteArray target = line.mid(arrow + 4);
        QVERIFY2(source.startsWith(m_src + '/') && target.startsWith(m_tgt + '/'), line.constData());
        const QByteArray original = sources.value(source.mid(m_src.size() + 1), "<not a source>");
        QCOMPARE(contentOf(target), dummies ? QByteArray() : original);
        QCOMPARE(exists(source), !moving);
        expected.insert(target.mid(m_tgt.size() + 1), dummies ? QByteArray() : original);
    }
    // Nothing but what the plan said: its files, and the folders on their way.
    QMap<QByteArray, QByteArray> after = treeOf(m_tgt);
    for (auto it = after.begin(); it != after.end();)
        it = it.key().endsWith('/') && !expected.contains(it.key()) ? after.erase(it) : std::next(it);
    QCOMPARE(after, expected);
    if (!options.contains("--recursive")) {
        QVERIFY(plan.output.contains("/README -> " + m_tgt + "/README\n"));
        QVERIFY(plan.output.toLower().contains(m_tgt.toLower() + (targetThere ? "/x[4].txt" : "/x[3].txt")));
    }
}

namespace {

// "a/b=bytes" a file (",ro" after the bytes: read-only), "a/" a folder,
// "a->b" a link, "a=>b" a second name of the file b (below root).
bool build(const QByteArray &root, const QByteArray &item)
{
    const char *mark = item.contains("->") ? "->" : item.contains("=>") ? "=>" : "=";
    const QByteArray path = root + '/' + item.left(item.indexOf(mark));
    if (item.endsWith('/'))
        return QDir().mkpath(QFile::decodeName(root + '/' + item));
    if (qstrcmp(mark, "=") != 0)
        QDir().mkpath(QFile::decodeName(path.left(path.lastIndexOf('/'))));
    if (qstrcmp(mark, "->") == 0)
        return ::symlink(item.mid(item.indexOf("->") + 2).constData(), path.constData()) == 0;
    if (qstrcmp(mark, "=>") == 0)
        return ::link((root + '/' + item.mid(item.indexOf("=>") + 2)).constData(), path.constData()) == 0;
    QByteArray content = item.mid(item.indexOf('=') + 1);
    const bool readOnly = content.endsWith(",ro");
    if (readOnly)
        content.chop(3);
    return makeFile(path, content) && (!readOnly || ::chmod(path.constData(), 0444) == 0);
}

// The lines of a run that name skipped files, and its totals without the
// plan's prefix. Lower case: a target the plan names as asked, the run
// names as the disk spells it.
// Folders that take no new names and let none go (chattr +i) while it
// lives; the folder tree can be removed again whatever way the test ends.
class Immutable {
public:
    Immutable() = default;
    Immutable(const Immutable &) = delete;
    Immutable &operator=(const Immutable &) = delete;
    ~Immutable()
    {
        for (const QByteArray &path : std::as_const(m_paths))
            QProcess::execute(QStringLiteral("chattr"), {"-i", QFile::decodeName(path)});
    }
    bool make(const QByteArray &path)
    {
        if (QProcess::execute(QStringLiteral("chattr"), {"+i", QFile::decodeName(path)}) != 0)
            return false;
        m_paths.append(path);
        return true;
    }

private:
    QList<QByteArray> m_paths;
};

QList<QByteArray> skipsAndTotals(const ChildRun &run)
{
    QList<QByteArray> out;
    for (const QByteArray &line : run.errors.split('\n')) {
        const qsizetype found = line.indexOf("gefunden ");
        if (line.contains("übersprungen: "))
            out.append(line.toLower());
        else if (found >= 0)
            out.append(line.mid(found));
    }
    return out;
}

} // namespace

void TestCliPlans::planPredictsEverySkip_data()
{
    QTest::addColumn<QList<QByteArray>>("tree"); // below the test folder
    QTest::addColumn<QList<QByteArray>>("options");
    QTest::addColumn<int>("skipped");

    const QList<QByteArray> recursive{"--recursive"};
    QTest::newRow("recursive move onto a file") << QList<QByteArray>{"src/a.txt=new", "tgt/a.txt=old"}
                                                << QList<QByteArray>{"--recursive", "--move"} << 1;
    QTest::newRow("recursive move onto a folder") << QList<QByteArray>{"src/a.txt=new", "tgt/a.txt/"}
                                                  << QList<QByteArray>{"--recursive", "--move"} << 1;
    QTest::newRow("copy onto a folder") << QList<QByteArray>{"src/a.txt=new", "tgt/a.txt/"} << recursive << 1;
    QTest::newRow("dummy onto a folder") << QList<QByteArray>{"src/a.txt=new", "tgt/a.txt/"}
                                         << QList<QByteArray>{"--recursive", "--null-byte"} << 1;
    QTest::newRow("copy onto a read-only file") << QList<QByteArray>{"src/a.txt=new", "tgt/a.txt=old,ro"}
                                                << recursive << 1;
    QTest::newRow("copy onto a link") << QList<QByteArray>{"src/a.txt=new", "tgt/a.txt->../elsewhere.txt",
                                                           "elsewhere.txt=keep"}
                                      << recursive << 1;
    QTest::newRow("a file where a folder must go") << QList<QByteArray>{"src/d/a.txt=new", "tgt/d=file"}
                                                   << recursive << 1;
    QTest::newRow("a folder link leading out") << QList<QByteArray>{"src/d/a.txt=new", "tgt/d->../outside",
                                                                    "outside/"}
                                               << recursive << 1;
    QTest::newRow("two sources for one name") << QList<QByteArray>{"src/A.txt=upper", "src/a.txt=lower", "tgt/"}
                                              << recursive << 1;
    QTest::newRow("a source link leading out") << QList<QByteArray>{"src/l.txt->../outside.txt", "outside.txt=x",
                                                                    "tgt/"}
                                               << QList<QByteArray>{} << 1;
    QTest::newRow("copy onto its own source") << QList<QByteArray>{"src/a.txt=new", "tgt/a.txt=>src/a.txt"}
                                              << recursive << 1;
    QTest::newRow("copy onto another source")
        << QList<QByteArray>{"src/a.txt=new", "src/b.txt=bee", "tgt/a.txt=>src/b.txt"} << recursive << 1;
    QTest::newRow("flat names taken by files and folders")
        << QList<QByteArray>{"src/a/x.txt=1", "src/b/X.txt=2", "src/c/x.txt=3", "tgt/x.txt=old", "tgt/x[1].txt/",
                             "tgt/X[3].TXT=old 3", "tgt/x[4].txt->../elsewhere.txt", "elsewhere.txt=keep"}
        << QList<QByteArray>{} << 0;
    // "+i" after a folder: made immutable once the tree stands.
    QTest::newRow("copy into a folder that takes no new names") << QList<QByteArray>{"src/d/a.txt=new", "tgt/d/+i"}
                                                                << recursive << 1;
    QTest::newRow("a folder to make in one that takes no new names")
        << QList<QByteArray>{"src/d/e/a.txt=new", "tgt/d/+i"} << recursive << 1;
    QTest::newRow("move out of a folder that lets nothing go")
        << QList<QByteArray>{"src/d/a.txt=new", "src/d/+i", "tgt/"} << QList<QByteArray>{"--move"} << 1;
    QTest::newRow("flat into a target that takes no new names") << QList<QByteArray>{"src/a.txt=new", "tgt/+i"}
                                                                << QList<QByteArray>{} << 1;
    QTest::newRow("a target to make in a folder that takes no new names")
        << QList<QByteArray>{"src/a.txt=new", "./+i"} << QList<QByteArray>{} << 1;
    QTest::newRow("nothing to skip") << QList<QByteArray>{"src/a.txt=new", "tgt/b.txt=old"} << recursive << 0;
}

void TestCliPlans::planPredictsEverySkip()
{
    QFETCH(QList<QByteArray>, tree);
    QFETCH(QList<QByteArray>, options);
    QFETCH(int, skipped);
    const QByteArray root = QFile::encodeName(m_dir->path());
    Immutable locked;
    for (const QByteArray &item : std::as_const(tree))
        QVERIFY2(build(root, item.endsWith("/+i") ? item.chopped(2) : item), item.constData());
    for (const QByteArray &item : std::as_const(tree)) {
        if (item.endsWith("/+i") && !locked.make(root + '/' + item.chopped(3)))
            QSKIP("chattr +i is not available on this file system");
    }
    const QMap<QByteArray, QByteArray> before = treeOf(root);

    const ChildRun plan = cli(QList<QByteArray>{"image", m_src, m_tgt, "--all", "--dry-run"} + options);
    QCOMPARE(treeOf(root), before);
    const ChildRun run = cli(QList<QByteArray>{"image", m_src, m_tgt, "--all"} + options);
    QCOMPARE(plan.exitCode, run.exitCode);
    QCOMPARE(run.exitCode, skipped > 0 ? 1 : 0);
    QCOMPARE(skipsAndTotals(plan), skipsAndTotals(run));
    QCOMPARE(skipsAndTotals(run).size(), skipped + 1);

    // The run wrote what the plan's lines name and nothing else.
    const bool moving = options.contains("--move");
    const bool dummies = options.contains("--null-byte");
    QMap<QByteArray, QByteArray> expected = before;
    for (const QByteArray &line : plan.output.split('\n')) {
        const qsizetype arrow = line.indexOf(" -> ");
        if (line.isEmpty() || arrow < 0)
            continue;
        const QByteArray source = line.left(arrow).mid(root.size() + 1);
        const QByteArray target = line.mid(arrow + 4).mid(root.size() + 1);
        expected.insert(target, dummies ? QByteArray() : before.value(source));
        if (moving)
            expected.remove(source);
    }
    QMap<QByteArray, QByteArray> after = treeOf(root);
    for (auto it = after.begin(); it != after.end();)
        it = it.key().endsWith('/') && !before.contains(it.key()) ? after.erase(it) : std::next(it);
    for (auto it = expected.begin(); it != expected.end();)
        it = it.key().endsWith('/') && !after.contains(it.key()) ? expected.erase(it) : std::next(it);
    QCOMPARE(after, expected);
}

void TestCliPlans::identicalFiles_data()
{
    QTest::addColumn<QList<QByteArray>>("options");
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("atName");     // in the target under the source's name
    QTest::addColumn<QByteArray>("atNumbered"); // under x[2].txt (flat) or nothing
    QTest::addColumn<bool>("identical");

    const QList<QByteArray> flat{"--skip-identical"};
    const QList<QByteArray> recursive{"--skip-identical", "--recursive"};
    const QList<QByteArray> move{"--move"};
    const QByteArray photo("photo");
    QTest::newRow("flat, equal bytes") << flat << photo << QByteArray("photo") << QByteArray() << true;
    QTest::newRow("flat, equal bytes under a number")
        << flat << photo << QByteArray("other") << QByteArray("photo") << true;
    QTest::newRow("flat, same size, other bytes") << flat << photo << QByteArray("phono") << QByteArray("phot0") << false;
    QTest::newRow("recursive, equal bytes") << recursive << photo << QByteArray("photo") << QByteArray() << true;
    QTest::newRow("recursive, same size, other bytes")
        << recursive << photo << QByteArray("phono") << QByteArray() << false;
    QTest::newRow("flat move, equal bytes under a number")
        << (flat + move) << photo << QByteArray("other") << QByteArray("photo") << true;
    // Past the first MiB, and past the first read of a large file.
    const QByteArray large = QByteArray((1 << 20) + 4096, 'p');
    QTest::newRow("recursive move, other bytes past the first MiB")
        << (recursive + move) << large + "source" << large + "target" << QByteArray() << false;
    QTest::newRow("flat move, other bytes past the first MiB")
        << (flat + move) << large + "source" << large + "target" << QByteArray() << false;
    QTest::newRow("recursive move, equal large files") << (recursive + move) << large + "same" << large + "same"
                                                       << QByteArray() << true;
}

void TestCliPlans::identicalFiles()
{
    QFETCH(QList<QByteArray>, options);
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, atName);
    QFETCH(QByteArray, atNumbered);
    QFETCH(bool, identical);
    const bool recursive = options.contains("--recursive");
    const bool moving = options.contains("--move");
    const QByteArray name = recursive ? "/d/x.jpg" : "/x.jpg";
    QVERIFY(makeFile(m_src + "/d/x.jpg", source));
    QVERIFY(makeFile(m_tgt + name, atName));
    if (!atNumbered.isEmpty())
        QVERIFY(makeFile(m_tgt + "/x[2].jpg", atNumbered));
    const QMap<QByteArray, QByteArray> before = treeOf(m_tgt);

    const ChildRun o = cli(QList<QByteArray>{"image", m_src, m_tgt, "--all"} + options);
    // A move never replaces: other bytes under the name keep the source where it is.
    const bool refused = !identical && recursive && moving;
    QCOMPARE(o.exitCode, refused ? 1 : 0);
    QVERIFY2(o.errors.contains(identical ? ", schon vorhanden 1" : ", schon vorhanden 0"), o.errors.constData());
    QCOMPARE(contentOf(m_src + "/d/x.jpg"), moving && !refused ? QByteArray("<missing>") : source);
    QMap<QByteArray, QByteArray> expected = before;
    if (!identical && !refused)
        expected.insert(recursive ? "d/x.jpg" : "x[1].jpg", source);
    QCOMPARE(treeOf(m_tgt), expected);
}

void TestCliPlans::undoRestoresMovedFiles_data()
{
    QTest::addColumn<QList<QByteArray>>("options");
    QTest::newRow("flat") << QList<QByteArray>{};
    QTest::newRow("recursive") << QList<QByteArray>{"--recursive"};
}

void TestCliPlans::undoRestoresMovedFiles()
{
    QFETCH(QList<QByteArray>, options);
    for (const char *name : {"/a/x.txt", "/b/x.txt", "/a/b/c/deep.txt", "/top.txt", "/e/caf\xe9.txt"})
        QVERIFY(makeFile(m_src + name, QByteArray(1000, name[1]) + name));
    QVERIFY(QDir().mkpath(m_dir->filePath("src/empty")));
    const QMap<QByteArray, QByteArray> sources = treeOf(m_src);
    const QByteArray journal = QFile::encodeName(m_dir->filePath("run.jsonl"));

    const ChildRun moved =
        cli(QList<QByteArray>{"image", m_src, m_tgt, "--all", "--move", "--journal", journal} + options);
    QCOMPARE(moved.exitCode, 0);
    QCOMPARE(treeOf(m_src).keys(), QList<QByteArray>{"empty/"});
    // The header, then each move announced before it happened and closed after it.
    const QList<QByteArray> lines = contentOf(journal).trimmed().split('\n');
    QCOMPARE(lines.size(), 11);
    const QJsonObject header = QJsonDocument::fromJson(lines.at(0)).object();
    QCOMPARE(header.value("format").toString(), QStringLiteral("quorvane-journal"));
    QCOMPARE(header.value("source_root").toString(), QFile::decodeName(m_src));
    for (qsizetype i = 1; i < lines.size(); i += 2) {
        const QJsonObject intent = QJsonDocument::fromJson(lines.at(i)).object();
        const QJsonObject done = QJsonDocument::fromJson(lines.at(i + 1)).object();
        QCOMPARE(intent.value("operation").toString(), QStringLiteral("move"));
        QCOMPARE(intent.value("intent").toInteger(), i / 2 + 1);
        QCOMPARE(done.value("done").toInteger(), i / 2 + 1);
        QCOMPARE(done.value("inode"), intent.value("inode"));
    }

    const ChildRun undone = cli({"undo", journal});
    QCOMPARE(undone.exitCode, 0);
    QVERIFY2(undone.errors.contains("rückgängig gemacht 5, nicht rückgängig 0"), undone.errors.constData());
    QCOMPARE(treeOf(m_src), sources);
    for (const QByteArray &name : treeOf(m_tgt).keys())
        QVERIFY2(name.endsWith('/'), name.constData());
    // Once more: everything is back already.
    QCOMPARE(cli({"undo", journal}).exitCode, 0);
    QCOMPARE(treeOf(m_src), sources);
}

void TestCliPlans::undoReplacesNothing()
{
    QVERIFY(makeFile(m_src + "/a/x.txt", "moved x"));
    QVERIFY(makeFile(m_src + "/b/y.txt", "moved y"));
    QVERIFY(makeFile(m_src + "/c/z.doc", "copied z"));
    QVERIFY(makeFile(m_src + "/c/w.doc", "copied w"));
    const QByteArray moves = QFile::encodeName(m_dir->filePath("moves.jsonl"));
    const QByteArray copies = QFile::encodeName(m_dir->filePath("copies.jsonl"));
    QCOMPARE(cli({"image", m_src, m_tgt, "--patterns", "*.doc", "--journal", copies}).exitCode, 0);
    QCOMPARE(cli({"image", m_src, m_tgt, "--patterns", "*.txt", "--move", "--journal", moves}).exitCode, 0);

    // A file takes a source's place meanwhile; a copy is changed.
    QVERIFY(makeFile(m_src + "/a/x.txt", "newcomer"));
    QVERIFY(makeFile(m_tgt + "/z.doc", "edited z"));
    const ChildRun moveBack = cli({"undo", moves});
    QCOMPARE(moveBack.exitCode, 1);
    QVERIFY2(moveBack.errors.contains("nicht rückgängig: " + m_src + "/a/x.txt: "), moveBack.errors.constData());
    QCOMPARE(contentOf(m_src + "/a/x.txt"), QByteArray("newcomer"));
    QCOMPARE(contentOf(m_tgt + "/x.txt"), QByteArray("moved x"));
    QCOMPARE(contentOf(m_src + "/b/y.txt"), QByteArray("moved y"));
    QVERIFY(!exists(m_tgt + "/y.txt"));

    const ChildRun removeCopies = cli({"undo", copies});
    QCOMPARE(removeCopies.exitCode, 1);
    QVERIFY2(removeCopies.errors.contains("nicht rückgängig: " + m_tgt + "/z.doc: "), removeCopies.errors.constData());
    QCOMPARE(contentOf(m_tgt + "/z.doc"), QByteArray("edited z"));
    QVERIFY(!exists(m_tgt + "/w.doc"));
    QCOMPARE(contentOf(m_src + "/c/w.doc"), QByteArray("copied w"));
}

void TestCliPlans::journalThatFailsStopsTheRun()
{
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        QSKIP("strace is not installed: no way to make the journal's disk fail");
    for (const char *name : {"/f1.txt", "/f2.txt", "/f3.txt", "/f4.txt"})
        QVERIFY(makeFile(m_src + name, name));
    const QByteArray journal = QFile::encodeName(m_dir->filePath("run.jsonl"));
    // Moves write nothing themselves: the header and two moves' intents and
    // the first one's done line are written, every later write fails.
    const ChildRun o = cli({"image", m_src, m_tgt, "--all", "--move", "--journal", journal},
                           {"strace", "-f", "-o", "/dev/null", "-P", QFile::decodeName(journal), "-e", "trace=write",
                            "-e", "inject=write:error=ENOSPC:when=5+"});
    if (!o.cannotSetUp.isEmpty())
        QSKIP(qPrintable(o.cannotSetUp));
    QCOMPARE(o.exitCode, 1);
    QCOMPARE(contentOf(journal).count('\n'), 4);
    // The move whose done line failed is the last one made; its intent names it.
    QCOMPARE(treeOf(m_tgt).keys(), (QList<QByteArray>{"f1.txt", "f2.txt"}));
    QCOMPARE(treeOf(m_src).keys(), (QList<QByteArray>{"f3.txt", "f4.txt"}));
    const ChildRun undone = cli({"undo", journal});
    QCOMPARE(undone.exitCode, 0);
    QCOMPARE(treeOf(m_src).keys(), (QList<QByteArray>{"f1.txt", "f2.txt", "f3.txt", "f4.txt"}));
}

void TestCliPlans::journalThatCannotSyncFails_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<QString>("when"); // which of the journal's data syncs fail
    QTest::addColumn<int>("moved");
    // The last sync, as the journal is closed: every move is made, the run still fails.
    QTest::newRow("as it closes") << 3 << "1+" << 3;
    // The sync after 256 lines (the header, 127 moves, the 128th's intent):
    // that move and all after it are not made.
    QTest::newRow("on the way") << 200 << "1" << 127;
}

void TestCliPlans::journalThatCannotSyncFails()
{
    QFETCH(int, files);
    QFETCH(QString, when);
    QFETCH(int, moved);
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        QSKIP("strace is not installed: no way to make the journal's sync fail");
    for (int i = 0; i < files; ++i)
        QVERIFY(makeFile(m_src + "/f" + QByteArray::number(1000 + i) + ".txt", QByteArray::number(i)));
    const QMap<QByteArray, QByteArray> sources = treeOf(m_src);
    const QByteArray journal = QFile::encodeName(m_dir->filePath("run.jsonl"));
    const ChildRun o = cli({"image", m_src, m_tgt, "--all", "--move", "--journal", journal},
                           {"strace", "-f", "-o", "/dev/null", "-e", "trace=fdatasync", "-e",
                            "inject=fdatasync:error=EIO:when=" + when});
    if (!o.cannotSetUp.isEmpty())
        QSKIP(qPrintable(o.cannotSetUp));
    QCOMPARE(o.exitCode, 1);
    QVERIFY2(o.errors.contains(moved == files ? "Das Protokoll " + journal + " konnte nicht geschrieben werden: "
                                              : journal + ": Das Protokoll lässt sich nicht weiterschreiben"),
             o.errors.constData());
    QVERIFY2(o.errors.contains(QByteArray("abgebildet ") + QByteArray::number(moved) + ", "), o.errors.constData());
    QCOMPARE(treeOf(m_tgt).size(), moved);
    // What the journal holds still takes every move back.
    const ChildRun undone = cli({"undo", journal});
    QCOMPARE(undone.exitCode, 0);
    QCOMPARE(treeOf(m_src), sources);
}

void TestCliPlans::jsonSummary()
{
    QVERIFY(makeFile(m_src + "/ok.txt", "fine"));
    QVERIFY(::mkfifo((m_src + "/pipe.txt").constData(), 0644) == 0);
    // The plan already knows which file the run will skip, and why.
    const ChildRun plan = cli({"image", m_src, m_tgt, "--all", "--json", "--dry-run"});
    QCOMPARE(plan.exitCode, 1);
    const QJsonObject planned = QJsonDocument::fromJson(plan.output).object();
    QCOMPARE(planned.value("plan").toArray().size(), 1);
    QCOMPARE(planned.value("plan").toArray().at(0).toObject().value("target").toString(),
             QFile::decodeName(m_tgt + "/ok.txt"));
    QVERIFY(!exists(m_tgt));

    const ChildRun o = cli({"image", m_src, m_tgt, "--all", "--json"});
    QCOMPARE(o.exitCode, 1);
    QJsonParseError error{};
    const QJsonObject summary = QJsonDocument::fromJson(o.output, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(summary.value("found").toInt(), 2);
    QCOMPARE(summary.value("imaged").toInt(), 1);
    QCOMPARE(summary.value("skipped").toInt(), 1);
    QCOMPARE(summary.value("already_there").toInt(), 0);
    const QJsonObject skipped = summary.value("skipped_files").toArray().at(0).toObject();
    QCOMPARE(skipped.value("path").toString(), QFile::decodeName(m_src + "/pipe.txt"));
    QVERIFY(!skipped.value("reason").toString().isEmpty());
    QCOMPARE(planned.value("skipped_files"), summary.value("skipped_files"));
    QVERIFY(o.errors.isEmpty());
}

QTEST_GUILESS_MAIN(TestCliPlans)
#include "test_cli_plans.moc"
