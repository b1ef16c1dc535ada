#include "paths/shared.h"
#include "startup/appmodule.h"
#include "startup/settingsfile.h"
#include "startup/settingslocation.h"
#include "support/childrun.h"
#include "support/hostfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>

using namespace quorvane;

// A write that cannot finish (read-only folder, full disk) must leave the
// old file whole. The faults are real: a read-only bind mount and a tiny
// tmpfs, made in a child process with its own mount namespace, in which this
// very program runs once more to do the write.

namespace {

const char WriteMode[] = "--write-setting";
const char StartMode[] = "--start-and-save";

const QByteArray OldContent("; von Hand\r\n[Fenster]\r\nLinks=10\r\n[Brannick Quorvane]\r\nUserDef=*.alt\r\n");
// Longer than a page of the small disk: a writer that cut the old file
// first and then wrote would free one page and still run out of room.
const QByteArray NewValue = "*.neu;" + QByteArray(6000, 'x');
const QByteArray NewContent = OldContent.left(OldContent.indexOf("*.alt")) + NewValue + "\r\n";

// The write the program does when its window closes, on drive T.
const char ChildWrite[] =
    "QUORVANE_DRIVES=\"T=$2\" \"$1\" --write-setting 'Brannick Quorvane' UserDef "
    "\"$QUORVANE_TEST_VALUE\" 'T:\\Quorvane.ini'";

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
        {QStringLiteral("-c"), command, QStringLiteral("sh"), QCoreApplication::applicationFilePath(), second, third},
        environment);
    if (!run.errors.isEmpty())
        qWarning("%s", run.errors.constData());
    return run;
}

// Start-up's main window, as far as the patterns go.
class PatternBox : public Form1Port {
public:
    QString text;
    platform::Status setSourceDrive(const QString &) override { return platform::Status::success(); }
    platform::Status setSourceDirectory(const QString &) override { return platform::Status::success(); }
    void setPatternText(const QString &patterns) override { text = patterns; }
    void show() override {}
};

