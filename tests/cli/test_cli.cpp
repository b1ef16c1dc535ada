#include "clichild.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

using quorvane::testsupport::ChildRun;
using quorvane::testsupport::runCli;

// The drive form of a host path, C: being /.
QString drive(const QString &host)
{
    return QStringLiteral("C:") + QString(host).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

bool makeFile(const QString &path, const QByteArray &content = "x")
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

QByteArray read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void init();
    void helpNamesEveryOption();
    void badArguments_data();
    void badArguments();
    void listPrintsTheFilePane();
    void listFileBytes();
    void imageExitCodes();
    void imageModes();
    void hostNamesAndLinkedFolders();
    void unreadableFoldersAreNamed();
    void lineBreaksAndNulEndedPaths();
    void movedLinkLeavesItsFileAlone();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_src;
};

void TestCli::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_src = m_dir->filePath(QStringLiteral("src"));
    QVERIFY(makeFile(m_src + "/b.jpg"));
    QVERIFY(makeFile(m_src + "/sub/a.txt", "A"));
    QVERIFY(makeFile(m_src + "/sub/README", "R"));
    QVERIFY(makeFile(m_src + "/a.txt", "top"));
}

void TestCli::helpNamesEveryOption()
{
    const ChildRun o = runCli({"--help"});
    QCOMPARE(o.exitCode, 0);
    for (const char *word : {"list",        "image",       "--types",          "exe",
                             "images",      "sounds",      "videos",           "docs",
                             "--patterns",  "--all",       "--top-level",      "-o",
                             "--recursive", "--null-byte", "--move",           "--structure-only",
                             "--help",      "--dry-run",   "--skip-identical", "--journal",
                             "--json",      "undo",        "--last",           "--version"})
        QVERIFY2(o.output.contains(word), word);
    const ChildRun version = runCli({"--version"});
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.output, QByteArray("quorvane-cli 0.1\n"));
}

void TestCli::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments"); // "SRC" and "TGT" stand for the folders
    QTest::addColumn<QByteArray>("said");

    QTest::newRow("nothing") << QStringList{} << QByteArray("list, image oder undo");
    QTest::newRow("unknown command") << QStringList{"copy", "SRC"} << QByteArray("copy");
    QTest::newRow("unknown option") << QStringList{"list", "SRC", "--all", "--fast"} << QByteArray("--fast");
    QTest::newRow("list without source") << QStringList{"list", "--all"} << QByteArray("Quell");
    QTest::newRow("image without target") << QStringList{"image", "SRC", "--all"} << QByteArray("Ziel");
    QTest::newRow("missing source") << QStringList{"list", "SRC/none", "--all"} << QByteArray("gibt es nicht");
    QTest::newRow("source is a file") << QStringList{"list", "SRC/a.txt", "--all"} << QByteArray("gibt es nicht");
    QTest::newRow("unknown type") << QStringList{"list", "SRC", "--types", "exe,pics"} << QByteArray("pics");
    QTest::newRow("dummies and move") << QStringList{"image", "SRC", "TGT", "--all", "--null-byte", "--move"}
                                      << QByteArray("--move");
    QTest::newRow("list file for an image")
        << QStringList{"image", "SRC", "TGT", "--all", "-o", "TGT/l.txt"} << QByteArray("-o");
    QTest::newRow("image option for a list")
        << QStringList{"list", "SRC", "--all", "--recursive"} << QByteArray("--recursive");
    QTest::newRow("plan with a journal") << QStringList{"image", "SRC", "TGT", "--all", "--dry-run", "--journal", "j"}
                                         << QByteArray("--dry-run");
    QTest::newRow("identical dummies") << QStringList{"image", "SRC", "TGT", "--all", "--skip-identical", "--null-byte"}
                                       << QByteArray("--skip-identical");
    QTest::newRow("journal exists") << QStringList{"image", "SRC", "TGT", "--all", "--journal", "SRC/a.txt"}
                                    << QByteArray("nie ersetzt");
    QTest::newRow("json list on standard output") << QStringList{"list", "SRC", "--all", "--json"} << QByteArray("-o");
    QTest::newRow("undo without journal") << QStringList{"undo"} << QByteArray("--last");
    QTest::newRow("no file type") << QStringList{"image", "SRC", "TGT"}
                                  << QByteArray("Es wurde(n) kein(e) Dateityp(en) angegeben.   \n");
    QTest::newRow("own patterns are the mark")
        << QStringList{"list", "SRC", "--patterns", "*.zzz"} << QByteArray("Dateityp(en) angegeben.   ");
}

