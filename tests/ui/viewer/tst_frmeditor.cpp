#include "support/testtoolkit.h"

#include "engine/scan/worker.h"
#include "platform/services.h"
#include "ui/viewer/linepane.h"
#include "ui/viewer/viewerhost.h"
#include "ui/viewer/viewerstate.h"

#include <QAction>
#include <QFontMetricsF>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <memory>

using namespace quorvane;

namespace {

int loadedViewers()
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *viewer = qobject_cast<frmEditor *>(w); viewer && !viewer->isUnloaded())
            ++n;
    }
    return n;
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The lists of the run owner whose listing the viewer shows.
Begin &testLists()
{
    static Begin lists;
    return lists;
}

void fillLists(const QStringList &found, const QStringList &full)
{
    Begin &b = testLists();
    b.lstFoundFiles.clear();
    b.lstFullPathName.clear();
    for (const QString &s : found)
        b.lstFoundFiles.addItem(s);
    for (const QString &s : full)
        b.lstFullPathName.addItem(s);
}

const QStringList FoundAbc{"C:\\a.txt", "C:\\b.txt", "C:\\c.txt"};
const QString FoundAbcText = "C:\\a.txt\r\nC:\\b.txt\r\nC:\\c.txt";
const QStringList FullAbc{"/daten/a.txt", "/daten/b.txt", "/daten/c.txt"};
const QString FullAbcText = "/daten/a.txt\r\n/daten/b.txt\r\n/daten/c.txt";

} // namespace

class TestFrmEditor : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void captionMenusAndControls();
    void layoutFollowsClientArea();
    void placementCentresOuterFrame_data();
    void placementCentresOuterFrame();
    void secondListingReusesWindow();
    void toggleSwitchesBothWays();
    void toggleWithEmptyFullList();
    void toggleDropsEditsButNotDirectoryPane();
    void toggleSharesTheLists();
    void unloadResetsState();
    void newListingKeepsCheckMark();
    void disabledWindowRefusesInput();
    void saveCommandsReachHost();

private:
    // Fills the panes the way a listing run does.
    void listInto(const QStringList &files, const QStringList &dirs);

    std::unique_ptr<TestToolkit> m_toolkit;
    std::unique_ptr<platform::ScopedPlatform> m_platform;
    std::unique_ptr<ViewerHost> m_host;
};

void TestFrmEditor::init()
{
    m_toolkit = std::make_unique<TestToolkit>();
    m_toolkit->deliverEvents = true;
    m_toolkit->setScreenSizeTwips(QSize(19200, 14400));
    m_platform = std::make_unique<platform::ScopedPlatform>(nullptr, m_toolkit.get());
    m_host = std::make_unique<ViewerHost>();
    m_host->setLists(&testLists());
    FullPathShown = 0;
}

void TestFrmEditor::cleanup()
{
    m_host->unloadViewer();
    flushDeletes();
    QCOMPARE(loadedViewers(), 0);
    m_host.reset();
    m_platform.reset();
    m_toolkit.reset();
    fillLists({}, {});
}

void TestFrmEditor::listInto(const QStringList &files, const QStringList &dirs)
{
    m_host->showViewer();
    m_host->clearPanes();
    m_host->appendToFilePane(files);
    m_host->appendToDirPane(dirs);
}

