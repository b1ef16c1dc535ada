#include "startup/profiletext.h"

#include <QTest>

using namespace quorvane;

// The file format alone, on bytes in memory.
class TestProfileText : public QObject {
    Q_OBJECT

private slots:
    void find_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QByteArray>("value");

        const QByteArray usual("[Brannick Quorvane]\r\nUserDef=*.cdr;*.psd\r\n");
        QTest::newRow("as written") << usual << "Brannick Quorvane"
                                    << "UserDef" << true << QByteArray("*.cdr;*.psd");
        QTest::newRow("upper-cased names") << usual << "BRANNICK QUORVANE"
                                           << "USERDEF" << true << QByteArray("*.cdr;*.psd");
        QTest::newRow("lower-case file") << QByteArray("[brannick quorvane]\nuserdef=*.a\n") << "BRANNICK QUORVANE"
                                         << "USERDEF" << true << QByteArray("*.a");
        QTest::newRow("blanks around names and value")
            << QByteArray("  [ Brannick Quorvane ]  \r\n  UserDef  =  *.a b  \r\n") << "Brannick Quorvane"
            << "UserDef" << true << QByteArray("*.a b");
        QTest::newRow("quotes kept") << QByteArray("[S]\r\nK=\"*.a\"\r\n") << "S"
                                     << "K" << true << QByteArray("\"*.a\"");
        QTest::newRow("equals in value") << QByteArray("[S]\r\nK=a=b\r\n") << "S"
                                         << "K" << true << QByteArray("a=b");
        QTest::newRow("empty value") << QByteArray("[S]\r\nK=\r\n") << "S"
                                     << "K" << true << QByteArray();
        QTest::newRow("no line break at end") << QByteArray("[S]\r\nK=v") << "S"
                                              << "K" << true << QByteArray("v");
        QTest::newRow("lone CR line ends") << QByteArray("[S]\rK=v\rL=w") << "S"
                                           << "L" << true << QByteArray("w");
        QTest::newRow("key in other section") << QByteArray("[A]\r\nK=1\r\n[S]\r\nJ=2\r\n") << "S"
                                              << "K" << false << QByteArray();
        QTest::newRow("section named like the key") << QByteArray("[K]\r\nS=1\r\n") << "S"
                                                    << "K" << false << QByteArray();
        QTest::newRow("no section header") << QByteArray("K=v\r\n") << "S"
                                           << "K" << false << QByteArray();
        QTest::newRow("line without equals") << QByteArray("[S]\r\nK\r\nK v\r\n") << "S"
                                             << "K" << false << QByteArray();
        QTest::newRow("commented out") << QByteArray("[S]\r\n;K=1\r\n#K=2\r\nK=3\r\n") << "S"
                                       << "K" << true << QByteArray("3");
        QTest::newRow("first of two") << QByteArray("[S]\r\nK=1\r\nK=2\r\n") << "S"
                                      << "K" << true << QByteArray("1");
        QTest::newRow("second section of same name") << QByteArray("[S]\r\nA=1\r\n[T]\r\nK=0\r\n[s]\r\nK=2\r\n") << "S"
                                                     << "K" << true << QByteArray("2");
        QTest::newRow("prefix of key is no match") << QByteArray("[S]\r\nKEY=1\r\n") << "S"
                                                   << "K" << false << QByteArray();
        QTest::newRow("NUL ends value") << QByteArray("[S]\r\nK=ab\0cd\r\n", 14) << "S"
                                        << "K" << true << QByteArray("ab");
        QTest::newRow("umlaut names") << QByteArray("[\xc4nderung]\r\n\xfc=1\r\n") << "\u00e4NDERUNG"
                                      << "\u00dc" << true << QByteArray("1");
        QTest::newRow("empty file") << QByteArray() << "S"
                                    << "K" << false << QByteArray();
        QTest::newRow("binary junk") << QByteArray("\x00\xff\x01[\x80\r\x1a=\n\n", 11) << "S"
                                     << "K" << false << QByteArray();
    }
    void find()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(bool, found);
        QFETCH(QByteArray, value);
        const std::optional<QByteArray> result = findProfileValue(content, section, key);
        QCOMPARE(result.has_value(), found);
        if (found)
            QCOMPARE(*result, value);
    }

    void set_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("new file") << QByteArray() << QByteArray("*.a")
                                  << QByteArray("[Brannick Quorvane]\r\nUserDef=*.a\r\n");
        QTest::newRow("new section after others")
            << QByteArray("[Other]\r\nx=1\r\n") << QByteArray("*.a")
            << QByteArray("[Other]\r\nx=1\r\n[Brannick Quorvane]\r\nUserDef=*.a\r\n");
        QTest::newRow("new section, last line unended")
            << QByteArray("; note\nx=1") << QByteArray("v")
            << QByteArray("; note\nx=1\r\n[Brannick Quorvane]\r\nUserDef=v\r\n");
        QTest::newRow("replaced in place, everything else kept")
            << QByteArray("; kept comment\n[A]\nx = 1 \n\n[brannick quorvane]\r\n  userdef = old \r\nz=2\n[B]\ny=3")
            << QByteArray("*.new")
            << QByteArray("; kept comment\n[A]\nx = 1 \n\n[brannick quorvane]\r\nUserDef=*.new\r\nz=2\n[B]\ny=3");
        QTest::newRow("replaced at end without line break")
            << QByteArray("[Brannick Quorvane]\r\nUserDef=old") << QByteArray("n")
            << QByteArray("[Brannick Quorvane]\r\nUserDef=n");
        QTest::newRow("added to section before blank lines")
            << QByteArray("[Brannick Quorvane]\r\nOther=1\r\n\r\n[B]\r\n") << QByteArray("v")
            << QByteArray("[Brannick Quorvane]\r\nOther=1\r\nUserDef=v\r\n\r\n[B]\r\n");
        QTest::newRow("added to section at unended end")
            << QByteArray("[Brannick Quorvane]\nOther=1") << QByteArray("v")
            << QByteArray("[Brannick Quorvane]\nOther=1\r\nUserDef=v\r\n");
        QTest::newRow("added to empty section") << QByteArray("[Brannick Quorvane]\r\n[B]\r\n") << QByteArray("v")
                                                << QByteArray("[Brannick Quorvane]\r\nUserDef=v\r\n[B]\r\n");
        QTest::newRow("commented key not replaced")
            << QByteArray("[Brannick Quorvane]\r\n;UserDef=x\r\n") << QByteArray("v")
            << QByteArray("[Brannick Quorvane]\r\n;UserDef=x\r\nUserDef=v\r\n");
        QTest::newRow("empty value") << QByteArray("[Brannick Quorvane]\r\nUserDef=x\r\n") << QByteArray()
                                     << QByteArray("[Brannick Quorvane]\r\nUserDef=\r\n");
        // A line break in the value must not start a line of its own: no key
        // or section can be smuggled into the file.
        QTest::newRow("line breaks become blanks")
            << QByteArray("[Brannick Quorvane]\r\nUserDef=x\r\n[B]\r\nk=1\r\n")
            << QByteArray("*.a\r\n[B]\r\nk=evil\n[C]\rx")
            << QByteArray("[Brannick Quorvane]\r\nUserDef=*.a  [B]  k=evil [C] x\r\n[B]\r\nk=1\r\n");
    }
    void set()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, expected);
        const QByteArray result = setProfileValue(content, "Brannick Quorvane", "UserDef", value);
        QCOMPARE(result, expected);
        // What was written is what is read.
        const std::optional<QByteArray> back =
            findProfileValue(result, QStringLiteral("BRANNICK QUORVANE"), QStringLiteral("USERDEF"));
        QVERIFY(back.has_value());
        QCOMPARE(*back, value.trimmed().replace('\r', ' ').replace('\n', ' ').trimmed());
    }

    // Names as a caller may pass them: what one write stores, the next read
    // and write find again, without adding a line.
    void namesReadBackAsWritten_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("key");
        QTest::newRow("blanks around the section") << QByteArray(" Brannick Quorvane ") << QByteArray("UserDef");
        QTest::newRow("tab after the key") << QByteArray("S") << QByteArray("K\t");
        QTest::newRow("no-break space kept") << QByteArray("S\xa0") << QByteArray("\xa0K");
        QTest::newRow("fuzz: blank before section, empty key") << QByteArray(" Qu\x01xxx*.ai") << QByteArray();
    }
    void namesReadBackAsWritten()
    {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, key);
        const QString sectionName = QString::fromLatin1(section);
        const QString keyName = QString::fromLatin1(key);
        const QByteArray once = setProfileValue("[Other]\r\nK=1\r\n", section, key, "v");
        QCOMPARE(findProfileValue(once, sectionName, keyName).value_or("<none>"), QByteArray("v"));
        const QByteArray twice = setProfileValue(once, section, key, "w");
        QCOMPARE(twice.count('\n'), once.count('\n'));
        QCOMPARE(findProfileValue(twice, sectionName, keyName).value_or("<none>"), QByteArray("w"));
    }

    void smuggledSectionIsNotRead()
    {
        const QByteArray result = setProfileValue(QByteArray(), "S", "K", "v\r\n[Evil]\r\nK=1");
        QCOMPARE(result.count('\n'), 2);
        QVERIFY(!findProfileValue(result, QStringLiteral("Evil"), QStringLiteral("K")).has_value());
    }

    void longLineIsHandled()
    {
        QByteArray content("[S]\r\n");
        content.append(QByteArray(1024 * 1024, 'x'));
        content.append("\r\nK=found\r\n");
        QCOMPARE(findProfileValue(content, QStringLiteral("S"), QStringLiteral("K")).value_or("none"),
                 QByteArray("found"));
        const QByteArray updated = setProfileValue(content, "S", "K", "new");
        QCOMPARE(updated.size(), content.size() - 2);
        QVERIFY(updated.startsWith(content.left(1024 * 1024 + 7)));
    }
};

QTEST_GUILESS_MAIN(TestProfileText)
#include "tst_profiletext.moc"
