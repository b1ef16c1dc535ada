// The command line under real faults, each made to happen in a child
// process: killed with SIGKILL in the middle of a copy (held there by strace
// delay injection), another program taking a name or editing a source at
// that moment, a full output, a failing write, another user, a standard
// output that is full, closed or a pipe nobody reads.
#include "clichild.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr qint64 BigSize = qint64(40) << 20; // three kernel copy steps

QByteArray sha1(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha1).toHex();
}

QByteArray read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool write(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

QByteArray bigContent(quint32 seed)
{
    QByteArray data(BigSize, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32 *>(data.data()), data.size() / 4);
    return data;
}

QStringList names(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

using quorvane::testsupport::Child;
using quorvane::testsupport::ChildRun;
using quorvane::testsupport::haveStrace;
using quorvane::testsupport::otherFileSystem;
using quorvane::testsupport::traced;

// The runner's shell becomes quorvane-cli after two writes of its own (the
// process id, its start line), and injections count per process.
constexpr int ShellWrites = 2;

// Holds the copy at its second step, kernel copy or write alike, for
// microseconds.
QStringList secondStepDelayed(int microseconds)
{
    return {"-e", QStringLiteral("inject=copy_file_range:delay_enter=%1:when=2").arg(microseconds), "-e",
            QStringLiteral("inject=write:delay_enter=%1:when=%2").arg(microseconds).arg(2 + ShellWrites)};
}

} // namespace

class TestCliFaults : public QObject {
    Q_OBJECT

private slots:
    void init();
    void killedMidCopy_data();
    void killedMidCopy();
    void killedAtAnyMoment();
    void flatRaceNeverReplaces();
    void moveKeepsEditedSource();
    void identicalSourceEditedBeforeRemoval();
    void listFileOnlyOverRegularFile_data();
    void listFileOnlyOverRegularFile();
    void everyFailureCounts_data();
    void everyFailureCounts();
    void fewOpenFilesAllowed();
    void linksWithoutOpenat2_data();
    void linksWithoutOpenat2();
    void everyOutputWriteCounts_data();
    void everyOutputWriteCounts();

private:
    QString path(const QString &relative) const { return m_dir->filePath(relative); }
    QString pidFile() const { return m_pids->filePath(QStringLiteral("pid")); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_pids; // apart, so that the folders compared hold none
};

void TestCliFaults::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_pids = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid() && m_pids->isValid());
}

void TestCliFaults::killedMidCopy_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("oldTarget");     // tgt/big.jpg holds "OLD" beforehand
    QTest::addColumn<bool>("acrossSystems"); // target on another file system
    QTest::newRow("copy to a new name") << QStringList{"--all"} << false << false;
    QTest::newRow("copy over a file") << QStringList{"--all", "--recursive"} << true << false;
    QTest::newRow("move to another file system") << QStringList{"--all", "--move"} << false << true;
}

void TestCliFaults::killedMidCopy()
{
    QFETCH(QStringList, options);
    QFETCH(bool, oldTarget);
    QFETCH(bool, acrossSystems);
    if (!haveStrace())
        QSKIP("strace is not installed");
    std::unique_ptr<QTemporaryDir> other;
    QString target = path("tgt");
    if (acrossSystems) {
        if (otherFileSystem().isEmpty())
            QSKIP("no writable /dev/shm on another file system");
        other = std::make_unique<QTemporaryDir>(otherFileSystem() + QStringLiteral("/qv-kill-XXXXXX"));
        target = other->path();
    }
    const QByteArray content = bigContent(1);
    QVERIFY(write(path("src/big.jpg"), content));
    QVERIFY(QDir().mkpath(target));
    if (oldTarget)
        QVERIFY(write(target + "/big.jpg", "OLD"));

    // The second step of the copy waits long enough to be killed in it.
    Child child(pidFile(), traced(secondStepDelayed(1000000)), QStringList{"image", path("src"), target} + options);
    if (!child.copying()) {
        child.kill();
        const ChildRun o = child.finish();
        if (!o.cannotSetUp.isEmpty())
            QSKIP(qPrintable(o.cannotSetUp));
        QFAIL("the copy was never seen under way");
    }
    child.kill();
    QCOMPARE(child.finish().exitCode, -1);

    // The target absent or old, no part of the new file under any name, the source whole.
    QCOMPARE(names(target), oldTarget ? QStringList{"big.jpg"} : QStringList{});
    if (oldTarget)
        QCOMPARE(read(target + "/big.jpg"), QByteArray("OLD"));
    QCOMPARE(sha1(read(path("src/big.jpg"))), sha1(content));
}

