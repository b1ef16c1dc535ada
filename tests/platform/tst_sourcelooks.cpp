// The look at every source before a run writes: taken side by side and a
// block at a time, yet handed on once each, in the entries' order, with the
// same stamp a single look gives.
#include "scratch.h"

#include "platform/imagetrees.h"

#include <QTest>

using namespace quorvane::platform;

class TestSourceLooks : public QObject {
    Q_OBJECT

private slots:
    void everyEntryOnceInOrder();
};

void TestSourceLooks::everyEntryOnceInOrder()
{
    constexpr int Folders = 70;   // more than the trees keep open, and three blocks' worth
    constexpr int PerFolder = 66; // each block big enough to be shared
    scratch::Drive d;
    QVERIFY(d.dir("src") && d.dir("dst"));
    for (int f = 0; f < Folders; ++f) {
        QVERIFY(d.dir("src/d" + QByteArray::number(f)));
        for (int i = 0; i < PerFolder; ++i)
            QVERIFY(d.file("src/d" + QByteArray::number(f) + "/f" + QByteArray::number(i),
                           QByteArray((f * PerFolder + i) % 97, 'x')));
    }
    QVERIFY(d.file("src/d3/long", QByteArray(5000, 'y')));
    QVERIFY(d.link("long", "src/d3/link"));

    auto trees = d.fs->openImageTrees(QStringLiteral("T:\\src"), QStringLiteral("T:\\dst"), false);
    QVERIFY(trees.ok());
    // Grouped by folder as a scan lists them, then each in another folder than the last.
    for (const bool interleaved : {false, true}) {
        QStringList entries;
        QList<qint64> sizes; // -1: the look fails
        for (int n = 0; n < Folders * PerFolder; ++n) {
            const int f = interleaved ? n % Folders : n / PerFolder;
            const int i = interleaved ? n / Folders : n % PerFolder;
            entries << QStringLiteral("d%1\\f%2").arg(f).arg(i);
            sizes << (f * PerFolder + i) % 97;
            if (n == 1000)
                entries << "d3\\link", sizes << 5000; // read through, as a copy would
            if (n == 2000)
                entries << "d3\\gone", sizes << -1;
            if (n == 3000)
                entries << "nowhere\\f1", sizes << -1;
            if (n == 4000)
                entries << "d4", sizes << -1; // a folder is no source
        }
        qsizetype next = 0;
        trees.value()->sourceLooks(entries, [&](qsizetype index, const Result<FileStamp> &look) {
            QCOMPARE(index, next);
            ++next;
            const qint64 expected = sizes.at(index);
            QVERIFY2(look.ok() == (expected >= 0), qPrintable(entries.at(index)));
            if (look.ok()) {
                QCOMPARE(look.value().size, expected);
                QCOMPARE(look.value().inode, trees.value()->sourceStamp(entries.at(index)).value().inode);
            }
        });
        QCOMPARE(next, entries.size());
    }
}

QTEST_GUILESS_MAIN(TestSourceLooks)
#include "tst_sourcelooks.moc"
