#include "engine/run/joboptions.h"
#include "engine/run/run.h"

#include <QTest>

using namespace quorvane;

namespace {

const QString Exe = QStringLiteral("*.exe");
const QString Pictures = QStringLiteral("*.jpg;*.jpeg;*.gif;*.bmp;*.tif;*.tiff;*.wmf;*.png");
const QString Sounds = QStringLiteral("*.mp3;*.wav;*.mid;*.mod;*.snd;*.aif;*.aiff;*.au");
const QString Videos = QStringLiteral("*.mpg;*.mpeg;*.avi;*.mov;*.wmv;*.asf;*.flv");
const QString Documents = QStringLiteral("*.pdf;*.rtf;*.txt;*.doc");

} // namespace

class TestPatterns : public QObject {
    Q_OBJECT

private slots:
    // The value a run owner starts with, before its first job.
    void startValue() { QCOMPARE(Run().FilePatterns(), QStringLiteral("*.exe")); }

    void patternList_data()
    {
        // Group states in the order exe, image, sound, video, text, user, all.
        QTest::addColumn<QList<int>>("states");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("expected");
        const QString design = QStringLiteral("*.cdr;*.scr");
        QTest::newRow("nothing") << QList<int>{0, 0, 0, 0, 0, 0, 0} << design << QStringLiteral("*.zzz");
        QTest::newRow("grayed counts as unset") << QList<int>{2, 2, 2, 2, 2, 2, 2} << design << QStringLiteral("*.zzz");
        QTest::newRow("exe") << QList<int>{1, 0, 0, 0, 0, 0, 0} << design << Exe;
        QTest::newRow("pictures") << QList<int>{0, 1, 0, 0, 0, 0, 0} << design << Pictures;
        QTest::newRow("exe and sounds") << QList<int>{1, 0, 1, 0, 0, 0, 0} << design
                                        << QStringLiteral("*.exe;*.mp3;*.wav;*.mid;*.mod;*.snd;*.aif;*.aiff;*.au");
        QTest::newRow("documents and user")
            << QList<int>{0, 0, 0, 0, 1, 1, 0} << design << QStringLiteral("*.pdf;*.rtf;*.txt;*.doc;*.cdr;*.scr");
        QTest::newRow("all with others") << QList<int>{1, 1, 1, 1, 1, 1, 1} << design << QStringLiteral("*.*");
        QTest::newRow("all alone") << QList<int>{0, 0, 0, 0, 0, 0, 1} << design << QStringLiteral("*.*");
        QTest::newRow("user empty") << QList<int>{0, 0, 0, 0, 0, 1, 0} << QString() << QString();
        QTest::newRow("user is the mark")
            << QList<int>{0, 0, 0, 0, 0, 1, 0} << QStringLiteral("*.zzz") << QStringLiteral("*.zzz");
        QTest::newRow("user text as typed") << QList<int>{0, 0, 0, 0, 1, 1, 0} << QStringLiteral("*.a; *.b;;")
                                            << Documents + QStringLiteral(";*.a; *.b;;");
        QTest::newRow("every group but all") << QList<int>{1, 1, 1, 1, 1, 1, 0} << design
                                             << QStringList{Exe, Pictures, Sounds, Videos, Documents, design}.join(';');
        QTest::newRow("video alone") << QList<int>{0, 0, 0, 1, 0, 0, 0} << design << Videos;
        QTest::newRow("user empty after others") << QList<int>{0, 1, 0, 0, 0, 1, 0} << QString() << Pictures + ';';
    }

    void patternList()
    {
        QFETCH(QList<int>, states);
        QFETCH(QString, user);
        QFETCH(QString, expected);
        JobOptions options;
        options.ExeGroup = states[0];
        options.ImageGroup = states[1];
        options.SoundGroup = states[2];
        options.VideoGroup = states[3];
        options.TextGroup = states[4];
        options.UserGroup = states[5];
        options.AllTypes = states[6];
        options.UserPatterns = user;
        QCOMPARE(BuildPatternList(options), expected);
    }
};

QTEST_GUILESS_MAIN(TestPatterns)
#include "test_patterns.moc"
