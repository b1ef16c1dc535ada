// Paths, listings and error numbers of the host file system on a scratch
// folder mapped as T:.
#include "scratch.h"

#include "platform/namecodec.h"

#include <QDir>
#include <QTest>

using namespace quorvane::platform;

class TestHostPaths : public QObject {
    Q_OBJECT

private slots:
    void init();
    void resolution_data();
    void resolution();
    void caseLookupSeesNewNames();
    void hostAndDrivePaths();
    void currentDirectories();
    void listingMasks_data();
    void listingMasks();
    void oneListingState();
    void errorNumbers_data();
    void errorNumbers();
    void readDirectoryReportsLinks();
    void linksRemovedAsLinks();
    void attributes();
    void nonUtf8Names();

private:
    std::unique_ptr<scratch::Drive> m_t;
    QStringList listAll(const QString &pattern, int mask);
};

void TestHostPaths::init()
{
    m_t = std::make_unique<scratch::Drive>();
    QVERIFY(m_t->isValid());
}

QStringList TestHostPaths::listAll(const QString &pattern, int mask)
{
    QStringList out;
    Result<QString> r = m_t->fs->dirFirst(pattern, mask);
    while (r.ok() && !r.value().isEmpty()) {
        out << r.value();
        r = m_t->fs->dirNext();
    }
    if (!r.ok())
        out << QStringLiteral("error %1").arg(r.error);
    out.sort();
    return out;
}

void TestHostPaths::resolution_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected"); // the long name, or "error N"
    QTest::newRow("exact") << "T:\\Daten\\Bild.JPG"
                           << "T:\\Daten\\Bild.JPG";
    QTest::newRow("other case") << "t:\\DATEN\\bild.jpg"
                                << "T:\\Daten\\Bild.JPG";
    QTest::newRow("rooted on current drive") << "\\daten\\bild.jpg"
                                             << "T:\\Daten\\Bild.JPG";
    QTest::newRow("drive relative") << "T:bild.jpg"
                                    << "T:\\Daten\\Bild.JPG";
    QTest::newRow("relative") << "Sub\\..\\bild.jpg"
                              << "T:\\Daten\\Bild.JPG";
    QTest::newRow("trailing separator") << "T:\\daten\\"
                                        << "T:\\Daten";
    QTest::newRow("root") << "T:\\"
                          << "T:\\";
    QTest::newRow("cannot climb out") << "T:\\..\\..\\Daten"
                                      << "T:\\Daten";
    QTest::newRow("exact first") << "T:\\Mix\\abc"
                                 << "T:\\Mix\\abc";
    QTest::newRow("exact first upper") << "T:\\Mix\\ABC"
                                       << "T:\\Mix\\ABC";
    QTest::newRow("variants: smallest bytes") << "T:\\Mix\\aBc"
                                              << "T:\\Mix\\ABC";
    QTest::newRow("sharp s folds as itself") << "T:\\Daten\\STRAßE.TXT"
                                             << "T:\\Daten\\Straße.txt";
    QTest::newRow("no length change") << "T:\\Daten\\STRASSE.TXT"
                                      << "error 53";
    QTest::newRow("umlaut") << "T:\\Daten\\ÄRGER"
                            << "T:\\Daten\\ärger";
    QTest::newRow("missing file") << "T:\\Daten\\nope.jpg"
                                  << "error 53";
    QTest::newRow("missing folder") << "T:\\Nope\\x.jpg"
                                    << "error 76";
    QTest::newRow("under a file") << "T:\\Daten\\Bild.JPG\\x"
                                  << "error 76";
    QTest::newRow("deep under a file") << "T:\\Daten\\Bild.JPG\\x\\y"
                                       << "error 76";
    QTest::newRow("unmapped drive") << "Q:\\x"
                                    << "error 68";
}

void TestHostPaths::resolution()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QVERIFY(m_t->dir("Daten") && m_t->dir("Daten/Sub") && m_t->dir("Mix"));
    QVERIFY(m_t->file("Daten/Bild.JPG") && m_t->file("Daten/Straße.txt") && m_t->file("Daten/ärger"));
    QVERIFY(m_t->file("Mix/abc") && m_t->file("Mix/ABC") && m_t->file("Mix/Abc"));
    QVERIFY(m_t->fs->changeDrive(QStringLiteral("T")).ok());
    QVERIFY(m_t->fs->changeDirectory(QStringLiteral("T:\\daten")).ok());

    const Result<QString> r = m_t->fs->longName(path);
    QCOMPARE(r.ok() ? r.value() : QStringLiteral("error %1").arg(r.error), expected);
    if (!r.ok())
        QVERIFY(!r.message.isEmpty());
}

