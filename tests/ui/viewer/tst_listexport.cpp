#include "ui/viewer/listexport.h"

#include "paths/shared.h"
#include "support/scriptedtoolkit.h"
#include "support/childrun.h"
#include "support/hostfiles.h"
#include "support/testdrive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>

#include <cstdio>

using namespace quorvane;
using platform::ScriptedToolkit;

namespace {

const QString WriteWarning = QStringLiteral("Fehler beim Schreiben der Datei. ");

// A list of the given size in bytes, lines of plain path text.
QString longList(int bytes)
{
    QString text;
    for (int i = 0; text.size() < bytes; ++i)
        text += QStringLiteral("C:\\Ordner\\datei%1.txt\r\n").arg(i, 6, 10, QLatin1Char('0'));
    return text;
}

// The child side of the tests that need a mount namespace: writes into the
// folder named by LISTEXPORT_DIR as drive T: (answering Yes to the question)
// and prints what it saw; the mount is gone once the child has ended.
int runChild()
{
    const QByteArray folder = qgetenv("LISTEXPORT_DIR");
    const int size = qEnvironmentVariableIntValue("LISTEXPORT_SIZE");
    platform::DriveMap map;
    map.set(QLatin1Char('T'), folder);
    platform::HostFileSystem fs(map);
    ScriptedToolkit toolkit;
    platform::ScopedPlatform scope(&fs, &toolkit);

    const bool written = WriteTextFile(QStringLiteral("T:\\liste.txt"), longList(size));
    std::printf("result=%d\n", written ? 1 : 0);
    for (const ScriptedToolkit::Box &box : toolkit.boxes())
        std::printf("box=%d|%s\n", box.style, box.prompt.toUtf8().constData());
    std::printf("old=%s\n", readHostFile(QFile::decodeName(folder) + "/liste.txt").toHex().constData());
    const QStringList names =
        QDir(QFile::decodeName(folder)).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    std::printf("names=%s\n", names.join(QLatin1Char(',')).toUtf8().constData());
    return 0;
}

struct NamespaceRun {
    QString skipReason;
    int exitCode = -1;
    QMap<QString, QStringList> facts;
};

// Runs this test program as a child inside its own mount namespace, after a
// shell step that prepares "$1".
NamespaceRun runInNamespace(const QString &folder, const QString &setup, int size)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LISTEXPORT_CHILD"), QStringLiteral("1"));
    env.insert(QStringLiteral("LISTEXPORT_DIR"), folder);
    env.insert(QStringLiteral("LISTEXPORT_SIZE"), QString::number(size));
    const testsupport::ChildRun child = testsupport::runUnder(testsupport::privateMounts(), setup, {folder},
                                                              QCoreApplication::applicationFilePath(), {}, env);
    NamespaceRun run;
    run.skipReason = child.cannotSetUp;
    run.exitCode = child.exitCode;
    const QStringList lines = QString::fromUtf8(child.output).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            run.facts[line.left(eq)].append(line.mid(eq + 1));
    }
    return run;
}

} // namespace

