// The session-free core: absolute paths only, and many threads at once.
#include "scratch.h"

#include <QTest>

#include <thread>
#include <vector>

using namespace quorvane::platform;

class TestHostCore : public QObject {
    Q_OBJECT

private slots:
    void onlyAbsolutePaths_data();
    void onlyAbsolutePaths();
    void nulEndsNoPathEarly();
    void threadsShareOneCore();
};

void TestHostCore::onlyAbsolutePaths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("coreError");
    QTest::newRow("absolute, stored case") << QStringLiteral("T:\\Sub\\a.txt") << 0;
    QTest::newRow("absolute, other case") << QStringLiteral("t:/SUB/A.TXT") << 0;
    QTest::newRow("relative") << QStringLiteral("Sub\\a.txt") << int(ErrBadFileNameOrNumber);
    QTest::newRow("rooted") << QStringLiteral("\\Sub\\a.txt") << int(ErrBadFileNameOrNumber);
    QTest::newRow("drive-relative") << QStringLiteral("T:Sub\\a.txt") << int(ErrBadFileNameOrNumber);
}

void TestHostCore::onlyAbsolutePaths()
{
    QFETCH(QString, path);
    QFETCH(int, coreError);
    scratch::Drive t;
    QVERIFY(t.dir("Sub") && t.file("Sub/a.txt", "abc"));
    QCOMPARE(t.fs->changeDrive(QStringLiteral("T:")).error, 0);
    QCOMPARE(t.fs->changeDirectory(QStringLiteral("T:\\")).error, 0);
    // The session takes every form from its current drive and folder.
    QCOMPARE(t.fs->longName(path).value(), QStringLiteral("T:\\Sub\\a.txt"));
    const Result<QString> name = t.fs->core().longName(path);
    QCOMPARE(name.error, coreError);
    if (name.ok())
        QCOMPARE(name.value(), QStringLiteral("T:\\Sub\\a.txt"));
    QCOMPARE(t.fs->core().readFile(path, 10).ok(), coreError == 0);
}

void TestHostCore::nulEndsNoPathEarly()
{
    // The host ends a path at a NUL: "T:\Sub<NUL>x" must not list T:\Sub.
    scratch::Drive t;
    QVERIFY(t.dir("Sub") && t.file("Sub/a.txt"));
    const QString path = QStringLiteral("T:\\Sub") + QChar(0) + QStringLiteral("x");
    QCOMPARE(t.fs->readDirectory(path).error, int(ErrBadFileNameOrNumber));
    QVERIFY(!t.fs->core().readFolder(path, false).ok());
}

void TestHostCore::threadsShareOneCore()
{
    // Each thread copies, moves and looks up files in one shared folder by
    // names in another letter case, so every lookup goes through the one
    // cache of stored names while the others change that folder.
    constexpr int Threads = 4;
    constexpr int Files = 40;
    scratch::Drive t;
    QVERIFY(t.dir("src") && t.dir("out"));
    for (int n = 0; n < Threads * Files; ++n)
        QVERIFY(t.file("src/file" + QByteArray::number(n) + ".txt", QByteArray::number(n)));
    const FileSystemCore &core = t.fs->core();
    std::vector<QStringList> failures(Threads);
    std::vector<std::thread> workers;
    for (int w = 0; w < Threads; ++w) {
        workers.emplace_back([&core, &failures, w] {
            const auto fail = [&](const QString &what, int error) {
                if (error != 0)
                    failures[w].append(what + QLatin1Char(' ') + QString::number(error));
            };
            for (int i = 0; i < Files; ++i) {
                const QString n = QString::number(w * Files + i);
                const QString source = QStringLiteral("T:\\SRC\\FILE") + n + QStringLiteral(".TXT");
                const QString copy = QStringLiteral("T:\\Out\\copy") + n + QStringLiteral(".txt");
                fail(QStringLiteral("copy ") + n, core.copyToNewFile(source, copy).error);
                fail(QStringLiteral("attributes ") + n, core.attributes(copy.toUpper()).error);
                if (i % 2 == 0)
                    fail(QStringLiteral("move ") + n,
                         core.moveFile(copy.toUpper(), QStringLiteral("T:\\OUT\\moved") + n + QStringLiteral(".txt"))
                             .error);
            }
        });
    }
    for (std::thread &worker : workers)
        worker.join();
    for (const QStringList &list : failures)
        QVERIFY2(list.isEmpty(), qPrintable(list.join(QLatin1String(", "))));
    const QList<QByteArray> names = t.names("out");
    QCOMPARE(names.size(), Threads * Files);
    for (int n = 0; n < Threads * Files; ++n) {
        const QByteArray file = (n % Files % 2 == 0 ? "out/moved" : "out/copy") + QByteArray::number(n) + ".txt";
        QCOMPARE(t.content(file), QByteArray::number(n));
        QCOMPARE(core.longName(QStringLiteral("T:\\OUT\\") + QString::fromLatin1(file.mid(4)).toUpper()).value(),
                 QStringLiteral("T:\\out\\") + QString::fromLatin1(file.mid(4)));
    }
}

QTEST_GUILESS_MAIN(TestHostCore)
#include "tst_hostcore.moc"