void TestHostPaths::caseLookupSeesNewNames()
{
    HostFileSystem &fs = *m_t->fs;
    QVERIFY(m_t->dir("F") && m_t->file("F/a"));
    QCOMPARE(fs.longName(QStringLiteral("T:\\F\\x.txt")).error, int(ErrFileNotFound));
    // Made by someone else right away, within the folder's time stamp tick.
    QVERIFY(m_t->file("F/X.TXT"));
    QCOMPARE(fs.longName(QStringLiteral("T:\\F\\x.txt")).value(), QStringLiteral("T:\\F\\X.TXT"));

    QTest::qWait(120);
    QCOMPARE(fs.longName(QStringLiteral("T:\\F\\y")).error, int(ErrFileNotFound));
    QTest::qWait(20);
    QVERIFY(m_t->file("F/Y"));
    QCOMPARE(fs.longName(QStringLiteral("T:\\F\\y")).value(), QStringLiteral("T:\\F\\Y"));

    // Our own changes are seen at once.
    QCOMPARE(fs.copyFile(QStringLiteral("T:\\F\\a"), QStringLiteral("T:\\F\\Neu")).error, 0);
    QCOMPARE(fs.longName(QStringLiteral("T:\\F\\NEU")).value(), QStringLiteral("T:\\F\\Neu"));
    QCOMPARE(fs.makeDirectory(QStringLiteral("T:\\F\\Ordner")).error, 0);
    QCOMPARE(fs.makeDirectory(QStringLiteral("T:\\F\\ORDNER")).error, int(ErrPathFileAccess));
    QCOMPARE(fs.deleteFile(QStringLiteral("T:\\F\\neu")).error, 0);
    QCOMPARE(fs.longName(QStringLiteral("T:\\F\\NEU")).error, int(ErrFileNotFound));
    QCOMPARE(fs.moveFile(QStringLiteral("T:\\F\\a"), QStringLiteral("T:\\F\\Bewegt")).error, 0);
    QCOMPARE(fs.longName(QStringLiteral("T:\\F\\bewegt")).value(), QStringLiteral("T:\\F\\Bewegt"));
    QCOMPARE(fs.longName(QStringLiteral("T:\\F\\A")).error, int(ErrFileNotFound));
}

void TestHostPaths::hostAndDrivePaths()
{
    QVERIFY(m_t->dir("Daten"));
    const QString root = QFile::decodeName(m_t->root());
    QCOMPARE(m_t->fs->drivePath(root + QStringLiteral("/Daten/x.jpg")).value(), QStringLiteral("T:\\Daten\\x.jpg"));
    QCOMPARE(m_t->fs->drivePath(root).value(), QStringLiteral("T:\\"));
    QCOMPARE(m_t->fs->drivePath(QStringLiteral("/usr/./bin/../lib")).value(), QStringLiteral("C:\\usr\\lib"));
    QCOMPARE(m_t->fs->hostPath(QStringLiteral("t:\\daten\\x.jpg")).value(), root + QStringLiteral("/Daten/x.jpg"));
    QCOMPARE(m_t->fs->hostPath(QStringLiteral("C:\\home\\anna\\x.jpg")).value(), QStringLiteral("/home/anna/x.jpg"));
    QCOMPARE(m_t->fs->hostPath(QStringLiteral("T:\\a") + QChar(0xDCFF)).value(), root + QStringLiteral("/a\uFFFD"));
    QCOMPARE(m_t->fs->hostPath(QStringLiteral("Q:\\a")).error, int(ErrDeviceUnavailable));

    DriveMap withoutC;
    withoutC.unset(QLatin1Char('C'));
    withoutC.set(QLatin1Char('T'), m_t->root());
    HostFileSystem fs(withoutC);
    QCOMPARE(fs.drivePath(QStringLiteral("/usr")).error, int(ErrDeviceUnavailable));
    QCOMPARE(fs.drives(), QStringList{QStringLiteral("T:")});

    // A drive whose folder is gone: not listed, not ready.
    DriveMap gone;
    gone.set(QLatin1Char('U'), m_t->host("vanished"));
    HostFileSystem withGone(gone);
    QVERIFY(!withGone.drives().contains(QStringLiteral("U:")));
    QCOMPARE(withGone.longName(QStringLiteral("U:\\")).error, int(ErrDeviceUnavailable));
    QCOMPARE(withGone.makeDirectory(QStringLiteral("U:\\x")).error, int(ErrDeviceUnavailable));
    QCOMPARE(withGone.changeDrive(QStringLiteral("U:")).error, int(ErrDeviceUnavailable));
}

