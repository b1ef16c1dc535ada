// Image runs over trees built to lead them astray: host names that hold "\",
// links, a source inside its target, names that differ only in letter case.
// Each row compares every byte of the whole drive before and after the run:
// only the changes the row names may happen, inside the trees or outside.
#include "runfixture.h"

#include <QMap>
#include <QtTest>

#include <unistd.h>

using namespace quorvane;

namespace {

using DriveState = QMap<QString, QString>; // "/"-separated path -> what stands there

// "|" in a row's drive path stands for a "\" inside a name.
QString named(QString drivePath)
{
    return drivePath.replace(QLatin1Char('|'), QChar(0xF05C));
}

// Every folder, file (with its bytes) and link below the drive's host folder.
DriveState stateOf(const QString &root)
{
    DriveState state;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = path.mid(root.size() + 1);
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink())
            state[relative] = QStringLiteral("->") + QFile::symLinkTarget(path);
        else if (info.isDir())
            state[relative + QLatin1Char('/')] = QStringLiteral("folder");
        else
            state[relative] = QStringLiteral("=") + QString::fromLatin1(contentOf(path));
    }
    return state;
}

// "a/b=bytes" a file, "a/" a folder, "a->b" a link ("a->/b" an absolute
// link to the drive's b); apply() also knows "-a" (gone).
bool build(EngineDrive &drive, const QString &item)
{
    if (item.endsWith(QLatin1Char('/')))
        return drive.makeDir(item);
    const qsizetype arrow = item.indexOf(QLatin1String("->"));
    if (arrow > 0) {
        QDir().mkpath(QFileInfo(drive.host(item.left(arrow))).path());
        const QString to = item.mid(arrow + 2);
        return ::symlink(QFile::encodeName(to.startsWith(QLatin1Char('/')) ? drive.host() + to : to).constData(),
                         QFile::encodeName(drive.host(item.left(arrow))).constData())
            == 0;
    }
    const qsizetype equals = item.indexOf(QLatin1Char('='));
    return drive.makeFile(item.left(equals), item.mid(equals + 1).toLatin1());
}

DriveState apply(DriveState state, const QStringList &changes)
{
    for (const QString &change : changes) {
        if (change.startsWith(QLatin1Char('-'))) {
            state.remove(change.mid(1));
        } else if (change.endsWith(QLatin1Char('/'))) {
            state[change] = QStringLiteral("folder");
        } else {
            const qsizetype equals = change.indexOf(QLatin1Char('='));
            state[change.left(equals)] = change.mid(equals);
        }
    }
    return state;
}

QStringList lines(const DriveState &state)
{
    QStringList out;
    for (auto it = state.cbegin(); it != state.cend(); ++it)
        out << it.key() + QLatin1Char(' ') + it.value();
    return out;
}

} // namespace

class TestHostileTrees : public QObject {
    Q_OBJECT

private slots:
    void nothingOutsideChanges_data();
    void nothingOutsideChanges();
};

