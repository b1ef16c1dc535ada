// Copy, move, staged output and whole-file writes on a scratch folder mapped as T:.
#include "scratch.h"
#include "support/hostmetadata.h"

#include <QTest>

using namespace quorvane::platform;

class TestHostFileOps : public QObject {
    Q_OBJECT

private slots:
    void init();
    void copyReplacesThroughTemporary();
    void copyOntoItselfRefused_data();
    void copyOntoItselfRefused();
    void copyOntoReadOnlyRefused();
    void sameFile_data();
    void sameFile();
    void copyRefusesFoldersAndPipes();
    void replacingKeepsOwnerAndMode_data();
    void replacingKeepsOwnerAndMode();
    void newFilesNeverReplace();
    void moveNeverReplaces();
    void moveRenamesCase();
    void printLineBytes();
    void outputStagedUntilClose();
    void fileNumbers();
    void replaceAndReadFile();

private:
    std::unique_ptr<scratch::Drive> m_t;
    void noTemporaries(const QByteArray &folder = {});
};

void TestHostFileOps::init()
{
    m_t = std::make_unique<scratch::Drive>();
    QVERIFY(m_t->isValid());
}

void TestHostFileOps::noTemporaries(const QByteArray &folder)
{
    for (const QByteArray &name : m_t->names(folder))
        QVERIFY2(!name.startsWith(".quorvane-"), name.constData());
}

void TestHostFileOps::copyReplacesThroughTemporary()
{
    QVERIFY(m_t->dir("dst"));
    QVERIFY(m_t->file("src.bin", QByteArray(300000, 'n'), 0640) && m_t->file("dst/Old.bin", "old content"));
    QCOMPARE(m_t->fs->copyFile(QStringLiteral("T:\\src.bin"), QStringLiteral("T:\\DST\\old.BIN")).error, 0);
    // The stored name is kept, the content arrives, the replaced file keeps its mode.
    QCOMPARE(m_t->names("dst"), QList<QByteArray>{"Old.bin"});
    QCOMPARE(m_t->content("dst/Old.bin"), QByteArray(300000, 'n'));
    QCOMPARE(m_t->mode("dst/Old.bin"), mode_t(0644));
    // A new copy takes the source's mode.
    QCOMPARE(m_t->fs->copyFile(QStringLiteral("T:\\src.bin"), QStringLiteral("T:\\dst\\new.bin")).error, 0);
    QCOMPARE(m_t->content("dst/new.bin").size(), 300000);
    QCOMPARE(m_t->mode("dst/new.bin"), mode_t(0640));
    // A read-only source gives a read-only copy, written all the same.
    QVERIFY(m_t->file("ro.bin", "locked", 0444));
    QCOMPARE(m_t->fs->copyFile(QStringLiteral("T:\\ro.bin"), QStringLiteral("T:\\dst\\ro.bin")).error, 0);
    QCOMPARE(m_t->content("dst/ro.bin"), QByteArray("locked"));
    QCOMPARE(m_t->mode("dst/ro.bin"), mode_t(0444));
    QCOMPARE(m_t->fs->copyFile(QStringLiteral("T:\\nope"), QStringLiteral("T:\\dst\\x")).error, int(ErrFileNotFound));
    QCOMPARE(m_t->fs->copyFile(QStringLiteral("T:\\src.bin"), QStringLiteral("T:\\nope\\x")).error,
             int(ErrPathNotFound));
    noTemporaries("dst");
}

void TestHostFileOps::copyOntoItselfRefused_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("same path") << "T:\\data.txt";
    QTest::newRow("other case") << "T:\\DATA.TXT";
    QTest::newRow("hard link") << "T:\\hard.txt";
    QTest::newRow("through a folder link") << "T:\\via\\data.txt";
    QTest::newRow("a link to it") << "T:\\soft.txt";
}

