// The heap the program keeps: it grows in one large stretch that is
// offered large pages where a small page's fault is dear, and small ones
// where it is not. And the share
// of the processors other programs take, by which the copies decide how
// many threads to write with.
#include "platform/host/backgroundcopies.h"
#include "platform/largememory.h"
#include "platform/processtuning.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <chrono>
#include <set>
#include <thread>

class TestProcessTuning : public QObject {
    Q_OBJECT

private slots:
    void heapTakesThePagesThatPay();
    void copiesGrowBesideABusyProcessor();
};

namespace {

// The VmFlags of the heap's mappings in /proc/self/smaps, one line each.
QList<QByteArray> heapFlags()
{
    QFile smaps(QStringLiteral("/proc/self/smaps"));
    if (!smaps.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> flags;
    bool inHeap = false;
    for (const QByteArray &line : smaps.readAll().split('\n')) {
        if (!line.isEmpty() && QByteArrayLiteral("0123456789abcdef").contains(line.at(0)))
            inHeap = line.endsWith("[heap]");
        else if (inHeap && line.startsWith("VmFlags:"))
            flags << line;
    }
    return flags;
}

} // namespace

void TestProcessTuning::heapTakesThePagesThatPay()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    QSKIP("a sanitizer keeps a heap of its own");
#endif
    QFile setting(QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled"));
    if (!setting.open(QIODevice::ReadOnly))
        QSKIP("this system has no large pages to choose");
    quorvane::platform::keepFreedMemory();
    quorvane::platform::keepFreedMemory(); // a second call changes nothing
    // A first touch costs some microseconds, not nothing and not seconds.
    const double fault = quorvane::platform::smallPageFaultMicroseconds();
    QVERIFY2(fault > 0.01 && fault < 10'000, QByteArray::number(fault).constData());
    const QList<QByteArray> flags = heapFlags();
    QVERIFY(!flags.isEmpty());
    const QByteArray chosen = quorvane::platform::largePagesPay() ? "hg" : "nh";
    int advised = 0;
    for (const QByteArray &line : flags)
        advised += line.split(' ').contains(chosen) ? 1 : 0;
    QCOMPARE(advised, 1);
}

// Another program spinning on one processor: the copies see it and go on
// with four threads instead of two, and every piece still finishes once.
void TestProcessTuning::copiesGrowBesideABusyProcessor()
{
    using namespace quorvane::platform;
    if (!twoOrMoreProcessors())
        QSKIP("one processor: the copies start no threads");
    QProcess spinner;
    spinner.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
    QVERIFY(spinner.waitForStarted());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const ProcessorSample before = sampleProcessors();
    BackgroundCopies copies(2, 4, 16, 4);
    quint64 submitted = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 600) {
        copies.submit(++submitted, [](struct stat &) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return Status::success();
        });
    }
    const double others = processorsTakenByOthers(before, sampleProcessors());
    std::set<quint64> done;
    for (const BackgroundCopies::Done &piece : copies.takeFinished(true))
        done.insert(piece.ticket);
    spinner.kill();
    spinner.waitForFinished();
    QVERIFY2(others >= 0.5, qPrintable(QString::number(others)));
    QCOMPARE(copies.threadCount(), std::size_t(4));
    QCOMPARE(done.size(), std::size_t(submitted));
}

QTEST_GUILESS_MAIN(TestProcessTuning)
#include "tst_processtuning.moc"
