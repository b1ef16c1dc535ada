// Name handling that needs no disk: the byte codec, the drive map, path
// forms.
#include "platform/drivemap.h"
#include "platform/drivepath.h"
#include "platform/namecodec.h"

#include <QTest>

using namespace quorvane::platform;

class TestNames : public QObject {
    Q_OBJECT

private slots:
    void codecDecode_data();
    void codecDecode();
    void codecEncodesStrings_data();
    void codecEncodesStrings();
    void pathBelowRoot_data();
    void pathBelowRoot();
    void driveMap_data();
    void driveMap();
    void driveOf_data();
    void driveOf();
    void absolute_data();
    void absolute();
};

void TestNames::codecDecode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ascii") << QByteArray("plain.txt") << QStringLiteral("plain.txt");
    QTest::newRow("umlauts") << QByteArray("\xc3\xa4rger.txt") << QStringLiteral("ärger.txt");
    QTest::newRow("four-byte") << QByteArray("\xf0\x9f\x98\x80") << QString::fromUtf8("\xf0\x9f\x98\x80");
    QTest::newRow("latin-1 byte") << QByteArray("caf\xe9") << (QStringLiteral("caf") + QChar(0xDCE9));
    QTest::newRow("lone continuation") << QByteArray("\x80x") << (QString(QChar(0xDC80)) + QLatin1Char('x'));
    QTest::newRow("truncated sequence") << QByteArray("a\xe2\x82")
                                        << (QStringLiteral("a") + QChar(0xDCE2) + QChar(0xDC82));
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << (QString(QChar(0xDCC0)) + QChar(0xDCAF));
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80")
                                       << (QString(QChar(0xDCED)) + QChar(0xDCA0) + QChar(0xDC80));
    QTest::newRow("above U+10FFFF") << QByteArray("\xf4\x90\x80\x80")
                                    << (QString(QChar(0xDCF4)) + QChar(0xDC90) + QChar(0xDC80) + QChar(0xDC80));
    QTest::newRow("0xff") << QByteArray("\xff\xfe") << (QString(QChar(0xDCFF)) + QChar(0xDCFE));
}

void TestNames::codecDecode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    const QString decoded = decodeName(bytes);
    QCOMPARE(decoded, expected);
    // Every byte string comes back unchanged: the file stays reachable.
    QCOMPARE(encodeName(decoded), bytes);
    QCOMPARE(hasEscapes(decoded), expected.toUtf8() != bytes);
}

void TestNames::codecEncodesStrings_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("roundTrips");
    QTest::newRow("plain") << QStringLiteral("Straße.txt")
                           << QByteArray(
                                  "Stra\xc3\x9f"
                                  "e.txt")
                           << true;
    QTest::newRow("pair") << QString::fromUtf8("\xf0\x9f\x98\x80") << QByteArray("\xf0\x9f\x98\x80") << true;
    QTest::newRow("escape") << (QStringLiteral("a") + QChar(0xDCFF)) << QByteArray("a\xff") << true;
    // A lone surrogate that no disk name produces: stored in its three-byte
    // form, which reads back as three escapes (never as another file's name).
    QTest::newRow("lone high") << QString(QChar(0xD800)) << QByteArray("\xed\xa0\x80") << false;
    QTest::newRow("lone low below escapes") << QString(QChar(0xDC00)) << QByteArray("\xed\xb0\x80") << false;
    // A "\\" in a host name is a character of the name, never a separator.
    QTest::newRow("backslash in a name") << (QStringLiteral("..") + QChar(0xF05C) + QStringLiteral("x"))
                                         << QByteArray("..\\x") << true;
    QTest::newRow("backslash given as such") << QStringLiteral("a\\b") << QByteArray("a\\b") << false;
    // A name that really holds U+F05C stays apart from one holding "\\".
    QTest::newRow("U+F05C on the disk") << (QString(QChar(0xDCEF)) + QChar(0xDC81) + QChar(0xDC9C))
                                        << QByteArray("\xef\x81\x9c") << true;
}

void TestNames::codecEncodesStrings()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, roundTrips);
    QCOMPARE(encodeName(name), bytes);
    QCOMPARE(decodeName(bytes) == name, roundTrips);
    QCOMPARE(encodeName(decodeName(bytes)), bytes);
    // Typed text keeps every byte string, "\\" and U+F05C each as itself.
    QCOMPARE(encodeText(decodeText(bytes)), bytes);
    const QByteArray typed(
        "D:\\a\xef\x81\x9c"
        "b\xff");
    QCOMPARE(decodeText(typed), QStringLiteral("D:\\a") + QChar(0xF05C) + QLatin1Char('b') + QChar(0xDCFF));
    QCOMPARE(encodeText(decodeText(typed)), typed);
}