void TestHostPaths::currentDirectories()
{
    // Starts where the process stands, in drive form.
    QCOMPARE(m_t->fs->currentDirectory(), m_t->fs->drivePath(QDir::currentPath()).value());
    const QString startC = m_t->fs->currentDirectory();

    QVERIFY(m_t->dir("Daten") && m_t->dir("Daten/Sub"));
    QCOMPARE(m_t->fs->changeDirectory(QStringLiteral("t:\\DATEN")).error, 0);
    QCOMPARE(m_t->fs->currentDirectory(), startC); // another drive's directory changed, not the drive
    QCOMPARE(m_t->fs->absolutePath(QStringLiteral("T:x")), QStringLiteral("T:\\Daten\\x"));
    QCOMPARE(m_t->fs->changeDrive(QStringLiteral("t:\\whatever")).error, 0);
    QCOMPARE(m_t->fs->currentDrive(), QStringLiteral("T:"));
    QCOMPARE(m_t->fs->currentDirectory(), QStringLiteral("T:\\Daten"));
    QCOMPARE(m_t->fs->changeDirectory(QStringLiteral("sub")).error, 0);
    QCOMPARE(m_t->fs->currentDirectory(), QStringLiteral("T:\\Daten\\Sub"));
    QCOMPARE(m_t->fs->absolutePath(QStringLiteral("..\\y")), QStringLiteral("T:\\Daten\\y"));
    QCOMPARE(m_t->fs->absolutePath(QStringLiteral("C:")), startC);
    QCOMPARE(m_t->fs->changeDirectory(QStringLiteral("T:\\Nope")).error, int(ErrPathNotFound));
    QCOMPARE(m_t->fs->changeDrive(QStringLiteral("Q")).error, int(ErrDeviceUnavailable));
    QCOMPARE(m_t->fs->currentDirectory(), QStringLiteral("T:\\Daten\\Sub"));
    // The process itself never moved.
    QCOMPARE(m_t->fs->drivePath(QDir::currentPath()).value(), startC);
}

void TestHostPaths::listingMasks_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("mask");
    QTest::addColumn<QStringList>("expected");
    const QStringList files{"link", "plain.txt", "ro.txt"};
    QTest::newRow("0: ordinary files") << "T:\\L\\*.*" << 0 << files;
    QTest::newRow("6: hidden and special too")
        << "T:\\L\\*.*" << 6 << QStringList{".hidden.txt", "link", "pipe", "plain.txt", "ro.txt"};
    QTest::newRow("16: folders with dots")
        << "T:\\L\\*.*" << 16 << QStringList{".", "..", "Sub", "link", "plain.txt", "ro.txt"};
    QTest::newRow("trailing separator") << "T:\\l\\" << 16
                                        << QStringList{".", "..", "Sub", "link", "plain.txt", "ro.txt"};
    QTest::newRow("extension") << "T:\\L\\*.TXT" << 0 << QStringList{"plain.txt", "ro.txt"};
    QTest::newRow("one name, other case") << "T:\\L\\PLAIN.TXT" << 0 << QStringList{"plain.txt"};
    QTest::newRow("folder name, files only") << "T:\\L\\sub" << 0 << QStringList{};
    QTest::newRow("folder name, folders") << "T:\\L\\sub" << 16 << QStringList{"Sub"};
    QTest::newRow("hidden by name, mask 0") << "T:\\L\\.hidden.txt" << 0 << QStringList{};
    QTest::newRow("dot, folders") << "T:\\L\\." << 16 << QStringList{"."};
    QTest::newRow("dot at the root") << "T:\\." << 16 << QStringList{};
    QTest::newRow("dot dot, files only") << "T:\\L\\.." << 0 << QStringList{};
    QTest::newRow("missing folder") << "T:\\Nope\\*.*" << 16 << QStringList{};
    QTest::newRow("root has no dots") << "T:\\*.*" << 16 << QStringList{"L"};
    QTest::newRow("unmapped drive") << "Q:\\*.*" << 0 << QStringList{"error 68"};
}

