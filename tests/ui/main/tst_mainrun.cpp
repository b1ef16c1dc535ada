// Start-up bound to the real main window, then runs started from it with
// clicks: a listing into the viewer and directory images into the target.
#include "support/testdrive.h"

#include "engine/run/joboptions.h"
#include "paths/shared.h"
#include "support/scriptedtoolkit.h"
#include "platform/services.h"
#include "platform/widgets/dirlist.h"
#include "startup/appmodule.h"
#include "ui/main/form1.h"
#include "ui/viewer/viewerhost.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTest>

#include <memory>

using namespace quorvane;

class TestMainRun : public QObject {
    Q_OBJECT

private:
    platform::ScriptedToolkit m_toolkit;
    TestDrive m_c{'C', &m_toolkit};
    std::unique_ptr<Form1> m_form;
    int m_loads = 0;

    QString host(const QString &relative) const { return m_c.host(relative); }
    void write(const QString &relative, const QByteArray &content = "x") { QVERIFY(m_c.makeFile(relative, content)); }
    void click(QAbstractButton *b) { QTest::mouseClick(b, Qt::LeftButton); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_c.isValid());
        write(QStringLiteral("Prog/Quorvane.ini"), "[Brannick Quorvane]\r\nUserDef=*.abc\r\n");
        write(QStringLiteral("Daten/src/a.txt"));
        write(QStringLiteral("Daten/src/sub/b.txt"));
        write(QStringLiteral("Daten/src/c.jpg"));
        QVERIFY(QDir().mkpath(host(QStringLiteral("Ziel"))));
        QVERIFY(QDir().mkpath(host(QStringLiteral("Struktur"))));
        // The list of what a run left undone goes to C:\state\quorvane.
        qputenv("XDG_STATE_HOME", QFile::encodeName(host(QStringLiteral("state"))));
        const QString programFolder = host(QStringLiteral("Prog"));
        setProgramFolderSource([programFolder] { return programFolder; });
        AppPath.clear();

