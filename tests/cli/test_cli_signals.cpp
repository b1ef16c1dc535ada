// A move with a journal stopped by SIGINT, SIGTERM and SIGHUP at moments
// made certain by strace delay injection: the signal is sent while the
// child is held in the scan, in a rename, or in a large copy's second step.
// Whatever the moment, every file is whole in one place, and the journal
// brings back every file the run moved.
#include "clichild.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/syscall.h>

namespace {

using quorvane::testsupport::Child;
using quorvane::testsupport::ChildRun;

constexpr int HeldMicroseconds = 500000;
constexpr qint64 BigSize = qint64(40) << 20; // three kernel copy steps
const QString BigFile = QStringLiteral("m-big.jpg");

using Files = QMap<QString, QByteArray>; // relative path -> content

// Seven small files; the image takes them in this order, the big file
// (where there is one) between d3/b.jpg and r.jpg.
Files smallFiles()
{
    Files files;
    for (const char *folder : {"d1", "d2", "d3"}) {
        for (const char *name : {"a", "b"})
            files.insert(QStringLiteral("%1/%2.jpg").arg(folder, name), QByteArray(folder) + name);
    }
    files.insert(QStringLiteral("r.jpg"), "root");
    return files;
}

QByteArray content(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file below folder, hidden ones too, relative to it.
QStringList filesBelow(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(QDir(folder).relativeFilePath(it.next()));
    found.sort();
    return found;
}

// source -> target of each move the journal says was done.
QMap<QString, QString> journaledMoves(const QString &journal)
{
    QMap<qint64, QJsonObject> intents;
    QMap<QString, QString> moves;
    for (const QByteArray &line : content(journal).split('\n')) {
        const QJsonObject entry = QJsonDocument::fromJson(line).object();
        if (entry.value(QStringLiteral("operation")).toString() == QLatin1String("move"))
            intents.insert(entry.value(QStringLiteral("intent")).toInteger(), entry);
        const auto done = intents.constFind(entry.value(QStringLiteral("done")).toInteger(-1));
        if (done != intents.constEnd())
            moves.insert(done->value(QStringLiteral("source")).toString(),
                         done->value(QStringLiteral("target")).toString());
    }
    return moves;
}

qsizetype foundCount(const QByteArray &errors)
{
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("gefunden (\\d+),")).match(errors);
    return m.hasMatch() ? m.captured(1).toLongLong() : -1;
}

QByteArray nameOf(int signal)
{
    return signal == SIGHUP ? "SIGHUP" : signal == SIGINT ? "SIGINT" : "SIGTERM";
}

QStringList delayed(const QString &call, int when)
{
    return {"-e", QStringLiteral("inject=%1:delay_enter=%2:when=%3").arg(call).arg(HeldMicroseconds).arg(when)};
}

} // namespace

class TestCliSignals : public QObject {
    Q_OBJECT

private slots:
    void init();
    void stopped_data();
    void stopped();
    void undoStopped();
    void listStopped_data();
    void listStopped();

private:
    QString path(const QString &relative) const { return m_dir->filePath(relative); }
    QString journal() const { return path("moves.jsonl"); }
    void writeSources();
    // Each file whole in exactly one place, the target holding nothing else;
    // the files in the target are the journal's moves, and go to moved.
    void checkWhole(const QString &target, QStringList &moved);
    void checkUndone(const QString &target);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_pids;
    std::unique_ptr<QTemporaryDir> m_other;
    Files m_files;
};

void TestCliSignals::init()
{
    if (!quorvane::testsupport::haveStrace())
        QSKIP("strace is not installed");
    m_dir = std::make_unique<QTemporaryDir>();
    m_pids = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid() && m_pids->isValid());
    m_other.reset();
    m_files = smallFiles();
}

void TestCliSignals::writeSources()
{
    for (auto it = m_files.cbegin(); it != m_files.cend(); ++it) {
        QVERIFY(QDir().mkpath(QFileInfo(path("src/" + it.key())).path()));
        QFile f(path("src/" + it.key()));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(it.value()) == it.value().size());
    }
}

void TestCliSignals::stopped_data()
{
    QTest::addColumn<QString>("moment"); // scan, rename or copy
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("second"); // a SIGINT first, so that this one is the second
    QTest::newRow("SIGTERM in the scan") << "scan" << SIGTERM << false;
    QTest::newRow("SIGINT right after a rename") << "rename" << SIGINT << false;
    QTest::newRow("SIGTERM right after a rename") << "rename" << SIGTERM << false;
    QTest::newRow("SIGHUP right after a rename") << "rename" << SIGHUP << false;
    QTest::newRow("SIGHUP in a large copy") << "copy" << SIGHUP << false;
    QTest::newRow("second signal in the scan") << "scan" << SIGTERM << true;
    QTest::newRow("second signal right after a rename") << "rename" << SIGTERM << true;
}

