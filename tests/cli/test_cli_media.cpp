// Images onto and out of FAT32, exFAT and NTFS disks mounted through FUSE,
// which offer neither unnamed files, nor no-replace renames, nor (but for
// NTFS) hard links: every mode places whole files, names the disks cannot
// hold are mapped and undone by their real names, letter case never joins
// two files into one, and a kill leaves no part of a file under its name.
#include "clichild.h"
#include "clifiles.h"
#include "fusedisks.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <sys/stat.h>
#include <sys/syscall.h>

namespace {

using namespace quorvane::testsupport;
using Tree = QMap<QByteArray, QByteArray>;

const QStringList Disks = {QStringLiteral("FAT32"), QStringLiteral("exFAT"), QStringLiteral("NTFS")};
const QByteArray OddName = "x:y?.jpg";

// What OddName becomes: fusefat takes ASCII only, the others the look-alikes.
QByteArray mappedOddName(const QString &disk)
{
    return disk == u"FAT32" ? QByteArray("x%3Ay%3F.jpg") : QString::fromUtf8("x\uFF1Ay\uFF1F.jpg").toUtf8();
}

bool isPartFile(const QByteArray &relative)
{
    const QByteArray name = relative.mid(relative.lastIndexOf('/') + 1);
    return name.startsWith(".quorvane-") && name.endsWith(".part");
}

Tree filesOf(const Tree &tree)
{
    Tree files;
    for (auto it = tree.begin(); it != tree.end(); ++it) {
        if (!it.key().endsWith('/'))
            files.insert(it.key(), it.value());
    }
    return files;
}

QByteArrayList sortedValues(const Tree &tree)
{
    QByteArrayList values = tree.values();
    std::sort(values.begin(), values.end());
    return values;
}

// Whether a file in folder (not below it) holds some of its bytes and not
// all: a copy under way, whatever its name.
bool copyUnderWay(const QByteArray &folder, qint64 complete)
{
    bool found = false;
    DIR *dir = ::opendir(folder.constData());
    while (const dirent *entry = dir && !found ? ::readdir(dir) : nullptr) {
        struct stat st {};
        found = ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode) && st.st_size > 0
            && st.st_size < complete;
    }
    if (dir)
        ::closedir(dir);
    return found;
}

void addDiskRows(const QList<QPair<const char *, QStringList>> &modes)
{
    for (const QString &disk : Disks) {
        for (const auto &[mode, options] : modes)
            QTest::addRow("%s, %s", qPrintable(disk), mode) << disk << options;
    }
}

// A file whose every byte takes room on its disk (no holes), made at once.
bool makeAllocated(const QByteArray &path, qint64 size)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool made = fd >= 0 && ::posix_fallocate(fd, 0, size) == 0;
    if (fd >= 0)
        ::close(fd);
    return made;
}

} // namespace

class TestCliMedia : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void everyMode_data();
    void everyMode();
    void diskAsSource_data();
    void diskAsSource();
    void listOntoDisk_data();
    void listOntoDisk();
    void mappedNameUndone_data();
    void mappedNameUndone();
    void letterCase_data();
    void letterCase();
    void skipIdenticalAgain_data();
    void skipIdenticalAgain();
    void killedMidCopy_data();
    void killedMidCopy();
    void notEnoughRoom_data();
    void notEnoughRoom();
    void tooLargeForFat();

private:
    QByteArray path(const char *relative) const { return QFile::encodeName(m_dir->filePath(relative)); }
    // A folder on the disk no other test row has used; empty where the disk is missing.
    QByteArray freshFolderOn(const QString &disk)
    {
        const QByteArray root = m_disks ? m_disks->root(disk) : QByteArray();
        return root.isEmpty() ? root : root + "/t" + QByteArray::number(++m_folders);
    }
    QString whyMissing(const QString &disk) const { return m_disks ? m_disks->whyMissing(disk) : m_cannotMount; }

    std::unique_ptr<QTemporaryDir> m_images;
    std::unique_ptr<FuseDisks> m_disks;
    QString m_cannotMount;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_pids; // apart, so that the folders compared hold none
    int m_folders = 0;
};

