// An image run as the user watches it: the strip along the bottom of the
// main window shows how far the run is, and the window answers clicks while
// a large file is copied.
#include "desktop.h"
#include "xwdimage.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace {

const QString MainTitle = QStringLiteral("Brannick Quorvane");

namespace form1 {
constexpr QPoint Start{120 + 2295 / 2, 2880 + 795 / 2};
constexpr QPoint Pictures{2520 + 240 + 120, 120 + 720 + 127};
constexpr QPoint TargetDrive{6180 + 2295 / 2, 360 + 157};
constexpr QPoint Surface{2470, 1500}; // between the left column and "Dateitypen:"
// The strip: Picture1 at 90, 3780, 8385 wide; a row through its block.
constexpr int StripLeftPx = 90 / 15;
constexpr int StripWidthPx = 8385 / 15;
constexpr int StripRowPx = (3780 + 80) / 15;
} // namespace form1

constexpr qint64 BigFile = qint64(1) << 30;
constexpr int SmallFiles = 50;

// Real bytes throughout: a file of holes would be copied as holes, in no time.
bool writeBigFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray block(16 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < block.size(); ++i)
        block[i] = char(i * 131 + 7);
    for (qint64 written = 0; written < BigFile; written += block.size()) {
        if (file.write(block) != block.size())
            return false;
    }
    return file.flush();
}

// How many pixels of a row through the strip are the block's navy, read
// from the screen the X server keeps in a file.
int navyInStrip(const Desktop &desk, const QString &window)
{
    const QRect client = desk.clientArea(window);
    const QRect row(client.left() + form1::StripLeftPx, client.top() + form1::StripRowPx, form1::StripWidthPx, 1);
    const QImage pixels = readXwdArea(desk.screenFile(), row);
    int navy = 0;
    for (int x = 0; x < pixels.width(); ++x)
        navy += pixels.pixel(x, 0) == qRgb(0, 0, 128);
    return navy;
}

} // namespace

class TestProgressJourneys : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup() { m_desk.stop(); }
    void bigCopyAnswersAndShowsProgress();

private:
    // A click on the target drive list and the time until its list is
    // shown; atAnswer is called while the list is up.
    qint64 answerToClick(const QString &main, const std::function<void()> &atAnswer);

    Desktop m_desk;
};

void TestProgressJourneys::initTestCase()
{
    const QString missing = m_desk.start();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
}

qint64 TestProgressJourneys::answerToClick(const QString &main, const std::function<void()> &atAnswer)
{
    const QStringList before = m_desk.programWindows();
    QElapsedTimer clock;
    m_desk.click(main, form1::TargetDrive);
    clock.start();
    QString list;
    while (list.isEmpty() && clock.elapsed() < 10000) {
        for (const QString &id : m_desk.programWindows()) {
            if (!before.contains(id))
                list = id;
        }
    }
    const qint64 answered = clock.elapsed();
    atAnswer();
    // A click beside the list closes it, as the user would.
    m_desk.click(main, form1::Surface);
    if (!list.isEmpty())
        m_desk.waitUntilGone(list);
    return list.isEmpty() ? -1 : answered;
}

// Fifty small pictures, then one of a gigabyte, imaged from one memory file
// system into another: while the big one is copied, every click is answered
// within 200 ms and the navy block is as wide as the share of files done;
// after the run the strip looks as it always did.
void TestProgressJourneys::bigCopyAnswersAndShowsProgress()
{
    QTemporaryDir dir(QStringLiteral("/dev/shm/quorvane-journey-XXXXXX"));
    if (!dir.isValid())
        QSKIP("no memory file system at /dev/shm");
    const auto at = [&](const QString &relative) { return dir.filePath(relative); };
    for (const char *folder : {"app", "src", "tgt"})
        QVERIFY(QDir().mkpath(at(QLatin1String(folder))));
    for (int i = 0; i < SmallFiles; ++i) {
        QFile small(at(QStringLiteral("src/a%1.jpg").arg(i, 3, 10, QLatin1Char('0'))));
        QVERIFY(small.open(QIODevice::WriteOnly) && small.write("klein") == 5);
    }
    QVERIFY(writeBigFile(at("src/zz.jpg")));

    // A gigabyte goes from one memory file system to another in about a
    // quarter of a second here, too short to click into for sure; each
    // piece of the copy is held 20 ms longer, as a slow stick would hold it.
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        QSKIP("strace is not installed");
    m_desk.setWrapper({QStringLiteral("strace"), QStringLiteral("-f"), QStringLiteral("--seccomp-bpf"),
                       QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("-e"),
                       QStringLiteral("trace=copy_file_range"), QStringLiteral("-e"),
                       QStringLiteral("inject=copy_file_range:delay_exit=20000")});
    const QString drives = QStringLiteral("D=%1;T=%2").arg(at("src"), at("tgt"));
    const QString main = m_desk.launch(at("app"), drives, {at("src/x")}, at("app"),
                                       {QStringLiteral("XDG_STATE_HOME=") + at("state")});
    QVERIFY(!main.isEmpty());
    QCOMPARE(navyInStrip(m_desk, main), 1815 / 15);
    const QStringList before = m_desk.programWindows();
    m_desk.click(main, form1::TargetDrive);
    QVERIFY(!m_desk.waitForNewWindow(before).isEmpty());
    m_desk.keys({QStringLiteral("T"), QStringLiteral("Return")});
    m_desk.click(main, form1::Pictures);
    m_desk.click(main, form1::Start);

    const QString big = at("tgt/zz.jpg");
    QList<qint64> duringCopy;
    int widestNavy = 0;
    const QDeadlineTimer deadline(120000);
    while (!QFileInfo(big).exists() || QFileInfo(big).size() < BigFile) {
        QVERIFY2(!deadline.hasExpired(), "the image did not end");
        bool copying = false;
        int navy = 0;
        const qint64 answered = answerToClick(main, [&] {
            // The small ones are there, the big one not yet (it gets its
            // name only when complete): the copy is under way.
            copying = QFileInfo::exists(at("tgt/a049.jpg")) && !QFileInfo::exists(big);
            navy = navyInStrip(m_desk, main);
        });
        if (copying) {
            duringCopy << answered;
            widestNavy = std::max(widestNavy, navy);
        }
    }
    QVERIFY2(!duringCopy.isEmpty(), "no click landed while the big file was copied");
    for (const qint64 answered : std::as_const(duringCopy))
        QVERIFY2(answered >= 0 && answered <= 200, qPrintable(QStringLiteral("answered after %1 ms").arg(answered)));
    // Fifty of fifty-one files done: the block reaches across most of the strip.
    QVERIFY2(widestNavy >= form1::StripWidthPx * 9 / 10, qPrintable(QString::number(widestNavy)));

    // The run ends as it always did: no box, the strip at rest.
    QTRY_COMPARE_WITH_TIMEOUT(navyInStrip(m_desk, main), 1815 / 15, 10000);
    QVERIFY(m_desk.windows(MainTitle).size() == 1);
    m_desk.closeBox(main);
    QCOMPARE(m_desk.waitForExit(), 0);
}

QTEST_GUILESS_MAIN(TestProgressJourneys)
#include "tst_progress_journeys.moc"
