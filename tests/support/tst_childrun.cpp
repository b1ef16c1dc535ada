// A test that needs a mechanism of the machine skips where the mechanism or
// its setup fails, and fails where the command it runs fails.
#include "support/childrun.h"

#include <QTest>

using quorvane::testsupport::runUnder;

class TestChildRun : public QObject {
    Q_OBJECT

private slots:
    void setUpOrRan_data()
    {
        QTest::addColumn<QStringList>("mechanism");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("reason"); // empty: the command ran
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("output");
        const QStringList passThrough{"env"};
        // As unshare stops where the root folder is not a mount point (a plain chroot).
        const QStringList refusing{
            "sh", "-c", "echo 'unshare: cannot change root filesystem propagation: Invalid argument' >&2; exit 1",
            "unshare"};
        QTest::newRow("mechanism missing") << QStringList{"no-such-mechanism-here"} << ""
                                           << "exit 0"
                                           << "no-such-mechanism-here is not available here" << -1 << QByteArray();
        QTest::newRow("mechanism refuses") << refusing << ""
                                           << "exit 0"
                                           << "cannot change root filesystem propagation" << -1 << QByteArray();
        QTest::newRow("setup fails") << passThrough << "echo 'mount: no tmpfs' >&2; false"
                                     << "exit 0"
                                     << "mount: no tmpfs" << -1 << QByteArray();
        QTest::newRow("command fails") << passThrough << "true"
                                       << "echo out; echo err >&2; exit 1"
                                       << "" << 1 << QByteArray("out\n");
        QTest::newRow("no mechanism") << QStringList{} << "test \"$1\" = given"
                                      << "echo ok"
                                      << "" << 0 << QByteArray("ok\n");
        QTest::newRow("command succeeds, setup sees its argument") << passThrough << "test \"$1\" = given"
                                                                   << "echo ok"
                                                                   << "" << 0 << QByteArray("ok\n");
    }
    void setUpOrRan()
    {
        QFETCH(QStringList, mechanism);
        QFETCH(QString, setup);
        QFETCH(QString, command);
        QFETCH(QString, reason);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, output);
        const auto run = runUnder(mechanism, setup, {"given"}, "sh", {"-c", command});
        QCOMPARE(run.cannotSetUp.isEmpty(), reason.isEmpty());
        QVERIFY2(run.cannotSetUp.contains(reason), qPrintable(run.cannotSetUp));
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.output, output);
        if (exitCode == 1)
            QCOMPARE(run.errors, QByteArray("err\n"));
    }
};

QTEST_GUILESS_MAIN(TestChildRun)
#include "tst_childrun.moc"