void TestHostFileOps::copyOntoItselfRefused()
{
    QFETCH(QString, target);
    QVERIFY(m_t->file("data.txt", "precious"));
    QCOMPARE(::link(m_t->host("data.txt").constData(), m_t->host("hard.txt").constData()), 0);
    QVERIFY(m_t->link(".", "via") && m_t->link("data.txt", "soft.txt"));
    const Status s = m_t->fs->copyFile(QStringLiteral("T:\\data.txt"), target);
    QCOMPARE(s.error, int(ErrPathFileAccess));
    QCOMPARE(m_t->content("data.txt"), QByteArray("precious"));
    noTemporaries();
}

void TestHostFileOps::copyOntoReadOnlyRefused()
{
    QVERIFY(m_t->file("src", "new") && m_t->file("ro", "old", 0444));
    QCOMPARE(m_t->fs->copyFile(QStringLiteral("T:\\src"), QStringLiteral("T:\\ro")).error, int(ErrPathFileAccess));
    QCOMPARE(m_t->content("ro"), QByteArray("old"));
    QCOMPARE(m_t->mode("ro"), mode_t(0444));
    noTemporaries();
}

void TestHostFileOps::sameFile_data()
{
    QTest::addColumn<QString>("other");
    QTest::addColumn<int>("expected"); // 1 same, 0 different, else the error
    QTest::newRow("same path") << "T:\\caf#.txt" << 1;
    QTest::newRow("other case") << "T:\\CAF#.TXT" << 1;
    QTest::newRow("hard link") << "T:\\hard.txt" << 1;
    QTest::newRow("link to it") << "T:\\soft.txt" << 1;
    QTest::newRow("another file") << "T:\\other.txt" << 0;
    QTest::newRow("missing") << "T:\\nope.txt" << 53;
}

void TestHostFileOps::sameFile()
{
    QFETCH(QString, other);
    QFETCH(int, expected);
    // Stored under a name that is not UTF-8: reachable only by its bytes.
    const QByteArray stored = "caf\xe9.txt";
    QVERIFY(m_t->file(stored, "data") && m_t->file("other.txt", "data"));
    QCOMPARE(::link(m_t->host(stored).constData(), m_t->host("hard.txt").constData()), 0);
    QVERIFY(m_t->link(stored, "soft.txt"));
    QString name;
    for (const DirEntry &e : m_t->fs->readDirectory(QStringLiteral("T:\\")).value()) {
        if (e.name.startsWith(QLatin1String("caf")))
            name = e.name;
    }
    QVERIFY(!name.isEmpty());
    other.replace(QLatin1Char('#'), name.at(3)); // "#" in the table: the escaped byte
    QCOMPARE(name.at(3), QChar(0xDCE9));
    const Result<bool> r = m_t->fs->sameFile(QStringLiteral("T:\\") + name, other);
    QCOMPARE(r.ok() ? int(r.value()) : r.error, expected);
}

void TestHostFileOps::copyRefusesFoldersAndPipes()
{
    QVERIFY(m_t->dir("d") && m_t->file("f"));
    QCOMPARE(::mkfifo(m_t->host("pipe").constData(), 0644), 0);
    // A pipe would block the copy for ever; a folder is no file.
    QCOMPARE(m_t->fs->copyFile(QStringLiteral("T:\\pipe"), QStringLiteral("T:\\x")).error, int(ErrPathFileAccess));
    QCOMPARE(m_t->fs->copyFile(QStringLiteral("T:\\d"), QStringLiteral("T:\\x")).error, int(ErrPathFileAccess));
    QCOMPARE(m_t->fs->copyFile(QStringLiteral("T:\\f"), QStringLiteral("T:\\d")).error, int(ErrPathFileAccess));
    QVERIFY(!m_t->exists("x"));
    // Nor is a pipe something to replace by a file.
    const Status ontoPipe = m_t->fs->copyFile(QStringLiteral("T:\\f"), QStringLiteral("T:\\pipe"));
    QCOMPARE(ontoPipe.error, int(ErrPathFileAccess));
    QCOMPARE(ontoPipe.reason, QStringLiteral("Keine gewöhnliche Datei, sondern eine Pipe (FIFO)"));
    struct stat st {};
    QVERIFY(::lstat(m_t->host("pipe").constData(), &st) == 0 && S_ISFIFO(st.st_mode));
}

