#include "engine/scan/stringlist.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <random>

using namespace quorvane;

class TestStringList : public QObject {
    Q_OBJECT

private slots:
    void order_data()
    {
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("case ignored") << QStringList{"b", "A", "c"} << QStringList{"A", "b", "c"};
        QTest::newRow("ties by exact text") << QStringList{"abc", "ABC", "Abc"} << QStringList{"ABC", "Abc", "abc"};
        QTest::newRow("prefix first") << QStringList{"ab", "a", "A"} << QStringList{"A", "a", "ab"};
        QTest::newRow("duplicates stay") << QStringList{"x", "x"} << QStringList{"x", "x"};
        QTest::newRow("umlaut case") << QStringList{"ä", "Ä", "b"} << QStringList{"b", "Ä", "ä"};
        QTest::newRow("paths") << QStringList{"D:\\b\\x.jpg", "D:\\a.jpg", "D:\\B\\a.jpg", "d:\\a\\z.jpg"}
                               << QStringList{"D:\\a.jpg", "d:\\a\\z.jpg", "D:\\B\\a.jpg", "D:\\b\\x.jpg"};
        QTest::newRow("long shared prefix") << QStringList{"0123456789abcdefghijZ", "0123456789ABCDEFGHIJa"}
                                            << QStringList{"0123456789ABCDEFGHIJa", "0123456789abcdefghijZ"};
    }

    void order()
    {
        QFETCH(QStringList, added);
        QFETCH(QStringList, expected);
        StringList list(true);
        for (const QString &text : added)
            list.addItem(text);
        QStringList got;
        for (qsizetype i = 0; i < list.count(); ++i)
            got << list.item(i);
        QCOMPARE(got, expected);
    }