// Fetches the row's disk and a fresh folder on it, or skips the row.
#define FRESH_FOLDER_ON_DISK(folder)                                                                                   \
    QFETCH(QString, disk);                                                                                             \
    const QByteArray folder = freshFolderOn(disk);                                                                     \
    if (folder.isEmpty())                                                                                              \
        QSKIP(qPrintable(whyMissing(disk)));

void TestCliMedia::initTestCase()
{
    m_cannotMount = enterPrivateMounts();
    if (!m_cannotMount.isEmpty())
        return;
    m_images = std::make_unique<QTemporaryDir>();
    QVERIFY(m_images->isValid());
    m_disks = std::make_unique<FuseDisks>(m_images->path());
}

void TestCliMedia::cleanupTestCase()
{
    m_disks.reset(); // unmounts before the mount points go
    m_images.reset();
}

void TestCliMedia::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_pids = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid() && m_pids->isValid());
}

void TestCliMedia::everyMode_data()
{
    QTest::addColumn<QString>("disk");
    QTest::addColumn<QStringList>("options");
    addDiskRows({{"flat copy", {"--all"}},
                 {"recursive copy", {"--all", "--recursive"}},
                 {"dummies", {"--all", "--recursive", "--null-byte"}},
                 {"move from another file system", {"--all", "--recursive", "--move"}}});
}

void TestCliMedia::everyMode()
{
    QFETCH(QStringList, options);
    FRESH_FOLDER_ON_DISK(target);
    const Tree sources{
        {"a.jpg", "top a"}, {"sub/a.jpg", "sub a"}, {"sub/deep/b.txt", "deep b"}, {"sub/" + OddName, "odd"}};
    for (auto it = sources.begin(); it != sources.end(); ++it)
        QVERIFY(makeFile(path("src/") + it.key(), it.value()));
    const bool flat = !options.contains(u"--recursive");
    const bool dummies = options.contains(u"--null-byte");
    const bool moves = options.contains(u"--move");

    const ChildRun run = runCli(cliArgs({"image", path("src"), target}) + options);
    QVERIFY2(run.exitCode == 0, run.errors.constData());
    const QByteArray mapped = (flat ? "" : "sub/") + mappedOddName(disk);
    QVERIFY2(run.errors.contains("umbenannt: " + path("src/sub/") + OddName + " -> " + target + '/' + mapped + '\n'),
             run.errors.constData());
    const Tree placed = filesOf(treeOf(target));
    if (flat) {
        // Which of the two a.jpg gets the number is the walk's order.
        QCOMPARE(placed.keys(), (QByteArrayList{"a.jpg", "a[1].jpg", "b.txt", mapped}));
        QCOMPARE(sortedValues(placed), sortedValues(sources));
    } else {
        Tree expected;
        for (auto it = sources.begin(); it != sources.end(); ++it)
            expected.insert(it.key() == "sub/" + OddName ? mapped : it.key(), dummies ? QByteArray() : it.value());
        QCOMPARE(placed, expected);
    }
    QCOMPARE(filesOf(treeOf(path("src"))), moves ? Tree() : sources);
}

void TestCliMedia::diskAsSource_data()
{
    QTest::addColumn<QString>("disk");
    QTest::addColumn<QStringList>("options");
    addDiskRows({{"recursive copy", {"--all", "--recursive"}}, {"move", {"--all", "--recursive", "--move"}}});
}

void TestCliMedia::diskAsSource()
{
    QFETCH(QStringList, options);
    FRESH_FOLDER_ON_DISK(source);
    const Tree sources{{"a.jpg", "disk a"}, {"sub/b.jpg", "disk b"}, {"sub/deep/c.doc", "disk c"}};
    for (auto it = sources.begin(); it != sources.end(); ++it)
        QVERIFY(makeFile(source + '/' + it.key(), it.value()));

    const ChildRun run = runCli(cliArgs({"image", source, path("out")}) + options);
    QVERIFY2(run.exitCode == 0, run.errors.constData());
    QCOMPARE(filesOf(treeOf(path("out"))), sources);
    // Emptied folders go, the source itself stays.
    QCOMPARE(treeOf(source), options.contains(u"--move") ? Tree() : treeOf(path("out")));
    QVERIFY(exists(source));
}

