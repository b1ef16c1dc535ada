// Real faults, made to happen in child processes: a full disk (a small
// tmpfs in a private mount namespace), another file system, a failing
// fsync or rename (strace fault injection), no access (another user).
#include "scratch.h"
#include "support/childrun.h"
#include "support/hostmetadata.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTest>
#include <QVersionNumber>

using namespace quorvane::platform;

class TestFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void diskFull_data();
    void diskFull();
    void moveAcrossFileSystems();
    void moveKeepsMetadata_data();
    void moveKeepsMetadata();
    void injectedFailures_data();
    void injectedFailures();
    void copyWithoutKernelCopy();
    void permissionDenied();
    void ownerThatCannotBeKept();
    void withoutUnnamedFiles_data();
    void withoutUnnamedFiles();

private:
    struct Outcome {
        QString cannotSetUp; // the mechanism is missing here: skip
        int error = -999;
        QStringList entries; // "name size sha1 owner"
        QStringList metas;   // "name blocks attribute..."
        QByteArray output;
    };
    Outcome runHelper(const QStringList &mechanism, const QString &setup, const QStringList &helperArgs,
                      const QByteArray &drives, const QByteArray &checkDir);
    Outcome runInFreshMount(const QStringList &helperArgs, const QByteArray &size,
                            const QString &fileSystem = QStringLiteral("tmpfs"));
    int writeOfContent(const QStringList &operation);
    static QString entry(const QByteArray &name, const QByteArray &content, unsigned owner = 0);

    QString m_helper;
    std::unique_ptr<scratch::Drive> m_s;
};

QString TestFaults::entry(const QByteArray &name, const QByteArray &content, unsigned owner)
{
    return QString::fromUtf8(name + ' ' + QByteArray::number(content.size()) + ' '
                             + QCryptographicHash::hash(content, QCryptographicHash::Sha1).toHex() + ' '
                             + QByteArray::number(owner));
}

void TestFaults::initTestCase()
{
    m_helper = QCoreApplication::applicationDirPath() + QStringLiteral("/platform_fault_helper");
    QVERIFY2(QFile::exists(m_helper), qPrintable(m_helper));
}

void TestFaults::init()
{
    m_s = std::make_unique<scratch::Drive>();
    QVERIFY(m_s->isValid());
    QVERIFY(m_s->dir("mnt"));
    QVERIFY(m_s->file("big.bin", QByteArray(1 << 20, 'b')));
    QVERIFY(m_s->file("small.bin", QByteArray(1000, 's'), 0640));
}

// The helper runs under mechanism after the shell step setup (its $1 is
// checkDir), with the drives given; its lines tell the error and the
// entries of checkDir afterwards.
TestFaults::Outcome TestFaults::runHelper(const QStringList &mechanism, const QString &setup,
                                          const QStringList &helperArgs, const QByteArray &drives,
                                          const QByteArray &checkDir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUORVANE_DRIVES"), QString::fromUtf8(drives));
    env.insert(QStringLiteral("QV_CHECK_DIR"), QString::fromUtf8(checkDir));
    const quorvane::testsupport::ChildRun run =
        quorvane::testsupport::runUnder(mechanism, setup, {QString::fromUtf8(checkDir)}, m_helper, helperArgs, env);
    Outcome out;
    out.cannotSetUp = run.cannotSetUp;
    out.output = run.output + run.errors;
    for (const QByteArray &line : out.output.split('\n')) {
        if (line.startsWith("error "))
            out.error = line.mid(6).toInt();
        else if (line.startsWith("entry "))
            out.entries << QString::fromUtf8(line.mid(6));
        else if (line.startsWith("meta "))
            out.metas << QString::fromUtf8(line.mid(5));
    }
    out.entries.sort();
    return out;
}

// The helper runs with S: the scratch folder and T: a fresh file system
// (tmpfs of the given size unless told) holding old.txt ("old"); the
// listing shows T: afterwards.
TestFaults::Outcome TestFaults::runInFreshMount(const QStringList &helperArgs, const QByteArray &size,
                                                const QString &fileSystem)
{
    const QByteArray mount = m_s->host("mnt");
    const QString setup = QStringLiteral("mount -t %2 -o size=%1 %2 \"$1\" && printf old > \"$1/old.txt\"")
                              .arg(QString::fromUtf8(size), fileSystem);
    return runHelper(quorvane::testsupport::privateMounts(), setup, helperArgs, "S=" + m_s->root() + ";T=" + mount,
                     mount);
}

