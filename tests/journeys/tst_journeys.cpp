// The built program as a user drives it: real windows under a window
// manager, real clicks and keys, results read from the screen, the
// clipboard, the disk and the exit status. Every journey starts the program
// afresh with its own program folder and drives.
#include "desktop.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <utime.h>

#include <memory>

namespace {

const QString MainTitle = QStringLiteral("Brannick Quorvane");
const QString ViewerTitle = QStringLiteral("Quorvane");
const QString FileListTitle = QStringLiteral("Dateiliste speichern unter...");

// Points inside the main window's controls, in twips from its client
// area: the frame's Left/Top plus the control's, a little way in (check and
// option boxes on their mark, buttons and fields in their middle).
namespace form1 {
constexpr QPoint Start{120 + 2295 / 2, 2880 + 795 / 2};
constexpr QPoint Pictures{2520 + 240 + 120, 120 + 720 + 127};
constexpr QPoint Sounds{2520 + 240 + 120, 120 + 1080 + 127};
constexpr QPoint UserDefined{2520 + 240 + 120, 120 + 2160 + 127};
constexpr QPoint UserPatterns{2520 + 1800 + 1455 / 2, 120 + 2130 + 142};
constexpr QPoint TextListing{2520 + 180 + 120, 2820 + 210 + 127};
constexpr QPoint Recursive{2520 + 1635 + 120, 2820 + 540 + 97};
constexpr QPoint TargetDrive{6180 + 2295 / 2, 360 + 157};
constexpr QPoint NewFolder{6180 + 2295 / 2, 2400 + 157};
constexpr QPoint Surface{2470, 1500}; // between the left column and "Dateitypen:"
} // namespace form1

namespace browser {
constexpr QPoint Name{105 + 5295 / 2, 3600 + 142};
constexpr QPoint Apply{3000 + 2655 / 2, 3960 + 187};
constexpr QPoint Cancel{120 + 2655 / 2, 3960 + 187};
} // namespace browser

// In the viewer, pixels: the menu bar's first title "Dateiliste", and a
// point of the file pane well below the menu bar.
constexpr QPoint ViewerMenu{20, 10};
constexpr QPoint FilePane{100, 120};

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Every file below dir with its content, "path=content", sorted.
QStringList tree(const QString &dir)
{
    QStringList out;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out << QDir(dir).relativeFilePath(path) + QLatin1Char('=') + QString::fromUtf8(readFile(path));
    }
    out.sort();
    return out;
}

// Reads the numbers of an xprop line such as "= 0x3, 0x26, 0x1e, 0x0, 0x0".
QList<int> numbers(const QString &line)
{
    QList<int> out;
    for (const QString &part : line.section(QLatin1Char('='), 1).split(QLatin1Char(','))) {
        bool ok = false;
        const int value = part.trimmed().toInt(&ok, 0);
        if (ok)
            out << value;
    }
    return out;
}

} // namespace

class TestJourneys : public QObject {
    Q_OBJECT

private:
    QString at(const QString &relative) const { return m_dir->filePath(relative); }
    bool launch(const QStringList &args = {}, const QStringList &environment = {});
    void finish();
    QString startListing();
    QString listPictures();
    QString filePaneText(const QString &viewer);
    void viewerMenu(const QString &viewer, int downs);
    QString openBrowser(const QString &viewer);
    QString readBox(const QString &box);
    QString startImage();
    QPoint viewerOffCentre(const QString &viewer) const;
    void chooseTargetDrive(QChar letter);
    void expectFixedDialog(const QString &id);

    Desktop m_desk;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_main;

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void noTypeBoxLeavesTheProgramRunning();
    void viewerClosedAndOpenedAgain();
    void savingTheFileList();
    void noMatchThenImages();
    void newFolderInTheTarget();
    void imageIntoTheRootRefused();
    void endingTheProgram();
    void windowsUnderTheWindowManager();
    void imageIntoAMissingTarget();
    void imageWithFilesItCannotPlace();
    void viewerCentredAfterEmptyListings();
    void qtTextsInGerman();
    void saveAsTakesTheKeyboard();
};

void TestJourneys::initTestCase()
{
    const QString why = m_desk.start();
    QVERIFY2(why.isEmpty(), qPrintable(why));
}

