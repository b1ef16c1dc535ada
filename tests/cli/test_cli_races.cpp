// Another program swapping a folder of the run's trees for a link to a
// folder outside, again and again while quorvane-cli works on it
// (renameat2 with RENAME_EXCHANGE in a loop), or once at a moment held by
// strace: nothing outside may be read into the image, moved, written or
// removed, and nothing inside may be lost.
#include "clichild.h"
#include "support/exchangeloop.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

using quorvane::testsupport::ChildRun;
using Files = QMap<QString, QByteArray>; // relative path -> content

constexpr int FilesPerFolder = 600;
constexpr int Rounds = 3;

Files filesBelow(const QString &root)
{
    Files files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        files.insert(path.mid(root.size() + 1), f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("?"));
    }
    return files;
}

bool makeFiles(const QString &folder, const QByteArray &marker)
{
    if (!QDir().mkpath(folder))
        return false;
    for (int i = 0; i < FilesPerFolder; ++i) {
        QFile f(folder + QStringLiteral("/f%1.txt").arg(i, 4, 10, QLatin1Char('0')));
        if (!f.open(QIODevice::WriteOnly) || f.write(marker + QByteArray::number(i)) < 0)
            return false;
    }
    return true;
}

// Contents of files, whatever their names, with how often each occurs.
QMap<QByteArray, int> contents(const Files &files)
{
    QMap<QByteArray, int> out;
    for (const QByteArray &content : files)
        ++out[content];
    return out;
}

// quorvane-cli run to its end while a and b are swapped again and again;
// swaps counts how often they were.
ChildRun whileSwapping(const QStringList &arguments, const QString &a, const QString &b, long &swaps)
{
    quorvane::testsupport::ExchangeLoop swapping(a, b);
    ChildRun run = quorvane::testsupport::runCli(arguments);
    swaps += swapping.stop();
    return run;
}

} // namespace

class TestCliRaces : public QObject {
    Q_OBJECT

private slots:
    void sourceFolderSwapped_data();
    void sourceFolderSwapped();
    void targetFolderSwapped_data();
    void targetFolderSwapped();
    void swapWhileTheMoveIsHeld();
};

void TestCliRaces::sourceFolderSwapped_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("move flat") << QStringList{"--move"};
    QTest::newRow("move recursive") << QStringList{"--move", "--recursive"};
    QTest::newRow("copy recursive") << QStringList{"--recursive"};
}

void TestCliRaces::sourceFolderSwapped()
{
    QFETCH(QStringList, options);
    long swaps = 0;
    for (int round = 0; round < Rounds; ++round) {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString source = dir.filePath("S");
        QVERIFY(makeFiles(source + "/d1", "in1-") && makeFiles(source + "/d2", "in2-"));
        QVERIFY(makeFiles(dir.filePath("outside"), "OUT-"));
        QVERIFY(QFile::link(dir.filePath("outside"), source + "/lnk"));
        const Files outsideBefore = filesBelow(dir.filePath("outside"));
        const QMap<QByteArray, int> insideBefore = contents(filesBelow(source));

        const ChildRun o = whileSwapping(QStringList{"image", source, dir.filePath("T"), "--all"} + options,
                                         source + "/d2", source + "/lnk", swaps);
        QVERIFY2(o.exitCode == 0 || o.exitCode == 1, o.errors.constData());

        QCOMPARE(filesBelow(dir.filePath("outside")), outsideBefore);
        const Files image = filesBelow(dir.filePath("T"));
        for (const QByteArray &content : image)
            QVERIFY2(!content.startsWith("OUT-"), qPrintable(QStringLiteral("round %1: read from outside").arg(round)));
        // Every source file is somewhere, whole: at its place or in the image.
        QMap<QByteArray, int> inside = contents(filesBelow(source));
        if (options.contains("--move")) {
            const QMap<QByteArray, int> imaged = contents(image);
            for (auto it = imaged.cbegin(); it != imaged.cend(); ++it)
                inside[it.key()] += it.value();
        }
        QCOMPARE(inside, insideBefore);
    }
    // Runs without a single swap would prove nothing.
    QVERIFY(swaps > 0);
}