void TestCli::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, said);
    for (QString &a : arguments)
        a.replace(QStringLiteral("SRC"), m_src).replace(QStringLiteral("TGT"), m_dir->filePath("tgt"));
    const ChildRun o = runCli(arguments);
    QCOMPARE(o.exitCode, 2);
    QVERIFY2(o.errors.contains(said), o.errors.constData());
    QVERIFY(o.output.isEmpty());
    QVERIFY(!QFileInfo::exists(m_dir->filePath("tgt")));
}

void TestCli::listPrintsTheFilePane()
{
    const QByteArray expected = (drive(m_src) + "\\a.txt\n" + drive(m_src) + "\\b.jpg\n" + drive(m_src)
                                 + "\\sub\\a.txt\n" + drive(m_src) + "\\sub\\README\n")
                                    .toUtf8();
    const ChildRun byHost = runCli({"list", m_src, "--patterns", ""});
    QCOMPARE(byHost.exitCode, 0);
    QCOMPARE(byHost.output, expected);
    QCOMPARE(byHost.errors, QByteArray("quorvane-cli: gefunden 4\n")); // no progress line off a terminal

    const ChildRun byDrive = runCli({"list", drive(m_src), "--all"});
    QCOMPARE(byDrive.exitCode, 0);
    QCOMPARE(byDrive.output, expected);

    const ChildRun some = runCli({"list", m_src, "--types=images,docs", "--top-level"});
    QCOMPARE(some.exitCode, 0);
    QCOMPARE(some.output, (drive(m_src) + "\\a.txt\n" + drive(m_src) + "\\b.jpg\n").toUtf8());
}

void TestCli::listFileBytes()
{
    QVERIFY(makeFile(m_src + QStringLiteral("/sub/Grüße.txt")));
    const QString listFile = m_dir->filePath("liste.txt");
    QVERIFY(makeFile(listFile, "an older, longer list that must go"));
    const ChildRun o = runCli({"list", m_src, "--types", "docs", "-o", listFile});
    QCOMPARE(o.exitCode, 0);
    QVERIFY(o.output.isEmpty());
    const QByteArray base = drive(m_src).toLatin1();
    QCOMPARE(read(listFile), base + "\\a.txt\r\n" + base + "\\sub\\a.txt\r\n" + base + "\\sub\\Gr\xfc\xdf" "e.txt\r\n");

    const ChildRun unwritable = runCli({"list", m_src, "--all", "-o", m_dir->filePath("no/such/folder/l.txt")});
    QCOMPARE(unwritable.exitCode, 1);
    QVERIFY(unwritable.errors.contains("nicht geschrieben"));
}

void TestCli::imageExitCodes()
{
    const QString tgt = m_dir->filePath("tgt");
    const ChildRun all = runCli({"image", m_src, tgt, "--all", "--recursive"});
    QCOMPARE(all.exitCode, 0);
    QCOMPARE(all.errors, QByteArray("quorvane-cli: gefunden 4, abgebildet 4, übersprungen 0\n"));
    QCOMPARE(read(tgt + "/sub/a.txt"), QByteArray("A"));

    // A folder where a file should go: that file is skipped, the rest imaged.
    const QString blocked = m_dir->filePath("blocked");
    QVERIFY(QDir().mkpath(blocked + "/sub/a.txt"));
    const ChildRun some = runCli({"image", drive(m_src), drive(blocked), "--all", "--recursive"});
    QCOMPARE(some.exitCode, 1);
    QCOMPARE(some.errors,
             ("quorvane-cli: übersprungen: " + m_src + "/sub/a.txt: Ziel " + blocked
              + "/sub/a.txt: Keine gewöhnliche Datei, sondern ein Verzeichnis\n"
                "quorvane-cli: gefunden 4, abgebildet 3, übersprungen 1\n")
                 .toUtf8());
    QCOMPARE(read(blocked + "/sub/README"), QByteArray("R"));
}

