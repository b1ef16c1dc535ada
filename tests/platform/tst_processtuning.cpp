// The heap the program keeps: it grows in one large stretch that is
// offered large pages, since each small page costs a fault.
#include "platform/processtuning.h"

#include <QFile>
#include <QTest>

class TestProcessTuning : public QObject {
    Q_OBJECT

private slots:
    void heapIsOfferedLargePages();
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

void TestProcessTuning::heapIsOfferedLargePages()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    QSKIP("a sanitizer keeps a heap of its own");
#endif
    QFile setting(QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled"));
    if (!setting.open(QIODevice::ReadOnly) || setting.readAll().contains("[never]"))
        QSKIP("this system offers no large pages");
    quorvane::platform::keepFreedMemory();
    quorvane::platform::keepFreedMemory(); // a second call changes nothing
    const QList<QByteArray> flags = heapFlags();
    QVERIFY(!flags.isEmpty());
    int advised = 0;
    for (const QByteArray &line : flags)
        advised += line.split(' ').contains("hg") ? 1 : 0;
    QCOMPARE(advised, 1);
}

QTEST_GUILESS_MAIN(TestProcessTuning)
#include "tst_processtuning.moc"