void TestHostFileOps::replacingKeepsOwnerAndMode_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("settings file") << "replace";
    QTest::newRow("list file") << "output";
    QTest::newRow("recursive image") << "copy";
}

void TestHostFileOps::replacingKeepsOwnerAndMode()
{
    QFETCH(QString, how);
    HostFileSystem &fs = *m_t->fs;
    // Named through a link into another folder, owned by someone else, private to them.
    QVERIFY(m_t->dir("real") && m_t->file("real/file.txt", "old", 0640) && m_t->link("real/file.txt", "link.txt"));
    QCOMPARE(::chown(m_t->host("real/file.txt").constData(), 65534, 65534), 0);
    QVERIFY(m_t->file("src.txt", "new", 0644));
    // Who may read it stays with the place; what describes the content comes with the content.
    const QByteArray placeAcl = aclBytes({{1, 6}, {2, 4, 4242}, {4, 0}, {0x10, 4}, {0x20, 0}});
    QVERIFY(setHostAttribute(m_t->host("real/file.txt"), "system.posix_acl_access", placeAcl));
    QVERIFY(setHostAttribute(m_t->host("real/file.txt"), "user.old", "describes the old content"));
    QVERIFY(setHostAttribute(m_t->host("src.txt"), "system.posix_acl_access",
                             aclBytes({{1, 6}, {2, 6, 4343}, {4, 6}, {0x10, 6}, {0x20, 4}})));
    QVERIFY(setHostAttribute(m_t->host("src.txt"), "user.new", "n"));
    const QString target = QStringLiteral("T:\\link.txt");
    if (how == QLatin1String("replace")) {
        QCOMPARE(fs.replaceFile(target, "new").error, 0);
    } else if (how == QLatin1String("output")) {
        QCOMPARE(fs.openForOutput(1, target).error, 0);
        QCOMPARE(fs.printLine(1, QStringLiteral("new")).error, 0);
        QCOMPARE(fs.closeFile(1).error, 0);
    } else {
        QCOMPARE(fs.copyFile(QStringLiteral("T:\\src.txt"), target).error, 0);
    }
    QVERIFY(m_t->content("real/file.txt").startsWith("new"));
    struct stat st {};
    QVERIFY(::lstat(m_t->host("real/file.txt").constData(), &st) == 0);
    QCOMPARE(st.st_uid, uid_t(65534));
    QCOMPARE(st.st_gid, gid_t(65534));
    QCOMPARE(st.st_mode & 07777, mode_t(0640));
    QStringList attributes{QStringLiteral("system.posix_acl_access=") + QString::fromLatin1(placeAcl.toHex())};
    if (how == QLatin1String("copy"))
        attributes.prepend(QStringLiteral("user.new=") + QString::fromLatin1(QByteArray("n").toHex()));
    attributes.sort();
    QCOMPARE(hostAttributes(m_t->host("real/file.txt")), attributes);
    QVERIFY(::lstat(m_t->host("link.txt").constData(), &st) == 0 && S_ISLNK(st.st_mode));
    QCOMPARE(m_t->names("real"), QList<QByteArray>{"file.txt"});
    noTemporaries();
}

void TestHostFileOps::newFilesNeverReplace()
{
    HostFileSystem &fs = *m_t->fs;
    QVERIFY(m_t->file("src.txt", "new") && m_t->file("taken.txt", "theirs"));
    QCOMPARE(fs.copyToNewFile(QStringLiteral("T:\\src.txt"), QStringLiteral("T:\\TAKEN.txt")).error,
             int(ErrFileExists));
    QCOMPARE(fs.openForNewOutput(1, QStringLiteral("T:\\taken.txt")).error, int(ErrFileExists));
    // Taken after the output was opened: the close refuses and writes nothing.
    QCOMPARE(fs.openForNewOutput(1, QStringLiteral("T:\\late.txt")).error, 0);
    QVERIFY(m_t->file("late.txt", "theirs"));
    QCOMPARE(fs.closeFile(1).error, int(ErrFileExists));
    QCOMPARE(m_t->content("taken.txt"), QByteArray("theirs"));
    QCOMPARE(m_t->content("late.txt"), QByteArray("theirs"));
    QCOMPARE(fs.copyToNewFile(QStringLiteral("T:\\src.txt"), QStringLiteral("T:\\fresh.txt")).error, 0);
    QCOMPARE(m_t->content("fresh.txt"), QByteArray("new"));
    noTemporaries();
}