    void compare_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("sign");
        QTest::newRow("equal") << "Abc"
                               << "Abc" << 0;
        QTest::newRow("case only") << "ABC"
                                   << "abc" << -1;
        QTest::newRow("case then letter") << "aBd"
                                          << "Abc" << 1;
        QTest::newRow("shorter first") << "abc"
                                       << "ABCD" << -1;
        QTest::newRow("empty") << ""
                               << "a" << -1;
    }

    void compare()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, sign);
        const int forward = compareListText(a, b);
        const int backward = compareListText(b, a);
        QCOMPARE((forward > 0) - (forward < 0), sign);
        QCOMPARE((backward > 0) - (backward < 0), -sign);
    }

    void unsortedKeepsInsertionOrder()
    {
        StringList list(false);
        for (const char *text : {"c", "a", "B"})
            list.addItem(QString::fromLatin1(text));
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.item(0), QStringLiteral("c"));
        QCOMPARE(list.item(2), QStringLiteral("B"));
    }

    void outsideRangeIsEmpty()
    {
        StringList list(true);
        list.addItem(QStringLiteral("a"));
        QCOMPARE(list.item(-1), QString());
        QCOMPARE(list.item(1), QString());
        list.clear();
        QCOMPARE(list.count(), 0);
        QCOMPARE(list.item(0), QString());
    }

    // Reads between additions must see a sorted list every time.
    void addingAfterReading()
    {
        StringList list(true);
        QStringList reference;
        QRandomGenerator random(7);
        for (int round = 0; round < 50; ++round) {
            for (int i = 0; i < 40; ++i) {
                const QString text = QString::number(random.bounded(1000)) + (random.bounded(2) ? "x" : "X");
                list.addItem(text);
                reference << text;
            }
            std::sort(reference.begin(), reference.end(),
                      [](const QString &a, const QString &b) { return compareListText(a, b) < 0; });
            QCOMPARE(list.count(), reference.size());
            const int probe = random.bounded(int(reference.size()));
            QCOMPARE(list.item(probe), reference.at(probe));
        }
        for (qsizetype i = 0; i < list.count(); ++i)
            QCOMPARE(list.item(i), reference.at(i));
    }

    // A shared copy is what the viewer shows: filling or clearing the list
    // afterwards must not reach it, and it comes sorted.
    void sharedCopyStaysAsItWas()
    {
        StringList list(true);
        list.addItem("b");
        list.addItem("a");
        const StringList shown = list.shared();
        list.addItem("0");
        QCOMPARE(list.count(), 3);
        QCOMPARE(shown.count(), 2);
        QCOMPARE(shown.item(0), QString("a"));
        const StringList again = list.shared();
        list.clear();
        QCOMPARE(again.count(), 3);
        QCOMPARE(again.item(0), QString("0"));
        QCOMPARE(list.count(), 0);
    }

    // The fast sort must give exactly the order of the comparison: paths with
    // long shared prefixes, case variants, prefixes of each other, NULs.
    void sortAgreesWithComparison()
    {
        QRandomGenerator random(11);
        const QStringList parts{"a",
                                "A",
                                "b",
                                "B",
                                "ab",
                                "aB",
                                "ä",
                                "Ä",
                                "x.jpg",
                                "X.JPG",
                                "_",
                                "-",
                                ".",
                                QString(QChar(0xDCE4)),
                                QString(QChar(0)),
                                "straße",
                                "STRASSE"};
        for (int round = 0; round < 20; ++round) {
            StringList list(true);
            QStringList reference;
            const int count = 50 + random.bounded(3000);
            for (int i = 0; i < count; ++i) {
                QString text = QStringLiteral("C:\\gemeinsamer\\langer\\Pfad\\");
                const int pieces = random.bounded(6);
                for (int p = 0; p < pieces; ++p) {
                    text += parts.at(random.bounded(int(parts.size())));
                    if (random.bounded(3) == 0)
                        text += QLatin1Char('\\');
                }
                list.addItem(text);
                reference << text;
            }
            std::stable_sort(reference.begin(), reference.end(),
                             [](const QString &a, const QString &b) { return compareListText(a, b) < 0; });
            QCOMPARE(list.count(), reference.size());
            for (qsizetype i = 0; i < list.count(); ++i)
                QCOMPARE(list.item(i), reference.at(i));
        }
    }

    // Paths added folder by folder, as a walk adds them, are sorted name by
    // name within their folders and the folders woven together; the order
    // must be exactly that of the comparison: names like their folder's
    // ("a" beside "a\\" and "a.b\\"), folders one but for case (whose texts
    // interleave), one folder added in two stretches, and lists long enough
    // to be sorted in chunks while they grow.
    void folderSortAgreesWithComparison_data()
    {
        QTest::addColumn<QStringList>("folderNames");
        QTest::addColumn<bool>("splitOneFolder");
        QTest::addColumn<int>("folders");
        const QStringList plain{"a", "a.b", "ab", "b", "x.jpg", "_", "-", "\u00e4", QString(QChar(0xDCE4))};
        QTest::newRow("distinct folders") << plain << false << 300;
        QTest::newRow("folders one but for case") << (plain + QStringList{"A", "B", "\u00c4"}) << false << 300;
        QTest::newRow("one folder in two stretches") << plain << true << 300;
        QTest::newRow("chunked") << plain << false << 6000;
    }

    void folderSortAgreesWithComparison()
    {
        QFETCH(QStringList, folderNames);
        QFETCH(bool, splitOneFolder);
        QFETCH(int, folders);
        const QStringList fileNames = folderNames + QStringList{"a.txt", "A.TXT", "b.jpg", "\U0001F600.png", "ab.c"};
        QRandomGenerator random(7);
        std::vector<QString> paths{QStringLiteral("C:\\")};
        for (int i = 1; i < folders; ++i) {
            const QString &parent = paths.at(random.bounded(int(paths.size())));
            paths.push_back(parent + folderNames.at(random.bounded(int(folderNames.size()))) + QLatin1Char('\\'));
        }
        std::sort(paths.begin(), paths.end());
        paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
        StringList list(true);
        QStringList reference;
        QStringList heldBack;
        for (const QString &folder : paths) {
            for (int f = random.bounded(12); f > 0; --f) {
                const QString name = fileNames.at(random.bounded(int(fileNames.size())));
                reference << folder + name;
                if (splitOneFolder && folder == paths.at(1) && f % 2 == 0)
                    heldBack << name; // added after all other folders
                else
                    list.addJoined(folder, name);
            }
        }
        for (const QString &name : heldBack)
            list.addJoined(paths.at(1), name);
        std::stable_sort(reference.begin(), reference.end(),
                         [](const QString &a, const QString &b) { return compareListText(a, b) < 0; });
        QCOMPARE(list.count(), reference.size());
        for (qsizetype i = 0; i < list.count(); ++i)
            QCOMPARE(list.itemView(i), QStringView(reference.at(i)));
    }

    // Long lists are sorted in chunks while they grow and merged when read:
    // in order, reversed, shuffled, with reads between additions.
    void chunkedSortKeepsOrder_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("arrangement"); // 0 ascending, 1 descending, 2 shuffled
        QTest::addColumn<int>("readEvery");
        QTest::newRow("ascending") << 40000 << 0 << 0;
        QTest::newRow("descending") << 40000 << 1 << 0;
        QTest::newRow("shuffled") << 70000 << 2 << 0;
        QTest::newRow("reads between") << 60000 << 2 << 25000;
        QTest::newRow("one chunk and a tail") << 16884 << 0 << 0;
    }

    void chunkedSortKeepsOrder()
    {
        QFETCH(int, count);
        QFETCH(int, arrangement);
        QFETCH(int, readEvery);
        QStringList texts;
        for (int i = 0; i < count; ++i)
            texts << QStringLiteral("C:\\d%1\\F%2.jpg").arg(i % 97).arg(i, 6, 10, QLatin1Char('0'));
        if (arrangement == 1)
            std::reverse(texts.begin(), texts.end());
        if (arrangement == 2)
            std::shuffle(texts.begin(), texts.end(), std::mt19937(5));
        StringList list(true);
        for (int i = 0; i < count; ++i) {
            list.addItem(texts.at(i));
            if (readEvery > 0 && i % readEvery == readEvery - 1)
                QVERIFY(!list.item(0).isEmpty());
        }
        std::sort(texts.begin(), texts.end(),
                  [](const QString &a, const QString &b) { return compareListText(a, b) < 0; });
        QCOMPARE(list.count(), qsizetype(count));
        for (qsizetype i = 0; i < list.count(); ++i)
            QCOMPARE(list.itemView(i), QStringView(texts.at(i)));
    }

    // 16-bit counts would stop at 32767 entries.
    void holdsMoreThan32767()
    {
        StringList list(true);
        const int total = 100000;
        for (int i = total - 1; i >= 0; --i)
            list.addItem(QStringLiteral("C:\\d\\f%1.jpg").arg(i, 6, 10, QLatin1Char('0')));
        QCOMPARE(list.count(), qsizetype(total));
        QCOMPARE(list.item(0), QStringLiteral("C:\\d\\f000000.jpg"));
        QCOMPARE(list.item(32767), QStringLiteral("C:\\d\\f032767.jpg"));
        QCOMPARE(list.item(40000), QStringLiteral("C:\\d\\f040000.jpg"));
        QCOMPARE(list.item(total - 1), QStringLiteral("C:\\d\\f099999.jpg"));
    }
};

QTEST_GUILESS_MAIN(TestStringList)
#include "test_stringlist.moc"