static QString describe(const DriveMap &map)
{
    QStringList parts;
    for (QChar letter : map.letters())
        parts << QString(letter) + QLatin1Char('=') + QString::fromUtf8(map.hostFolder(letter));
    return parts.join(QLatin1Char(';'));
}

void TestNames::pathBelowRoot_data()
{
    QTest::addColumn<QByteArray>("root");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QString>("entry"); // "-": not below
    const QString no = QStringLiteral("-");
    QTest::newRow("one folder down") << QByteArray("/t") << QByteArray("/t/a/b.txt") << QStringLiteral("a\\b.txt");
    QTest::newRow("root ending in a slash") << QByteArray("/t/") << QByteArray("/t/b.txt") << QStringLiteral("b.txt");
    QTest::newRow("the root /") << QByteArray("/") << QByteArray("/etc/x") << QStringLiteral("etc\\x");
    QTest::newRow("name not UTF-8") << QByteArray("/t") << QByteArray("/t/caf\xe9")
                                    << (QStringLiteral("caf") + QChar(0xDCE9));
    QTest::newRow("backslash in a name") << QByteArray("/t") << QByteArray("/t/a\\b")
                                         << (QStringLiteral("a") + QChar(BackslashInName) + QLatin1Char('b'));
    QTest::newRow("the root itself") << QByteArray("/t") << QByteArray("/t") << no;
    QTest::newRow("a sibling sharing its start") << QByteArray("/t") << QByteArray("/t2/x") << no;
    QTest::newRow("letter case differs") << QByteArray("/t") << QByteArray("/T/x") << no;
    QTest::newRow("up and out") << QByteArray("/t") << QByteArray("/t/../etc/passwd") << no;
    QTest::newRow("up and back in") << QByteArray("/t") << QByteArray("/t/a/../b") << no;
    QTest::newRow("a dot") << QByteArray("/t") << QByteArray("/t/./b") << no;
    QTest::newRow("an empty name") << QByteArray("/t") << QByteArray("/t//b") << no;
    QTest::newRow("a NUL") << QByteArray("/t") << QByteArray("/t/a\0b", 6) << no;
    QTest::newRow("relative") << QByteArray("t") << QByteArray("t/b") << no;
    QTest::newRow("root with ..") << QByteArray("/t/..") << QByteArray("/t/../b") << no;
}

void TestNames::pathBelowRoot()
{
    QFETCH(QByteArray, root);
    QFETCH(QByteArray, path);
    QFETCH(QString, entry);
    const std::optional<QString> below = relativeBelow(root, path);
    QCOMPARE(below.value_or(QStringLiteral("-")), entry);
}

void TestNames::driveMap_data()
{
    QTest::addColumn<QByteArray>("mapText");
    QTest::addColumn<QString>("expected");
    QTest::newRow("unset") << QByteArray() << QStringLiteral("C=/");
    QTest::newRow("two drives") << QByteArray("D=/media/usb;T=/tmp/abc")
                                << QStringLiteral("C=/;D=/media/usb;T=/tmp/abc");
    QTest::newRow("C mapped wins") << QByteArray("c=/srv/c") << QStringLiteral("C=/srv/c");
    QTest::newRow("lower case letter") << QByteArray("d=/x") << QStringLiteral("C=/;D=/x");
    QTest::newRow("letter with colon") << QByteArray("E:=/e") << QStringLiteral("C=/;E=/e");
    QTest::newRow("bad entries ignored") << QByteArray("bad;=/x;DD=/y;E=relative;F=;1=/n;G=/g/")
                                         << QStringLiteral("C=/;G=/g");
    QTest::newRow("blanks trimmed") << QByteArray(" H = /h ;") << QStringLiteral("C=/;H=/h");
    QTest::newRow("empty C keeps root") << QByteArray("C=") << QStringLiteral("C=/");
    QTest::newRow("later wins") << QByteArray("D=/one;D=/two") << QStringLiteral("C=/;D=/two");
    // Found by fuzzing: a folder stored again lost the blanks a "/" had kept.
    QTest::newRow("blank before a slash kept") << QByteArray("D=/a /") << QStringLiteral("C=/;D=/a ");
    QTest::newRow("control characters inside kept") << QByteArray("E=/\r\r/;") << QStringLiteral("C=/;E=/\r\r");
}