void TestFaults::diskFull_data()
{
    QTest::addColumn<QStringList>("operation");
    QTest::newRow("copy over a file") << QStringList{"copy", "S:\\big.bin", "T:\\OLD.TXT"};
    QTest::newRow("copy to a new name") << QStringList{"copy", "S:\\big.bin", "T:\\new.bin"};
    QTest::newRow("replace a file") << QStringList{"replace", "T:\\old.txt", "1000000"};
    QTest::newRow("text output") << QStringList{"print", "T:\\old.txt", "40000"};
    QTest::newRow("move in") << QStringList{"move", "S:\\big.bin", "T:\\big.bin"};
}

void TestFaults::diskFull()
{
    QFETCH(QStringList, operation);
    const Outcome out = runInFreshMount(operation, "256k");
    if (!out.cannotSetUp.isEmpty())
        QSKIP(qPrintable(out.cannotSetUp));
    QVERIFY2(out.error != -999, out.output.constData());
    QCOMPARE(out.error, int(ErrDiskFull));
    // The old file whole, no partial copy, no temporary file.
    QCOMPARE(out.entries, QStringList{entry("old.txt", "old")});
    // A move that failed keeps its source.
    QCOMPARE(m_s->content("big.bin"), QByteArray(1 << 20, 'b'));
}

void TestFaults::moveAcrossFileSystems()
{
    // The moved file keeps its owner.
    QCOMPARE(::chown(m_s->host("small.bin").constData(), 65534, 65534), 0);
    const Outcome out = runInFreshMount({"move", "S:\\small.bin", "T:\\moved.bin"}, "256k");
    if (!out.cannotSetUp.isEmpty())
        QSKIP(qPrintable(out.cannotSetUp));
    QCOMPARE(out.error, 0);
    QCOMPARE(out.entries, (QStringList{entry("moved.bin", QByteArray(1000, 's'), 65534), entry("old.txt", "old")}));
    QVERIFY(!m_s->exists("small.bin"));

    const Outcome refused = runInFreshMount({"move", "S:\\big.bin", "T:\\old.txt"}, "4m");
    QCOMPARE(refused.error, int(ErrFileExists));
    QCOMPARE(refused.entries, QStringList{entry("old.txt", "old")});
    QVERIFY(m_s->exists("big.bin"));
    // The source cannot go (immutable): the copy goes instead, one file stays.
    QVERIFY(m_s->file("locked.bin", "locked"));
    QProcess chattr;
    chattr.start(QStringLiteral("chattr"), {"+i", QString::fromUtf8(m_s->host("locked.bin"))});
    if (!chattr.waitForFinished(10000) || chattr.exitStatus() != QProcess::NormalExit || chattr.exitCode() != 0)
        QSKIP("chattr +i is not available on this file system");
    const Outcome stuck = runInFreshMount({"move", "S:\\locked.bin", "T:\\locked.bin"}, "4m");
    QProcess::execute(QStringLiteral("chattr"), {"-i", QString::fromUtf8(m_s->host("locked.bin"))});
    QCOMPARE(stuck.error, int(ErrPermissionDenied));
    QCOMPARE(stuck.entries, QStringList{entry("old.txt", "old")});
    QCOMPARE(m_s->content("locked.bin"), QByteArray("locked"));
}

void TestFaults::moveKeepsMetadata_data()
{
    QTest::addColumn<QString>("fileSystem");
    QTest::addColumn<bool>("holdsAttributes");
    QTest::newRow("into tmpfs") << "tmpfs" << true;
    // ramfs refuses every attribute: the move goes on without them.
    QTest::newRow("into ramfs") << "ramfs" << false;
}

void TestFaults::moveKeepsMetadata()
{
    QFETCH(QString, fileSystem);
    QFETCH(bool, holdsAttributes);
    if (fileSystem == QLatin1String("tmpfs")
        && QVersionNumber::fromString(QSysInfo::kernelVersion()) < QVersionNumber(6, 6))
        QSKIP("tmpfs holds user.* attributes from Linux 6.6 on");
    const QByteArray source = m_s->host("sparse.bin");
    QVERIFY(makeSparseFile(source, 8 << 20, {0, 1 << 20}));
    QVERIFY(setHostAttribute(source, "user.xdg.origin.url", "https://example.org/sparse.bin"));
    QVERIFY(setHostAttribute(source, "trusted.quorvane", "t"));
    QVERIFY(setHostAttribute(source, "system.posix_acl_access",
                             aclBytes({{1, 6}, {2, 6, 4242}, {4, 4}, {0x10, 6}, {0x20, 0}})));
    const QStringList attributes = hostAttributes(source);
    const QByteArray content = m_s->content("sparse.bin");
    // Written whole, the file would not fit.
    const Outcome out = runInFreshMount({"move", "S:\\sparse.bin", "T:\\moved.bin"}, "1m", fileSystem);
    if (!out.cannotSetUp.isEmpty())
        QSKIP(qPrintable(out.cannotSetUp));
    QCOMPARE(out.error, 0);
    QCOMPARE(out.entries, (QStringList{entry("moved.bin", content), entry("old.txt", "old")}));
    QVERIFY(!m_s->exists("sparse.bin"));
    const QStringList meta =
        out.metas.filter(QRegularExpression(QStringLiteral("^moved.bin "))).value(0).split(' ', Qt::SkipEmptyParts);
    QVERIFY2(meta.size() >= 2 && meta.at(1).toLongLong() <= 64, qPrintable(meta.join(' ')));
    QCOMPARE(meta.mid(2), holdsAttributes ? attributes : QStringList());
}

