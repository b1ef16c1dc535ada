// One table of names and patterns, answered alike by every user of the
// matcher: the scan's file enumerator, the save-as window's file list and the
// one-shot listing, each on a real folder that holds the one file.
#include "engine/scan/enumerators.h"
#include "platform/drivemap.h"
#include "platform/host/hostfilesystem.h"
#include "platform/namecodec.h"
#include "support/scriptedtoolkit.h"
#include "platform/services.h"
#include "platform/widgets/filelist.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using namespace quorvane;
using namespace quorvane::platform;

class TestPatternAgreement : public QObject {
    Q_OBJECT

private slots:
    void agree_data()
    {
        const QString undecodable(QChar(0xDCE9)); // a byte that is not UTF-8
        QTest::addColumn<QString>("patterns");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("expected");
        QTest::newRow("suffix") << "*.jpg"
                                << "a.jpg" << true;
        QTest::newRow("suffix case") << "*.JPG;*.Gif"
                                     << "b.gif" << true;
        QTest::newRow("suffix only name") << "*.jpg"
                                          << ".jpg" << true;
        QTest::newRow("suffix too short") << "*.jpeg"
                                          << "a.peg" << false;
        QTest::newRow("suffix not at end") << "*.jpg"
                                           << "a.jpg.bak" << false;
        QTest::newRow("all admits no dot") << "*.*"
                                           << "README" << true;
        QTest::newRow("all among others") << "*.txt;*.*"
                                          << "Makefile" << true;
        QTest::newRow("star") << "*"
                              << "anything" << true;
        QTest::newRow("question") << "?.txt"
                                  << "a.txt" << true;
        QTest::newRow("question needs one") << "?.txt"
                                            << ".txt" << false;
        QTest::newRow("inner stars backtrack") << "a*b*c"
                                               << "aXbYbZc" << true;
        QTest::newRow("inner stars fail") << "a*b*c"
                                          << "aXbYbZ" << false;
        QTest::newRow("star in the name is a character") << "*b"
                                                         << "*xb" << true;
        QTest::newRow("exact name") << "liesmich.txt"
                                    << "LIESMICH.TXT" << true;
        QTest::newRow("exact name differs") << "liesmich.txt"
                                            << "liesmich.txt2" << false;
        QTest::newRow("dot star: no extension") << "a.*"
                                                << "a" << true;
        QTest::newRow("dot star: other stem") << "a.*"
                                              << "ab" << false;
        QTest::newRow("lone dot: no extension") << "*."
                                                << "readme" << true;
        QTest::newRow("lone dot: extension") << "*."
                                             << "read.me" << false;
        QTest::newRow("blank kept") << "*.a; *.b"
                                    << "x.b" << false;
        QTest::newRow("blank matches blank") << "*.a; *.b"
                                             << " x.b" << true;
        QTest::newRow("empty element matches nothing") << "*.a;;"
                                                       << "x.b" << false;
        QTest::newRow("only separators match nothing") << ";"
                                                       << "x.b" << false;
        QTest::newRow("empty list admits all") << ""
                                               << "x" << true;
        QTest::newRow("umlaut case") << "*.ÄÖ"
                                     << "datei.äö" << true;
        QTest::newRow("case beyond the BMP") << "\U00010428*.JPG"
                                             << "\U00010400a.jpg" << true;
        QTest::newRow("sharp s not expanded") << "STRASSE"
                                              << "straße" << false;
        QTest::newRow("undecodable byte in name") << "*.jpg"
                                                  << "caf" + undecodable + ".JPG" << true;
        QTest::newRow("undecodable byte in pattern") << undecodable + "*" << undecodable + "x" << true;
    }

    void agree()
    {
        QFETCH(QString, patterns);
        QFETCH(QString, name);
        QFETCH(bool, expected);

        QCOMPARE(WildcardList(patterns).matches(name), expected);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // Removed by its bytes: the temporary folder cannot name it when it is not UTF-8.
        struct OneFile {
            QByteArray host;
            ~OneFile() { ::unlink(host.constData()); }
        } file{QFile::encodeName(dir.path()) + '/' + encodeName(name)};
        const int fd = ::open(file.host.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);
        DriveMap map;
        map.set(QLatin1Char('T'), QFile::encodeName(dir.path()));
        HostFileSystem fs(map);
        ScriptedToolkit toolkit;
        ScopedPlatform scope(&fs, &toolkit);

        FileEnumerator scan;
        QVERIFY(scan.setPath(QStringLiteral("T:\\")).ok());
        scan.setPattern(patterns);
        QCOMPARE(scan.count() == 1, expected);

        FileList list;
        list.setHiddenFiles(true);
        list.setSystemFiles(true);
        QVERIFY(list.setPath(QStringLiteral("T:\\")).ok());
        list.setPattern(patterns);
        QCOMPARE(list.count() == 1, expected);

        // The listing takes one pattern, ";" being a character of names there.
        if (!patterns.contains(QLatin1Char(';'))) {
            const Result<QString> first = fs.dirFirst(QStringLiteral("T:\\") + patterns, MaskHiddenSystem);
            QVERIFY(first.ok());
            QCOMPARE(first.value() == name, expected);
        }
    }
};

QTEST_MAIN(TestPatternAgreement)
#include "test_patternagreement.moc"