void TestHostileTrees::nothingOutsideChanges_data()
{
    QTest::addColumn<QStringList>("tree");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("mode"); // copy, null or move; "+r" for recursive
    QTest::addColumn<QStringList>("changes");
    QTest::addColumn<int>("imaged");
    QTest::addColumn<int>("skipped");

    QTest::newRow("name climbs out, move flat")
        << QStringList{"a/src/..\\..\\other\\secret.jpg=E", "other/secret.jpg=S", "tgt/"} << "D:\\a\\src"
        << "D:\\tgt"
        << "move" << QStringList{"-a/src/..\\..\\other\\secret.jpg", "tgt/..\\..\\other\\secret.jpg=E"} << 1 << 0;
    QTest::newRow("name climbs out, dummy recursive")
        << QStringList{"a/src/..\\..\\b\\v.jpg=x", "b/v.jpg=PRECIOUS", "b/t/"} << "D:\\a\\src"
        << "D:\\b\\t"
        << "null+r" << QStringList{"b/t/..\\..\\b\\v.jpg="} << 1 << 0;
    QTest::newRow("names with backslash beside folders, flat")
        << QStringList{"s/a\\b.jpg=A", "s/a/b.jpg=B", "s/only\\dir/o.jpg=O", "s/x/y/f.jpg=1", "s/x\\y/f.jpg=2", "t/"}
        << "D:\\s"
        << "D:\\t"
        << "copy" << QStringList{"t/a\\b.jpg=A", "t/b.jpg=B", "t/o.jpg=O", "t/f.jpg=1", "t/f[1].jpg=2"} << 5 << 0;
    QTest::newRow("backslash in both arguments") << QStringList{"r/a\\b/bs.jpg=BS", "r/a/b/sl.jpg=SL"} << "D:\\r\\a|b"
                                                 << "D:\\t|u"
                                                 << "copy+r" << QStringList{"t\\u/", "t\\u/bs.jpg=BS"} << 1 << 0;
    QTest::newRow("source inside target, copy") << QStringList{"o/i/x.jpg=TOP", "o/i/i/x.jpg=NESTED"} << "D:\\o\\i"
                                                << "D:\\o"
                                                << "copy+r" << QStringList{"o/x.jpg=TOP"} << 1 << 1;
    QTest::newRow("source inside target, dummies") << QStringList{"o/i/x.jpg=TOP", "o/i/i/x.jpg=NESTED"} << "D:\\o\\i"
                                                   << "D:\\o"
                                                   << "null+r" << QStringList{"o/x.jpg="} << 1 << 1;
    QTest::newRow("names differing in case only") << QStringList{"s/A.jpg=U", "s/a.jpg=l", "t/"} << "D:\\s"
                                                  << "D:\\t"
                                                  << "copy+r" << QStringList{"t/A.jpg=U"} << 1 << 1;
    // Deseret capital and small long I: one letter beyond the first 65,536.
    QTest::newRow("case beyond the BMP, flat numbers")
        << QStringList{"s/\U00010400.jpg=U", "s/sub/\U00010428.jpg=l", "t/"} << "D:\\s"
        << "D:\\t"
        << "copy" << QStringList{"t/\U00010428.jpg=l", "t/\U00010400[1].jpg=U"} << 2 << 0;
    QTest::newRow("case beyond the BMP, tree meets its folder")
        << QStringList{"s/\U00010428/a.jpg=n", "t/\U00010400/"} << "D:\\s"
        << "D:\\t"
        << "copy+r" << QStringList{"t/\U00010400/a.jpg=n"} << 1 << 0;
    QTest::newRow("flat into its own folder, copy") << QStringList{"s/a.jpg=a", "s/sub/b.jpg=b"} << "D:\\s"
                                                    << "D:\\s"
                                                    << "copy" << QStringList{"s/b.jpg=b"} << 2 << 0;
    QTest::newRow("flat into its own folder, move")
        << QStringList{"s/a.jpg=a", "s/sub/b.jpg=b"} << "D:\\s"
        << "D:\\s"
        << "move" << QStringList{"s/b.jpg=b", "-s/sub/b.jpg", "-s/sub/"} << 2 << 0;
    QTest::newRow("folder link in the target leads out")
        << QStringList{"src/sub/x.jpg=new", "tgt/sub->../outside", "outside/x.jpg=old"} << "D:\\src"
        << "D:\\tgt"
        << "copy+r" << QStringList{} << 0 << 1;
    QTest::newRow("file link in the source leads out")
        << QStringList{"src/l.jpg->../outside/secret.jpg", "outside/secret.jpg=S", "tgt/"} << "D:\\src"
        << "D:\\tgt"
        << "copy" << QStringList{} << 0 << 1;
    // A sibling whose name extends the source's is outside it all the same.
    QTest::newRow("absolute links into a sibling sharing its start")
        << QStringList{"t/src/a.jpg=in", "t/src/l.jpg->/t/src2/l.jpg", "t/src/d->/t/src2", "t/src2/l.jpg=OUT",
                       "t/src/2/l.jpg=decoy", "t/tgt/"}
        << "D:\\t\\src"
        << "D:\\t\\tgt"
        << "copy+r" << QStringList{"t/tgt/a.jpg=in", "t/tgt/2/", "t/tgt/2/l.jpg=decoy"} << 2 << 1;
    QTest::newRow("target a sibling sharing the source's start")
        << QStringList{"t/src/a.jpg=a", "t/src/bak/b.jpg=b"} << "D:\\t\\src"
        << "D:\\t\\src.bak"
        << "copy+r" << QStringList{"t/src.bak/", "t/src.bak/a.jpg=a", "t/src.bak/bak/", "t/src.bak/bak/b.jpg=b"} << 2
        << 0;
    QTest::newRow("start folders named through links")
        << QStringList{"real/a.jpg=a", "real/sub/b.jpg=b", "srclink->real", "tr/", "tgtlink->tr"} << "D:\\srclink"
        << "D:\\tgtlink"
        << "copy+r" << QStringList{"tr/a.jpg=a", "tr/sub/", "tr/sub/b.jpg=b"} << 2 << 0;
    QTest::newRow("target through a link into the source")
        << QStringList{"src/a.jpg=a", "src/img/old.jpg=o", "tl->src/img"} << "D:\\src"
        << "D:\\tl"
        << "copy" << QStringList{"src/img/a.jpg=a"} << 1 << 0;
}

void TestHostileTrees::nothingOutsideChanges()
{
    QFETCH(QStringList, tree);
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QString, mode);
    QFETCH(QStringList, changes);
    QFETCH(int, imaged);
    QFETCH(int, skipped);

    EngineDrive drive;
    for (const QString &item : std::as_const(tree))
        QVERIFY2(build(drive, item), qPrintable(item));
    const DriveState before = stateOf(drive.host());

    JobOptions o = jobOn(named(source), named(target));
    o.Recursive = mode.endsWith(QLatin1String("+r")) ? Checked : Unchecked;
    o.NullByte = mode.startsWith(QLatin1String("null")) ? Checked : Unchecked;
    o.DeleteSources = mode.startsWith(QLatin1String("move")) ? Checked : Unchecked;
    const RunSummary summary = runWith(o);

    QCOMPARE(lines(stateOf(drive.host())), lines(apply(before, changes)));
    QCOMPARE(int(summary.imaged), imaged);
    QCOMPARE(int(summary.skipped), skipped);
}

QTEST_GUILESS_MAIN(TestHostileTrees)
#include "test_hostiletrees.moc"