void TestFrmEditor::captionMenusAndControls()
{
    m_host->showViewer();
    frmEditor *v = m_host->viewer();
    QVERIFY(v);
    QCOMPARE(v->windowTitle(), QString("Quorvane"));

    const QList<QAction *> bar = v->menuBar()->actions();
    QCOMPARE(bar.size(), 2);
    QCOMPARE(bar[0], v->mnuDatei()->menuAction());
    QCOMPARE(bar[0]->text(), QString("Dateiliste"));
    QCOMPARE(bar[1], v->mnuDirlist());
    QCOMPARE(bar[1]->text(), QString("Verzeichnisliste speichern unter..."));
    QVERIFY(!v->mnuDirlist()->menu());

    const QList<QAction *> items = v->mnuDatei()->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items[0], v->mnuKomplett());
    QCOMPARE(items[0]->text(), QString("kompletter Pfadname"));
    QVERIFY(items[0]->isCheckable());
    QVERIFY(!items[0]->isChecked());
    QCOMPARE(items[1], v->mnuFileItem());
    QCOMPARE(items[1]->text(), QString("Dateiliste speichern unter..."));
    for (QAction *a : bar + items) {
        QVERIFY(!a->isSeparator());
        QVERIFY(a->shortcut().isEmpty());
    }

    QCOMPARE(v->Label1()->text(), QString("Dateien:"));
    QCOMPARE(v->Label2()->text(), QString("Verzeichnisse:"));
    QVERIFY(v->Label1()->font().bold());
    QCOMPARE(v->Label2()->font().pointSizeF(), 9.75);
    QVERIFY(v->Label1()->alignment() & Qt::AlignHCenter);
    for (LinePane *p : {v->txtEdit(), v->Text1()}) {
        QCOMPARE(p->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(p->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        // Fixed pitch as drawn: a narrow and a wide letter take the same room.
        const QFontMetricsF metrics(p->font());
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("iiiiiiii")),
                 metrics.horizontalAdvance(QStringLiteral("WWWWWWWW")));
        QCOMPARE(p->font().pointSizeF(), 9.0);
        QVERIFY(p->isEmpty());
    }
    QVERIFY(QTest::qWaitForWindowActive(v));
    v->txtEdit()->setFocus();
    QTest::keyClick(v->txtEdit(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), v->Text1());
}

void TestFrmEditor::layoutFollowsClientArea()
{
    m_host->showViewer();
    frmEditor *v = m_host->viewer();
    QVERIFY(QTest::qWaitForWindowExposed(v));
    QWidget *client = v->centralWidget();
    // First show: the design client area.
    QCOMPARE(client->size(), QSize(505, 333));
    QCOMPARE(v->layoutGeometry().txtEdit.width, 3787.5f);
    QCOMPARE(v->layoutGeometry().Label2.left, 4858.75f);

    // 560 x 400 pixels are 8400 x 6000 twips.
    v->resize(560, 400 + (v->height() - client->height()));
    QTRY_COMPARE(client->size(), QSize(560, 400));
    const ViewerGeometry &g = v->layoutGeometry();
    QCOMPARE(g.txtEdit.width, 4200.f);
    QCOMPARE(g.txtEdit.height, 5780.f);
    QCOMPARE(g.Text1.left, 4250.f);
    QCOMPARE(g.Text1.width, 4150.f);
    QCOMPARE(g.Label1.left, 1552.5f);
    QCOMPARE(g.Label2.left, 5477.5f);
    QCOMPARE(v->txtEdit()->geometry(), QRect(0, 16, 280, 385));
    QCOMPARE(v->Text1()->geometry(), QRect(283, 16, 277, 385));
    QCOMPARE(v->Label1()->geometry(), QRect(104, 0, 73, 17));
    QCOMPARE(v->Label2()->geometry(), QRect(365, 0, 113, 17));
}

// The viewer's outer frame (509 x 356 pixels offscreen) centred on the
// screen, past its edges where the screen is smaller.
void TestFrmEditor::placementCentresOuterFrame_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QRect>("outer");
    QTest::newRow("large screen") << QSize(19200, 14400) << QRect(386, 302, 509, 356);
    QTest::newRow("screen smaller than the window") << QSize(3000, 1500) << QRect(-155, -128, 509, 356);
}

void TestFrmEditor::placementCentresOuterFrame()
{
    QFETCH(QSize, screen);
    QFETCH(QRect, outer);
    m_toolkit->setScreenSizeTwips(screen);
    m_host->showViewer();
    QCOMPARE(m_host->viewer()->frameGeometry(), outer);
}

void TestFrmEditor::secondListingReusesWindow()
{
    listInto(FoundAbc, {"C:\\", "C:\\x"});
    frmEditor *first = m_host->viewer();
    QCOMPARE(first->paneText(Pane::Files), FoundAbcText);
    QCOMPARE(first->paneText(Pane::Directories), QString("C:\\\r\nC:\\x"));

    listInto({"D:\\z.txt"}, {});
    QCOMPARE(m_host->viewer(), first);
    QCOMPARE(loadedViewers(), 1);
    QCOMPARE(m_host->paneText(Pane::Files), QString("D:\\z.txt"));
    QCOMPARE(m_host->paneText(Pane::Directories), QString());
}

