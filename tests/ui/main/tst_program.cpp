// The built program as a process: closing the window stores the patterns,
// Esc on the start button ends it and leaves the settings file alone.
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <utime.h>

class TestProgram : public QObject {
    Q_OBJECT

private:
    // Runs the program with its folder in dir and one test switch set.
    static int run(const QTemporaryDir &dir, const QString &hook)
    {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QUORVANE_APP_DIR"), dir.path());
        env.insert(QStringLiteral("QUORVANE_DRIVES"), QString());
        env.insert(hook, QStringLiteral("300"));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(QUORVANE_EXE), {});
        if (!program.waitForFinished(30000)) {
            program.kill();
            program.waitForFinished();
            return -1;
        }
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -2;
    }

    static QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private slots:
    void closeStoresThePatterns()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString ini = dir.filePath(QStringLiteral("Quorvane.ini"));
        QVERIFY(!QFile::exists(ini));
        QCOMPARE(run(dir, QStringLiteral("QUORVANE_TEST_CLOSE_MS")), 0);
        const QByteArray content = read(ini);
        QVERIFY2(content.contains("[Brannick Quorvane]"), content.constData());
        QVERIFY2(content.contains("UserDef=*.cdr;*.scr"), content.constData());
    }

    void closeWritesBackWhatStartUpRead()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString ini = dir.filePath(QStringLiteral("Quorvane.ini"));
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[andere]\r\nx=1\r\n[Brannick Quorvane]\r\nUserDef=*.abc;*.def\r\n");
        f.close();
        QCOMPARE(run(dir, QStringLiteral("QUORVANE_TEST_CLOSE_MS")), 0);
        const QByteArray content = read(ini);
        QVERIFY2(content.contains("UserDef=*.abc;*.def"), content.constData());
        QVERIFY2(content.contains("[andere]"), content.constData());
    }

    void escOnStartLeavesTheSettingsAlone_data()
    {
        QTest::addColumn<bool>("present");
        QTest::newRow("settings file present") << true;
        QTest::newRow("no settings file") << false;
    }

    void escOnStartLeavesTheSettingsAlone()
    {
        QFETCH(bool, present);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString ini = dir.filePath(QStringLiteral("Quorvane.ini"));
        const QByteArray before = "[Brannick Quorvane]\r\nUserDef=*.alt\r\n";
        if (present) {
            QFile f(ini);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(before);
            f.close();
            // An old time stamp: any rewrite, even of the same bytes, shows.
            struct utimbuf old {1000000000, 1000000000};
            QCOMPARE(::utime(QFile::encodeName(ini).constData(), &old), 0);
        }
        QCOMPARE(run(dir, QStringLiteral("QUORVANE_TEST_ESC_MS")), 0);
        if (present) {
            QCOMPARE(read(ini), before);
            QCOMPARE(QFileInfo(ini).lastModified().toSecsSinceEpoch(), 1000000000);
        } else {
            QVERIFY(!QFile::exists(ini));
        }
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
