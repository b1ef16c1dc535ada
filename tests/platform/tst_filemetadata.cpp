// What a copy keeps besides the bytes (extended attributes, the ACL, holes),
// on the scratch folder mapped as T:, which lies on the work disk (ext4).
#include "scratch.h"
#include "support/hostmetadata.h"

#include "platform/host/stagedfile.h"
#include "platform/imagetrees.h"

#include <QTest>

using namespace quorvane::platform;

namespace {

constexpr qint64 MiB = qint64(1) << 20;

// Owner rw, user 4242 rw, owning group r, mask rw, others nothing (mode
// 0660): the group bits are the mask, not what the owning group may do.
const QByteArray SourceAcl = aclBytes({{1, 6}, {2, 6, 4242}, {4, 4}, {0x10, 6}, {0x20, 0}});
// What a folder hands down to every new file in it.
const QByteArray FolderDefaultAcl = aclBytes({{1, 7}, {2, 7, 4343}, {4, 7}, {0x10, 7}, {0x20, 7}});

} // namespace

class TestFileMetadata : public QObject {
    Q_OBJECT

private slots:
    void init();
    void copiesKeepAttributes_data();
    void copiesKeepAttributes();
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

void TestFileMetadata::copiesKeepAttributes_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("sourceAcl");
    QTest::addColumn<bool>("folderDefault"); // the target folder hands down an ACL
    QTest::newRow("copy") << "copy" << true << false;
    QTest::newRow("flat copy") << "new copy" << true << false;
    QTest::newRow("tree copy") << "tree copy" << true << false;
    QTest::newRow("source's ACL before the folder's") << "copy" << true << true;
    QTest::newRow("no ACL, not even the folder's") << "tree copy" << false << true;
}

void TestFileMetadata::copiesKeepAttributes()
{
    QFETCH(QString, how);
    QFETCH(bool, sourceAcl);
    QFETCH(bool, folderDefault);
    QVERIFY(m_t->dir("src") && m_t->dir("dst"));
    const QByteArray source = m_t->host("src/file.bin");
    QVERIFY(makeSparseFile(source, 32 * MiB, {0, 8 * MiB}));
    QCOMPARE(::chmod(source.constData(), 0660), 0);
    QVERIFY(setHostAttribute(source, "user.xdg.origin.url", "https://example.org/file.bin"));
    QVERIFY(setHostAttribute(source, "user.empty", {}));
    QVERIFY(setHostAttribute(source, "trusted.quorvane", "t"));
    QVERIFY(setHostAttribute(source, "security.quorvane", "s"));
    if (sourceAcl)
        QVERIFY(setHostAttribute(source, "system.posix_acl_access", SourceAcl));
    if (folderDefault)
        QVERIFY(setHostAttribute(m_t->host("dst"), "system.posix_acl_default", FolderDefaultAcl));

    if (how == QLatin1String("tree copy")) {
        auto trees = m_t->fs->openImageTrees(QStringLiteral("T:\\src"), QStringLiteral("T:\\dst"), false);
        QVERIFY(trees.ok());
        const auto placed = trees.value()->copy(QStringLiteral("file.bin"), QStringLiteral("file.bin"), nullptr, nullptr);
        QCOMPARE(placed.error, 0);
    } else {
        const QString from = QStringLiteral("T:\\src\\file.bin");
        const QString to = QStringLiteral("T:\\dst\\file.bin");
        const Status s = how == QLatin1String("copy") ? m_t->fs->copyFile(from, to) : m_t->fs->copyToNewFile(from, to);
        QCOMPARE(s.error, 0);
    }
    const QByteArray target = m_t->host("dst/file.bin");
    QCOMPARE(hostAttributes(target), hostAttributes(source));
    QCOMPARE(m_t->mode("dst/file.bin"), mode_t(0660));
    const HostContent copied = hostContent(target);
    const HostContent original = hostContent(source);
    QCOMPARE(copied.size, original.size);
    QCOMPARE(copied.sha1, original.sha1);
    QVERIFY2(copied.blocks <= original.blocks + 16, QByteArray::number(copied.blocks).constData());
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