class TestListExport : public QObject {
    Q_OBJECT

private slots:
    void bytesWritten_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty pane") << QString() << QByteArray("\r\n");
        QTest::newRow("two entries") << QStringLiteral("C:\\a.txt\r\nC:\\b.txt")
                                     << QByteArray("C:\\a.txt\r\nC:\\b.txt\r\n");
        QTest::newRow("umlauts") << QStringLiteral("Ä ö ß") << QByteArray("\xC4 \xF6 \xDF\r\n");
        QTest::newRow("euro sign is in the code page") << QStringLiteral("€") << QByteArray("\x80\r\n");
        QTest::newRow("outside the code page") << QStringLiteral("a\u4E2Db\u0141") << QByteArray("a?b?\r\n");
        QTest::newRow("pair outside the code page is one character")
            << QStringLiteral("x\U0001F600y") << QByteArray("x?y\r\n");
        QTest::newRow("trailing line end kept") << QStringLiteral("a\r\n") << QByteArray("a\r\n\r\n");
        QTest::newRow("empty lines around") << QStringLiteral("\r\na\r\n") << QByteArray("\r\na\r\n\r\n");
        const QString several = longList(1200000); // lines go out in more than one piece
        QTest::newRow("several pieces") << several << several.toLatin1() + "\r\n";
    }
    void bytesWritten()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        ScriptedToolkit toolkit;
        TestDrive drive('T', &toolkit);
        QVERIFY(drive.isValid());
        const QString original = text;

        QVERIFY(WriteTextFile(QStringLiteral("T:\\liste.txt"), text));
        QCOMPARE(readHostFile(drive.host(QStringLiteral("liste.txt"))), bytes);
        QCOMPARE(text, original);
        QVERIFY(toolkit.boxes().empty());
        QCOMPARE(QDir(drive.host()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("liste.txt")});

        // A pane's lines, as a save writes them, give the same bytes.
        LineBuffer lines;
        lines.append(text.split(QStringLiteral("\r\n")));
        if (text.startsWith(QStringLiteral("\r\n")))
            lines.replaceLines(0, 0, LineBuffer::ownLines({QString()}));
        QVERIFY(WriteTextFile(QStringLiteral("T:\\zeilen.txt"), lines));
        QCOMPARE(readHostFile(drive.host(QStringLiteral("zeilen.txt"))), bytes);
    }

    void replaceQuestion_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("Ja replaces") << "x.txt"
                                     << "T:\\Listen\\x.txt" << int(platform::AnswerYes) << true;
        QTest::newRow("Nein keeps") << "x.txt"
                                    << "T:\\Listen\\x.txt" << int(platform::AnswerNo) << false;
        QTest::newRow("other case, Nein") << "X.TXT"
                                          << "T:\\Listen\\x.txt" << int(platform::AnswerNo) << false;
        QTest::newRow("other case, Ja") << "X.TXT"
                                        << "T:\\Listen\\x.txt" << int(platform::AnswerYes) << true;
    }
    void replaceQuestion()
    {
        QFETCH(QString, existing);
        QFETCH(QString, target);
        QFETCH(int, answer);
        QFETCH(bool, replaced);
        ScriptedToolkit toolkit;
        TestDrive drive('T', &toolkit);
        QVERIFY(QDir().mkpath(drive.host(QStringLiteral("Listen"))));
        const QString hostFile = drive.host(QStringLiteral("Listen/") + existing);
        const QByteArray old("eine alte, viel l\xE4ngere Liste\r\n");
        QVERIFY(writeHostFile(hostFile, old));
        toolkit.queueAnswer(answer);

        QCOMPARE(WriteTextFile(target, QStringLiteral("neu")), replaced);
        QCOMPARE(toolkit.boxes().size(), size_t(1));
        const ScriptedToolkit::Box &box = toolkit.boxes().front();
        QCOMPARE(box.prompt, QStringLiteral("Vorhandene Datei 'x.txt' überschreiben ?"));
        QCOMPARE(box.style, 36);
        QCOMPARE(box.title, QStringLiteral("Brannick Quorvane"));
        // Replaced as a whole, never appended to; or left exactly as it was.
        QCOMPARE(readHostFile(hostFile), replaced ? QByteArray("neu\r\n") : old);
        QCOMPARE(QDir(drive.host(QStringLiteral("Listen"))).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void secondSaveAsksAgain()
    {
        ScriptedToolkit toolkit;
        TestDrive drive('T', &toolkit);
        QVERIFY(WriteTextFile(QStringLiteral("T:\\x.txt"), QStringLiteral("eins")));
        QVERIFY(toolkit.boxes().empty());
        QVERIFY(WriteTextFile(QStringLiteral("T:\\x.txt"), QStringLiteral("zwei")));
        QCOMPARE(toolkit.boxes().size(), size_t(1));
        QCOMPARE(readHostFile(drive.host(QStringLiteral("x.txt"))), QByteArray("zwei\r\n"));
    }

    // Only an ordinary file of exactly that name brings the question.
    void noQuestion_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("createdHost");
        QTest::newRow("wildcard name is a plain name") << "T:\\a?.txt" << true << "a?.txt";
        QTest::newRow("star is a plain name") << "T:\\a*.txt" << true << "a*.txt";
        QTest::newRow("folder of that name") << "T:\\ordner.txt" << false << "";
        QTest::newRow("hidden file of that name") << "T:\\.versteckt.txt" << false << "";
        QTest::newRow("missing folder") << "T:\\Fehlt\\x.txt" << false << "";
        QTest::newRow("unmapped drive") << "Q:\\x.txt" << false << "";
    }
    void noQuestion()
    {
        QFETCH(QString, target);
        QFETCH(bool, written);
        QFETCH(QString, createdHost);
        ScriptedToolkit toolkit;
        TestDrive drive('T', &toolkit);
        QVERIFY(writeHostFile(drive.host(QStringLiteral("ab.txt")), "ab"));
        QVERIFY(writeHostFile(drive.host(QStringLiteral("abc.txt")), "abc"));
        QVERIFY(writeHostFile(drive.host(QStringLiteral(".versteckt.txt")), "geheim"));
        QVERIFY(QDir().mkpath(drive.host(QStringLiteral("ordner.txt"))));

        QCOMPARE(WriteTextFile(target, QStringLiteral("neu")), written);
        if (written) {
            QVERIFY(toolkit.boxes().empty());
            QCOMPARE(readHostFile(drive.host(createdHost)), QByteArray("neu\r\n"));
        } else {
            QCOMPARE(toolkit.boxes().size(), size_t(1));
            QCOMPARE(toolkit.boxes().front().prompt, WriteWarning);
            QCOMPARE(toolkit.boxes().front().style, 48);
            QCOMPARE(toolkit.boxes().front().title, QStringLiteral("Brannick Quorvane"));
        }
        // Nothing else was touched.
        QCOMPARE(readHostFile(drive.host(QStringLiteral("ab.txt"))), QByteArray("ab"));
        QCOMPARE(readHostFile(drive.host(QStringLiteral("abc.txt"))), QByteArray("abc"));
        QCOMPARE(readHostFile(drive.host(QStringLiteral(".versteckt.txt"))), QByteArray("geheim"));
        QVERIFY(QFileInfo(drive.host(QStringLiteral("ordner.txt"))).isDir());
        QCOMPARE(QDir(drive.host()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
                 written ? 5 : 4);
    }

    void readOnlyFileStaysAfterJa()
    {
        ScriptedToolkit toolkit;
        TestDrive drive('T', &toolkit);
        const QString hostFile = drive.host(QStringLiteral("fest.txt"));
        QVERIFY(writeHostFile(hostFile, "alt\r\n"));
        QVERIFY(QFile::setPermissions(hostFile, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        toolkit.queueAnswer(platform::AnswerYes);

        QVERIFY(!WriteTextFile(QStringLiteral("T:\\fest.txt"), QStringLiteral("neu")));
        QCOMPARE(toolkit.boxes().size(), size_t(2));
        QCOMPARE(toolkit.boxes()[0].style, 36);
        QCOMPARE(toolkit.boxes()[1].prompt, WriteWarning);
        QCOMPARE(toolkit.boxes()[1].style, 48);
        QCOMPARE(readHostFile(hostFile), QByteArray("alt\r\n"));
        QCOMPARE(QDir(drive.host()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void readOnlyFolderWarnsWithoutQuestion()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const NamespaceRun run = runInNamespace(
            dir.path(), QStringLiteral("mount --bind \"$1\" \"$1\" && mount -o remount,bind,ro \"$1\""), 100);
        if (!run.skipReason.isEmpty())
            QSKIP(qPrintable(run.skipReason));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.facts.value("result"), QStringList{"0"});
        QCOMPARE(run.facts.value("box"), QStringList{"48|" + WriteWarning});
        QCOMPARE(run.facts.value("names"), QStringList{""});
    }

    // The old list survives a full disk whole, and no temporary file stays:
    // a large list fails while it is written, a small one when it is closed.
    void diskFullKeepsOldFile_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("size");
        const QString mount =
            QStringLiteral("mount -t tmpfs -o size=64k tmpfs \"$1\" && printf 'alte Liste' > \"$1/liste.txt\"");
        QTest::newRow("large list") << mount << 300000;
        QTest::newRow("small list, disk already full")
            << mount + QStringLiteral(" && { dd if=/dev/zero of=\"$1/voll\" bs=1k count=200 || true; }") << 2000;
    }
    void diskFullKeepsOldFile()
    {
        QFETCH(QString, setup);
        QFETCH(int, size);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const NamespaceRun run = runInNamespace(dir.path(), setup, size);
        if (!run.skipReason.isEmpty())
            QSKIP(qPrintable(run.skipReason));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.facts.value("result"), QStringList{"0"});
        QCOMPARE(run.facts.value("box"),
                 (QStringList{"36|Vorhandene Datei 'liste.txt' überschreiben ?", "48|" + WriteWarning}));
        QCOMPARE(run.facts.value("old"), QStringList{QByteArray("alte Liste").toHex()});
        const QStringList names = run.facts.value("names").value(0).split(QLatin1Char(','));
        QVERIFY2(names == QStringList{"liste.txt"} || names == (QStringList{"liste.txt", "voll"}),
                 qPrintable(names.join(QLatin1Char(','))));
    }
};

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsSet("LISTEXPORT_CHILD"))
        return runChild();
    QCoreApplication app(argc, argv);
    TestListExport test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_listexport.moc"