void TestHostPaths::listingMasks()
{
    QFETCH(QString, pattern);
    QFETCH(int, mask);
    QFETCH(QStringList, expected);
    QVERIFY(m_t->dir("L") && m_t->dir("L/Sub") && m_t->dir("L/.git"));
    QVERIFY(m_t->file("L/plain.txt") && m_t->file("L/.hidden.txt") && m_t->file("L/ro.txt", "r", 0444));
    QVERIFY(m_t->link("Sub", "L/link"));
    QCOMPARE(::mkfifo(m_t->host("L/pipe").constData(), 0644), 0);
    QCOMPARE(listAll(pattern, mask), expected);
}

void TestHostPaths::oneListingState()
{
    QVERIFY(m_t->dir("A") && m_t->dir("B"));
    QVERIFY(m_t->file("A/a1") && m_t->file("A/a2") && m_t->file("B/b1") && m_t->file("B/b2"));
    const Result<QString> a = m_t->fs->dirFirst(QStringLiteral("T:\\A\\*.*"), 0);
    QVERIFY(a.value().startsWith(QLatin1Char('a')));
    // A new listing ends the old one; the next name comes from the new one.
    const Result<QString> b = m_t->fs->dirFirst(QStringLiteral("T:\\B\\*.*"), 0);
    QVERIFY(b.value().startsWith(QLatin1Char('b')));
    const Result<QString> b2 = m_t->fs->dirNext();
    QVERIFY(b2.value().startsWith(QLatin1Char('b')) && b2.value() != b.value());
    const Result<QString> end = m_t->fs->dirNext();
    QVERIFY(end.ok() && end.value().isEmpty());
    QCOMPARE(m_t->fs->dirNext().error, int(ErrInvalidCall));

    // Names read lazily: deleting each name as it comes, as a tree removal
    // does, still reaches every name once.
    QVERIFY(m_t->dir("C"));
    for (int i = 0; i < 300; ++i)
        QVERIFY(m_t->file("C/f" + QByteArray::number(i)));
    QSet<QString> seen;
    for (Result<QString> r = m_t->fs->dirFirst(QStringLiteral("T:\\C\\*.*"), 6); r.ok() && !r.value().isEmpty();
         r = m_t->fs->dirNext()) {
        QVERIFY(!seen.contains(r.value()));
        seen.insert(r.value());
        QVERIFY(m_t->fs->deleteFile(QStringLiteral("T:\\C\\") + r.value()).ok());
    }
    QCOMPARE(seen.size(), 300);
    QVERIFY(m_t->names("C").isEmpty());
}

void TestHostPaths::errorNumbers_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("expected");
    QTest::newRow("mkdir existing") << "mkdir"
                                    << "T:\\dir" << 75;
    QTest::newRow("mkdir existing other case") << "mkdir"
                                               << "T:\\DIR" << 75;
    QTest::newRow("mkdir over a file") << "mkdir"
                                       << "T:\\file.txt" << 75;
    QTest::newRow("mkdir missing parent") << "mkdir"
                                          << "T:\\nope\\x" << 76;
    QTest::newRow("mkdir unmapped") << "mkdir"
                                    << "Q:\\x" << 68;
    QTest::newRow("mkdir new") << "mkdir"
                               << "T:\\new" << 0;
    QTest::newRow("rmdir not empty") << "rmdir"
                                     << "T:\\dir" << 75;
    QTest::newRow("rmdir missing") << "rmdir"
                                   << "T:\\nope" << 76;
    QTest::newRow("rmdir empty") << "rmdir"
                                 << "T:\\empty" << 0;
    QTest::newRow("delete missing") << "delete"
                                    << "T:\\nope.txt" << 53;
    QTest::newRow("delete in missing folder") << "delete"
                                              << "T:\\nope\\x.txt" << 76;
    QTest::newRow("delete read-only") << "delete"
                                      << "T:\\ro.txt" << 75;
    QTest::newRow("delete a folder") << "delete"
                                     << "T:\\dir" << 75;
    QTest::newRow("delete file") << "delete"
                                 << "T:\\FILE.TXT" << 0;
    QTest::newRow("input missing") << "input"
                                   << "T:\\nope.txt" << 53;
    QTest::newRow("input folder") << "input"
                                  << "T:\\dir" << 75;
    QTest::newRow("input file") << "input"
                                << "T:\\file.txt" << 0;
    QTest::newRow("output read-only") << "output"
                                      << "T:\\ro.txt" << 75;
    QTest::newRow("output missing folder") << "output"
                                           << "T:\\nope\\x.txt" << 76;
    QTest::newRow("output onto folder") << "output"
                                        << "T:\\dir" << 75;
    QTest::newRow("attributes missing") << "attributes"
                                        << "T:\\nope" << 53;
    QTest::newRow("read-only file replaced") << "replace"
                                             << "T:\\ro.txt" << 75;
    QTest::newRow("read dir") << "readdir"
                              << "T:\\file.txt" << 76;
    QTest::newRow("read missing dir") << "readdir"
                                      << "T:\\nope" << 76;
}

