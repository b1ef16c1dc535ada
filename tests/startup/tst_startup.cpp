#include "startup/appmodule.h"

#include "paths/shared.h"
#include "support/hostfiles.h"
#include "support/testdrive.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace quorvane;

namespace {

// Records what start-up does to the main window, and what the shared values
// were when the window was loaded (its load handler reads them).
class FakeForm1 : public Form1Port {
public:
    QStringList calls;
    int loads = 0;
    QString appPathAtLoad, appTitleAtLoad, iniFileAtLoad;
    bool failDrive = false;

    platform::Status setSourceDrive(const QString &drive) override
    {
        if (failDrive)
            return platform::Status::failure(platform::ErrDiskNotReady, QStringLiteral("Laufwerk nicht bereit"));
        calls << QStringLiteral("Drive1=") + drive;
        return platform::Status::success();
    }
    platform::Status setSourceDirectory(const QString &path) override
    {
        calls << QStringLiteral("Dir1=") + path;
        return platform::Status::success();
    }
    void setPatternText(const QString &text) override { calls << QStringLiteral("Text1=") + text; }
    void show() override { calls << QStringLiteral("show"); }

    std::function<Form1Port &()> factory()
    {
        return [this]() -> Form1Port & {
            if (loads++ == 0) {
                appPathAtLoad = AppPath;
                appTitleAtLoad = AppTitle;
                iniFileAtLoad = IniFile;
            }
            return *this;
        };
    }
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        AppPath = QStringLiteral("C:\\");
        AppTitle = QStringLiteral("vorher");
        IniFile = QString();
        CmdLine = QString();
    }
    void cleanup() { setProgramFolderSource({}); }

    void programFolder_data()
    {
        QTest::addColumn<QString>("folder"); // below the drive's host folder, "" for its root
        QTest::addColumn<QString>("appPath");
        QTest::newRow("drive root") << ""
                                    << "T:\\";
        QTest::newRow("drive root with slash") << "/"
                                               << "T:\\";
        QTest::newRow("one folder") << "Programme"
                                    << "T:\\Programme\\";
        QTest::newRow("two folders, blank") << "Programme/Brannick Quorvane"
                                            << "T:\\Programme\\Brannick Quorvane\\";
    }
    void programFolder()
    {
        QFETCH(QString, folder);
        QFETCH(QString, appPath);
        TestDrive drive('T');
        QVERIFY(drive.isValid());
        const QString hostFolder = drive.host() + QLatin1Char('/') + folder;
        QVERIFY(QDir().mkpath(hostFolder));
        setProgramFolderSource([&] { return hostFolder; });
        FakeForm1 form;
        Main({QStringLiteral("quorvane")}, form.factory());
        QCOMPARE(AppPath, appPath);
        QCOMPARE(IniFile, appPath + QStringLiteral("Quorvane.ini"));
        QCOMPARE(AppTitle, QStringLiteral("Brannick Quorvane"));
    }