        // A file named on the command line selects its folder.
        Main({QStringLiteral("quorvane"), QStringLiteral("C:\\Daten\\src\\a.txt")}, [this]() -> Form1Port & {
            if (!m_form) {
                ++m_loads;
                m_form = std::make_unique<Form1>();
                m_form->setImmediateEnd([] {});
            }
            return *m_form;
        });
        QVERIFY(m_form);
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }

    void cleanupTestCase()
    {
        viewerHost().unloadViewer();
        m_form.reset();
        setProgramFolderSource({});
    }

    void startUpFilledTheWindow()
    {
        QCOMPARE(m_loads, 1);
        QCOMPARE(AppPath, QStringLiteral("C:\\Prog\\"));
        QCOMPARE(m_form->Dir1->path(), QStringLiteral("C:\\Daten\\src"));
        QCOMPARE(m_form->Text1->text(), QStringLiteral("*.abc"));
        QVERIFY(m_form->isVisible());
    }

    void listingFillsTheViewer()
    {
        click(m_form->Check1[4]);
        click(m_form->Option1);
        click(m_form->Command1);
        QVERIFY(viewerHost().viewer());
        QCOMPARE(viewerHost().paneText(Pane::Files),
                 QStringLiteral("C:\\Daten\\src\\a.txt\r\nC:\\Daten\\src\\sub\\b.txt"));
        QVERIFY(m_toolkit.boxes().empty());
    }

    void noTypeGivesTheMessage()
    {
        click(m_form->Check1[4]); // off again: no group is checked
        m_toolkit.clearBoxes();
        click(m_form->Command1);
        QCOMPARE(int(m_toolkit.boxes().size()), 1);
        QCOMPARE(m_toolkit.boxes().front().prompt, QStringLiteral("Es wurde(n) kein(e) Dateityp(en) angegeben.   "));
        click(m_form->Check1[4]);
    }

    void recursiveImageIntoTheTarget()
    {
        click(m_form->Option2);
        click(m_form->Check4);
        QVERIFY(m_form->Dir2->setPath(QStringLiteral("C:\\Ziel")).ok());
        m_toolkit.clearBoxes();
        click(m_form->Command1);
        QVERIFY(QFileInfo(host(QStringLiteral("Ziel/a.txt"))).isFile());
        QVERIFY(QFileInfo(host(QStringLiteral("Ziel/sub/b.txt"))).isFile());
        QVERIFY(!QFileInfo::exists(host(QStringLiteral("Ziel/c.jpg"))));
        QVERIFY(QFileInfo(host(QStringLiteral("Daten/src/a.txt"))).isFile()); // copied, not moved
        // A run that did everything says nothing; the folder it made is in the list.
        QVERIFY(m_toolkit.boxes().empty());
        QCOMPARE(m_form->Dir2->count(), 1);
        QCOMPARE(m_form->Dir2->item(0), QStringLiteral("C:\\Ziel\\sub"));
    }

    // A recursive image that cannot place every file ends with one box: the
    // counts, the reasons, where the whole list is (one line a file).
    void imageLeavingFilesBehind_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("counts");
        QTest::addColumn<QStringList>("named");
        QTest::addColumn<QString>("listPlace");
        const QString list = QStringLiteral("Die vollständige Liste steht in:\nC:\\state\\quorvane\\skipped.txt   ");
        const QStringList both{"a.txt", "b.txt"};
        QTest::newRow("target drive gone") << "drive gone"
                                           << "0 Datei(en) abgebildet, 2 Datei(en) übersprungen." << both << list;
        QTest::newRow("sub-folder immutable")
            << "immutable"
            << "1 Datei(en) abgebildet, 1 Datei(en) übersprungen." << QStringList{"b.txt"} << list;
        QTest::newRow("no state folder")
            << "no state folder"
            << "0 Datei(en) abgebildet, 2 Datei(en) übersprungen." << both
            << "Die vollständige Liste konnte nicht geschrieben werden: Ordner lässt sich nicht anlegen "
               "(C:\\Daten\\src\\a.txt\\quorvane)   ";
    }

    void imageLeavingFilesBehind()
    {
        QFETCH(QString, fault);
        QFETCH(QString, counts);
        QFETCH(QStringList, named);
        QFETCH(QString, listPlace);
        QFile::remove(host(QStringLiteral("state/quorvane/skipped.txt")));
        click(m_form->Option2);
        if (!m_form->Check4->isChecked())
            click(m_form->Check4);
        const QString sub = host(QStringLiteral("Fest/sub"));
        bool frozen = false;
        const auto thaw = qScopeGuard([&] {
            if (frozen)
                QProcess::execute("chattr", {"-i", sub});
        });
        const QByteArray stateBefore = qgetenv("XDG_STATE_HOME");
        const auto restoreState = qScopeGuard([&] { qputenv("XDG_STATE_HOME", stateBefore); });
        if (fault == QLatin1String("immutable")) {
            QVERIFY(QDir().mkpath(sub));
            QVERIFY(m_form->Dir2->setPath(QStringLiteral("C:\\Fest")).ok());
            frozen = QProcess::execute("chattr", {"+i", sub}) == 0;
            if (!frozen)
                QSKIP("chattr +i is not supported on the temporary folder's file system");
        } else {
            // A drive whose folder goes away: a missing folder on a drive would be made.
            QVERIFY(QDir().mkpath(host(QStringLiteral("Laufwerk"))));
            m_c.mapExtra('T', host(QStringLiteral("Laufwerk")));
            QVERIFY(m_form->Dir2->setPath(QStringLiteral("T:\\")).ok());
            QVERIFY(QDir(host(QStringLiteral("Laufwerk"))).removeRecursively());
        }
        if (fault == QLatin1String("no state folder"))
            qputenv("XDG_STATE_HOME", QFile::encodeName(host(QStringLiteral("Daten/src/a.txt"))));
        m_toolkit.clearBoxes();
        click(m_form->Command1);
        QCOMPARE(int(m_toolkit.boxes().size()), 1);
        QCOMPARE(m_toolkit.boxes().front().style, platform::StyleWarning);
        const QStringList parts = m_toolkit.boxes().front().prompt.split(QStringLiteral("\n\n"));
        QCOMPARE(parts.size(), 3);
        QCOMPARE(parts[0], counts);
        QStringList names;
        for (const QString &reason : parts[1].split(QLatin1Char('\n')))
            names << reason.section(QStringLiteral(": "), 0, 0);
        QCOMPARE(names, named);
        QCOMPARE(parts[2], listPlace);
        if (listPlace.endsWith(QLatin1String("skipped.txt   "))) {
            QFile written(host(QStringLiteral("state/quorvane/skipped.txt")));
            QVERIFY(written.open(QIODevice::ReadOnly));
            QCOMPARE(written.readAll().count('\n'), named.size());
        }
    }

    void structureOnlyMirrorsFolders()
    {
        click(m_form->Option3);
        QVERIFY(m_form->Dir2->setPath(QStringLiteral("C:\\Struktur")).ok());
        click(m_form->Command1);
        QVERIFY(QFileInfo(host(QStringLiteral("Struktur/sub"))).isDir());
        QVERIFY(!QFileInfo::exists(host(QStringLiteral("Struktur/a.txt"))));
        QVERIFY(!QFileInfo::exists(host(QStringLiteral("Struktur/sub/b.txt"))));
    }

    // Last: the close box ends the program with every window.
    void closeTakesTheViewerAlong()
    {
        click(m_form->Option1);
        click(m_form->Command1);
        QVERIFY(viewerHost().viewer() && viewerHost().viewer()->isVisible());
        QVERIFY(m_form->close());
        QVERIFY(!viewerHost().viewer() || !viewerHost().viewer()->isVisible());
        QFile ini(host(QStringLiteral("Prog/Quorvane.ini")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QVERIFY(ini.readAll().contains("UserDef=*.abc"));
    }
};

QTEST_MAIN(TestMainRun)
#include "tst_mainrun.moc"