QString driveForm(const QString &hostPath)
{
    return QStringLiteral("C:") + QString(hostPath).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

QString lineOf(const QByteArray &output, const QString &name)
{
    for (const QString &line : QString::fromUtf8(output).split(QLatin1Char('\n')))
        if (line.startsWith(name + QLatin1Char('=')))
            return line.mid(name.size() + 1);
    return QStringLiteral("<none>");
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
            QVERIFY(writeHostFile(ini, OldContent));

        const QString protect =
            readOnly ? QStringLiteral("mount --bind \"$1\" \"$1\" && mount -o remount,bind,ro \"$1\"") : QString();
        const testsupport::ChildRun run = runIsolated(protect, QLatin1String(ChildWrite), dir.path(), QString());
        if (!run.cannotSetUp.isEmpty())
            QSKIP(qPrintable(run.cannotSetUp));
        QCOMPARE(run.exitCode, 0);

        if (!readOnly) {
            QCOMPARE(readHostFile(ini), NewContent);
            return;
        }
        QCOMPARE(readHostFile(ini), fileBefore ? OldContent : QByteArray("<missing>"));
        // No half-written file beside it either.
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(),
                 fileBefore ? 1 : 0);
    }

    // An installed program's folder takes no writes from its user; the
    // settings then live in the user's configuration folder. A read-only
    // mount refuses even root, as a folder of the system refuses a user.
    void settingsLocation_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QByteArray>("besideProgram"); // value stored next to the program; "" no file
        QTest::addColumn<QByteArray>("inUserFile");    // value in the user's file before; "" no file
        QTest::addColumn<QString>("configHome");       // XDG_CONFIG_HOME, "@" for the scratch folder; "" unset
        QTest::addColumn<QString>("userFile");         // where the user's file belongs, below the scratch folder
        QTest::addColumn<QString>("read");             // what start-up shows
        const QString deep = QStringLiteral("cfg/tief/Quorvane/Quorvane.ini");
        const QString home = QStringLiteral("home/.config/Quorvane/Quorvane.ini");
        QTest::newRow("writable: next to the program, as ever")
            << false << QByteArray("*.neben") << QByteArray("*.nutzer") << "@/cfg/tief" << deep << "*.neben";
        QTest::newRow("read-only, first start: folders made on saving")
            << true << QByteArray() << QByteArray() << "@/cfg/tief" << deep << "*.cdr;*.scr";
        QTest::newRow("read-only: the copy's own patterns come first")
            << true << QByteArray("*.neben") << QByteArray() << "@/cfg/tief" << deep << "*.neben";
        QTest::newRow("read-only: once saved, the user's file wins")
            << true << QByteArray("*.neben") << QByteArray("*.nutzer") << "@/cfg/tief" << deep << "*.nutzer";
        QTest::newRow("read-only, no XDG_CONFIG_HOME: ~/.config")
            << true << QByteArray() << QByteArray() << "" << home << "*.cdr;*.scr";
        QTest::newRow("read-only, relative XDG_CONFIG_HOME ignored")
            << true << QByteArray() << QByteArray("*.nutzer") << "relativ/cfg" << home << "*.nutzer";
    }
    void settingsLocation()
    {
        QFETCH(bool, readOnly);
        QFETCH(QByteArray, besideProgram);
        QFETCH(QByteArray, inUserFile);
        QFETCH(QString, configHome);
        QFETCH(QString, userFile);
        QFETCH(QString, read);
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        const QString program = scratch.filePath(QStringLiteral("prog"));
        const QString user = scratch.filePath(userFile);
        QVERIFY(QDir().mkpath(program) && QDir().mkpath(scratch.filePath(QStringLiteral("home"))));
        const QString besideFile = program + QStringLiteral("/Quorvane.ini");
        const auto stored = [](const QByteArray &value) { return "[Brannick Quorvane]\r\nUserDef=" + value + "\r\n"; };
        if (!besideProgram.isEmpty())
            QVERIFY(writeHostFile(besideFile, stored(besideProgram)));
        if (!inUserFile.isEmpty())
            QVERIFY(QDir().mkpath(QFileInfo(user).path()) && writeHostFile(user, stored(inUserFile)));

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QUORVANE_DRIVES"));
        environment.insert(QStringLiteral("HOME"), scratch.filePath(QStringLiteral("home")));
        if (configHome.isEmpty())
            environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
        else
            environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                               QString(configHome).replace(QLatin1Char('@'), scratch.path()));
        const QString protect =
            readOnly ? QStringLiteral("mount --bind \"$1\" \"$1\" && mount -o remount,bind,ro \"$1\"") : QString();
        const testsupport::ChildRun run = testsupport::runUnder(
            testsupport::privateMounts(), protect, {program}, QCoreApplication::applicationFilePath(),
            {QLatin1String(StartMode), program, QStringLiteral("*.neu")}, environment);
        if (!run.cannotSetUp.isEmpty())
            QSKIP(qPrintable(run.cannotSetUp));
        QVERIFY2(run.exitCode == 0, run.errors.constData());
        const QByteArray &output = run.output;

        QCOMPARE(lineOf(output, QStringLiteral("read")), read);
        const bool beside = !readOnly;
        QCOMPARE(lineOf(output, QStringLiteral("file")), driveForm(beside ? besideFile : user));
        QCOMPARE(readHostFile(beside ? besideFile : user), stored("*.neu"));
        // The other file is left as it was.
        const QByteArray other = beside ? inUserFile : besideProgram;
        QCOMPARE(readHostFile(beside ? user : besideFile), other.isEmpty() ? QByteArray("<missing>") : stored(other));
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
        QVERIFY(writeHostFile(out.filePath(QStringLiteral("before.ini")), OldContent));

        // Everything that happens on the small disk is copied out before the
        // mount vanishes with the child.
        QString setup =
            QStringLiteral("mount -t tmpfs -o size=64k tmpfs \"$1\" && cp \"$2/before.ini\" \"$1/Quorvane.ini\"");
        if (fill)
            setup += QStringLiteral(" && { dd if=/dev/zero of=\"$1/fill\" bs=4k 2>/dev/null || true; }");
        const QString command = QLatin1String(ChildWrite)
            + QStringLiteral("; code=$?; cp \"$2/Quorvane.ini\" \"$3/after.ini\"; "
                             "LC_ALL=C ls -A \"$2\" > \"$3/listing\"; exit $code");
        const testsupport::ChildRun run = runIsolated(setup, command, disk.path(), out.path());
        if (!run.cannotSetUp.isEmpty())
            QSKIP(qPrintable(run.cannotSetUp));
        QCOMPARE(run.exitCode, 0);

        QCOMPARE(readHostFile(out.filePath(QStringLiteral("after.ini"))), fill ? OldContent : NewContent);
        const QByteArray expectedListing = fill ? "Quorvane.ini\nfill\n" : "Quorvane.ini\n";
        QCOMPARE(readHostFile(out.filePath(QStringLiteral("listing"))), expectedListing);
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
    // In start mode the program starts as it does for real, tells what it
    // read and from where, and saves a new value as closing its window does.
    if (argc == 4 && std::strcmp(argv[1], StartMode) == 0) {
        QCoreApplication app(argc, argv);
        const QString folder = QString::fromLocal8Bit(argv[2]);
        setProgramFolderSource([folder] { return folder; });
        PatternBox window;
        Main({QStringLiteral("quorvane")}, [&window]() -> Form1Port & { return window; });
        std::printf("read=%s\nfile=%s\n", window.text.toUtf8().constData(), IniFile.toUtf8().constData());
        std::fflush(stdout);
        WriteUserPatterns(QString::fromLocal8Bit(argv[3]));
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestSettingsFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsfaults.moc"
