#include "ui/browser/browser.h"

#include "support/scriptedtoolkit.h"
#include "platform/widgets/dirlist.h"
#include "platform/widgets/drivelist.h"
#include "platform/widgets/filelist.h"
#include "support/hostfiles.h"
#include "support/testdrive.h"
#include "ui/viewer/frmeditor.h"
#include "ui/viewer/listexport.h"
#include "ui/viewer/savecommands.h"
#include "ui/viewer/viewerhost.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace quorvane;
using platform::ScriptedToolkit;

namespace {

QStringList fileListNames(const platform::FileList &list)
{
    QStringList names;
    for (qsizetype i = 0; i < list.count(); ++i)
        names.append(list.item(i));
    return names;
}

// Clicks a file of the list with the mouse, as the user would.
bool clickFile(platform::FileList &list, const QString &name)
{
    const QList<QListWidgetItem *> rows = list.view()->findItems(name, Qt::MatchExactly);
    if (rows.size() != 1)
        return false;
    list.view()->scrollToItem(rows.front());
    QTest::mouseClick(list.view()->viewport(), Qt::LeftButton, {}, list.view()->visualItemRect(rows.front()).center());
    return true;
}

// Types each character as one key press carrying that text, the way a
// keyboard delivers it (umlauts included, which QTest::keyClicks cannot).
void typeKeys(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

// The one browser window that is open, or null.
Browser *openedBrowser()
{
    Browser *found = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        auto *browser = qobject_cast<Browser *>(w);
        if (browser && browser->isVisible()) {
            if (found)
                return nullptr;
            found = browser;
        }
    }
    return found;
}

} // namespace

// T: holds Listen\ (bericht.txt, foto.jpeg, ab, x.md, .versteckt, Unter\) and
// is the program's current drive with Listen as its current folder. U: is a
// second drive with one file in its root.
class TestBrowser : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_second;
    std::unique_ptr<ScriptedToolkit> m_toolkit;
    std::unique_ptr<TestDrive> m_drive;
    std::unique_ptr<QWidget> m_viewer;

    QString host(const QString &relative) const { return m_drive->host(relative); }

    Browser *newBrowser()
    {
        m_viewer->setEnabled(false);
        auto *b = new Browser(m_viewer.get());
        b->Form_Load();
        b->show();
        return b;
    }