void TestCliSignals::stopped()
{
    QFETCH(QString, moment);
    QFETCH(int, signal);
    QFETCH(bool, second);
    QString target = path("tgt");
    QStringList held;
    QList<int> calls;
    if (moment == QLatin1String("scan")) {
        // The first reading of one folder, by whichever thread reads it.
        held = QStringList{"-P", path("src/d2")} + delayed("getdents64", 1);
        calls = {SYS_getdents64};
    } else if (moment == QLatin1String("rename")) {
        held = delayed("renameat2", 2); // d1/b.jpg
        calls = {SYS_renameat2};
    } else {
        const QString other = quorvane::testsupport::otherFileSystem();
        if (other.isEmpty())
            QSKIP("no writable /dev/shm on another file system");
        m_other = std::make_unique<QTemporaryDir>(other + QStringLiteral("/qv-signal-XXXXXX"));
        target = m_other->path();
        QByteArray big(BigSize, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(big.data()), big.size() / 4);
        m_files.insert(BigFile, big);
        // The big file's second step: a kernel copy, or where the kernel
        // copies only within one file system, a read at an offset.
        held = QStringList{"-P", path("src/" + BigFile)} + delayed("copy_file_range", 2) + delayed("pread64", 2);
        calls = {SYS_copy_file_range, SYS_pread64};
    }
    writeSources();
    QVERIFY(QDir().mkpath(target));
    QStringList arguments{"image", path("src"), target, "--all", "--recursive", "--move", "--journal", journal()};
    if (moment == QLatin1String("copy"))
        arguments.append("--json");

    QProcessEnvironment environment = quorvane::testsupport::cliEnvironment();
    // A forced end leaves the run's helper threads unjoined on purpose; a
    // thread checker in the child would count that as a finding and change
    // the exit code.
    if (second && environment.contains(QStringLiteral("TSAN_OPTIONS")))
        environment.insert(QStringLiteral("TSAN_OPTIONS"),
                           environment.value(QStringLiteral("TSAN_OPTIONS")) + QStringLiteral(":report_thread_leaks=0"));
    Child child(m_pids->filePath(QStringLiteral("pid")), quorvane::testsupport::traced(held), arguments, environment);
    const bool inCall = child.inSyscall(calls);
    if (second) {
        child.kill(SIGINT);
        QThread::msleep(100);
    }
    child.kill(signal);
    const ChildRun o = child.finish();
    if (!o.cannotSetUp.isEmpty())
        QSKIP(qPrintable(o.cannotSetUp));
    QVERIFY(inCall);
    QVERIFY2(o.exitCode == 128 + signal, o.errors.constData());

    QStringList moved;
    checkWhole(target, moved);
    if (QTest::currentTestFailed())
        return;
    const QByteArray name = nameOf(signal);
    const QStringList renamed{"d1/a.jpg", "d1/b.jpg"};
    if (second) {
        // Ended at once, without a summary; a rename made is in the journal.
        QVERIFY2(o.errors.contains("sofort beendet durch zweites Signal " + name), o.errors.constData());
        QVERIFY(!o.errors.contains("gefunden"));
        QCOMPARE(moved, moment == QLatin1String("scan") ? QStringList{} : renamed);
    } else if (moment == QLatin1String("scan")) {
        QVERIFY2(o.errors.contains("abgebrochen durch Signal " + name + " während der Suche"), o.errors.constData());
        QVERIFY(foundCount(o.errors) >= 0 && foundCount(o.errors) < m_files.size());
        QCOMPARE(moved, QStringList{});
    } else if (moment == QLatin1String("rename")) {
        QVERIFY2(o.errors.contains(", nicht erreicht 5\n"), o.errors.constData());
        QVERIFY(o.errors.contains("abgebrochen durch Signal " + name + " während des Abbildens"));
        QCOMPARE(moved, renamed);
    } else {
        // The big file is taken back; the file after it is not reached.
        const QJsonObject summary = QJsonDocument::fromJson(o.output).object();
        QCOMPARE(summary.value("stopped_by_signal").toString(), QString::fromLatin1(name));
        QCOMPARE(summary.value("stopped_during").toString(), QStringLiteral("image"));
        QCOMPARE(summary.value("imaged").toInt(), 6);
        QCOMPARE(summary.value("not_reached").toInt(), 1);
        const QJsonObject skipped = summary.value("skipped_files").toArray().at(0).toObject();
        QCOMPARE(skipped.value("path").toString(), path("src/" + BigFile));
        QCOMPARE(skipped.value("reason").toString(), "Abgebrochen durch Signal " + name);
        QCOMPARE(moved.size(), 6);
    }
    if (moved.isEmpty() && !QFileInfo::exists(journal()))
        return; // a run that never came to its files made no journal
    checkUndone(target);
}