    // A program folder that cannot be had leaves AppPath as it was, still usable.
    void programFolderUnknown_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("empty") << QString();
        QTest::newRow("not a valid name") << QStringLiteral("/opt/a") + QChar(0) + QStringLiteral("b");
    }
    void programFolderUnknown()
    {
        QFETCH(QString, folder);
        TestDrive drive('T');
        QVERIFY(drive.isValid());
        QVERIFY(QDir().mkpath(drive.host(QStringLiteral("Alt"))));
        setProgramFolderSource([&] { return folder; });
        AppPath = QStringLiteral("T:\\Alt");
        InitSystemPaths();
        InitAppSettings();
        QCOMPARE(AppPath, QStringLiteral("T:\\Alt\\"));
        QCOMPARE(IniFile, QStringLiteral("T:\\Alt\\Quorvane.ini"));
    }

    void noCommandLine_data()
    {
        QTest::addColumn<QByteArray>("ini"); // "<none>": no settings file
        QTest::addColumn<QString>("text1");
        QTest::newRow("no settings file") << QByteArray("<none>") << "*.cdr;*.scr";
        QTest::newRow("stored patterns") << QByteArray("[Brannick Quorvane]\r\nUserDef=*.psd;*.ai\r\n") << "*.psd;*.ai";
        QTest::newRow("stored empty") << QByteArray("[Brannick Quorvane]\r\nUserDef=\r\n") << "*.cdr;*.scr";
    }
    void noCommandLine()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, text1);
        TestDrive drive('T');
        QVERIFY(drive.isValid());
        if (ini != "<none>")
            QVERIFY(writeHostFile(drive.host(QStringLiteral("Quorvane.ini")), ini));
        setProgramFolderSource([&] { return drive.host(); });
        FakeForm1 form;
        Main({QStringLiteral("/opt/quorvane")}, form.factory());
        QCOMPARE(form.calls, QStringList({QStringLiteral("Text1=") + text1, QStringLiteral("show")}));
        QCOMPARE(CmdLine, QString());
        // Loaded once, after the shared values were set.
        QCOMPARE(form.appPathAtLoad, QStringLiteral("T:\\"));
        QCOMPARE(form.appTitleAtLoad, QStringLiteral("Brannick Quorvane"));
        QCOMPARE(form.iniFileAtLoad, QStringLiteral("T:\\Quorvane.ini"));
    }

    // T: holds Daten/Fotos/bild.jpg and "Meine Dateien/x.txt".
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments"); // after the program's name; "@" stands for the drive's host folder
        QTest::addColumn<QString>("cmdLine");
        QTest::addColumn<QString>("drive1");
        QTest::addColumn<QString>("dir1");
        QTest::newRow("file two folders deep")
            << QStringList{"T:\\Daten\\Fotos\\bild.jpg"} << "T:\\Daten\\Fotos\\bild.jpg"
            << "T:"
            << "T:\\Daten\\Fotos";
        QTest::newRow("stored case shown") << QStringList{"t:\\DATEN\\FOTOS\\BILD.JPG"} << "t:\\DATEN\\FOTOS\\BILD.JPG"
                                           << "T:"
                                           << "T:\\Daten\\Fotos";
        QTest::newRow("folder selects its parent") << QStringList{"T:\\Daten\\Fotos"} << "T:\\Daten\\Fotos"
                                                   << "T:"
                                                   << "T:\\Daten";
        QTest::newRow("trailing backslash makes no difference")
            << QStringList{"T:\\Daten\\Fotos\\"} << "T:\\Daten\\Fotos\\"
            << "T:"
            << "T:\\Daten";
        QTest::newRow("file in a drive root") << QStringList{"T:\\bild.jpg"} << "T:\\bild.jpg"
                                              << "T:"
                                              << "T:";
        QTest::newRow("blanks join the arguments")
            << QStringList{"T:\\meine", "dateien\\x.txt"} << "T:\\meine dateien\\x.txt"
            << "T:"
            << "T:\\Meine Dateien";
        QTest::newRow("quotes kept, nothing split")
            << QStringList{"\"T:\\Daten\\Fotos\\bild.jpg\""} << "\"T:\\Daten\\Fotos\\bild.jpg\""
            << "\"t"
            << "\"t:\\Daten\\Fotos";
        QTest::newRow("missing folder re-cased")
            << QStringList{"T:\\FEHLT\\NOCH MEHR\\x.txt"} << "T:\\FEHLT\\NOCH MEHR\\x.txt"
            << "T:"
            << "T:\\Fehlt\\Noch Mehr";
        QTest::newRow("host path") << QStringList{"@/Daten/Fotos/bild.jpg"} << "T:\\Daten\\Fotos\\bild.jpg"
                                   << "T:"
                                   << "T:\\Daten\\Fotos";
        QTest::newRow("host path of a folder") << QStringList{"@/Daten/Fotos/"} << "T:\\Daten\\Fotos"
                                               << "T:"
                                               << "T:\\Daten";
        QTest::newRow("backslash inside a host name") << QStringList{"@/a\\b/bild.jpg"} << "T:\\a\uF05Cb\\bild.jpg"
                                                      << "T:"
                                                      << "T:\\a\uF05Cb";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, cmdLine);
        QFETCH(QString, drive1);
        QFETCH(QString, dir1);
        TestDrive drive('T');
        QVERIFY(drive.isValid());
        QVERIFY(QDir().mkpath(drive.host(QStringLiteral("Daten/Fotos"))));
        QVERIFY(QDir().mkpath(drive.host(QStringLiteral("Meine Dateien"))));
        QVERIFY(writeHostFile(drive.host(QStringLiteral("Daten/Fotos/bild.jpg"))));
        QVERIFY(writeHostFile(drive.host(QStringLiteral("Meine Dateien/x.txt"))));
        QVERIFY(QDir().mkpath(drive.host(QStringLiteral("a\\b"))));
        QVERIFY(writeHostFile(drive.host(QStringLiteral("a\\b/bild.jpg"))));
        QVERIFY(writeHostFile(drive.host(QStringLiteral("Quorvane.ini")), "[Brannick Quorvane]\r\nUserDef=*.x\r\n"));
        setProgramFolderSource([&] { return drive.host(); });
        for (QString &argument : arguments)
            argument.replace(QLatin1Char('@'), drive.host());

        FakeForm1 form;
        Main(QStringList{QStringLiteral("quorvane")} + arguments, form.factory());
        QCOMPARE(CmdLine, cmdLine);
        QCOMPARE(form.calls,
                 QStringList({QStringLiteral("Drive1=") + drive1, QStringLiteral("Dir1=") + dir1,
                              QStringLiteral("Text1=*.x"), QStringLiteral("show")}));
        QCOMPARE(form.appTitleAtLoad, QStringLiteral("Brannick Quorvane"));
    }

    // A step that fails is skipped; the steps after it still run.
    void failingStepIsSkipped()
    {
        TestDrive drive('T');
        QVERIFY(drive.isValid());
        QVERIFY(QDir().mkpath(drive.host(QStringLiteral("Daten"))));
        setProgramFolderSource([&] { return drive.host(); });
        FakeForm1 form;
        form.failDrive = true;
        Main({QStringLiteral("quorvane"), QStringLiteral("T:\\Daten\\x.txt")}, form.factory());
        QCOMPARE(form.calls,
                 QStringList(
                     {QStringLiteral("Dir1=T:\\Daten"), QStringLiteral("Text1=*.cdr;*.scr"), QStringLiteral("show")}));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