void TestCliFaults::killedAtAnyMoment()
{
    if (!haveStrace())
        QSKIP("strace is not installed");
    const QByteArray content = bigContent(2);
    QVERIFY(write(path("src/big.jpg"), content));
    const QByteArray fresh = sha1(content);
    int sawOld = 0;
    int sawNew = 0;
    for (int at = 0; at <= 800; at += 200) {
        const QString target = path(QStringLiteral("tgt%1").arg(at));
        QVERIFY(write(target + "/big.jpg", "OLD"));
        // Every kernel copy step slowed, so that the moments spread over the whole copy.
        Child child(pidFile() + QString::number(at),
                    traced({"-e", "inject=copy_file_range:delay_enter=100000:when=1+"}),
                    {"image", path("src"), target, "--all", "--recursive"});
        QVERIFY(child.pid() > 0);
        QThread::msleep(at);
        child.kill();
        const ChildRun o = child.finish();
        if (!o.cannotSetUp.isEmpty())
            QSKIP(qPrintable(o.cannotSetUp));
        // Old or complete, never anything in between; a linked temporary
        // (killed between its link and the rename) is complete too.
        for (const QString &name : names(target)) {
            const QByteArray sum = sha1(read(target + QLatin1Char('/') + name));
            if (name == QLatin1String("big.jpg")) {
                QVERIFY2(sum == fresh || read(target + "/big.jpg") == "OLD", qPrintable(QString::number(at)));
                (sum == fresh ? sawNew : sawOld)++;
            } else {
                QVERIFY2(name.startsWith(QLatin1String(".quorvane-big.jpg-")) && name.endsWith(QLatin1String(".part")),
                         qPrintable(name));
                QCOMPARE(sum, fresh);
            }
        }
        QVERIFY(names(target).contains(QStringLiteral("big.jpg")));
    }
    QVERIFY(sawOld > 0); // the kills did land in the copy
}

void TestCliFaults::flatRaceNeverReplaces()
{
    if (!haveStrace())
        QSKIP("strace is not installed");
    QVERIFY(write(path("src/sub/a.jpg"), "MINE"));
    QVERIFY(QDir().mkpath(path("tgt")));
    // Naming the finished copy waits; meanwhile another program takes the name.
    Child child(pidFile(), traced({"-e", "inject=linkat:delay_enter=1500000:when=1"}),
                {"image", path("src"), path("tgt"), "--all"});
    QVERIFY(child.pid() > 0);
    for (int i = 0; i < 1000 && !QFileInfo::exists(QStringLiteral("/proc/%1/fd").arg(child.pid())); ++i)
        QThread::msleep(10);
    bool unnamed = false;
    for (int i = 0; i < 1000 && !unnamed; ++i) {
        const QString fds = QStringLiteral("/proc/%1/fd").arg(child.pid());
        for (const QString &fd : QDir(fds).entryList(QDir::Files | QDir::System))
            unnamed = unnamed || QFile::symLinkTarget(fds + QLatin1Char('/') + fd).contains(path("tgt") + "/#");
        QThread::msleep(5);
    }
    QFile other(path("tgt/a.jpg"));
    QVERIFY(other.open(QIODevice::NewOnly | QIODevice::WriteOnly));
    QCOMPARE(other.write("OTHER"), 5);
    other.close();
    const ChildRun o = child.finish();
    if (!o.cannotSetUp.isEmpty())
        QSKIP(qPrintable(o.cannotSetUp));
    QVERIFY(unnamed);
    QCOMPARE(o.exitCode, 0);
    QCOMPARE(read(path("tgt/a.jpg")), QByteArray("OTHER"));
    QCOMPARE(read(path("tgt/a[1].jpg")), QByteArray("MINE"));
    QCOMPARE(names(path("tgt")), QStringList({"a.jpg", "a[1].jpg"}));
}