// A source tree with pictures at two levels, an umlaut in one name, and a
// text file that pictures do not match.
void TestJourneys::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    for (const char *folder : {"app", "tgt", "lists"})
        QVERIFY(QDir().mkpath(at(QLatin1String(folder))));
    QVERIFY(writeFile(at("src/Bilder/a.jpg"), "A"));
    QVERIFY(writeFile(at("src/Bilder/Straße.jpg"), "S"));
    QVERIFY(writeFile(at("src/Bilder/Urlaub/c.gif"), "C"));
    QVERIFY(writeFile(at("src/notiz.txt"), "N"));
}

void TestJourneys::cleanup()
{
    m_desk.stop();
}

// The program on D: = src, T: = tgt, L: = lists, standing in the root of L:,
// with the root of D: as its source directory (the command line's folder).
// Its state folder (where the list of an image's skipped files goes) is the
// journey's own.
bool TestJourneys::launch(const QStringList &args, const QStringList &environment)
{
    const QString drives = QStringLiteral("D=%1;T=%2;L=%3").arg(at("src"), at("tgt"), at("lists"));
    m_main = m_desk.launch(at("app"), drives, args.isEmpty() ? QStringList{at("src/x")} : args, at("lists"),
                           QStringList{QStringLiteral("XDG_STATE_HOME=") + at("state")} + environment);
    return !m_main.isEmpty();
}

// The close box of the main window ends the program well.
void TestJourneys::finish()
{
    QVERIFY(m_desk.running());
    m_desk.closeBox(m_main);
    QCOMPARE(m_desk.waitForExit(), 0);
}

QString TestJourneys::startListing()
{
    m_desk.click(m_main, form1::Start);
    return m_desk.waitForWindow(ViewerTitle);
}

// A listing of the pictures: its viewer, once the file pane is filled.
QString TestJourneys::listPictures()
{
    m_desk.click(m_main, form1::Pictures);
    m_desk.click(m_main, form1::TextListing);
    const QString viewer = startListing();
    const bool filled = !viewer.isEmpty()
        && QTest::qWaitFor([&] { return filePaneText(viewer).endsWith(QLatin1String("c.gif")); }, 10000);
    return filled ? viewer : QString();
}

QString TestJourneys::filePaneText(const QString &viewer)
{
    m_desk.clickPixel(viewer, FilePane);
    m_desk.keys({QStringLiteral("ctrl+a"), QStringLiteral("ctrl+c")});
    return m_desk.clipboard();
}

// Opens "Dateiliste" and picks its item number downs (1 or 2) by keys.
void TestJourneys::viewerMenu(const QString &viewer, int downs)
{
    const QStringList before = m_desk.programWindows();
    m_desk.clickPixel(viewer, ViewerMenu);
    QVERIFY(!m_desk.waitForNewWindow(before).isEmpty());
    QStringList keys;
    for (int i = 0; i < downs; ++i)
        keys << QStringLiteral("Down");
    m_desk.keys(keys << QStringLiteral("Return"));
}

QString TestJourneys::openBrowser(const QString &viewer)
{
    viewerMenu(viewer, 2);
    return m_desk.waitForWindow(FileListTitle);
}

// The text of a message box, as Ctrl+C in it puts it on the clipboard.
QString TestJourneys::readBox(const QString &box)
{
    if (!m_desk.waitForFocus(box))
        return QStringLiteral("<the box has no focus>");
    m_desk.keys({QStringLiteral("ctrl+c")});
    QString text;
    const bool copied = QTest::qWaitFor([&] { return !(text = m_desk.clipboard()).isEmpty(); }, 5000);
    return copied ? text : QStringLiteral("<nothing copied>");
}

// START for an image; the box that ends it.
QString TestJourneys::startImage()
{
    m_desk.click(m_main, form1::Start);
    return m_desk.waitForWindow(MainTitle, {m_main});
}

// The viewer's place less the centred place (screen / 2 - outer size / 2, in twips).
QPoint TestJourneys::viewerOffCentre(const QString &viewer) const
{
    const QRect outer = m_desk.outerFrame(viewer);
    return outer.topLeft()
        - QPoint(qRound((7680 - outer.width() * 15 / 2.0) / 15.0), qRound((5760 - outer.height() * 15 / 2.0) / 15.0));
}