void TestCliMedia::listOntoDisk_data()
{
    QTest::addColumn<QString>("disk");
    QTest::addColumn<QStringList>("options");
    addDiskRows({{"list", {"--all"}}});
}

void TestCliMedia::listOntoDisk()
{
    QFETCH(QStringList, options);
    FRESH_FOLDER_ON_DISK(folder);
    QVERIFY(makeFile(path("src/a.jpg"), "a"));
    QVERIFY(makeFile(path("src/sub/b.jpg"), "b"));
    QVERIFY(QDir().mkpath(QFile::decodeName(folder)));
    const QByteArray list = folder + "/list.txt";

    const ChildRun run = runCli(cliArgs({"list", path("src"), "-o", list}) + options);
    QVERIFY2(run.exitCode == 0, run.errors.constData());
    // Drive paths: C: is /, folders end in "\".
    const QByteArray drivePath = "C:" + path("src").replace('/', '\\');
    QByteArrayList lines = contentOf(list).split('\n');
    std::sort(lines.begin(), lines.end());
    QCOMPARE(lines, (QByteArrayList{"", drivePath + "\\a.jpg\r", drivePath + "\\sub\\b.jpg\r"}));
    QCOMPARE(filesOf(treeOf(folder)).keys(), QByteArrayList{"list.txt"});
}

void TestCliMedia::mappedNameUndone_data()
{
    QTest::addColumn<QString>("disk");
    QTest::addColumn<QStringList>("options");
    addDiskRows({{"move", {"--all", "--recursive", "--move"}}});
}

void TestCliMedia::mappedNameUndone()
{
    QFETCH(QStringList, options);
    FRESH_FOLDER_ON_DISK(target);
    QVERIFY(makeFile(path("src/") + OddName, "odd"));
    QVERIFY(makeFile(path("src/p.jpg"), "plain"));
    const Tree sources = treeOf(path("src"));
    const QByteArray journal = path("run.jsonl");

    const ChildRun run = runCli(cliArgs({"image", path("src"), target, "--journal", journal, "--json"}) + options);
    QVERIFY2(run.exitCode == 0, run.errors.constData());
    const QJsonArray renamed = QJsonDocument::fromJson(run.output).object().value(QStringLiteral("renamed")).toArray();
    QCOMPARE(renamed.size(), 1);
    QCOMPARE(renamed.at(0).toObject().value(QStringLiteral("source")).toString(),
             QFile::decodeName(path("src/") + OddName));
    QCOMPARE(renamed.at(0).toObject().value(QStringLiteral("target")).toString(),
             QFile::decodeName(target + '/' + mappedOddName(disk)));
    QCOMPARE(treeOf(target), (Tree{{mappedOddName(disk), "odd"}, {"p.jpg", "plain"}}));

    const ChildRun undone = runCli(cliArgs({"undo", journal}));
    QVERIFY2(undone.errors.contains("rückgängig gemacht 2, nicht rückgängig 0"), undone.errors.constData());
    QCOMPARE(undone.exitCode, 0);
    QCOMPARE(treeOf(path("src")), sources);
    QCOMPARE(treeOf(target), Tree());
}

void TestCliMedia::letterCase_data()
{
    QTest::addColumn<QString>("disk");
    QTest::addColumn<QStringList>("options");
    // Recursive: both in one folder; flat: each in a folder of its own.
    addDiskRows({{"recursive", {"--all", "--recursive"}}, {"flat", {"--all"}}});
}