void TestHostFileOps::moveNeverReplaces()
{
    QVERIFY(m_t->dir("sub") && m_t->file("a", "A") && m_t->file("b", "B") && m_t->file("sub/B2", "b2"));
    QCOMPARE(m_t->fs->moveFile(QStringLiteral("T:\\a"), QStringLiteral("T:\\b")).error, int(ErrFileExists));
    QCOMPARE(m_t->fs->moveFile(QStringLiteral("T:\\a"), QStringLiteral("T:\\SUB\\b2")).error, int(ErrFileExists));
    QCOMPARE(m_t->fs->moveFile(QStringLiteral("T:\\a"), QStringLiteral("T:\\a")).error, int(ErrFileExists));
    QCOMPARE(m_t->content("a"), QByteArray("A"));
    QCOMPARE(m_t->content("b"), QByteArray("B"));
    QCOMPARE(m_t->content("sub/B2"), QByteArray("b2"));
    QCOMPARE(m_t->fs->moveFile(QStringLiteral("T:\\A"), QStringLiteral("T:\\sub\\a")).error, 0);
    QCOMPARE(m_t->content("sub/a"), QByteArray("A"));
    QVERIFY(!m_t->exists("a"));
    QCOMPARE(m_t->fs->moveFile(QStringLiteral("T:\\a"), QStringLiteral("T:\\c")).error, int(ErrFileNotFound));
    QCOMPARE(m_t->fs->moveFile(QStringLiteral("T:\\b"), QStringLiteral("T:\\nope\\b")).error, int(ErrPathNotFound));
}

void TestHostFileOps::moveRenamesCase()
{
    QVERIFY(m_t->file("name.txt", "n"));
    QCOMPARE(m_t->fs->moveFile(QStringLiteral("T:\\name.txt"), QStringLiteral("T:\\NAME.TXT")).error, 0);
    QCOMPARE(m_t->names(), QList<QByteArray>{"NAME.TXT"});
    QCOMPARE(m_t->content("NAME.TXT"), QByteArray("n"));
}

void TestHostFileOps::printLineBytes()
{
    HostFileSystem &fs = *m_t->fs;
    const int n = fs.freeFile();
    QVERIFY(fs.openForOutput(n, QStringLiteral("T:\\out.txt")).ok());
    QVERIFY(fs.printLine(n, QStringLiteral("Äöß")).ok());
    QVERIFY(fs.printLine(n, QStringLiteral("x€y")).ok());
    QVERIFY(fs.printLine(n, QStringLiteral("日本") + QString::fromUtf8("\xf0\x9f\x98\x80")).ok());
    QVERIFY(fs.printLine(n, QString()).ok());
    QVERIFY(fs.closeFile(n).ok());
    QCOMPARE(m_t->content("out.txt"), QByteArray("\xc4\xf6\xdf\r\nx\x80y\r\n???\r\n\r\n"));
}