void TestJourneys::chooseTargetDrive(QChar letter)
{
    const QStringList before = m_desk.programWindows();
    m_desk.click(m_main, form1::TargetDrive);
    QVERIFY(!m_desk.waitForNewWindow(before).isEmpty());
    m_desk.keys({QString(letter), QStringLiteral("Return")});
}

// Fixed size (minimum = maximum) and no minimise or maximise box asked for.
void TestJourneys::expectFixedDialog(const QString &id)
{
    const QString hints = m_desk.property(id, QStringLiteral("WM_NORMAL_HINTS"));
    const QRegularExpression minimum(QStringLiteral("minimum size: (\\d+) by (\\d+)"));
    const QRegularExpression maximum(QStringLiteral("maximum size: (\\d+) by (\\d+)"));
    const QRegularExpressionMatch low = minimum.match(hints);
    const QRegularExpressionMatch high = maximum.match(hints);
    QVERIFY2(low.hasMatch() && high.hasMatch(), qPrintable(hints));
    QCOMPARE(low.captured(1) + 'x' + low.captured(2), high.captured(1) + 'x' + high.captured(2));

    // Flags, functions, decorations: minimise 8 and maximise 16 among the
    // functions, 32 and 64 among the decorations.
    const QList<int> motif = numbers(m_desk.property(id, QStringLiteral("_MOTIF_WM_HINTS")));
    QVERIFY2(motif.size() >= 3 && (motif[0] & 2), qPrintable(m_desk.property(id, "_MOTIF_WM_HINTS")));
    QCOMPARE(motif[2] & (32 | 64), 0);
    if (motif[0] & 1)
        QCOMPARE(motif[1] & (8 | 16), 0);
}

// a. START without a file type: the box, Enter closes it; again, OK by a click.
void TestJourneys::noTypeBoxLeavesTheProgramRunning()
{
    QVERIFY(launch());
    m_desk.click(m_main, form1::Start);
    const QString box = m_desk.waitForWindow(MainTitle, {m_main});
    QVERIFY(m_desk.waitForFocus(box));
    m_desk.keys({QStringLiteral("Return")});
    QVERIFY(m_desk.waitUntilGone(box));
    QVERIFY(m_desk.running());
    QVERIFY(m_desk.isShown(m_main));

    m_desk.click(m_main, form1::Start);
    const QString again = m_desk.waitForWindow(MainTitle, {m_main});
    QVERIFY(!again.isEmpty());
    // The box's one button stands in its lower right corner.
    const QRect area = m_desk.clientArea(again);
    m_desk.clickPixel(again, QPoint(area.width() - 45, area.height() - 24));
    QVERIFY(m_desk.waitUntilGone(again));
    QVERIFY(m_desk.running());
    QVERIFY(m_desk.isShown(m_main));
    finish();
}