void TestHostPaths::errorNumbers()
{
    QFETCH(QString, operation);
    QFETCH(QString, path);
    QFETCH(int, expected);
    QVERIFY(m_t->dir("dir") && m_t->dir("empty") && m_t->file("dir/inner"));
    QVERIFY(m_t->file("file.txt") && m_t->file("ro.txt", "keep", 0444));
    HostFileSystem &fs = *m_t->fs;
    int error = -1;
    if (operation == "mkdir")
        error = fs.makeDirectory(path).error;
    else if (operation == "rmdir")
        error = fs.removeDirectory(path).error;
    else if (operation == "delete")
        error = fs.deleteFile(path).error;
    else if (operation == "input")
        error = fs.openForInput(1, path).error;
    else if (operation == "output")
        error = fs.openForOutput(1, path).error;
    else if (operation == "attributes")
        error = fs.attributes(path).error;
    else if (operation == "replace")
        error = fs.replaceFile(path, "new").error;
    else if (operation == "readdir")
        error = fs.readDirectory(path).error;
    QCOMPARE(error, expected);
    QCOMPARE(m_t->content("ro.txt"), QByteArray("keep"));
    QVERIFY(m_t->exists("dir/inner"));
    if (error == 0 && (operation == "input" || operation == "output"))
        QVERIFY(fs.closeFile(1).ok());
    QCOMPARE(fs.closeFile(1).error, int(ErrBadFileNameOrNumber));
    // No temporary file is left behind by a refused write.
    for (const QByteArray &name : m_t->names())
        QVERIFY2(!name.startsWith(".quorvane-"), name.constData());
}

void TestHostPaths::readDirectoryReportsLinks()
{
    QVERIFY(m_t->dir("R") && m_t->dir("R/sub") && m_t->file("R/f") && m_t->file("R/.h"));
    QVERIFY(m_t->link("sub", "R/dirlink") && m_t->link("f", "R/filelink") && m_t->link("nowhere", "R/dangling"));
    const Result<std::vector<DirEntry>> r = m_t->fs->readDirectory(QStringLiteral("t:\\r"));
    QVERIFY(r.ok());
    QMap<QString, QString> seen;
    for (const DirEntry &e : r.value()) {
        seen[e.name] = QStringLiteral("%1%2%3").arg(e.isDirectory ? "D" : "-", e.isLink ? "L" : "-").arg(e.attributes);
    }
    QMap<QString, QString> expected{{"sub", "D-16"},     {"f", "--0"},        {".h", "--2"},
                                    {"dirlink", "-L16"}, {"filelink", "-L0"}, {"dangling", "-L0"}};
    QCOMPARE(seen, expected);
}

void TestHostPaths::linksRemovedAsLinks()
{
    QVERIFY(m_t->dir("target") && m_t->file("target/precious", "data"));
    QVERIFY(m_t->link(m_t->host("target"), "viaRmdir") && m_t->link(m_t->host("target"), "viaDelete"));
    QVERIFY(m_t->link(m_t->host("target/precious"), "fileLink"));

    QCOMPARE(m_t->fs->attributes(QStringLiteral("T:\\viaRmdir")).value() & AttrDirectory, 0u);
    QCOMPARE(m_t->fs->removeDirectory(QStringLiteral("T:\\viaRmdir")).error, 0);
    QCOMPARE(m_t->fs->deleteFile(QStringLiteral("T:\\viaDelete")).error, 0);
    QCOMPARE(m_t->fs->setAttributes(QStringLiteral("T:\\fileLink"), AttrReadOnly).error, 0);
    QCOMPARE(m_t->fs->deleteFile(QStringLiteral("T:\\fileLink")).error, 0);
    QVERIFY(!m_t->exists("viaRmdir") && !m_t->exists("viaDelete") && !m_t->exists("fileLink"));
    QCOMPARE(m_t->content("target/precious"), QByteArray("data"));
    QCOMPARE(m_t->mode("target/precious"), mode_t(0644));
}

