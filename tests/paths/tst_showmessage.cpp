#include "paths/pathhelpers.h"

#include "paths/shared.h"
#include "support/scriptedtoolkit.h"
#include "platform/services.h"

#include <QTest>

using namespace quorvane;

class TestShowMessage : public QObject {
    Q_OBJECT

private slots:
    void kinds_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("style"); // -1: no box
        QTest::newRow("information") << 1 << 64;
        QTest::newRow("warning") << 2 << 48;
        QTest::newRow("error") << 3 << 16;
        QTest::newRow("question, OK only") << 4 << 32;
        QTest::newRow("zero") << 0 << -1;
        QTest::newRow("five") << 5 << -1;
        QTest::newRow("negative") << -1 << -1;
    }
    void kinds()
    {
        QFETCH(int, kind);
        QFETCH(int, style);
        platform::ScriptedToolkit toolkit;
        platform::ScopedPlatform scope(nullptr, &toolkit);
        QString title = QStringLiteral("Kopieren");
        ShowMessage(QStringLiteral("Fertig.   "), kind, title);
        if (style < 0) {
            QCOMPARE(toolkit.boxes().size(), size_t(0));
            return;
        }
        QCOMPARE(toolkit.boxes().size(), size_t(1));
        QCOMPARE(toolkit.boxes()[0].style, style);
        QCOMPARE(toolkit.boxes()[0].prompt, QStringLiteral("Fertig.   "));
        QCOMPARE(toolkit.boxes()[0].title, QStringLiteral("Kopieren"));
        QCOMPARE(title, QStringLiteral("Kopieren"));
    }

    // An empty title becomes the program title, in the caller's variable too.
    void emptyTitle_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("shown") << 1;
        QTest::newRow("not shown") << 7;
    }
    void emptyTitle()
    {
        QFETCH(int, kind);
        platform::ScriptedToolkit toolkit;
        platform::ScopedPlatform scope(nullptr, &toolkit);
        QString title;
        ShowMessage(QStringLiteral("x"), kind, title);
        QCOMPARE(title, QStringLiteral("Brannick Quorvane"));
        ShowMessage(QStringLiteral("y"), kind);
        for (const platform::ScriptedToolkit::Box &box : toolkit.boxes())
            QCOMPARE(box.title, QStringLiteral("Brannick Quorvane"));
        QCOMPARE(toolkit.boxes().size(), kind == 1 ? size_t(2) : size_t(0));
    }

    void titleFollowsAppTitle()
    {
        platform::ScriptedToolkit toolkit;
        platform::ScopedPlatform scope(nullptr, &toolkit);
        const QString saved = AppTitle;
        AppTitle = QStringLiteral("Anderer Titel");
        ShowMessage(QStringLiteral("x"), 2);
        AppTitle = saved;
        QCOMPARE(toolkit.boxes().size(), size_t(1));
        QCOMPARE(toolkit.boxes()[0].title, QStringLiteral("Anderer Titel"));
    }
};

QTEST_GUILESS_MAIN(TestShowMessage)
#include "tst_showmessage.moc"