// b. A listing, its viewer closed (with complete path names shown) and
// opened again; the full-path toggle starts afresh in the new viewer.
void TestJourneys::viewerClosedAndOpenedAgain()
{
    QVERIFY(launch());
    m_desk.click(m_main, form1::Pictures);
    m_desk.click(m_main, form1::TextListing);
    const QString listed = QStringLiteral("D:\\Bilder\\a.jpg\nD:\\Bilder\\Straße.jpg\nD:\\Bilder\\Urlaub\\c.gif");
    const QString host =
        at("src/Bilder/a.jpg") + '\n' + at("src/Bilder/Straße.jpg") + '\n' + at("src/Bilder/Urlaub/c.gif");
    const QString viewer = startListing();
    QVERIFY(!viewer.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(filePaneText(viewer), listed, 10000);
    viewerMenu(viewer, 1); // "kompletter Pfadname"
    QTRY_COMPARE_WITH_TIMEOUT(filePaneText(viewer), host, 10000);

    m_desk.closeBox(viewer);
    QVERIFY(m_desk.waitUntilGone(viewer));
    QVERIFY(m_desk.running());
    QVERIFY(m_desk.isShown(m_main));

    const QString second = startListing();
    QVERIFY(!second.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(filePaneText(second), listed, 10000);
    viewerMenu(second, 1);
    QTRY_COMPARE_WITH_TIMEOUT(filePaneText(second), host, 10000);
    viewerMenu(second, 1);
    QTRY_COMPARE_WITH_TIMEOUT(filePaneText(second), listed, 10000);
    finish();
}

// c. The file list saved through the browser; a refused replacement; both
// ways of leaving the browser give the viewer back.
void TestJourneys::savingTheFileList()
{
    QVERIFY(launch());
    const QString viewer = listPictures();
    QVERIFY(!viewer.isEmpty());

    const QString saved = at("lists/liste.txt");
    QString browser = openBrowser(viewer);
    QVERIFY(!browser.isEmpty());
    m_desk.click(browser, browser::Name);
    m_desk.type(QStringLiteral("liste"));
    m_desk.click(browser, browser::Apply);
    QVERIFY(m_desk.waitUntilGone(browser));
    // Windows-1252, CR LF between the entries and at the end.
    QCOMPARE(readFile(saved),
             QByteArray("D:\\Bilder\\a.jpg\r\nD:\\Bilder\\Stra\xDF"
                        "e.jpg\r\n"
                        "D:\\Bilder\\Urlaub\\c.gif\r\n"));

    QVERIFY(writeFile(saved, "alt\r\n"));
    browser = openBrowser(viewer);
    QVERIFY(!browser.isEmpty());
    m_desk.click(browser, browser::Name);
    m_desk.type(QStringLiteral("liste"));
    m_desk.click(browser, browser::Apply);
    const QString question = m_desk.waitForWindow(MainTitle, {m_main});
    QVERIFY(m_desk.waitForFocus(question));
    m_desk.keys({QStringLiteral("Tab"), QStringLiteral("space")}); // from "Ja" to "Nein"
    QVERIFY(m_desk.waitUntilGone(question));
    QVERIFY(m_desk.waitUntilGone(browser));
    QCOMPARE(readFile(saved), QByteArray("alt\r\n"));

    // Each way out hands the viewer back: its menu opens the browser again.
    browser = openBrowser(viewer);
    QVERIFY(!browser.isEmpty());
    m_desk.click(browser, browser::Cancel);
    QVERIFY(m_desk.waitUntilGone(browser));
    browser = openBrowser(viewer);
    QVERIFY(!browser.isEmpty());
    m_desk.closeBox(browser);
    QVERIFY(m_desk.waitUntilGone(browser));
    browser = openBrowser(viewer);
    QVERIFY(!browser.isEmpty());
    m_desk.click(browser, browser::Cancel);
    QVERIFY(m_desk.waitUntilGone(browser));
    QCOMPARE(QDir(at("lists")).entryList(QDir::Files), QStringList{"liste.txt"});
    finish();
}

// d. A directory image without a match, then a flat and a recursive one.
void TestJourneys::noMatchThenImages()
{
    QVERIFY(launch());
    chooseTargetDrive(u'T');
    m_desk.click(m_main, form1::Sounds);
    m_desk.click(m_main, form1::Start);
    const QString box = m_desk.waitForWindow(MainTitle, {m_main});
    QVERIFY(m_desk.waitForFocus(box));
    m_desk.keys({QStringLiteral("Return")});
    QVERIFY(m_desk.waitUntilGone(box));
    QVERIFY(m_desk.running());
    QVERIFY(m_desk.isShown(m_main));
    QCOMPARE(tree(at("tgt")), QStringList{});

    m_desk.click(m_main, form1::Sounds);
    m_desk.click(m_main, form1::Pictures);
    m_desk.click(m_main, form1::Start);
    const QStringList flat{"Straße.jpg=S", "a.jpg=A", "c.gif=C"};
    QTRY_COMPARE_WITH_TIMEOUT(tree(at("tgt")), flat, 10000);

    m_desk.click(m_main, form1::Recursive);
    m_desk.click(m_main, form1::Start);
    const QStringList both = QStringList{"Bilder/Straße.jpg=S", "Bilder/Urlaub/c.gif=C", "Bilder/a.jpg=A"} + flat;
    QTRY_COMPARE_WITH_TIMEOUT(tree(at("tgt")), both, 10000);
    QCOMPARE(tree(at("src")),
             (QStringList{"Bilder/Straße.jpg=S", "Bilder/Urlaub/c.gif=C", "Bilder/a.jpg=A", "notiz.txt=N"}));
    finish();
}

// e. A new folder in the target; the target list stands in it, so the next
// image goes there.
void TestJourneys::newFolderInTheTarget()
{
    QVERIFY(launch());
    chooseTargetDrive(u'T');
    m_desk.click(m_main, form1::NewFolder);
    m_desk.type(QStringLiteral("Neu"));
    m_desk.keys({QStringLiteral("Return")});
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(at("tgt/Neu")).isDir(), 10000);

    m_desk.click(m_main, form1::Pictures);
    m_desk.click(m_main, form1::Start);
    QTRY_COMPARE_WITH_TIMEOUT(tree(at("tgt")), (QStringList{"Neu/Straße.jpg=S", "Neu/a.jpg=A", "Neu/c.gif=C"}), 10000);
    finish();
}

// The target list starts at the root of C:, the host's root folder: one
// START there is refused with a box, and nothing lands in /.
void TestJourneys::imageIntoTheRootRefused()
{
    const QStringList strays{QStringLiteral("/a.jpg"), QStringLiteral("/Straße.jpg"), QStringLiteral("/c.gif")};
    for (const QString &stray : strays)
        QVERIFY2(!QFileInfo::exists(stray), qPrintable(stray + QStringLiteral(" is there before the journey")));
    const auto removeStrays = qScopeGuard([&] {
        for (const QString &stray : strays)
            QFile::remove(stray);
    });
    QVERIFY(launch());
    m_desk.click(m_main, form1::Pictures);
    m_desk.click(m_main, form1::Start);
    const QString box = m_desk.waitForWindow(MainTitle, {m_main});
    QVERIFY(!box.isEmpty());
    QVERIFY(m_desk.waitForFocus(box));
    m_desk.keys({QStringLiteral("Return")});
    QVERIFY(m_desk.waitUntilGone(box));
    QVERIFY(m_desk.running());
    for (const QString &stray : strays)
        QVERIFY2(!QFileInfo::exists(stray), qPrintable(stray));
    finish();
}

// f. The close box of the main window with the viewer open stores the
// patterns and ends everything; Esc on START ends at once, storing nothing.
void TestJourneys::endingTheProgram()
{
    const QString ini = at("app/Quorvane.ini");
    QVERIFY(writeFile(ini, "[Fenster]\r\nLinks=10\r\n[Brannick Quorvane]\r\nUserDef=*.alt\r\n"));
    QVERIFY(writeFile(at("src/Zeichnung.abc"), "Z"));
    QVERIFY(launch());
    m_desk.click(m_main, form1::UserDefined);
    m_desk.click(m_main, form1::UserPatterns);
    m_desk.keys({QStringLiteral("ctrl+a")});
    m_desk.type(QStringLiteral("*.abc"));
    m_desk.click(m_main, form1::TextListing);
    const QString viewer = startListing();
    QVERIFY(!viewer.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(filePaneText(viewer), QStringLiteral("D:\\Zeichnung.abc"), 10000);

    m_desk.closeBox(m_main);
    QCOMPARE(m_desk.waitForExit(), 0);
    QCOMPARE(readFile(ini), QByteArray("[Fenster]\r\nLinks=10\r\n[Brannick Quorvane]\r\nUserDef=*.abc\r\n"));

    // An old time stamp: any rewrite, even of the same bytes, shows.
    struct utimbuf old {
        1000000000, 1000000000
    };
    QCOMPARE(::utime(QFile::encodeName(ini).constData(), &old), 0);
    QVERIFY(launch());
    m_desk.keys({QStringLiteral("Escape")}); // the start button has the focus
    QCOMPARE(m_desk.waitForExit(5000), 0);
    QCOMPARE(readFile(ini), QByteArray("[Fenster]\r\nLinks=10\r\n[Brannick Quorvane]\r\nUserDef=*.abc\r\n"));
    QCOMPARE(QFileInfo(ini).lastModified().toSecsSinceEpoch(), 1000000000);
}

// g. What the windows ask of the window manager, where they stand, dragging.
void TestJourneys::windowsUnderTheWindowManager()
{
    QVERIFY(launch());
    expectFixedDialog(m_main);
    // Centred on 1024 x 768 (15360 x 11520 twips): left 3325 twips, and top
    // 4896 - R(h) / 2 for an outer height of h twips.
    const QRect frame = m_desk.outerFrame(m_main);
    QCOMPARE(frame.left(), qRound(3325 / 15.0));
    QCOMPARE(frame.top(), qRound((4896 - frame.height() * 15 / 2) / 15.0));

    // A fast drag with the left button moves by exactly the pointer's travel:
    // the second step comes while the window is still on its way.
    const QPoint surface(qRound(form1::Surface.x() / 15.0), qRound(form1::Surface.y() / 15.0));
    const auto drag = [&](const QString &button) {
        m_desk.xdotool({"mousemove",
                        "--window",
                        m_main,
                        QString::number(surface.x()),
                        QString::number(surface.y()),
                        "mousedown",
                        button,
                        "sleep",
                        "0.05",
                        "mousemove_relative",
                        "15",
                        "10",
                        "sleep",
                        "0.001",
                        "mousemove_relative",
                        "15",
                        "10",
                        "sleep",
                        "0.1",
                        "mouseup",
                        button});
    };
    QPoint expected = frame.topLeft();
    for (int i = 0; i < 5; ++i) {
        drag(QStringLiteral("1"));
        expected += QPoint(30, 20);
        QTRY_COMPARE_WITH_TIMEOUT(m_desk.outerFrame(m_main).topLeft(), expected, 5000);
    }
    drag(QStringLiteral("3"));
    QTest::qWait(300);
    QCOMPARE(m_desk.outerFrame(m_main).topLeft(), expected);

    // The viewer's outer frame centred on the screen.
    const QString viewer = listPictures();
    QVERIFY(!viewer.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(viewerOffCentre(viewer), QPoint(0, 0), 5000);

    const QString browser = openBrowser(viewer);
    QVERIFY(!browser.isEmpty());
    expectFixedDialog(browser);
    m_desk.click(browser, browser::Cancel);
    QVERIFY(m_desk.waitUntilGone(browser));
    finish();
}

// The target drive's folder is gone by the time of START: the run ends
// with a box that counts, names the reasons and where the whole list is.
void TestJourneys::imageIntoAMissingTarget()
{
    QVERIFY(launch());
    chooseTargetDrive(u'T');
    QVERIFY(QDir(at("tgt")).removeRecursively());
    m_desk.click(m_main, form1::Pictures);
    const QString box = startImage();
    QVERIFY(!box.isEmpty());
    const QString list = at("state/quorvane/skipped.txt");
    const QString listOnC = QStringLiteral("C:") + QString(list).replace(QLatin1Char('/'), QLatin1Char('\\'));
    QCOMPARE(readBox(box),
             QStringLiteral("0 Datei(en) abgebildet, 3 Datei(en) übersprungen.\n\n"
                            "a.jpg: Gerät nicht verfügbar\n"
                            "Straße.jpg: Gerät nicht verfügbar\n"
                            "c.gif: Gerät nicht verfügbar\n\n"
                            "Die vollständige Liste steht in:\n")
                 + listOnC + QStringLiteral("   "));
    m_desk.keys({QStringLiteral("Return")});
    QVERIFY(m_desk.waitUntilGone(box));
    QCOMPARE(QString::fromUtf8(readFile(list)),
             QStringLiteral("D:\\Bilder\\a.jpg: übersprungen: Gerät nicht verfügbar (T:\\)\n"
                            "D:\\Bilder\\Straße.jpg: übersprungen: Gerät nicht verfügbar (T:\\)\n"
                            "D:\\Bilder\\Urlaub\\c.gif: übersprungen: Gerät nicht verfügbar (T:\\)\n"));
    finish();
}

// A recursive image whose folder in the target is immutable: the file
// outside it is placed, the three inside are counted as skipped.
void TestJourneys::imageWithFilesItCannotPlace()
{
    QVERIFY(writeFile(at("src/x.png"), "X"));
    QVERIFY(QDir().mkpath(at("tgt/Bilder")));
    const auto chattr = [&](const char *flag) {
        return QProcess::execute(QStringLiteral("chattr"), {QLatin1String(flag), at("tgt/Bilder")});
    };
    if (chattr("+i") != 0)
        QSKIP("chattr +i is not supported on the temporary folder's file system");
    const auto thaw = qScopeGuard([&] { chattr("-i"); });
    QVERIFY(launch());
    chooseTargetDrive(u'T');
    m_desk.click(m_main, form1::Pictures);
    m_desk.click(m_main, form1::Recursive);
    const QString box = startImage();
    QVERIFY(!box.isEmpty());
    const QStringList lines = readBox(box).split(QLatin1Char('\n'));
    QCOMPARE(lines.mid(0, 7),
             QStringList({"1 Datei(en) abgebildet, 3 Datei(en) übersprungen.", "", "a.jpg: Vorgang nicht erlaubt",
                          "Straße.jpg: Vorgang nicht erlaubt", "c.gif: Vorgang nicht erlaubt", "",
                          "Die vollständige Liste steht in:"}));
    m_desk.keys({QStringLiteral("Return")});
    QVERIFY(m_desk.waitUntilGone(box));
    QCOMPARE(tree(at("tgt")), QStringList{"x.png=X"});
    QCOMPARE(readFile(at("state/quorvane/skipped.txt")).count('\n'), 3);
    finish();
}

// Listings that find nothing (a box, no viewer) and listings with files, in
// turn: each new viewer stands centred by its outer frame.
void TestJourneys::viewerCentredAfterEmptyListings()
{
    QVERIFY(launch());
    m_desk.click(m_main, form1::TextListing);
    for (int pair = 0; pair < 10; ++pair) {
        m_desk.click(m_main, form1::Sounds);
        m_desk.click(m_main, form1::Start);
        const QString box = m_desk.waitForWindow(MainTitle, {m_main});
        QVERIFY(m_desk.waitForFocus(box));
        m_desk.keys({QStringLiteral("Return")});
        QVERIFY(m_desk.waitUntilGone(box));

        m_desk.click(m_main, form1::Sounds);
        m_desk.click(m_main, form1::Pictures);
        const QString viewer = startListing();
        QVERIFY(!viewer.isEmpty());
        QTRY_VERIFY2_WITH_TIMEOUT(viewerOffCentre(viewer).manhattanLength() <= 2,
                                  qPrintable(QStringLiteral("pair %1: off by %2, %3")
                                                 .arg(pair)
                                                 .arg(viewerOffCentre(viewer).x())
                                                 .arg(viewerOffCentre(viewer).y())),
                                  5000);
        m_desk.closeBox(viewer);
        QVERIFY(m_desk.waitUntilGone(viewer));
        m_desk.click(m_main, form1::Pictures);
    }
    finish();
}

// On a German system Qt's own texts are German: the pane's context menu
// holds "&Rückgängig", so R in it takes back what was typed (in English R
// would be "&Redo", with nothing to redo).
void TestJourneys::qtTextsInGerman()
{
    QVERIFY(launch(
        {}, {QStringLiteral("LANG=de_DE.UTF-8"), QStringLiteral("LC_ALL=de_DE.UTF-8"), QStringLiteral("LANGUAGE=de")}));
    const QString viewer = listPictures();
    QVERIFY(!viewer.isEmpty());
    const QString listed = filePaneText(viewer);

    m_desk.keys({QStringLiteral("ctrl+End")});
    m_desk.type(QStringLiteral("xyz"));
    QTRY_COMPARE_WITH_TIMEOUT(filePaneText(viewer), listed + QStringLiteral("xyz"), 5000);
    const QStringList before = m_desk.programWindows();
    m_desk.xdotool(
        {"mousemove", "--window", viewer, QString::number(FilePane.x()), QString::number(FilePane.y()), "click", "3"});
    QVERIFY(!m_desk.waitForNewWindow(before).isEmpty());
    m_desk.keys({QStringLiteral("r")});
    QTRY_COMPARE_WITH_TIMEOUT(filePaneText(viewer), listed, 5000);
    finish();
}

// The save-as window has the keyboard as it opens: Tab to the name, the
// name, Tab to "Übernehmen", space.
void TestJourneys::saveAsTakesTheKeyboard()
{
    QVERIFY(launch());
    const QString viewer = listPictures();
    QVERIFY(!viewer.isEmpty());
    const QString browser = openBrowser(viewer);
    QVERIFY(!browser.isEmpty());
    QVERIFY(m_desk.waitForFocus(browser, 3000));
    m_desk.keys({QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("Tab")});
    m_desk.type(QStringLiteral("tasten"));
    m_desk.keys({QStringLiteral("Tab"), QStringLiteral("space")});
    QVERIFY(m_desk.waitUntilGone(browser));
    QCOMPARE(readFile(at("lists/tasten.txt")),
             QByteArray("D:\\Bilder\\a.jpg\r\nD:\\Bilder\\Stra\xDF"
                        "e.jpg\r\n"
                        "D:\\Bilder\\Urlaub\\c.gif\r\n"));
    finish();
}

QTEST_GUILESS_MAIN(TestJourneys)
#include "tst_journeys.moc"