void TestFaults::injectedFailures_data()
{
    QTest::addColumn<QString>("injection");
    QTest::addColumn<QStringList>("operation");
    QTest::addColumn<int>("expected");
    QTest::newRow("fsync on replace") << "fsync:error=EIO" << QStringList{"replace", "T:\\old.txt", "100"} << 57;
    QTest::newRow("fsync on close") << "fsync:error=EIO" << QStringList{"print", "T:\\old.txt", "10"} << 57;
    QTest::newRow("rename on copy") << "renameat,renameat2:error=EIO"
                                    << QStringList{"copy", "T:\\small.bin", "T:\\old.txt"} << 57;
    QTest::newRow("write on copy") << "copy_file_range:error=ENOSPC"
                                   << QStringList{"copy", "T:\\big.bin", "T:\\old.txt"} << 61;
    // A write that claims a byte it never wrote: the file comes out short.
    // "when=CONTENT" stands for the write of the new content, counted first.
    QTest::newRow("short write on replace")
        << "write:retval=1:when=CONTENT" << QStringList{"replace", "T:\\old.txt", "100"} << 57;
}

// Which write of the traced child (the runner's start line included) carries
// the content a replace writes: builds with sanitizers write on their own.
int TestFaults::writeOfContent(const QStringList &operation)
{
    QTemporaryDir traceDir;
    const QString trace = traceDir.filePath(QStringLiteral("trace"));
    if (!m_s->file("old.txt", "old"))
        return -1;
    const Outcome run =
        runHelper({"strace", "-f", "-o", trace, "-e", "trace=write"}, {}, operation, "T=" + m_s->root(), {});
    QFile traced(trace);
    if (!run.cannotSetUp.isEmpty() || !traced.open(QIODevice::ReadOnly))
        return -1;
    // Injections count per process: only the writes of the content's own.
    const QByteArray size = " = " + operation.last().toLatin1();
    QList<QByteArray> writes;
    for (const QByteArray &line : traced.readAll().split('\n')) {
        if (line.contains(" write("))
            writes.append(line);
    }
    for (const QByteArray &content : writes) {
        if (!content.contains("\"rrrr") || !content.trimmed().endsWith(size))
            continue;
        const QByteArray pid = content.left(content.indexOf(' ') + 1);
        int ordinal = 0;
        for (const QByteArray &line : writes) {
            ordinal += line.startsWith(pid) ? 1 : 0;
            if (line == content)
                return ordinal;
        }
    }
    return -1;
}

void TestFaults::injectedFailures()
{
    QFETCH(QString, injection);
    QFETCH(QStringList, operation);
    QFETCH(int, expected);
    if (injection.contains(QLatin1String("CONTENT"))) {
        const int ordinal = writeOfContent(operation);
        if (ordinal <= 0)
            QSKIP("could not trace the helper's writes to find the content's");
        injection.replace(QLatin1String("CONTENT"), QString::number(ordinal));
    }
    QVERIFY(m_s->file("old.txt", "old"));
    const QStringList strace{"strace", "-f", "-o", "/dev/null", "-e", QStringLiteral("inject=") + injection};
    const Outcome out = runHelper(strace, {}, operation, "T=" + m_s->root(), {});
    if (!out.cannotSetUp.isEmpty())
        QSKIP(qPrintable(out.cannotSetUp));
    QCOMPARE(out.error, expected);
    QCOMPARE(m_s->content("old.txt"), QByteArray("old"));
    for (const QByteArray &name : m_s->names())
        QVERIFY2(!name.startsWith(".quorvane-"), name.constData());
}

void TestFaults::copyWithoutKernelCopy()
{
    // A kernel or file system without copy_file_range: plain reads and writes.
    const QStringList strace{"strace", "-f", "-o", "/dev/null", "-e", "inject=copy_file_range:error=ENOSYS"};
    const Outcome out = runHelper(strace, {}, {"copy", "T:\\big.bin", "T:\\copy.bin"}, "T=" + m_s->root(), {});
    if (!out.cannotSetUp.isEmpty())
        QSKIP(qPrintable(out.cannotSetUp));
    QCOMPARE(out.error, 0);
    QCOMPARE(m_s->content("copy.bin"), QByteArray(1 << 20, 'b'));
}

