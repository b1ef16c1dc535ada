#include "paths/pathhelpers.h"
#include "paths/typedpaths.h"

#include <QTest>

using namespace quorvane;

// The string helpers take paths apart by "\" and "." alone: no "/", no
// collapsing of doubled separators, no change of letter case.
class TestPathStrings : public QObject {
    Q_OBJECT

private slots:
    void addBackslash_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("drive") << "C:"
                               << "C:\\";
        QTest::newRow("root stays") << "C:\\"
                                    << "C:\\";
        QTest::newRow("empty") << ""
                               << "\\";
        QTest::newRow("folder") << "C:\\Daten"
                                << "C:\\Daten\\";
        QTest::newRow("slash is no separator") << "C:/x/"
                                               << "C:/x/\\";
        QTest::newRow("doubled stays") << "C:\\\\"
                                       << "C:\\\\";
    }
    void addBackslash()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QString variable = path;
        const QString returned = AddBackslash(variable);
        QCOMPARE(returned, expected);
        QCOMPARE(variable, expected); // written back into the caller's variable
    }

    void getParentPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two deep") << "C:\\Windows\\System32"
                                  << "C:\\Windows";
        QTest::newRow("trailing backslash") << "C:\\Windows\\"
                                            << "C:";
        QTest::newRow("root") << "C:\\"
                              << "C:";
        QTest::newRow("drive") << "C:"
                               << "C:";
        QTest::newRow("no backslash") << "abc"
                                      << "abc";
        QTest::newRow("unc drops one leading") << "\\\\server\\share\\dir"
                                               << "\\server\\share";
        QTest::newRow("lone backslash") << "\\"
                                        << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("trailing dropped once") << "C:\\a\\\\"
                                               << "C:\\a";
        QTest::newRow("file in root") << "C:\\x.txt"
                                      << "C:";
        QTest::newRow("case kept") << "c:\\DaTen\\x"
                                   << "c:\\DaTen";
        QTest::newRow("quoted") << "\"C:\\a b\\x.txt\""
                                << "\"C:\\a b";
    }
    void getParentPath()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        const QString before = path;
        QCOMPARE(GetParentPath(path), expected);
        QCOMPARE(path, before);
    }

    void getFileName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("file") << "C:\\a\\b.txt"
                              << "b.txt";
        QTest::newRow("folder with backslash") << "C:\\a\\b\\"
                                               << "b";
        QTest::newRow("root") << "C:\\"
                              << "C:";
        QTest::newRow("bare name") << "b.txt"
                                   << "b.txt";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("lone backslash") << "\\"
                                        << "";
        QTest::newRow("trailing dropped once") << "C:\\a\\\\"
                                               << "";
    }
    void getFileName()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(GetFileName(path), expected);
    }

    void getExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("simple") << "b.txt"
                                << "txt";
        QTest::newRow("last dot") << "a.tar.gz"
                                  << "gz";
        QTest::newRow("no dot") << "README"
                                << "README";
        QTest::newRow("ending in dot") << "name."
                                       << "";
        QTest::newRow("leading dot") << ".profile"
                                     << "profile";
        QTest::newRow("dot in folder") << "C:\\dir.x\\file"
                                       << "x\\file";
        QTest::newRow("trailing backslash") << "dir.x\\"
                                            << "x";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("case kept") << "BILD.JPG"
                                   << "JPG";
    }
    void getExtension()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(GetExtension(name), expected);
    }

    // Containment name by name: a sibling whose name extends the base's is
    // not inside it; drive paths ignore case, host paths do not.
    void containment_data()
    {
        QTest::addColumn<bool>("host");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("below"); // "-" for not below
        QTest::newRow("child") << false << "D:\\src\\a.txt" << "D:\\src" << "a.txt";
        QTest::newRow("base with separator") << false << "D:\\src\\sub\\a" << "D:\\src\\" << "sub\\a";
        QTest::newRow("sibling extends name") << false << "D:\\src2\\a" << "D:\\src" << "-";
        QTest::newRow("case ignored") << false << "d:\\SRC\\a" << "D:\\src" << "a";
        QTest::newRow("outside BMP folds") << false << "D:\\\U00010400\\a" << "D:\\\U00010428" << "a";
        QTest::newRow("root") << false << "C:\\x" << "C:\\" << "x";
        QTest::newRow("itself") << false << "D:\\src\\" << "D:\\src" << "";
        QTest::newRow("relative entries") << false << "out\\a.txt" << "Out" << "a.txt";
        QTest::newRow("host child") << true << "/a/src/x" << "/a/src" << "x";
        QTest::newRow("host sibling") << true << "/a/src2/x" << "/a/src" << "-";
        QTest::newRow("host case kept") << true << "/a/SRC/x" << "/a/src" << "-";
        QTest::newRow("host root") << true << "/etc" << "/" << "etc";
        QTest::newRow("shorter") << true << "/a" << "/a/src" << "-";
    }
    void containment()
    {
        QFETCH(bool, host);
        QFETCH(QString, path);
        QFETCH(QString, base);
        QFETCH(QString, below);
        const std::optional<QString> got =
            host ? HostPath(path).relativeTo(HostPath(base)) : WinPath(path).relativeTo(WinPath(base));
        QCOMPARE(got.value_or(QStringLiteral("-")), below);
        const bool child = host ? HostPath(path).isChildOf(HostPath(base)) : WinPath(path).isChildOf(WinPath(base));
        QCOMPARE(child, below != QStringLiteral("-") && !below.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPathStrings)
#include "tst_pathstrings.moc"