// Where the disk ignores letter case (FAT, exFAT, and NTFS as the other
// system of these disks opens it), a.jpg and A.JPG are one name.
void TestCliMedia::letterCase()
{
    QFETCH(QStringList, options);
    FRESH_FOLDER_ON_DISK(target);
    const bool flat = !options.contains(u"--recursive");
    const QByteArray lower = flat ? "one/a.jpg" : "a.jpg";
    const QByteArray upper = flat ? "two/A.JPG" : "A.JPG";
    QVERIFY(makeFile(path("src/") + lower, "lower"));
    QVERIFY(makeFile(path("src/") + upper, "UPPER"));
    const Tree sources = treeOf(path("src"));

    const ChildRun run = runCli(cliArgs({"image", path("src"), target}) + options);
    const Tree placed = treeOf(target);
    QCOMPARE(treeOf(path("src")), sources);
    if (flat) {
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        const Tree lowerFirst{{"a.jpg", "lower"}, {"A[1].JPG", "UPPER"}};
        const Tree upperFirst{{"A.JPG", "UPPER"}, {"a[1].jpg", "lower"}};
        QVERIFY2(placed == lowerFirst || placed == upperFirst, placed.keys().join(' ').constData());
        return;
    }
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(placed.size(), 1);
    const bool lowerPlaced = placed.first() == "lower";
    QCOMPARE(placed.firstKey(), lowerPlaced ? lower : upper);
    const QByteArray refused = lowerPlaced ? upper : lower;
    // The disk's one file may go by either name.
    const auto line = [&](const QByteArray &named) {
        return "übersprungen: " + path("src/") + refused + ": Ziel " + target + '/' + named
            + ": Würde eine in diesem Lauf geschriebene Datei ersetzen\n";
    };
    QVERIFY2(run.errors.contains(line(refused)) || run.errors.contains(line(placed.firstKey())),
             run.errors.constData());
}

void TestCliMedia::skipIdenticalAgain_data()
{
    QTest::addColumn<QString>("disk");
    QTest::addColumn<QStringList>("options");
    addDiskRows({{"recursive", {"--all", "--recursive"}}, {"flat", {"--all"}}});
}

// The disk keeps no nanoseconds and may not take the source's times at all
// (fusefat ignores futimens): the second run must know its files by their bytes.
void TestCliMedia::skipIdenticalAgain()
{
    QFETCH(QStringList, options);
    FRESH_FOLDER_ON_DISK(target);
    QVERIFY(makeFile(path("src/a.jpg"), "top a"));
    QVERIFY(makeFile(path("src/sub/a.jpg"), "sub a"));
    QVERIFY(makeFile(path("src/sub/") + OddName, "odd"));

    const ChildRun first = runCli(cliArgs({"image", path("src"), target}) + options);
    QVERIFY2(first.exitCode == 0, first.errors.constData());
    const Tree placed = treeOf(target);
    const ChildRun again = runCli(cliArgs({"image", path("src"), target, "--skip-identical"}) + options);
    QVERIFY2(again.exitCode == 0, again.errors.constData());
    QVERIFY2(again.errors.contains("abgebildet 0, übersprungen 0, schon vorhanden 3"), again.errors.constData());
    QCOMPARE(treeOf(target), placed);
}

void TestCliMedia::killedMidCopy_data()
{
    QTest::addColumn<QString>("disk");
    QTest::addColumn<bool>("atRename"); // else while a part file is written
    QTest::newRow("FAT32, writing") << QStringLiteral("FAT32") << false;
    QTest::newRow("FAT32, name taken, rename held") << QStringLiteral("FAT32") << true;
}