void TestFrmEditor::toggleSwitchesBothWays()
{
    fillLists(FoundAbc, FullAbc);
    listInto(FoundAbc, {"C:\\"});
    frmEditor *v = m_host->viewer();

    v->mnuKomplett()->trigger();
    QCOMPARE(v->paneText(Pane::Files), FullAbcText);
    QVERIFY(v->mnuKomplett()->isChecked());
    QCOMPARE(FullPathShown, qint16(1));

    v->mnuKomplett()->trigger();
    QCOMPARE(v->paneText(Pane::Files).toUtf8(), QByteArray("C:\\a.txt\r\nC:\\b.txt\r\nC:\\c.txt"));
    QVERIFY(!v->mnuKomplett()->isChecked());
    QCOMPARE(FullPathShown, qint16(0));

    // Any value but 1 counts as off.
    FullPathShown = 5;
    v->mnuKomplett()->trigger();
    QCOMPARE(v->paneText(Pane::Files), FullAbcText);
    QCOMPARE(FullPathShown, qint16(1));
}

void TestFrmEditor::toggleWithEmptyFullList()
{
    fillLists({"", "C:\\a.txt"}, {});
    listInto({"", "C:\\a.txt"}, {});
    frmEditor *v = m_host->viewer();
    QCOMPARE(v->paneText(Pane::Files), QString("C:\\a.txt"));

    v->mnuKomplett()->trigger();
    QVERIFY(v->txtEdit()->isEmpty());
    QVERIFY(v->mnuKomplett()->isChecked());
    v->mnuKomplett()->trigger();
    QCOMPARE(v->paneText(Pane::Files), QString("C:\\a.txt"));
    QVERIFY(!v->mnuKomplett()->isChecked());
}

void TestFrmEditor::toggleDropsEditsButNotDirectoryPane()
{
    fillLists(FoundAbc, FullAbc);
    listInto(FoundAbc, {"C:\\", "C:\\d"});
    frmEditor *v = m_host->viewer();
    v->txtEdit()->setCursorPosition(v->txtEdit()->lines().end());
    QTest::keyClicks(v->txtEdit(), "typed");
    v->Text1()->setCursorPosition(v->Text1()->lines().end());
    QTest::keyClicks(v->Text1(), "X");
    const QString dirs = v->paneText(Pane::Directories);
    QCOMPARE(dirs, QString("C:\\\r\nC:\\dX"));

    for (int click = 0; click < 3; ++click)
        v->mnuKomplett()->trigger();
    QCOMPARE(v->paneText(Pane::Files), FullAbcText);
    v->mnuKomplett()->trigger();
    QCOMPARE(v->paneText(Pane::Files), FoundAbcText);
    QCOMPARE(v->paneText(Pane::Directories), dirs);
}

void TestFrmEditor::toggleSharesTheLists()
{
    // A million lines cost no copy: the pane shows the list itself, at once,
    // and a next run that clears the list leaves the pane as it was.
    QStringList many;
    for (int i = 0; i < 20000; ++i)
        many.append(QStringLiteral("C:\\f%1").arg(i, 5, 10, QChar('0')));
    fillLists(FoundAbc, many);
    listInto(FoundAbc, {});
    frmEditor *v = m_host->viewer();
    const int yields = m_toolkit->yieldCount();
    v->mnuKomplett()->trigger();
    QCOMPARE(m_toolkit->yieldCount(), yields);
    fillLists({}, {"C:\\other"});
    QCOMPARE(v->txtEdit()->lines().lineCount(), 20000);
    QCOMPARE(v->paneText(Pane::Files), many.join("\r\n"));
    QVERIFY(v->mnuKomplett()->isChecked());
    QCOMPARE(FullPathShown, qint16(1));
}

