#include "runfixture.h"

#include "engine/placement/treeremoval.h"
#include "support/exchangeloop.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace quorvane;

class TestTreeRemoval : public QObject {
    Q_OBJECT

private slots:
    void removesEverything_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "D:\\Alt";
        QTest::newRow("trailing backslash") << "D:\\Alt\\";
        QTest::newRow("other letter case") << "d:\\ALT";
    }

    void removesEverything()
    {
        QFETCH(QString, path);
        EngineDrive drive;
        for (const char *name : {"Alt/plain.txt", "Alt/.hidden", "Alt/nur-lesen.txt", "Alt/a/x.jpg", "Alt/a/.y",
                                 "Alt/a/b/z", "Alt/c/w.txt"})
            QVERIFY(drive.makeFile(QString::fromLatin1(name), "data"));
        QVERIFY(drive.makeDir("Alt/a/b/leer"));
        QVERIFY(drive.makeFile("Nachbar/bleibt.txt"));
        QCOMPARE(::chmod(QFile::encodeName(drive.host("Alt/nur-lesen.txt")).constData(), 0444), 0);
        QCOMPARE(::chmod(QFile::encodeName(drive.host("Alt/a/b/z")).constData(), 0444), 0);
        DeleteTree(path);
        QVERIFY(!QFileInfo::exists(drive.host("Alt")));
        QVERIFY(QFileInfo::exists(drive.host("Nachbar/bleibt.txt")));
        // One yield per directory: Alt, a, b, leer, c.
        QCOMPARE(drive.toolkit.yieldCount(), 5);
    }

    void hiddenSubdirectoryStays()
    {
        EngineDrive drive;
        QVERIFY(drive.makeFile("Alt/sub/.versteckt/inhalt.txt"));
        QVERIFY(drive.makeFile("Alt/sub/weg.txt"));
        QVERIFY(drive.makeFile("Alt/andere/weg.txt"));
        DeleteTree(QStringLiteral("D:\\Alt"));
        QVERIFY(QFileInfo::exists(drive.host("Alt/sub/.versteckt/inhalt.txt")));
        QVERIFY(!QFileInfo::exists(drive.host("Alt/sub/weg.txt")));
        QVERIFY(!QFileInfo::exists(drive.host("Alt/andere")));
    }

    void emptyDirectoryIsRemoved()
    {
        EngineDrive drive;
        QVERIFY(drive.makeDir("leer"));
        DeleteTree(QStringLiteral("D:\\leer"));
        QVERIFY(!QFileInfo::exists(drive.host("leer")));
    }

    void missingPathChangesNothing()
    {
        EngineDrive drive;
        QVERIFY(drive.makeFile("da/x.txt"));
        DeleteTree(QStringLiteral("D:\\fehlt"));
        QVERIFY(QFileInfo::exists(drive.host("da/x.txt")));
    }

    // Links are removed as links; what they point to is never touched.
    void linksAreNotFollowed()
    {
        EngineDrive drive;
        QVERIFY(drive.makeFile("Draussen/wichtig.txt", "bleibt"));
        QVERIFY(drive.makeFile("Draussen/tiefer/auch.txt", "bleibt"));
        QVERIFY(drive.makeFile("Draussen/nur-lesen.txt", "bleibt"));
        QCOMPARE(::chmod(QFile::encodeName(drive.host("Draussen/nur-lesen.txt")).constData(), 0444), 0);
        QVERIFY(drive.makeFile("Alt/x.txt"));
        const auto link = [&](const char *target, const char *at) {
            return ::symlink(QFile::encodeName(drive.host(QString::fromLatin1(target))).constData(),
                             QFile::encodeName(drive.host(QString::fromLatin1(at))).constData());
        };
        QCOMPARE(link("Draussen", "Alt/zum-ordner"), 0);
        QCOMPARE(link("Draussen/nur-lesen.txt", "Alt/zur-datei"), 0);
        QCOMPARE(link("Draussen", "Alt/.versteckter-link"), 0);

        DeleteTree(QStringLiteral("D:\\Alt"));
        QVERIFY(!QFileInfo::exists(drive.host("Alt")));
        QVERIFY(QFileInfo::exists(drive.host("Draussen/wichtig.txt")));
        QVERIFY(QFileInfo::exists(drive.host("Draussen/tiefer/auch.txt")));
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(drive.host("Draussen/nur-lesen.txt")).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0444);
    }

    // Another program swaps a folder of the tree for a link to a folder
    // outside, again and again, while the tree goes: nothing outside goes.
    void folderSwappedForLinkMeanwhile()
    {
        long swaps = 0;
        for (int round = 0; round < 5; ++round) {
            EngineDrive drive;
            for (int i = 0; i < 200; ++i) {
                const QString name = QStringLiteral("f%1.txt").arg(i);
                QVERIFY(drive.makeFile(QStringLiteral("Alt/sub/") + name, "inside"));
                QVERIFY(drive.makeFile(QStringLiteral("Draussen/") + name, "outside"));
            }
            QVERIFY(drive.makeDir("Neben"));
            QVERIFY(QFile::link(drive.host("Draussen"), drive.host("Neben/lnk")));
            quorvane::testsupport::ExchangeLoop swapping(drive.host("Alt/sub"), drive.host("Neben/lnk"));
            DeleteTree(QStringLiteral("D:\\Alt"));
            swaps += swapping.stop();
            QCOMPARE(QDir(drive.host("Draussen")).entryList(QDir::Files).size(), 200);
            QCOMPARE(contentOf(drive.host("Draussen/f199.txt")), QByteArray("outside"));
        }
        // Rounds without a single swap would prove nothing.
        QVERIFY(swaps > 0);
    }

    void linkAsTheGivenPathIsRemovedAsLink()
    {
        EngineDrive drive;
        QVERIFY(drive.makeFile("Draussen/wichtig.txt", "bleibt"));
        QCOMPARE(::symlink(QFile::encodeName(drive.host("Draussen")).constData(),
                           QFile::encodeName(drive.host("Verweis")).constData()),
                 0);
        DeleteTree(QStringLiteral("D:\\Verweis\\"));
        QVERIFY(QFileInfo::exists(drive.host("Draussen/wichtig.txt")));
        QVERIFY(!QFileInfo(drive.host("Verweis")).isSymLink());
    }

    // A "\\" in a host name is part of the name: nothing beside the tree goes.
    void namesThatLookLikePathsStayNames()
    {
        EngineDrive drive;
        QVERIFY(drive.makeFile("Alt/x\\..\\..\\Nachbar/drin.txt"));
        QVERIFY(drive.makeFile("Alt/..\\Nachbar.txt"));
        QVERIFY(drive.makeFile("Nachbar/bleibt.txt", "bleibt"));
        QVERIFY(drive.makeFile("Nachbar.txt", "bleibt"));
        DeleteTree(QStringLiteral("D:\\Alt"));
        QVERIFY(!QFileInfo::exists(drive.host("Alt")));
        QCOMPARE(treeOf(drive.host()), (QStringList{"Nachbar.txt", "Nachbar/", "Nachbar/bleibt.txt"}));
    }

    // The exact name comes first, as for every operation: the folder goes, the
    // link beside it that differs in letter case stays.
    void exactNameBeforeLinkOfOtherCase()
    {
        EngineDrive drive;
        QVERIFY(drive.makeFile("Alt/x.txt"));
        QVERIFY(drive.makeFile("Draussen/wichtig.txt", "bleibt"));
        QCOMPARE(::symlink("Draussen", QFile::encodeName(drive.host("alt")).constData()), 0);
        DeleteTree(QStringLiteral("D:\\Alt"));
        QCOMPARE(treeOf(drive.host()), (QStringList{"Draussen/", "Draussen/wichtig.txt", "alt"}));
    }

    void rootsAreRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("root") << "C:\\";
        QTest::newRow("drive alone") << "C:";
        QTest::newRow("root with a dot") << "C:\\.";
        QTest::newRow("back up to the root") << "C:\\inhalt\\..";
    }

    void rootsAreRefused()
    {
        QFETCH(QString, path);
        EngineDrive drive('C');
        QVERIFY(drive.makeFile("datei.txt"));
        QVERIFY(drive.makeFile("inhalt/x.txt"));
        DeleteTree(path);
        QVERIFY(QFileInfo::exists(drive.host("datei.txt")));
        QVERIFY(QFileInfo::exists(drive.host("inhalt/x.txt")));
    }

    // Three characters are refused whatever they name; only a link shows
    // it, since a folder that short is refused again further in.
    void threeCharactersAreRefused()
    {
        EngineDrive drive;
        QVERIFY(platform::fileSystem().changeDrive(QStringLiteral("D")).ok());
        QVERIFY(drive.makeFile("Draussen/wichtig.txt", "bleibt"));
        QCOMPARE(::symlink("Draussen", QFile::encodeName(drive.host("ab")).constData()), 0);
        DeleteTree(QStringLiteral("\\ab"));
        QVERIFY(QFileInfo(drive.host("ab")).isSymLink());
        QVERIFY(QFileInfo::exists(drive.host("Draussen/wichtig.txt")));
    }
};

QTEST_GUILESS_MAIN(TestTreeRemoval)
#include "test_treeremoval.moc"