void TestCliMedia::killedMidCopy()
{
    QFETCH(bool, atRename);
    FRESH_FOLDER_ON_DISK(target);
    if (atRename && !haveStrace())
        QSKIP("strace is not installed");
    constexpr qint64 Size = qint64(3) << 20; // fusefat writes about 2 MB a second
    QRandomGenerator random(20261209);
    Tree sources;
    for (const char *name : {"f1.dat", "f2.dat", "f3.dat"}) {
        QByteArray bytes(Size, Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        sources.insert(name, bytes);
        QVERIFY(makeFile(path("src/") + name, bytes));
    }
    // The second rename over a reserved name is held: the first file is placed.
    const QStringList mechanism =
        atRename ? traced({"-e", "inject=renameat:delay_enter=5000000:when=2"}) : QStringList();
    Child child(m_pids->filePath("pid"), mechanism, cliArgs({"image", path("src"), target, "--all", "--recursive"}));
    bool held = atRename && child.inSyscall({SYS_renameat});
    for (int waited = 0; !atRename && waited < 20000 && !held; waited += 10) {
        held = copyUnderWay(target, Size);
        if (!held)
            QThread::msleep(10);
    }
    child.kill();
    const ChildRun killed = child.finish();
    if (!killed.cannotSetUp.isEmpty())
        QSKIP(qPrintable(killed.cannotSetUp));
    QVERIFY2(held, "the copy was never seen at the moment wanted");
    QCOMPARE(killed.exitCode, -1);

    int whole = 0;
    int reserved = 0;
    for (const auto &[name, bytes] : filesOf(treeOf(target)).asKeyValueRange()) {
        if (isPartFile(name))
            continue;
        QVERIFY2(bytes.isEmpty() || bytes == sources.value(name), name.constData());
        (bytes.isEmpty() ? reserved : whole) += 1;
    }
    // Held at the rename: one placed, one name reserved; while writing: none yet.
    QCOMPARE(whole, atRename ? 1 : 0);
    QCOMPARE(reserved, atRename ? 1 : 0);
    QCOMPARE(treeOf(path("src")), sources);
}


void TestCliMedia::notEnoughRoom_data()
{
    QTest::addColumn<QString>("disk");
    QTest::addColumn<QStringList>("options");
    addDiskRows({{"recursive copy", {"--all", "--recursive"}}, {"plan", {"--all", "--recursive", "--dry-run"}}});
}

// 70 MB onto a disk of 64: nothing is written, and both figures are named.
void TestCliMedia::notEnoughRoom()
{
    QFETCH(QStringList, options);
    FRESH_FOLDER_ON_DISK(target);
    QVERIFY(makeFile(path("src/a.jpg"), "small"));
    QVERIFY(QDir().mkpath(QFile::decodeName(path("src/sub"))));
    QVERIFY(makeAllocated(path("src/sub/big.jpg"), 70 * 1024 * 1024));

    const ChildRun run = runCli(cliArgs({"image", path("src"), target, "--json"}) + options);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errors.contains("Auf dem Ziel ist nicht genug Platz frei: nötig sind 73.40"), run.errors.constData());
    QVERIFY2(run.errors.contains(" Bytes, frei sind "), run.errors.constData());
    const QJsonObject preflight = QJsonDocument::fromJson(run.output).object().value("preflight").toObject();
    QVERIFY2(preflight.value("needed_bytes").toInteger() >= 70 * 1024 * 1024, run.output.constData());
    QVERIFY(preflight.value("free_bytes").toInteger() > 0);
    QVERIFY(preflight.value("free_bytes").toInteger() < 64 * 1024 * 1024);
    QVERIFY(preflight.value("refused").toString().startsWith("Auf dem Ziel ist nicht genug Platz frei"));
    QCOMPARE(treeOf(target), Tree());
}

// A file beyond 4 GiB - 1 cannot be on FAT32: named and left out, the rest imaged.
void TestCliMedia::tooLargeForFat()
{
    const QByteArray target = freshFolderOn(QStringLiteral("FAT32"));
    if (target.isEmpty())
        QSKIP(qPrintable(whyMissing(QStringLiteral("FAT32"))));
    QVERIFY(makeFile(path("src/a.jpg"), "small"));
    QFile big(QFile::decodeName(path("src/film.jpg")));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(5LL * 1024 * 1024 * 1024));
    big.close();

    const ChildRun run = runCli(cliArgs({"image", path("src"), target, "--all", "--recursive"}));
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.errors.contains("übersprungen: " + path("src/film.jpg")
                                 + ": Datei zu groß für FAT32 (höchstens 4.294.967.295 Bytes)\n"),
             run.errors.constData());
    QCOMPARE(filesOf(treeOf(target)), (Tree{{"a.jpg", "small"}}));
}

QTEST_GUILESS_MAIN(TestCliMedia)
#include "test_cli_media.moc"
