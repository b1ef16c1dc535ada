// The drive, folder and file lists on real temporary folders mapped as drives.
#include "support/testdrive.h"

#include "platform/services.h"
#include "platform/widgets/dirlist.h"
#include "platform/widgets/drivelist.h"
#include "platform/widgets/filelist.h"

#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

using namespace quorvane::platform;

namespace {

// Builds names as raw bytes so that names that are not UTF-8 can be made.
void makeDir(const QByteArray &path)
{
    QVERIFY(::mkdir(path.constData(), 0755) == 0);
}
void makeFile(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    ::close(fd);
}

QStringList dirItems(const DirList &list)
{
    QStringList out;
    for (qsizetype i = 0; i < list.count(); ++i)
        out << list.item(i);
    return out;
}

QStringList fileItems(const FileList &list)
{
    QStringList out;
    for (qsizetype i = 0; i < list.count(); ++i)
        out << list.item(i);
    return out;
}

QTreeWidgetItem *rowNamed(QTreeWidget *view, const QString &text)
{
    const auto found = view->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

int depth(const QTreeWidgetItem *row)
{
    int d = 0;
    for (const QTreeWidgetItem *p = row->parent(); p; p = p->parent())
        ++d;
    return d;
}

} // namespace

class TestListControls : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_d;
    std::unique_ptr<TestDrive> m_t;
    QByteArray t() const { return QFile::encodeName(m_t->host()); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_d.isValid());
        m_t = std::make_unique<TestDrive>('T', nullptr, TestDrive::Extra{{'D', m_d.path()}});
        m_t->mapExtra('N', m_t->host(QStringLiteral("gibt-es-nicht")));
        QVERIFY(m_t->isValid());
        // T: holds a small tree; D: exists; N: points at a folder that is gone.
        makeDir(t() + "/Daten");
        makeDir(t() + "/Daten/beta");
        makeDir(t() + "/Daten/Alpha");
        makeDir(t() + "/Daten/.versteckt");
        makeDir(t() + "/Daten/caf\xe9"); // Latin-1 byte: not UTF-8
        makeDir(t() + "/Daten/Alpha/tief");
        makeFile(t() + "/Daten/b.TXT");
        makeFile(t() + "/Daten/a.txt");
        makeFile(t() + "/Daten/README");
        makeFile(t() + "/Daten/.profile");
        makeFile(t() + "/Daten/bild.jpg");
        makeFile(t() + "/Daten/x\xff.txt"); // not UTF-8 either
        makeFile(t() + "/Daten/ab.doc");
        QVERIFY(fileSystem().changeDrive(QStringLiteral("T:")).ok());
        QVERIFY(fileSystem().changeDirectory(QStringLiteral("T:\\Daten")).ok());
    }

    void cleanupTestCase()
    {
        m_t.reset(); // also clears the names that are not UTF-8
    }

    // ---- drive list --------------------------------------------------------

    void driveListShowsMappedDrivesAndStartsAtCurrent()
    {
        DriveList list;
        QStringList drives;
        for (int i = 0; i < list.count(); ++i)
            drives << list.itemData(i).toString();
        // N: has no folder behind it: a drive without a medium is not offered.
        QCOMPARE(drives, QStringList({"C:", "D:", "T:"}));
        QCOMPARE(list.drive(), QStringLiteral("T:"));
    }

    void driveListSet_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("changes");
        QTest::newRow("lower letter with colon") << "d:" << true << "D:" << 1;
        QTest::newRow("bare letter") << "d" << true << "D:" << 1;
        QTest::newRow("a path on the drive") << "D:\\irgendwo" << true << "D:" << 1;
        QTest::newRow("same drive again") << "T:" << true << "T:" << 0;
        QTest::newRow("drive not mapped") << "Q:" << false << "T:" << 0;
        QTest::newRow("not a drive") << "\"C:" << false << "T:" << 0;
        QTest::newRow("empty") << "" << false << "T:" << 0;
    }

    void driveListSet()
    {
        QFETCH(QString, given);
        QFETCH(bool, ok);
        QFETCH(QString, after);
        QFETCH(int, changes);
        DriveList list;
        QSignalSpy spy(&list, &DriveList::driveChanged);
        const Status s = list.setDrive(given);
        QCOMPARE(s.ok(), ok);
        if (!ok)
            QCOMPARE(s.error, int(ErrDeviceUnavailable));
        QCOMPARE(list.drive(), after);
        QCOMPARE(spy.count(), changes);
        if (changes)
            QCOMPARE(spy.first().first().toString(), after);
    }

    void driveListUserChoiceRaisesChange()
    {
        DriveList list;
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QSignalSpy spy(&list, &DriveList::driveChanged);
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_Up); // T: -> D:
        QCOMPARE(spy.count(), 1);
        QCOMPARE(list.drive(), QStringLiteral("D:"));
    }

    // ---- folder list -------------------------------------------------------

    void dirListListsVisibleSubfoldersSorted()
    {
        DirList list;
        QCOMPARE(list.path(), QStringLiteral("T:\\Daten")); // the current folder
        const QStringList items = dirItems(list);
        QCOMPARE(items.size(), 3); // no files, no hidden folder
        QCOMPARE(items.at(0), QStringLiteral("T:\\Daten\\Alpha"));
        QCOMPARE(items.at(1), QStringLiteral("T:\\Daten\\beta"));
        QVERIFY(items.at(2).startsWith(QStringLiteral("T:\\Daten\\caf")));
        QCOMPARE(list.item(3), QString());
        QCOMPARE(list.item(-1), QString());
    }

    void dirListShowsAncestorsIndented()
    {
        DirList list;
        QVERIFY(list.setPath(QStringLiteral("T:\\Daten\\Alpha")).ok());
        QTreeWidget *view = list.view();
        QTreeWidgetItem *root = rowNamed(view, QStringLiteral("t:\\"));
        QTreeWidgetItem *daten = rowNamed(view, QStringLiteral("Daten"));
        QTreeWidgetItem *alpha = rowNamed(view, QStringLiteral("Alpha"));
        QTreeWidgetItem *tief = rowNamed(view, QStringLiteral("tief"));
        QVERIFY(root && daten && alpha && tief);
        QCOMPARE(depth(root), 0);
        QCOMPARE(depth(daten), 1);
        QCOMPARE(depth(alpha), 2);
        QCOMPARE(depth(tief), 3);
        QCOMPARE(view->currentItem(), alpha);
        QCOMPARE(DirList::rowPath(daten), QStringLiteral("T:\\Daten"));
        QCOMPARE(rowNamed(view, QStringLiteral("beta")), nullptr); // siblings are not shown
    }

    void dirListSetPath_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("after");
        QTest::newRow("trailing backslash dropped") << "T:\\Daten\\Alpha\\" << true << "T:\\Daten\\Alpha";
        QTest::newRow("letter case as stored") << "t:\\DATEN\\alpha" << true << "T:\\Daten\\Alpha";
        QTest::newRow("drive root keeps its backslash") << "T:\\" << true << "T:\\";
        QTest::newRow("drive alone is its current folder") << "T:" << true << "T:\\Daten";
        QTest::newRow("relative to the current folder") << "beta" << true << "T:\\Daten\\beta";
        QTest::newRow("missing folder") << "T:\\Daten\\fehlt" << false << "T:\\Daten";
        QTest::newRow("a file, not a folder") << "T:\\Daten\\a.txt" << false << "T:\\Daten";
        QTest::newRow("unreadable drive") << "N:" << false << "T:\\Daten";
        QTest::newRow("drive not mapped") << "Q:\\" << false << "T:\\Daten";
        QTest::newRow("empty") << "" << false << "T:\\Daten";
    }

    void dirListSetPath()
    {
        QFETCH(QString, given);
        QFETCH(bool, ok);
        QFETCH(QString, after);
        DirList list;
        QCOMPARE(list.path(), QStringLiteral("T:\\Daten"));
        const int before = int(list.count());
        QSignalSpy spy(&list, &DirList::pathChanged);
        QCOMPARE(list.setPath(given).ok(), ok);
        QCOMPARE(list.path(), after);
        QCOMPARE(spy.count(), after == QStringLiteral("T:\\Daten") ? 0 : 1);
        if (!ok)
            QCOMPARE(int(list.count()), before);
    }

    void dirListEntersByDoubleClickAndEnter()
    {
        DirList list;
        list.resize(200, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QSignalSpy spy(&list, &DirList::pathChanged);
        QTreeWidget *view = list.view();

        QTreeWidgetItem *alpha = rowNamed(view, QStringLiteral("Alpha"));
        QVERIFY(alpha);
        const QPoint at = view->visualItemRect(alpha).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(list.path(), QStringLiteral("T:\\Daten")); // one click only selects
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(list.path(), QStringLiteral("T:\\Daten\\Alpha"));
        QCOMPARE(spy.count(), 1);

        // Up to the root with the keyboard: select the root row, press Enter.
        view->setFocus();
        view->setCurrentItem(rowNamed(view, QStringLiteral("t:\\")));
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(list.path(), QStringLiteral("T:\\"));
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.last().first().toString(), QStringLiteral("T:\\"));
    }

    void dirListRefreshSeesNewFolder()
    {
        DirList list;
        QVERIFY(list.setPath(QStringLiteral("T:\\Daten\\beta")).ok());
        QCOMPARE(list.count(), 0);
        makeDir(t() + "/Daten/beta/neu");
        QCOMPARE(list.count(), 0);
        QVERIFY(list.refresh().ok());
        QCOMPARE(dirItems(list), QStringList({"T:\\Daten\\beta\\neu"}));
    }

    void dirListCarriesNamesThatAreNotUtf8()
    {
        DirList list;
        const QString odd = list.item(2);
        QVERIFY(odd.startsWith(QStringLiteral("T:\\Daten\\caf")));
        QVERIFY(odd.back().isSurrogate()); // the byte travels inside the name
        // What is drawn has no lone surrogate, and the carried name still enters it.
        QTreeWidgetItem *row = list.view()->topLevelItem(0)->child(0)->child(2);
        QVERIFY(row);
        QCOMPARE(row->text(0), QStringLiteral("caf\uFFFD"));
        QVERIFY(list.setPath(odd).ok());
        QCOMPARE(list.path(), odd);
    }

    // ---- file list ---------------------------------------------------------

    void fileListPattern_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("names");
        const QString odd = QString::fromUtf8("x") + QChar(0xDCFF) + QStringLiteral(".txt");
        QTest::newRow("default shows every visible file")
            << "*.*" << QStringList({"a.txt", "ab.doc", "b.TXT", "bild.jpg", "README", odd});
        QTest::newRow("case ignored, two patterns")
            << "*.txt;*.JPG" << QStringList({"a.txt", "b.TXT", "bild.jpg", odd});
        QTest::newRow("question mark is one character") << "?.txt" << QStringList({"a.txt", "b.TXT"});
        QTest::newRow("empty elements add nothing") << ";*.doc;;" << QStringList({"ab.doc"});
        QTest::newRow("empty pattern is every file")
            << "" << QStringList({"a.txt", "ab.doc", "b.TXT", "bild.jpg", "README", odd});
        QTest::newRow("nothing matches") << "*.exe" << QStringList();
    }

    void fileListPattern()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, names);
        FileList list;
        QCOMPARE(list.pattern(), QStringLiteral("*.*"));
        QCOMPARE(list.path(), QStringLiteral("T:\\Daten"));
        list.setPattern(pattern);
        QCOMPARE(fileItems(list), names);
        QCOMPARE(list.view()->count(), names.size());
    }

    void fileListHiddenSwitch()
    {
        FileList list;
        QVERIFY(!list.hiddenFiles());
        QVERIFY(!fileItems(list).contains(QStringLiteral(".profile")));
        list.setHiddenFiles(true);
        QVERIFY(fileItems(list).contains(QStringLiteral(".profile")));
        list.setHiddenFiles(false);
        QVERIFY(!fileItems(list).contains(QStringLiteral(".profile")));
    }

    void fileListPathAndFailure()
    {
        FileList list;
        QVERIFY(list.setPath(QStringLiteral("T:\\Daten\\Alpha\\")).ok());
        QCOMPARE(list.path(), QStringLiteral("T:\\Daten\\Alpha"));
        QCOMPARE(list.count(), 0); // "tief" is a folder, not a file
        const Status missing = list.setPath(QStringLiteral("T:\\fehlt"));
        QVERIFY(!missing.ok());
        QCOMPARE(list.path(), QStringLiteral("T:\\Daten\\Alpha"));
        QVERIFY(!list.setPath(QStringLiteral("N:\\")).ok());
        QCOMPARE(list.path(), QStringLiteral("T:\\Daten\\Alpha"));
    }

    void fileListClickGivesCarriedName()
    {
        FileList list;
        list.setPattern(QStringLiteral("x*"));
        list.resize(200, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QCOMPARE(list.count(), 1);
        QSignalSpy spy(&list, &FileList::fileClicked);
        QListWidgetItem *row = list.view()->item(0);
        QCOMPARE(row->text(), QStringLiteral("x\uFFFD.txt"));
        QTest::mouseClick(list.view()->viewport(), Qt::LeftButton, {}, list.view()->visualItemRect(row).center());
        QCOMPARE(spy.count(), 1);
        const QString name = spy.first().first().toString();
        QCOMPARE(name, list.item(0));
        QCOMPARE(list.fileName(), name);
        QVERIFY(fileSystem().attributes(QStringLiteral("T:\\Daten\\") + name).ok());
    }
};

QTEST_MAIN(TestListControls)
#include "tst_listcontrols.moc"
