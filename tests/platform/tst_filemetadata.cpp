// What a copy keeps besides the bytes (holes), on the scratch folder mapped
// as T:, which lies on the work disk (ext4).
#include "scratch.h"
#include "support/hostmetadata.h"

#include "platform/stagedfile.h"

#include <QTest>

using namespace quorvane::platform;

namespace {

constexpr qint64 MiB = qint64(1) << 20;

} // namespace

class TestFileMetadata : public QObject {
    Q_OBJECT

private slots:
    void init();
    void holesStayHoles_data();
    void holesStayHoles();
    void shrunkSourceRefused_data();
    void shrunkSourceRefused();

private:
    std::unique_ptr<scratch::Drive> m_t;
};

void TestFileMetadata::init()
{
    m_t = std::make_unique<scratch::Drive>();
    QVERIFY(m_t->isValid());
}

void TestFileMetadata::holesStayHoles_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QList<qint64>>("dataAt"); // 4 KiB blocks of data; holes elsewhere
    QTest::newRow("hole at the end") << 64 * MiB << QList<qint64>{0, MiB};
    QTest::newRow("hole at the start") << 16 * MiB + 4096 << QList<qint64>{16 * MiB};
    QTest::newRow("holes between") << 24 * MiB + 4096 << QList<qint64>{0, 4096, 12 * MiB, 24 * MiB};
    QTest::newRow("only a hole") << 16 * MiB << QList<qint64>{};
    QTest::newRow("no hole") << qint64(12288) << QList<qint64>{0, 4096, 8192};
}

void TestFileMetadata::holesStayHoles()
{
    QFETCH(qint64, size);
    QFETCH(QList<qint64>, dataAt);
    QVERIFY(makeSparseFile(m_t->host("sparse.bin"), size, dataAt));
    QCOMPARE(m_t->fs->copyFile(QStringLiteral("T:\\sparse.bin"), QStringLiteral("T:\\copy.bin")).error, 0);
    const HostContent original = hostContent(m_t->host("sparse.bin"));
    const HostContent copied = hostContent(m_t->host("copy.bin"));
    QCOMPARE(copied.size, size);
    QCOMPARE(copied.sha1, original.sha1);
    QVERIFY2(copied.blocks <= original.blocks + 16,
             QByteArray::number(copied.blocks) + " blocks, source " + QByteArray::number(original.blocks));
}

void TestFileMetadata::shrunkSourceRefused_data()
{
    QTest::addColumn<qint64>("stated"); // the size the copy was told; the file holds 1 MiB + 4 KiB
    QTest::addColumn<int>("expected");
    QTest::newRow("as stated") << MiB + 4096 << 0;
    QTest::newRow("shorter, ends in data") << MiB + 8192 << int(ErrDeviceIo);
    QTest::newRow("shorter, ends in a hole") << 2 * MiB << int(ErrDeviceIo);
}

void TestFileMetadata::shrunkSourceRefused()
{
    QFETCH(qint64, stated);
    QFETCH(int, expected);
    // As if the source had shrunk between its stat and its copy.
    const QByteArray source = m_t->host("source.bin");
    QVERIFY(makeSparseFile(source, MiB + 4096, {0, MiB}));
    const int in = ::open(source.constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(in >= 0);
    StagedFile staged;
    QVERIFY(staged.create(m_t->root(), "copy.bin", 0644, QStringLiteral("T:\\copy.bin")).ok());
    Status s = staged.appendFrom(in, stated);
    ::close(in);
    if (s.ok())
        s = staged.commit(false);
    QCOMPARE(s.error, expected);
    QCOMPARE(m_t->names(),
             expected == 0 ? (QList<QByteArray>{"copy.bin", "source.bin"}) : QList<QByteArray>{"source.bin"});
    if (expected == 0)
        QCOMPARE(hostContent(m_t->host("copy.bin")).sha1, hostContent(source).sha1);
}

QTEST_GUILESS_MAIN(TestFileMetadata)
#include "tst_filemetadata.moc"