void TestCli::imageModes()
{
    const QString flat = m_dir->filePath("flat");
    QCOMPARE(runCli({"image", m_src, flat, "--types", "docs"}).exitCode, 0);
    QCOMPARE(QDir(flat).entryList(QDir::Files, QDir::Name), QStringList({"a.txt", "a[1].txt"}));
    QCOMPARE(read(flat + "/a[1].txt"), QByteArray("A"));

    const QString dummies = m_dir->filePath("dummies");
    QCOMPARE(runCli({"image", m_src, dummies, "--all", "--null-byte", "--recursive"}).exitCode, 0);
    QCOMPARE(QFileInfo(dummies + "/sub/README").size(), 0);
    QCOMPARE(read(m_src + "/sub/README"), QByteArray("R"));

    const QString tree = m_dir->filePath("tree");
    QCOMPARE(runCli({"image", m_src, tree, "--all", "--structure-only"}).exitCode, 0);
    QCOMPARE(QDir(tree).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({"sub"}));
    QCOMPARE(QDir(tree + "/sub").entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());

    const QString moved = m_dir->filePath("moved");
    QCOMPARE(runCli({"image", m_src, moved, "--patterns", "*.txt;README", "--move", "--recursive"}).exitCode, 0);
    QCOMPARE(read(moved + "/sub/README"), QByteArray("R"));
    QCOMPARE(QDir(m_src).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({"b.jpg"}));
}

void TestCli::hostNamesAndLinkedFolders()
{
    // A "\\" typed in a path of this computer is part of a name; in the
    // printed drive path it shows as U+F05C, which names it again.
    const QString r = m_dir->filePath("r");
    QVERIFY(makeFile(r + "/a\\b/bs.jpg", "BS"));
    QVERIFY(makeFile(r + "/a/b/sl.jpg", "SL"));
    const QString named = drive(r) + "\\a" + QChar(0xF05C) + "b";
    const ChildRun listed = runCli({"list", named, "--all"});
    QCOMPARE(listed.output, (named + "\\bs.jpg\n").toUtf8());
    const ChildRun byHost = runCli({"image", r + "/a\\b", m_dir->filePath("t1"), "--all"});
    QCOMPARE(byHost.exitCode, 0);
    QCOMPARE(QDir(m_dir->filePath("t1")).entryList(QDir::Files), QStringList({"bs.jpg"}));

    // Folders given through links are entered.
    QVERIFY(QFile::link(r + "/a/b", m_dir->filePath("quelle")));
    QVERIFY(QDir().mkpath(m_dir->filePath("echt")));
    QVERIFY(QFile::link(m_dir->filePath("echt"), m_dir->filePath("ziel")));
    const ChildRun linked = runCli({"image", m_dir->filePath("quelle"), m_dir->filePath("ziel"), "--all"});
    QCOMPARE(linked.exitCode, 0);
    QCOMPARE(read(m_dir->filePath("echt/sl.jpg")), QByteArray("SL"));
}