private slots:
    void init()
    {
        m_second = std::make_unique<QTemporaryDir>();
        m_toolkit = std::make_unique<ScriptedToolkit>();
        m_toolkit->setScreenSizeTwips(QSize(19200, 14400));
        m_drive =
            std::make_unique<TestDrive>('T', m_toolkit.get(), QList<QPair<char, QString>>{{'U', m_second->path()}});
        QVERIFY(m_drive->isValid() && m_second->isValid());
        QVERIFY(QDir().mkpath(host("Listen/Unter")));
        for (const char *name : {"bericht.txt", "foto.jpeg", "ab", "x.md", ".versteckt"})
            QVERIFY(writeHostFile(host(QStringLiteral("Listen/") + QLatin1String(name)), "x"));
        QVERIFY(writeHostFile(host("Listen/Unter/tief.txt"), "x"));
        QVERIFY(writeHostFile(m_second->filePath("zweite.txt"), "x"));
        auto &fs = m_drive->fs();
        QVERIFY(fs.changeDrive(QStringLiteral("T:")).ok());
        QVERIFY(fs.changeDirectory(QStringLiteral("T:\\Listen")).ok());
        m_viewer = std::make_unique<QWidget>();
        m_viewer->show();
        ExportText.clear();
        ExportText.append({QStringLiteral("C:\\a.txt"), QStringLiteral("C:\\Ä.txt")});
    }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (qobject_cast<Browser *>(w))
                delete w;
        }
        m_viewer.reset();
        m_drive.reset();
        m_toolkit.reset();
        m_second.reset();
    }

    void controlsAtTheirPlaces_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRect>("pixels");
        QTest::newRow("Drive1") << "Drive1" << QRect(8, 8, 161, 21);
        QTest::newRow("Dir1") << "Dir1" << QRect(8, 32, 161, 197);
        QTest::newRow("File1") << "File1" << QRect(176, 8, 201, 214);
        QTest::newRow("Text2") << "Text2" << QRect(7, 240, 353, 19);
        QTest::newRow("Label1") << "Label1" << QRect(361, 243, 22, 16);
        QTest::newRow("Command1") << "Command1" << QRect(200, 264, 177, 25);
        QTest::newRow("Command2") << "Command2" << QRect(8, 264, 177, 25);
    }
    void controlsAtTheirPlaces()
    {
        QFETCH(QString, control);
        QFETCH(QRect, pixels);
        Browser *b = newBrowser();
        const QHash<QString, QWidget *> controls{
            {"Drive1", b->Drive1()}, {"Dir1", b->Dir1()},         {"File1", b->File1()},      {"Text2", b->Text2()},
            {"Label1", b->Label1()}, {"Command1", b->Command1()}, {"Command2", b->Command2()}};
        QCOMPARE(controls.value(control)->geometry(), pixels);
    }

    void windowFrameAndTexts()
    {
        Browser *b = newBrowser();
        QCOMPARE(b->size(), QSize(385, 295));
        QCOMPARE(b->minimumSize(), b->maximumSize());
        QVERIFY(b->windowFlags().testFlag(Qt::Tool));
        QVERIFY(b->windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!b->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!b->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(b->testAttribute(Qt::WA_DeleteOnClose));
        QVERIFY(!b->isModal());
        QCOMPARE(b->Label1()->text(), QStringLiteral(".txt"));
        QCOMPARE(b->Command1()->text(), QStringLiteral("Übernehmen"));
        QCOMPARE(b->Command2()->text(), QStringLiteral("Abbrechen"));
        QCOMPARE(b->Text2()->text(), QString());
        for (QPushButton *button : {b->Command1(), b->Command2()})
            QVERIFY(!button->isDefault() && !button->autoDefault());
        QVERIFY(b->Text2()->font().bold());
        QCOMPARE(b->Text2()->palette().color(QPalette::Base), QColor(Qt::white));
    }

    // Centred by the outer frame in twips and not clamped to the screen.
    // A window of 5775 x 4425 twips (385 x 295 pixels, 389 x 299 with the
    // offscreen platform's frame) centred on the screen, past its edges
    // where the screen is smaller.
    void placement_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("large screen") << QSize(19200, 14400) << QPoint(446, 331);
        QTest::newRow("screen smaller than the window") << QSize(3000, 1500) << QPoint(-95, -100);
    }
    void placement()
    {
        QFETCH(QSize, screen);
        QFETCH(QPoint, topLeft);
        m_toolkit->setScreenSizeTwips(screen);
        Browser *b = newBrowser();
        QCOMPARE(b->frameGeometry(), QRect(topLeft, QSize(389, 299)));
    }

    void listsStartAtCurrentFolder()
    {
        Browser *b = newBrowser();
        QCOMPARE(b->Drive1()->drive(), QStringLiteral("T:"));
        QCOMPARE(b->Dir1()->path(), QStringLiteral("T:\\Listen"));
        QCOMPARE(b->File1()->path(), QStringLiteral("T:\\Listen"));
        QCOMPARE(b->File1()->pattern(), QStringLiteral("*.*"));
        // Hidden files and folders are not listed.
        QCOMPARE(fileListNames(*b->File1()), (QStringList{"ab", "bericht.txt", "foto.jpeg", "x.md"}));
    }

    void listsKeptInStep()
    {
        Browser *b = newBrowser();
        QVERIFY(b->Dir1()->setPath(QStringLiteral("T:\\Listen\\Unter")).ok());
        QCOMPARE(b->File1()->path(), QStringLiteral("T:\\Listen\\Unter"));
        QCOMPARE(fileListNames(*b->File1()), QStringList{"tief.txt"});

        QVERIFY(b->Drive1()->setDrive(QStringLiteral("U:")).ok());
        QCOMPARE(b->Dir1()->path(), QStringLiteral("U:\\"));
        QCOMPARE(b->File1()->path(), QStringLiteral("U:\\"));
        QCOMPARE(fileListNames(*b->File1()), QStringList{"zweite.txt"});
    }

    void unreadableDriveKeepsFolder()
    {
        Browser *b = newBrowser();
        // The drive's folder goes away after the list has been filled.
        QVERIFY(m_second->remove());
        QVERIFY(b->Drive1()->setDrive(QStringLiteral("U:")).ok());
        QCOMPARE(b->Drive1()->drive(), QStringLiteral("U:"));
        QCOMPARE(b->Dir1()->path(), QStringLiteral("T:\\Listen"));
        QCOMPARE(b->File1()->path(), QStringLiteral("T:\\Listen"));
        QVERIFY(b->isVisible());
    }

    void clickedFileName_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("field");
        QTest::newRow("list name loses its extension") << "bericht.txt"
                                                       << "bericht";
        QTest::newRow("other name loses four characters") << "foto.jpeg"
                                                          << "foto.";
        QTest::newRow("exactly four characters") << "x.md"
                                                 << "";
        QTest::newRow("shorter name empties the field") << "ab"
                                                        << "";
    }
    void clickedFileName()
    {
        QFETCH(QString, file);
        QFETCH(QString, field);
        Browser *b = newBrowser();
        b->Text2()->setText(QStringLiteral("vorher"));
        QVERIFY(clickFile(*b->File1(), file));
        QCOMPARE(b->Text2()->text(), field);
    }

    void keysFiltered_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("field");
        QTest::newRow("full stop and backslash") << "a.b\\c"
                                                 << "abc";
        QTest::newRow("forbidden signs") << "x:;*\"<>/,#%="
                                         << "x";
        QTest::newRow("allowed signs") << "A-b_c!&'+ 9?"
                                       << "A-b_c!&'+ 9?";
        QTest::newRow("umlauts") << "Größe"
                                 << "Größe";
    }
    void keysFiltered()
    {
        QFETCH(QString, typed);
        QFETCH(QString, field);
        Browser *b = newBrowser();
        b->Text2()->setFocus();
        typeKeys(b->Text2(), typed);
        QCOMPARE(b->Text2()->text(), field);
    }

    void pastedTextNotFiltered()
    {
        QClipboard *clipboard = QApplication::clipboard();
        clipboard->setText(QStringLiteral("a.b\\c"));
        if (clipboard->text() != QStringLiteral("a.b\\c"))
            QSKIP("no clipboard on this platform");
        Browser *b = newBrowser();
        b->Text2()->setFocus();
        QTest::keyClick(b->Text2(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(b->Text2()->text(), QStringLiteral("a.b\\c"));
    }

    void emptyFieldDoesNothing()
    {
        Browser *b = newBrowser();
        QTest::mouseClick(b->Command1(), Qt::LeftButton);
        QVERIFY(b->isVisible());
        QVERIFY(!m_viewer->isEnabled());
        QVERIFY(m_toolkit->boxes().empty());
        QCOMPARE(QDir(host("Listen")).entryList(QDir::Files | QDir::Hidden).size(), 5);
    }

    // Every way of closing enables the viewer and deletes the window.
    void closing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("written");
        QTest::newRow("Abbrechen") << "Abbrechen"
                                   << "neu"
                                   << "";
        QTest::newRow("close box") << "close"
                                   << "neu"
                                   << "";
        QTest::newRow("Übernehmen") << "Übernehmen"
                                    << "neu"
                                    << "Listen/neu.txt";
        QTest::newRow("Übernehmen, name from the list") << "Übernehmen"
                                                        << "foto."
                                                        << "Listen/foto..txt";
    }
    void closing()
    {
        QFETCH(QString, how);
        QFETCH(QString, name);
        QFETCH(QString, written);
        QPointer<Browser> b = newBrowser();
        b->Text2()->setText(name);
        if (how == "Abbrechen")
            QTest::mouseClick(b->Command2(), Qt::LeftButton);
        else if (how == "close")
            QVERIFY(b->close());
        else
            QTest::mouseClick(b->Command1(), Qt::LeftButton);
        QVERIFY(m_viewer->isEnabled());
        QTRY_VERIFY(b.isNull());
        const QStringList files = QDir(host("Listen")).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(files.size(), written.isEmpty() ? 5 : 6);
        if (!written.isEmpty())
            QCOMPARE(readHostFile(host(written)), QByteArray("C:\\a.txt\r\nC:\\\xC4.txt\r\n"));
        QVERIFY(m_toolkit->boxes().empty());
    }

    void rootFolderTargetHasOneBackslash()
    {
        QPointer<Browser> b = newBrowser();
        QVERIFY(b->Dir1()->setPath(QStringLiteral("T:\\")).ok());
        b->Text2()->setText(QStringLiteral("wurzel"));
        QTest::mouseClick(b->Command1(), Qt::LeftButton);
        QCOMPARE(readHostFile(host("wurzel.txt")), QByteArray("C:\\a.txt\r\nC:\\\xC4.txt\r\n"));
    }

    void refusedReplacementStillCloses()
    {
        QPointer<Browser> b = newBrowser();
        QVERIFY(clickFile(*b->File1(), QStringLiteral("bericht.txt")));
        m_toolkit->queueAnswer(platform::AnswerNo);
        QTest::mouseClick(b->Command1(), Qt::LeftButton);
        QCOMPARE(m_toolkit->boxes().size(), size_t(1));
        QCOMPARE(m_toolkit->boxes().front().prompt, QStringLiteral("Vorhandene Datei 'bericht.txt' überschreiben ?"));
        QCOMPARE(readHostFile(host("Listen/bericht.txt")), QByteArray("x"));
        QVERIFY(m_viewer->isEnabled());
        QTRY_VERIFY(b.isNull());
    }

    // Without a browser to switch it on again the viewer must stay usable.
    void saveWithoutBrowserKeepsViewerEnabled()
    {
        ViewerHost viewers;
        connectSaveCommands(viewers);
        setSaveAsOpener({});
        viewers.showViewer();
        viewers.appendToFilePane({QStringLiteral("C:\\x.txt")});
        viewers.viewer()->mnuFileItem()->trigger();
        QVERIFY(!openedBrowser());
        QVERIFY(viewers.viewer()->isEnabled());
        QCOMPARE(ExportText.joined(u"\r\n"), QStringLiteral("C:\\x.txt"));
        viewers.unloadViewer();
    }

    // From a listing in the real viewer to the bytes on the disk.
    void fullSaveThroughTheWindows_data()
    {
        QTest::addColumn<bool>("filePane");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("file list") << true << "Dateiliste speichern unter..."
                                   << QByteArray("C:\\Daten\\a.jpg\r\nC:\\Daten\\\xD6l.gif\r\n");
        QTest::newRow("directory list") << false << "Verzeichnisliste speichern unter..."
                                        << QByteArray("C:\\Daten\r\n");
    }
    void fullSaveThroughTheWindows()
    {
        QFETCH(bool, filePane);
        QFETCH(QString, caption);
        QFETCH(QByteArray, bytes);
        ViewerHost viewers;
        InstallSaveAsBrowser(viewers);
        InstallSaveAsBrowser(viewers); // twice: still one browser per command
        ListingView &listing = viewers;
        listing.showViewer();
        listing.clearPanes();
        listing.appendToFilePane({QStringLiteral("C:\\Daten\\a.jpg"), QStringLiteral("C:\\Daten\\Öl.gif")});
        listing.appendToDirPane({QStringLiteral("C:\\Daten")});
        frmEditor *viewer = viewers.viewer();
        QVERIFY(viewer && QTest::qWaitForWindowExposed(viewer));

        (filePane ? viewer->mnuFileItem() : viewer->mnuDirlist())->trigger();
        QPointer<Browser> b = openedBrowser();
        QVERIFY(b);
        QCOMPARE(b->windowTitle(), caption);
        QVERIFY(!viewer->isEnabled());
        QVERIFY(QTest::qWaitForWindowExposed(b));

        // A listing run while the browser is open refills the viewer, not the saved text.
        listing.clearPanes();
        listing.appendToFilePane({QStringLiteral("C:\\neu.txt")});
        listing.appendToDirPane({QStringLiteral("C:\\Neu")});

        b->Text2()->setFocus();
        typeKeys(b->Text2(), QStringLiteral("liste.1"));
        QTest::mouseClick(b->Command1(), Qt::LeftButton);
        QCOMPARE(readHostFile(host("Listen/liste1.txt")), bytes);
        QVERIFY(viewer->isEnabled());
        QTRY_VERIFY(b.isNull());
        QVERIFY(m_toolkit->boxes().empty());
        viewers.unloadViewer();
    }
};

QTEST_MAIN(TestBrowser)
#include "tst_browser.moc"