void TestCliSignals::undoStopped()
{
    writeSources();
    const ChildRun run = quorvane::testsupport::runCli(
        {"image", path("src"), path("tgt"), "--all", "--recursive", "--move", "--journal", journal()});
    QCOMPARE(run.exitCode, 0);
    // Undone last first: the second move back is r.jpg's predecessor, d3/b.jpg.
    Child child(m_pids->filePath(QStringLiteral("pid")), quorvane::testsupport::traced(delayed("renameat2", 2)),
                {"undo", journal()});
    const bool inCall = child.inSyscall({SYS_renameat2});
    child.kill(SIGTERM);
    const ChildRun o = child.finish();
    if (!o.cannotSetUp.isEmpty())
        QSKIP(qPrintable(o.cannotSetUp));
    QVERIFY(inCall);
    QCOMPARE(o.exitCode, 128 + SIGTERM);
    QVERIFY2(o.errors.contains("rückgängig gemacht 2, nicht rückgängig 0, nicht erreicht 5\n"), o.errors.constData());
    QVERIFY(o.errors.contains("abgebrochen durch Signal SIGTERM; undo mit demselben Protokoll"));
    QCOMPARE(filesBelow(path("src")), QStringList({"d3/b.jpg", "r.jpg"}));
    checkUndone(path("tgt"));
}

void TestCliSignals::listStopped_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QByteArray>("before"); // the list file's bytes before the run; empty: none
    QTest::newRow("SIGINT, no list before") << SIGINT << QByteArray();
    QTest::newRow("SIGTERM, a list before") << SIGTERM << QByteArray("C:\\old\\list.jpg\r\n");
}

void TestCliSignals::listStopped()
{
    QFETCH(int, signal);
    QFETCH(QByteArray, before);
    writeSources();
    QStringList entries{"src"};
    if (!before.isEmpty()) {
        QFile old(path("list.txt"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(before) == before.size());
        entries.prepend("list.txt");
    }
    Child child(m_pids->filePath(QStringLiteral("pid")),
                quorvane::testsupport::traced(QStringList{"-P", path("src/d2")} + delayed("getdents64", 1)),
                {"list", path("src"), "--all", "-o", path("list.txt")});
    const bool inCall = child.inSyscall({SYS_getdents64});
    child.kill(signal);
    const ChildRun o = child.finish();
    if (!o.cannotSetUp.isEmpty())
        QSKIP(qPrintable(o.cannotSetUp));
    QVERIFY(inCall);
    QCOMPARE(o.exitCode, 128 + signal);
    QVERIFY2(o.errors.contains("Die Liste " + path("list.txt").toUtf8() + " wurde nicht angelegt.\n"),
             o.errors.constData());
    QVERIFY(o.errors.contains("abgebrochen durch Signal " + nameOf(signal) + " während der Suche\n"));
    // A list that may lack files never appears, under its name or another,
    // and an older list stays as it was.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), entries);
    if (!before.isEmpty())
        QCOMPARE(content(path("list.txt")), before);
}

void TestCliSignals::checkWhole(const QString &target, QStringList &moved)
{
    const QStringList inTarget = filesBelow(target);
    for (const QString &name : inTarget) {
        // Neither a part of a file under its final name nor a hidden part file.
        QVERIFY2(m_files.contains(name) && content(target + QLatin1Char('/') + name) == m_files.value(name),
                 qPrintable(name));
    }
    const QMap<QString, QString> journaled = journaledMoves(journal());
    for (auto it = m_files.cbegin(); it != m_files.cend(); ++it) {
        const QString source = path("src/" + it.key());
        const bool placed = inTarget.contains(it.key());
        QVERIFY2((content(source) == it.value()) != placed, qPrintable("in two places or none: " + it.key()));
        QVERIFY2(placed == (journaled.value(source) == target + QLatin1Char('/') + it.key()),
                 qPrintable("journal wrong about " + it.key()));
        if (placed)
            moved.append(it.key());
    }
}

void TestCliSignals::checkUndone(const QString &target)
{
    const ChildRun undo = quorvane::testsupport::runCli({"undo", journal()});
    QVERIFY2(undo.exitCode == 0, undo.errors.constData());
    QCOMPARE(filesBelow(target), QStringList{});
    for (auto it = m_files.cbegin(); it != m_files.cend(); ++it)
        QVERIFY2(content(path("src/" + it.key())) == it.value(), qPrintable(it.key()));
}

QTEST_GUILESS_MAIN(TestCliSignals)
#include "test_cli_signals.moc"