void TestHostPaths::attributes()
{
    QVERIFY(m_t->file("ro.txt", "x", 0444) && m_t->file(".hidden") && m_t->dir("d"));
    QCOMPARE(m_t->fs->attributes(QStringLiteral("T:\\RO.TXT")).value(), std::uint32_t(AttrReadOnly));
    QCOMPARE(m_t->fs->attributes(QStringLiteral("T:\\.hidden")).value(), std::uint32_t(AttrHidden));
    QCOMPARE(m_t->fs->attributes(QStringLiteral("T:\\d")).value(), std::uint32_t(AttrDirectory));
    QCOMPARE(m_t->fs->attributes(QStringLiteral("T:\\")).value(), std::uint32_t(AttrDirectory));
    // 0 gives the owner the write bit back; read-only takes every write bit.
    QCOMPARE(m_t->fs->setAttributes(QStringLiteral("T:\\ro.txt"), 0).error, 0);
    QCOMPARE(m_t->mode("ro.txt"), mode_t(0644));
    QCOMPARE(m_t->fs->setAttributes(QStringLiteral("T:\\ro.txt"), AttrReadOnly | AttrArchive).error, 0);
    QCOMPARE(m_t->mode("ro.txt"), mode_t(0444));
    QCOMPARE(m_t->fs->setAttributes(QStringLiteral("T:\\nope"), 0).error, int(ErrFileNotFound));
}

void TestHostPaths::nonUtf8Names()
{
    const QByteArray latin1 = "caf\xe9.txt";
    const QByteArray surrogate = "s\xed\xa0\x80.txt";
    QVERIFY(m_t->dir("N") && m_t->dir("out") && m_t->dir("N/d\xfc"));
    QVERIFY(m_t->file("N/" + latin1, "one") && m_t->file("N/" + surrogate, "two") && m_t->file("N/d\xfc/in", "three"));

    QStringList listed = listAll(QStringLiteral("T:\\N\\*.txt"), 0);
    QCOMPARE(listed.size(), 2);
    for (const QString &name : listed) {
        const QString from = QStringLiteral("T:\\N\\") + name;
        QVERIFY(m_t->fs->copyFile(from, QStringLiteral("T:\\out\\") + name).ok());
        QVERIFY(m_t->fs->moveFile(from, QStringLiteral("T:\\N\\moved-") + name).ok());
    }
    QCOMPARE(m_t->content("out/" + latin1), QByteArray("one"));
    QCOMPARE(m_t->content("out/" + surrogate), QByteArray("two"));
    QCOMPARE(m_t->content("N/moved-" + latin1), QByteArray("one"));
    QCOMPARE(m_t->content("N/moved-" + surrogate), QByteArray("two"));
    QVERIFY(!m_t->exists("N/" + latin1) && !m_t->exists("N/" + surrogate));

    // A folder whose name is not UTF-8 can be walked into.
    const Result<std::vector<DirEntry>> top = m_t->fs->readDirectory(QStringLiteral("T:\\N"));
    QString folder;
    for (const DirEntry &e : top.value()) {
        if (e.isDirectory)
            folder = e.name;
    }
    QCOMPARE(encodeName(folder), QByteArray("d\xfc"));
    const Result<std::vector<DirEntry>> inner = m_t->fs->readDirectory(QStringLiteral("T:\\N\\") + folder);
    QVERIFY(inner.ok());
    QCOMPARE(inner.value().size(), size_t(1));
    QCOMPARE(m_t->fs->readFile(QStringLiteral("T:\\N\\") + folder + QStringLiteral("\\IN"), 100).value(),
             QByteArray("three"));
}

QTEST_GUILESS_MAIN(TestHostPaths)
#include "tst_hostpaths.moc"