void TestCliFaults::moveKeepsEditedSource()
{
    if (!haveStrace())
        QSKIP("strace is not installed");
    if (otherFileSystem().isEmpty())
        QSKIP("no writable /dev/shm on another file system");
    QTemporaryDir target(otherFileSystem() + QStringLiteral("/qv-move-XXXXXX"));
    QVERIFY(target.isValid());
    const QByteArray content = bigContent(3);
    QVERIFY(write(path("src/big.jpg"), content));
    Child child(pidFile(), traced(secondStepDelayed(1500000)),
                {"image", path("src"), target.path(), "--all", "--move"});
    QVERIFY(child.copying());
    // Another program writes into the source while it is being copied.
    QFile source(path("src/big.jpg"));
    QVERIFY(source.open(QIODevice::ReadWrite));
    QCOMPARE(source.write("EDIT"), 4);
    source.close();
    const ChildRun o = child.finish();
    QCOMPARE(o.exitCode, 1);
    QVERIFY2(o.errors.contains(
                 ("übersprungen: " + path("src/big.jpg") + ": Die Quelle wurde beim Verschieben geändert").toUtf8()),
             o.errors.constData());
    QCOMPARE(read(path("src/big.jpg")), "EDIT" + content.mid(4));
    QCOMPARE(names(target.path()), QStringList{});
}

void TestCliFaults::identicalSourceEditedBeforeRemoval()
{
    // The source's bytes are found in the target already; once compared,
    // the run is held as it lets go of the source, and another program
    // writes into it. What it removes then would be bytes nobody compared.
    if (!haveStrace())
        QSKIP("strace is not installed");
    QVERIFY(write(path("src/x.jpg"), "same bytes"));
    QVERIFY(write(path("tgt/x.jpg"), "same bytes"));
    Child child(pidFile(),
                traced({"-P", path("src/x.jpg"), "-e", "inject=close:delay_enter=1000000:when=1"}),
                {"image", path("src"), path("tgt"), "--all", "--move", "--skip-identical"});
    const bool held = child.inSyscall({SYS_close});
    const bool edited = held && write(path("src/x.jpg"), "new photo!");
    const ChildRun o = child.finish();
    if (!o.cannotSetUp.isEmpty())
        QSKIP(qPrintable(o.cannotSetUp));
    QVERIFY(held && edited);
    QCOMPARE(o.exitCode, 1);
    QVERIFY2(o.errors.contains(
                 ("übersprungen: " + path("src/x.jpg") + ": Die Quelle wurde beim Vergleichen geändert").toUtf8()),
             o.errors.constData());
    QCOMPARE(read(path("src/x.jpg")), QByteArray("new photo!"));
    QCOMPARE(names(path("tgt")), QStringList{"x.jpg"});
    QCOMPARE(read(path("tgt/x.jpg")), QByteArray("same bytes"));
}

void TestCliFaults::listFileOnlyOverRegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("said");
    QTest::newRow("device") << "device" << QByteArray("sondern ein Gerät");
    QTest::newRow("pipe") << "fifo" << QByteArray("sondern eine Pipe (FIFO)");
    QTest::newRow("socket") << "socket" << QByteArray("sondern ein Socket");
    QTest::newRow("folder") << "folder" << QByteArray("sondern ein Verzeichnis");
    QTest::newRow("link to a device") << "link" << QByteArray("sondern ein Gerät");
}