void TestFaults::permissionDenied()
{
    if (::geteuid() != 0)
        QSKIP("needs root to run a step as another user");
    QCOMPARE(::chmod(m_s->root().constData(), 0755), 0);
    QVERIFY(m_s->file("secret.txt", "s", 0600));
    QVERIFY(m_s->file("open.txt", "o", 0644));
    const QByteArray drives = "T=" + m_s->root();
    const QStringList asNobody{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    const Outcome denied = runHelper(asNobody, {}, {"input", "T:\\secret.txt"}, drives, {});
    if (!denied.cannotSetUp.isEmpty())
        QSKIP(qPrintable(denied.cannotSetUp));
    QCOMPARE(denied.error, int(ErrPermissionDenied));
    const Outcome allowed = runHelper(asNobody, {}, {"input", "T:\\open.txt"}, drives, {});
    QCOMPARE(allowed.error, 0);
    const Outcome write = runHelper(asNobody, {}, {"replace", "T:\\open.txt", "3"}, drives, {});
    QCOMPARE(write.error, int(ErrPermissionDenied));
    QCOMPARE(m_s->content("open.txt"), QByteArray("o"));
}

void TestFaults::ownerThatCannotBeKept()
{
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty() || ::geteuid() != 0)
        QSKIP("needs setpriv and root to run a step as another user");
    // Everyone may write the file and the folder, but only root may give a file to root.
    QCOMPARE(::chmod(m_s->root().constData(), 0777), 0);
    QVERIFY(m_s->file("shared.txt", "root's", 0666));
    const Outcome out = runHelper({"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"}, {},
                                  {"replace", "T:\\shared.txt", "5"}, "T=" + m_s->root(), {});
    if (!out.cannotSetUp.isEmpty())
        QSKIP(qPrintable(out.cannotSetUp));
    QCOMPARE(out.error, int(ErrPermissionDenied));
    QCOMPARE(m_s->content("shared.txt"), QByteArray("root's"));
    struct stat st {};
    QVERIFY(::lstat(m_s->host("shared.txt").constData(), &st) == 0 && st.st_uid == 0);
    for (const QByteArray &name : m_s->names())
        QVERIFY2(!name.startsWith(".quorvane-"), name.constData());
}

void TestFaults::withoutUnnamedFiles_data()
{
    QTest::addColumn<QStringList>("operation");
    QTest::addColumn<QByteArray>("expected"); // content of the target afterwards
    QTest::addColumn<int>("open");            // which open of the folder makes the unnamed file
    QTest::newRow("replace a file") << QStringList{"replace", "T:\\old.txt", "3"} << QByteArray("rrr") << 2;
    QTest::newRow("copy over a file") << QStringList{"copy", "T:\\small.bin", "T:\\old.txt"} << QByteArray(1000, 's')
                                      << 2;
    // A new name is first looked for in other letter cases: one open more.
    QTest::newRow("copy to a new name") << QStringList{"copy", "T:\\small.bin", "T:\\new.txt"} << QByteArray(1000, 's')
                                        << 3;
}

void TestFaults::withoutUnnamedFiles()
{
    QFETCH(QStringList, operation);
    QFETCH(QByteArray, expected);
    QFETCH(int, open);
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        QSKIP("strace is not installed");
    QVERIFY(m_s->file("old.txt", "old"));
    // The open of the unnamed file is refused as by a file system without
    // them, so a named temporary stands in.
    QTemporaryDir traceDir;
    const QString trace = traceDir.filePath(QStringLiteral("trace"));
    const QStringList strace{"strace", "-f",
                             "-o",     trace,
                             "-e",     "trace=openat",
                             "-P",     QString::fromUtf8(m_s->root()),
                             "-e",     QStringLiteral("inject=openat:error=EOPNOTSUPP:when=%1").arg(open)};
    const Outcome out = runHelper(strace, {}, operation, "T=" + m_s->root(), {});
    if (!out.cannotSetUp.isEmpty())
        QSKIP(qPrintable(out.cannotSetUp));
    QCOMPARE(out.error, 0);
    QFile traced(trace);
    QVERIFY(traced.open(QIODevice::ReadOnly));
    const QByteArray calls = traced.readAll();
    // The unnamed file was refused, and a named temporary took its place.
    QVERIFY2(QString::fromUtf8(calls).contains(QRegularExpression(QStringLiteral("O_TMPFILE[^\\n]*EOPNOTSUPP"))),
             calls.constData());
    QVERIFY2(calls.contains("\".quorvane-"), calls.constData());
    const QByteArray target = operation.last().endsWith(QLatin1String("new.txt")) ? "new.txt" : "old.txt";
    QCOMPARE(m_s->content(target), expected);
    for (const QByteArray &name : m_s->names())
        QVERIFY2(!name.startsWith(".quorvane-"), name.constData());
}

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