void TestNames::driveMap()
{
    QFETCH(QByteArray, mapText);
    QFETCH(QString, expected);
    const DriveMap map = DriveMap::parse(mapText);
    QCOMPARE(describe(map), expected);
    for (const QChar letter : map.letters()) {
        DriveMap again = map;
        again.set(letter, map.hostFolder(letter));
        QCOMPARE(again.hostFolder(letter), map.hostFolder(letter));
    }
}

void TestNames::driveOf_data()
{
    QTest::addColumn<QByteArray>("mapText");
    QTest::addColumn<QByteArray>("host");
    QTest::addColumn<QString>("drive");
    QTest::addColumn<QByteArray>("rest");
    QTest::newRow("root covers all") << QByteArray() << QByteArray("/usr/bin") << QStringLiteral("C")
                                     << QByteArray("usr/bin");
    QTest::newRow("longest prefix") << QByteArray("T=/tmp/abc") << QByteArray("/tmp/abc/x") << QStringLiteral("T")
                                    << QByteArray("x");
    QTest::newRow("the folder itself") << QByteArray("T=/tmp/abc") << QByteArray("/tmp/abc") << QStringLiteral("T")
                                       << QByteArray();
    QTest::newRow("whole components only")
        << QByteArray("T=/tmp/abc") << QByteArray("/tmp/abcd") << QStringLiteral("C") << QByteArray("tmp/abcd");
    QTest::newRow("nested drives") << QByteArray("T=/tmp;U=/tmp/u") << QByteArray("/tmp/u/v") << QStringLiteral("U")
                                   << QByteArray("v");
    QTest::newRow("nobody holds it") << QByteArray("C=/srv") << QByteArray("/usr") << QString() << QByteArray();
}

void TestNames::driveOf()
{
    QFETCH(QByteArray, mapText);
    QFETCH(QByteArray, host);
    QFETCH(QString, drive);
    QFETCH(QByteArray, rest);
    QByteArray gotRest;
    const QChar got = DriveMap::parse(mapText).driveOf(host, &gotRest);
    QCOMPARE(got.isNull() ? QString() : QString(got), drive);
    if (!got.isNull())
        QCOMPARE(gotRest, rest);
}

void TestNames::absolute_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    // Current drive C: at C:\Work\Sub; D: stands at D:\Docs.
    QTest::newRow("absolute") << QStringLiteral("D:\\a\\b") << QStringLiteral("D:\\a\\b");
    QTest::newRow("lower drive") << QStringLiteral("d:\\a") << QStringLiteral("D:\\a");
    QTest::newRow("rooted") << QStringLiteral("\\a") << QStringLiteral("C:\\a");
    QTest::newRow("drive relative") << QStringLiteral("D:x") << QStringLiteral("D:\\Docs\\x");
    QTest::newRow("drive alone") << QStringLiteral("D:") << QStringLiteral("D:\\Docs");
    QTest::newRow("relative") << QStringLiteral("x\\y") << QStringLiteral("C:\\Work\\Sub\\x\\y");
    QTest::newRow("dot dot") << QStringLiteral("..\\z") << QStringLiteral("C:\\Work\\z");
    QTest::newRow("dot dot above root") << QStringLiteral("C:\\..\\..\\z") << QStringLiteral("C:\\z");
    QTest::newRow("trailing separator") << QStringLiteral("C:\\a\\") << QStringLiteral("C:\\a");
    QTest::newRow("root") << QStringLiteral("D:\\") << QStringLiteral("D:\\");
    QTest::newRow("slashes") << QStringLiteral("C:/a//b/./c") << QStringLiteral("C:\\a\\b\\c");
    QTest::newRow("dots and blanks kept") << QStringLiteral("C:\\a. \\b.") << QStringLiteral("C:\\a. \\b.");
}

void TestNames::absolute()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    CurrentDirectories current;
    current[2] = QStringList{QStringLiteral("Work"), QStringLiteral("Sub")};
    current[3] = QStringList{QStringLiteral("Docs")};
    QCOMPARE(makeAbsolute(path, QLatin1Char('C'), current).toString(), expected);
}

QTEST_APPLESS_MAIN(TestNames)
#include "tst_names.moc"