void TestCliFaults::listFileOnlyOverRegularFile()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, said);
    QVERIFY(write(path("src/a.jpg"), "a"));
    const QByteArray node = QFile::encodeName(path("out.txt"));
    struct stat before {};
    if (kind == QLatin1String("device")) {
        // The same device as /dev/full, made here so that no real one is at stake.
        QVERIFY(::mknod(node.constData(), S_IFCHR | 0666, makedev(1, 7)) == 0);
    } else if (kind == QLatin1String("link")) {
        QVERIFY(::mknod(QFile::encodeName(path("full")).constData(), S_IFCHR | 0666, makedev(1, 7)) == 0);
        QVERIFY(::symlink("full", node.constData()) == 0);
    } else if (kind == QLatin1String("fifo")) {
        QVERIFY(::mkfifo(node.constData(), 0644) == 0);
    } else if (kind == QLatin1String("socket")) {
        const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, node.constData(), sizeof address.sun_path);
        QVERIFY(::bind(s, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        ::close(s);
    } else {
        QVERIFY(QDir().mkpath(path("out.txt")));
    }
    QVERIFY(::stat(node.constData(), &before) == 0);
    const QStringList namesBefore = names(m_dir->path());

    Child child(pidFile(), {}, {"list", path("src"), "--all", "-o", path("out.txt")});
    const ChildRun o = child.finish();
    QCOMPARE(o.exitCode, 1);
    QVERIFY2(o.errors.contains("konnte nicht geschrieben werden: Keine gewöhnliche Datei, " + said),
             o.errors.constData());
    QVERIFY(!o.errors.contains("gefunden")); // refused before the scan
    struct stat after {};
    QVERIFY(::stat(node.constData(), &after) == 0);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(names(m_dir->path()), namesBefore);
}

void TestCliFaults::everyFailureCounts_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("said"); // SRC and TGT stand for the folders
    QTest::newRow("output full") << "full" << 1
                                 << "Die Ausgabe konnte nicht geschrieben werden: Kein Platz mehr auf dem Datenträger";
    QTest::newRow("source not readable") << "user" << 1 << "übersprungen: SRC/secret.jpg: Keine Berechtigung\n";
    QTest::newRow("target disk full")
        << "enospc" << 1 << "übersprungen: SRC/a.jpg: Ziel TGT/a.jpg: Kein Platz mehr auf dem Datenträger\n";
}

