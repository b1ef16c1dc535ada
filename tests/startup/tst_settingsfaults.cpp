#include "startup/settingsfile.h"
#include "support/childrun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

using namespace quorvane;

// A write that cannot finish (read-only folder, full disk) must leave the
// old file whole. The faults are real: a read-only bind mount and a tiny
// tmpfs, made in a child process with its own mount namespace, in which this
// very program runs once more to do the write.

namespace {

const char WriteMode[] = "--write-setting";

const QByteArray OldContent("; von Hand\r\n[Fenster]\r\nLinks=10\r\n[Brannick Quorvane]\r\nUserDef=*.alt\r\n");
// Longer than a page of the small disk: a writer that cut the old file
// first and then wrote would free one page and still run out of room.
const QByteArray NewValue = "*.neu;" + QByteArray(6000, 'x');
const QByteArray NewContent = OldContent.left(OldContent.indexOf("*.alt")) + NewValue + "\r\n";

// The write the program does when its window closes, on drive T.
const char ChildWrite[] = "QUORVANE_DRIVES=\"T=$2\" \"$1\" --write-setting 'Brannick Quorvane' UserDef "
                          "\"$QUORVANE_TEST_VALUE\" 'T:\\Quorvane.ini'";

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Runs command (a shell line with $1 = this program, $2 and $3 as given) in
// a mount namespace of its own, after the shell step setup (with $1 and $2
// = second and third).
testsupport::ChildRun runIsolated(const QString &setup, const QString &command, const QString &second,
                                  const QString &third)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUORVANE_TEST_VALUE"), QString::fromLatin1(NewValue));
    const testsupport::ChildRun run = testsupport::runUnder(
        testsupport::privateMounts(), setup, {second, third}, QStringLiteral("sh"),
        {QStringLiteral("-c"), command, QStringLiteral("sh"), QCoreApplication::applicationFilePath(), second,
         third},
        environment);
    if (!run.errors.isEmpty())
        qWarning("%s", run.errors.constData());
    return run;
}

} // namespace

class TestSettingsFaults : public QObject {
    Q_OBJECT

private slots:
    void readOnlyFolder_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("fileBefore");
        QTest::newRow("read-only, old file kept") << true << true;
        QTest::newRow("read-only, no file made") << true << false;
        QTest::newRow("writable: the same write succeeds") << false << true;
    }
    void readOnlyFolder()
    {
        QFETCH(bool, readOnly);
        QFETCH(bool, fileBefore);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString ini = dir.filePath(QStringLiteral("Quorvane.ini"));
        if (fileBefore)
            QVERIFY(writeBytes(ini, OldContent));

        const QString protect = readOnly ? QStringLiteral("mount --bind \"$1\" \"$1\" && mount -o remount,bind,ro \"$1\"")
                                         : QString();
        const testsupport::ChildRun run = runIsolated(protect, QLatin1String(ChildWrite), dir.path(), QString());
        if (!run.cannotSetUp.isEmpty())
            QSKIP(qPrintable(run.cannotSetUp));
        QCOMPARE(run.exitCode, 0);

        if (!readOnly) {
            QCOMPARE(readBytes(ini), NewContent);
            return;
        }
        QCOMPARE(readBytes(ini), fileBefore ? OldContent : QByteArray("<missing>"));
        // No half-written file beside it either.
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(),
                 fileBefore ? 1 : 0);
    }

    void fullDisk_data()
    {
        QTest::addColumn<bool>("fill");
        QTest::newRow("disk full, old file kept") << true;
        QTest::newRow("room left: the same write succeeds") << false;
    }
    void fullDisk()
    {
        QFETCH(bool, fill);
        QTemporaryDir disk;
        QTemporaryDir out;
        QVERIFY(disk.isValid() && out.isValid());
        QVERIFY(writeBytes(out.filePath(QStringLiteral("before.ini")), OldContent));

        // Everything that happens on the small disk is copied out before the
        // mount vanishes with the child.
        QString setup = QStringLiteral("mount -t tmpfs -o size=64k tmpfs \"$1\" && cp \"$2/before.ini\" \"$1/Quorvane.ini\"");
        if (fill)
            setup += QStringLiteral(" && { dd if=/dev/zero of=\"$1/fill\" bs=4k 2>/dev/null || true; }");
        const QString command = QLatin1String(ChildWrite)
                                + QStringLiteral("; code=$?; cp \"$2/Quorvane.ini\" \"$3/after.ini\"; "
                                                 "LC_ALL=C ls -A \"$2\" > \"$3/listing\"; exit $code");
        const testsupport::ChildRun run = runIsolated(setup, command, disk.path(), out.path());
        if (!run.cannotSetUp.isEmpty())
            QSKIP(qPrintable(run.cannotSetUp));
        QCOMPARE(run.exitCode, 0);

        QCOMPARE(readBytes(out.filePath(QStringLiteral("after.ini"))), fill ? OldContent : NewContent);
        const QByteArray expectedListing = fill ? "Quorvane.ini\nfill\n" : "Quorvane.ini\n";
        QCOMPARE(readBytes(out.filePath(QStringLiteral("listing"))), expectedListing);
    }
};

// In write mode the program stores one setting and ends, as the main window
// does when it closes.
int main(int argc, char **argv)
{
    if (argc == 6 && std::strcmp(argv[1], WriteMode) == 0) {
        (void)WriteIniString(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                             QString::fromLocal8Bit(argv[4]), QString::fromLocal8Bit(argv[5]));
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestSettingsFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsfaults.moc"