// Root reads every folder; another user meets a real "permission denied".
void TestCli::unreadableFoldersAreNamed()
{
    const QStringList asNobody{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    if (::geteuid() != 0 || QStandardPaths::findExecutable(asNobody.first()).isEmpty())
        QSKIP("needs root and setpriv to run as another user");
    QVERIFY(QFile::setPermissions(
        m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    const QString secret = m_src + "/sub/geheim";
    QVERIFY(makeFile(secret + "/c.jpg"));
    QVERIFY(QFile::setPermissions(secret, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QByteArray named = "quorvane-cli: nicht lesbar: " + QFile::encodeName(secret) + ": Keine Berechtigung\n";

    const ChildRun listed = runCli({"list", m_src, "--all"}, asNobody);
    if (!listed.cannotSetUp.isEmpty())
        QSKIP(qPrintable(listed.cannotSetUp));
    QCOMPARE(listed.exitCode, 1);
    QCOMPARE(listed.output.count('\n'), 4);
    QCOMPARE(listed.errors, named + "quorvane-cli: gefunden 4\n");

    const QString target = m_dir->filePath("ziel");
    QVERIFY(QDir().mkpath(target));
    QCOMPARE(::chown(QFile::encodeName(target).constData(), 65534, 65534), 0);
    const ChildRun imaged = runCli({"image", m_src, target, "--all", "--recursive"}, asNobody);
    QCOMPARE(imaged.exitCode, 1);
    QCOMPARE(imaged.errors, named + "quorvane-cli: gefunden 4, abgebildet 4, übersprungen 0\n");

    // The source itself: not "nothing found" and a success.
    QVERIFY(QFile::setPermissions(m_src, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const ChildRun source = runCli({"list", m_src, "--all"}, asNobody);
    QCOMPARE(source.exitCode, 1);
    QVERIFY(source.output.isEmpty());
    QVERIFY2(
        source.errors.contains("quorvane-cli: nicht lesbar: " + QFile::encodeName(m_src) + ": Keine Berechtigung\n"),
        source.errors.constData());
    QVERIFY(QFile::setPermissions(
        m_src, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
}

void TestCli::lineBreaksAndNulEndedPaths()
{
    const QString r = m_dir->filePath("names");
    QVERIFY(QDir().mkpath(r));
    const QByteArray host = QFile::encodeName(r);
    for (const QByteArray &name : {QByteArray("li\nne.jpg"), QByteArray("cr\rx.jpg"), QByteArray("caf\xe9.jpg")}) {
        const int fd = ::open((host + '/' + name).constData(), O_WRONLY | O_CREAT, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
    }
    const QByteArray base = drive(r).toUtf8();
    // One line per name, as many lines as names; bytes that are not UTF-8 as they are.
    const ChildRun lines = runCli({"list", r, "--all"});
    QCOMPARE(lines.exitCode, 0);
    QCOMPARE(lines.output, base + "\\caf\xe9.jpg\n" + base + "\\cr?x.jpg\n" + base + "\\li?ne.jpg\n");
    const ChildRun file = runCli({"list", r, "--all", "-o", m_dir->filePath("l.txt")});
    QCOMPARE(file.exitCode, 0);
    QCOMPARE(read(m_dir->filePath("l.txt")),
             drive(r).toLatin1() + "\\caf?.jpg\r\n" + drive(r).toLatin1() + "\\cr?x.jpg\r\n" + drive(r).toLatin1()
                 + "\\li?ne.jpg\r\n");
    // For xargs -0: the host's own bytes, each path ended by NUL.
    const ChildRun nul = runCli({"list", r, "--all", "-0"});
    QCOMPARE(nul.exitCode, 0);
    QCOMPARE(nul.output, host + "/caf\xe9.jpg" + '\0' + host + "/cr\rx.jpg" + '\0' + host + "/li\nne.jpg" + '\0');
}

void TestCli::movedLinkLeavesItsFileAlone()
{
    // A link moves as the content it leads to; the file it points at stays.
    const QString src = m_dir->filePath("ls");
    QVERIFY(makeFile(src + "/real.dat", "REAL"));
    QVERIFY(QDir().mkpath(src + "/sub"));
    QVERIFY(QFile::link("../real.dat", src + "/sub/l.jpg"));
    QVERIFY(QFile::link(m_src + "/b.jpg", src + "/sub/out.jpg")); // leads out of the source
    const QString tgt = m_dir->filePath("lt");
    const ChildRun o = runCli({"image", src, tgt, "--types", "images", "--move"});
    QCOMPARE(o.exitCode, 1);
    QVERIFY2(
        o.errors.contains(("übersprungen: " + src + "/sub/out.jpg: Führt aus dem Quell-Verzeichnis hinaus\n").toUtf8()),
        o.errors.constData());
    QVERIFY(!QFileInfo(tgt + "/l.jpg").isSymLink());
    QCOMPARE(read(tgt + "/l.jpg"), QByteArray("REAL"));
    QVERIFY(!QFileInfo::exists(src + "/sub/l.jpg") && !QFileInfo(src + "/sub/l.jpg").isSymLink());
    QCOMPARE(read(src + "/real.dat"), QByteArray("REAL"));
    QVERIFY(QFileInfo(src + "/sub/out.jpg").isSymLink());
    QCOMPARE(read(m_src + "/b.jpg"), QByteArray("x"));
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