void TestHostFileOps::outputStagedUntilClose()
{
    HostFileSystem &fs = *m_t->fs;
    QVERIFY(m_t->file("list.txt", "old list", 0600));
    QVERIFY(fs.openForOutput(3, QStringLiteral("T:\\LIST.TXT")).ok());
    QCOMPARE(fs.openForOutput(4, QStringLiteral("T:\\list.txt")).error, int(ErrFileAlreadyOpen));
    QCOMPARE(fs.openForOutput(3, QStringLiteral("T:\\other.txt")).error, int(ErrFileAlreadyOpen));
    QVERIFY(fs.openForOutput(5, QStringLiteral("T:\\neu.txt")).ok());
    QCOMPARE(fs.openForOutput(6, QStringLiteral("T:\\NEU.TXT")).error, int(ErrFileAlreadyOpen));
    QVERIFY(fs.closeFile(5).ok());
    QVERIFY(m_t->exists("neu.txt"));
    QVERIFY(fs.deleteFile(QStringLiteral("T:\\Neu.txt")).ok());
    for (int i = 0; i < 20000; ++i)
        QVERIFY(fs.printLine(3, QStringLiteral("line %1").arg(i)).ok());
    // Until the close the old file is whole.
    QCOMPARE(m_t->content("list.txt"), QByteArray("old list"));
    QCOMPARE(fs.printLine(9, QStringLiteral("x")).error, int(ErrBadFileNameOrNumber));
    QVERIFY(fs.closeFile(3).ok());
    const QByteArray written = m_t->content("list.txt");
    QVERIFY(written.startsWith("line 0\r\nline 1\r\n"));
    QVERIFY(written.endsWith("line 19999\r\n"));
    QCOMPARE(m_t->mode("list.txt"), mode_t(0600));
    QCOMPARE(m_t->names(), QList<QByteArray>{"list.txt"});
}

void TestHostFileOps::fileNumbers()
{
    HostFileSystem &fs = *m_t->fs;
    QVERIFY(m_t->file("in.txt"));
    const int first = fs.freeFile();
    QVERIFY(fs.openForInput(first, QStringLiteral("T:\\in.txt")).ok());
    const int second = fs.freeFile();
    QVERIFY(second != first && second > 0);
    QCOMPARE(fs.openForInput(first, QStringLiteral("T:\\in.txt")).error, int(ErrFileAlreadyOpen));
    QCOMPARE(fs.printLine(first, QStringLiteral("x")).error, int(ErrBadFileMode));
    // A file in use is not deleted from under its reader.
    QCOMPARE(fs.deleteFile(QStringLiteral("T:\\in.txt")).error, int(ErrPathFileAccess));
    QVERIFY(fs.closeFile(first).ok());
    QCOMPARE(fs.closeFile(first).error, int(ErrBadFileNameOrNumber));
    QCOMPARE(fs.freeFile(), first);
    QCOMPARE(fs.openForInput(0, QStringLiteral("T:\\in.txt")).error, int(ErrBadFileNameOrNumber));
}

void TestHostFileOps::replaceAndReadFile()
{
    HostFileSystem &fs = *m_t->fs;
    QVERIFY(m_t->file("Quorvane.ini", "[old]\r\n", 0640));
    QCOMPARE(fs.replaceFile(QStringLiteral("T:\\quorvane.ini"), "[new]\r\nUserDef=*.cdr\r\n").error, 0);
    QCOMPARE(m_t->content("Quorvane.ini"), QByteArray("[new]\r\nUserDef=*.cdr\r\n"));
    QCOMPARE(m_t->mode("Quorvane.ini"), mode_t(0640));
    QCOMPARE(fs.readFile(QStringLiteral("T:\\QUORVANE.INI"), 1000).value(), QByteArray("[new]\r\nUserDef=*.cdr\r\n"));
    // Too big is refused, never cut short.
    QCOMPARE(fs.readFile(QStringLiteral("T:\\Quorvane.ini"), 5).error, int(ErrPathFileAccess));
    QCOMPARE(fs.readFile(QStringLiteral("T:\\missing.ini"), 5).error, int(ErrFileNotFound));
    // Writing through a link keeps the link.
    QVERIFY(m_t->link("Quorvane.ini", "link.ini"));
    QCOMPARE(fs.replaceFile(QStringLiteral("T:\\link.ini"), "via link").error, 0);
    QCOMPARE(m_t->content("Quorvane.ini"), QByteArray("via link"));
    QCOMPARE(m_t->content("link.ini"), QByteArray("via link"));
    QCOMPARE(fs.replaceFile(QStringLiteral("T:\\fresh.ini"), QByteArray()).error, 0);
    QVERIFY(m_t->exists("fresh.ini"));
    QCOMPARE(m_t->names(), (QList<QByteArray>{"Quorvane.ini", "fresh.ini", "link.ini"}));
}

QTEST_GUILESS_MAIN(TestHostFileOps)
#include "tst_hostfileops.moc"