void TestCliRaces::targetFolderSwapped_data()
{
    QTest::addColumn<QString>("option");
    QTest::newRow("copies replace") << QString();
    QTest::newRow("dummies replace") << QStringLiteral("--null-byte");
}

void TestCliRaces::targetFolderSwapped()
{
    QFETCH(QString, option);
    long swaps = 0;
    for (int round = 0; round < Rounds; ++round) {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(makeFiles(dir.filePath("S/d2"), "new-"));
        QVERIFY(makeFiles(dir.filePath("T/d2"), "old-"));
        QVERIFY(makeFiles(dir.filePath("outside"), "OUT-"));
        QVERIFY(QFile::link(dir.filePath("outside"), dir.filePath("T/lnk")));
        const Files outsideBefore = filesBelow(dir.filePath("outside"));

        QStringList arguments{"image", dir.filePath("S"), dir.filePath("T"), "--all", "--recursive"};
        if (!option.isEmpty())
            arguments.append(option);
        const ChildRun o = whileSwapping(arguments, dir.filePath("T/d2"), dir.filePath("T/lnk"), swaps);
        QVERIFY2(o.exitCode == 0 || o.exitCode == 1, o.errors.constData());
        QCOMPARE(filesBelow(dir.filePath("outside")), outsideBefore);
    }
    QVERIFY(swaps > 0);
}

void TestCliRaces::swapWhileTheMoveIsHeld()
{
    // The run has looked at S/d2 and is about to move its one file; just
    // then S/d2 becomes a link to the folder outside, which holds a file of
    // the same name.
    if (!quorvane::testsupport::haveStrace())
        QSKIP("strace is not installed");
    QTemporaryDir dir;
    QTemporaryDir pids;
    QVERIFY(dir.isValid() && pids.isValid());
    const QString source = dir.filePath("S");
    QVERIFY(QDir().mkpath(source + "/d2") && QDir().mkpath(dir.filePath("outside")) && QDir().mkpath(dir.filePath("T")));
    QFile inside(source + "/d2/x.txt");
    QFile outside(dir.filePath("outside/x.txt"));
    QVERIFY(inside.open(QIODevice::WriteOnly) && inside.write("inside") == 6);
    QVERIFY(outside.open(QIODevice::WriteOnly) && outside.write("outside") == 7);
    inside.close();
    outside.close();
    QVERIFY(QFile::link(dir.filePath("outside"), source + "/lnk"));

    quorvane::testsupport::Child child(
        pids.filePath("pid"),
        quorvane::testsupport::traced({"-e", "inject=renameat2:delay_enter=600000:when=1"}),
        {"image", source, dir.filePath("T"), "--all", "--move"});
    const bool held = child.inSyscall({SYS_renameat2});
    const bool swapped = held && quorvane::testsupport::exchange(QFile::encodeName(source + "/d2"), QFile::encodeName(source + "/lnk"));
    const ChildRun o = child.finish();
    if (!o.cannotSetUp.isEmpty())
        QSKIP(qPrintable(o.cannotSetUp));
    QVERIFY(held && swapped);
    QVERIFY2(o.exitCode == 0 || o.exitCode == 1, o.errors.constData());

    const Files untouched{{"x.txt", "outside"}};
    QCOMPARE(filesBelow(dir.filePath("outside")), untouched);
    const Files image = filesBelow(dir.filePath("T"));
    QVERIFY(!contents(image).contains("outside"));
    // The file moved, if any, is the one that was inside.
    QMap<QByteArray, int> everywhere = contents(image);
    const QMap<QByteArray, int> left = contents(filesBelow(source));
    for (auto it = left.cbegin(); it != left.cend(); ++it)
        everywhere[it.key()] += it.value();
    const QMap<QByteArray, int> once{{"inside", 1}};
    QCOMPARE(everywhere, once);
}

QTEST_GUILESS_MAIN(TestCliRaces)
#include "test_cli_races.moc"