void TestFrmEditor::unloadResetsState()
{
    fillLists(FoundAbc, FullAbc);
    listInto(FoundAbc, {"C:\\"});
    QPointer<frmEditor> v = m_host->viewer();
    v->mnuKomplett()->trigger();
    QCOMPARE(FullPathShown, qint16(1));
    v->txtEdit()->setCursorPosition(v->txtEdit()->lines().end());
    QTest::keyClicks(v->txtEdit(), "edit");

    QVERIFY(v->close()); // nothing is asked
    QCOMPARE(FullPathShown, qint16(0));
    QVERIFY(!m_host->viewer());
    QCOMPARE(m_host->paneText(Pane::Files), QString());
    // Appends for a closed viewer go nowhere.
    m_host->appendToFilePane({"lost"});
    flushDeletes();
    QVERIFY(!v);

    m_host->showViewer();
    frmEditor *again = m_host->viewer();
    QVERIFY(again);
    QVERIFY(!again->mnuKomplett()->isChecked());
    QVERIFY(again->txtEdit()->isEmpty());
    QVERIFY(again->Text1()->isEmpty());
    QCOMPARE(loadedViewers(), 1);
}

void TestFrmEditor::newListingKeepsCheckMark()
{
    fillLists(FoundAbc, FullAbc);
    listInto(FoundAbc, {});
    frmEditor *v = m_host->viewer();
    v->mnuKomplett()->trigger();

    fillLists({"C:\\neu.txt"}, {"/neu.txt"});
    listInto({"C:\\neu.txt"}, {"C:\\"});
    QVERIFY(v->mnuKomplett()->isChecked());
    QCOMPARE(FullPathShown, qint16(1));
    QCOMPARE(v->paneText(Pane::Files), QString("C:\\neu.txt"));

    v->mnuKomplett()->trigger();
    QCOMPARE(v->paneText(Pane::Files), QString("C:\\neu.txt"));
    QVERIFY(!v->mnuKomplett()->isChecked());
    QCOMPARE(FullPathShown, qint16(0));
}

void TestFrmEditor::disabledWindowRefusesInput()
{
    listInto({"C:\\a.txt"}, {});
    frmEditor *v = m_host->viewer();
    QVERIFY(QTest::qWaitForWindowExposed(v));
    const QSize before = v->size();
    m_host->setViewerEnabled(false);

    QVERIFY(!v->close());
    QVERIFY(v->isVisible());
    QVERIFY(!v->isUnloaded());
    QVERIFY(!v->menuBar()->isEnabled());
    QTest::keyClicks(v->txtEdit(), "zz");
    QCOMPARE(v->paneText(Pane::Files), QString("C:\\a.txt"));
    QCOMPARE(v->minimumSize(), before);
    QCOMPARE(v->maximumSize(), before);
    // A listing run still refills it.
    listInto({"C:\\b.txt"}, {});
    QCOMPARE(v->paneText(Pane::Files), QString("C:\\b.txt"));

    m_host->setViewerEnabled(true);
    QVERIFY(v->maximumSize().width() > before.width());
    v->txtEdit()->setCursorPosition(v->txtEdit()->lines().end());
    QTest::keyClicks(v->txtEdit(), "!");
    QCOMPARE(v->paneText(Pane::Files), QString("C:\\b.txt!"));
    QVERIFY(v->close());
    QCOMPARE(loadedViewers(), 0);
}

void TestFrmEditor::saveCommandsReachHost()
{
    int fileSaves = 0;
    int dirSaves = 0;
    connect(m_host.get(), &ViewerHost::mnuFileItemClicked, this,
            [&](frmEditor *v) { fileSaves += v == m_host->viewer(); });
    connect(m_host.get(), &ViewerHost::mnuDirlistClicked, this,
            [&](frmEditor *v) { dirSaves += v == m_host->viewer(); });
    m_host->showViewer();
    m_host->viewer()->mnuFileItem()->trigger();
    m_host->viewer()->mnuDirlist()->trigger();
    // A reloaded window is wired up as well.
    m_host->viewer()->close();
    m_host->showViewer();
    m_host->viewer()->mnuDirlist()->trigger();
    QCOMPARE(fileSaves, 1);
    QCOMPARE(dirSaves, 2);
    // At the end of the program even a disabled viewer unloads.
    m_host->setViewerEnabled(false);
    m_host->unloadViewer();
    QVERIFY(!m_host->viewer());
}

QTEST_MAIN(TestFrmEditor)
#include "tst_frmeditor.moc"