void TestCliFaults::everyFailureCounts()
{
    QFETCH(QString, fault);
    QFETCH(int, code);
    QFETCH(QString, said);
    QVERIFY(write(path("src/a.jpg"), "a"));
    said.replace(QStringLiteral("SRC"), path("src")).replace(QStringLiteral("TGT"), path("tgt"));
    QStringList arguments{"image", path("src"), path("tgt"), "--all"};
    QStringList mechanism;
    if (fault == QLatin1String("full")) {
        // The listing goes to a device that takes no byte.
        mechanism = QStringList{"sh", "-c", "exec \"$@\" > /dev/full", "sh"};
        arguments = QStringList{"list", path("src"), "--all"};
    } else if (fault == QLatin1String("user")) {
        if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty() || ::geteuid() != 0)
            QSKIP("needs setpriv and root to run as another user");
        QVERIFY(write(path("src/secret.jpg"), "s"));
        QVERIFY(QFile::setPermissions(path("src/secret.jpg"), QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(::chmod(QFile::encodeName(m_dir->path()).constData(), 0777) == 0);
        mechanism = QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    } else {
        if (!haveStrace())
            QSKIP("strace is not installed");
        QVERIFY(QDir().mkpath(path("tgt")));
        mechanism = traced({"-e", "inject=copy_file_range:error=ENOSPC"});
    }
    const ChildRun o = quorvane::testsupport::runCli(arguments, mechanism);
    if (!o.cannotSetUp.isEmpty())
        QSKIP(qPrintable(o.cannotSetUp));
    QCOMPARE(o.exitCode, code);
    QVERIFY2(o.errors.contains(said.toUtf8()), o.errors.constData());
    QVERIFY(!QFileInfo::exists(path(fault == QLatin1String("user") ? "tgt/secret.jpg" : "tgt/a.jpg")));
}

// Copies wait with their sources open: under a low open-file limit the
// queue must stay short enough that no file fails for want of one.
void TestCliFaults::fewOpenFilesAllowed()
{
    constexpr int Folders = 30;
    constexpr int PerFolder = 50;
    for (int f = 0; f < Folders; ++f)
        for (int i = 0; i < PerFolder; ++i)
            QVERIFY(write(path(QStringLiteral("src/d%1/f%2.jpg").arg(f).arg(i)), QByteArray::number(f * 100 + i)));
    const ChildRun o = quorvane::testsupport::runCli({"image", path("src"), path("tgt"), "--all", "--recursive"},
                                                     {"prlimit", "--nofile=256:256", "--"});
    if (!o.cannotSetUp.isEmpty())
        QSKIP(qPrintable(o.cannotSetUp));
    QVERIFY2(o.exitCode == 0, o.errors.constData());
    for (int f = 0; f < Folders; ++f)
        QCOMPARE(names(path(QStringLiteral("tgt/d%1").arg(f))).size(), PerFolder);
    QCOMPARE(read(path("tgt/d29/f49.jpg")), QByteArray("2949"));
}

void TestCliFaults::linksWithoutOpenat2_data()
{
    QTest::addColumn<QString>("link");   // below the test folder
    QTest::addColumn<QString>("leadsTo"); // as written in the link
    QTest::addColumn<QStringList>("options");
    QTest::newRow("folder link in the target") << "tgt/sub"
                                               << "../outside" << QStringList{"--recursive"};
    QTest::newRow("folder link in the target, move") << "tgt/sub"
                                                     << "../outside" << QStringList{"--recursive", "--move"};
    QTest::newRow("file link in the source") << "src/sub/secret.jpg"
                                             << "../../outside/secret.jpg" << QStringList{};
}

void TestCliFaults::linksWithoutOpenat2()
{
    // On a kernel without openat2 the trees are walked name by name: no
    // link may lead the run out of them there either.
    QFETCH(QString, link);
    QFETCH(QString, leadsTo);
    QFETCH(QStringList, options);
    if (!haveStrace())
        QSKIP("strace is not installed");
    QVERIFY(write(path("outside/secret.jpg"), "outside"));
    QVERIFY(write(path("src/sub/new.jpg"), "inside"));
    QVERIFY(QDir().mkpath(path("tgt")));
    QVERIFY(QFile::link(leadsTo, path(link)));
    const ChildRun o = quorvane::testsupport::runCli(QStringList{"image", path("src"), path("tgt"), "--all"} + options,
                                                     traced({"-e", "inject=openat2:error=ENOSYS"}));
    if (!o.cannotSetUp.isEmpty())
        QSKIP(qPrintable(o.cannotSetUp));
    QCOMPARE(o.exitCode, 1);
    QVERIFY2(o.errors.contains("übersprungen 1\n"), o.errors.constData());
    QCOMPARE(names(path("outside")), QStringList{"secret.jpg"});
    QCOMPARE(read(path("outside/secret.jpg")), QByteArray("outside"));
    QVERIFY(!QFileInfo::exists(path("tgt/secret.jpg")));
}

void TestCliFaults::everyOutputWriteCounts_data()
{
    QTest::addColumn<QString>("output"); // what standard output is
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("code"); // -1: ended by a signal
    QTest::addColumn<QByteArray>("said");
    const QStringList plan{"image", "SRC", "TGT", "--all", "--dry-run"};
    const QStringList listSummary{"list", "SRC", "--all", "-o", "LIST", "--json"};
    const QByteArray failed = "quorvane-cli: Die Ausgabe konnte nicht geschrieben werden: ";
    const QByteArray full = failed + "Kein Platz mehr auf dem Datenträger\n";
    const QByteArray closed = failed + "Ungültiger Dateideskriptor\n";
    QTest::newRow("plan to a full device") << "/dev/full" << plan << 1 << full;
    QTest::newRow("image summary to a full device")
        << "/dev/full" << QStringList{"image", "SRC", "TGT", "--all", "--json"} << 1 << full;
    QTest::newRow("list summary to a full device") << "/dev/full" << listSummary << 1 << full;
    QTest::newRow("help to a full device") << "/dev/full" << QStringList{"--help"} << 1 << full;
    QTest::newRow("plan into a full disk") << "full disk" << plan << 1 << full;
    QTest::newRow("plan to a closed output") << "closed" << plan << 1 << closed;
    QTest::newRow("list summary to a closed output") << "closed" << listSummary << 1 << closed;
    QTest::newRow("plan to a gone reader, SIGPIPE ignored")
        << "pipe, SIGPIPE ignored" << plan << 1 << failed + "Empfänger hat die Verbindung geschlossen\n";
    // As behind "| head": the program ends at once and says nothing.
    QTest::newRow("plan to a gone reader") << "pipe" << plan << -1 << QByteArray();
    QTest::newRow("plan to a file") << "file" << plan << 0
                                    << QByteArray("Probelauf, nichts geschrieben: gefunden 60, abgebildet 60");
}

void TestCliFaults::everyOutputWriteCounts()
{
    QFETCH(QString, output);
    QFETCH(QStringList, arguments);
    QFETCH(int, code);
    QFETCH(QByteArray, said);
    // More than one buffer of plan, so that a write fails before the end too.
    QByteArrayList expectedPlan;
    for (int i = 10; i < 70; ++i) {
        const QString name = QStringLiteral("/picture-with-a-rather-long-name-%1.jpg").arg(i);
        QVERIFY(write(path("src") + name, "p"));
        expectedPlan += (path("src") + name + " -> " + path("tgt") + name).toUtf8();
    }
    QVERIFY(QDir().mkpath(path("disk")));
    arguments.replaceInStrings(QStringLiteral("SRC"), path("src"))
        .replaceInStrings(QStringLiteral("TGT"), path("tgt"))
        .replaceInStrings(QStringLiteral("LIST"), path("list.txt"));
    const QString fifo = QStringLiteral("mkfifo '%1' && exec \"$@\" 3<>'%1' >'%1' 3<&-").arg(path("fifo"));
    const QMap<QString, QString> redirected{
        {"/dev/full", "exec \"$@\" >/dev/full"},
        {"full disk", QStringLiteral("exec \"$@\" >'%1/plan.txt'").arg(path("disk"))},
        {"closed", "exec \"$@\" >&-"},
        {"pipe, SIGPIPE ignored", "trap '' PIPE; " + fifo},
        {"pipe", fifo},
        {"file", QStringLiteral("exec \"$@\" >'%1'").arg(path("plan.txt"))},
    };
    QStringList mechanism;
    QString setup;
    if (output == QLatin1String("full disk")) {
        mechanism = quorvane::testsupport::privateMounts();
        setup = "mount -t tmpfs -o size=16k tmpfs \"$1\" && { cat /dev/zero >\"$1/fill\" 2>/dev/null || true; }";
    }
    const ChildRun o = quorvane::testsupport::runUnder(
        mechanism, setup, setup.isEmpty() ? QStringList{} : QStringList{path("disk")}, "sh",
        QStringList{"-c", redirected.value(output), "sh", QUORVANE_CLI} + arguments,
        quorvane::testsupport::cliEnvironment(), 20000);
    if (!o.cannotSetUp.isEmpty())
        QSKIP(qPrintable(o.cannotSetUp));
    QCOMPARE(o.exitCode, code);
    if (said.isEmpty())
        QCOMPARE(o.errors, QByteArray());
    else
        QVERIFY2(o.errors.contains(said), o.errors.constData());
    if (output == QLatin1String("file")) {
        QVERIFY2(!o.errors.contains("Ausgabe"), o.errors.constData());
        const QByteArray written = read(path("plan.txt"));
        QVERIFY(written.endsWith('\n'));
        QByteArrayList lines = written.chopped(1).split('\n');
        std::sort(lines.begin(), lines.end());
        QCOMPARE(lines, expectedPlan);
    }
    // A summary that could not be written leaves the list itself whole.
    if (arguments.contains(path("list.txt")))
        QCOMPARE(read(path("list.txt")).count("\r\n"), 60);
}

QTEST_GUILESS_MAIN(TestCliFaults)
#include "test_cli_faults.moc"
