// What the window says at the end of a run that left something undone.
#include "ui/main/runreport.h"

#include <QTest>

using namespace quorvane;

namespace {

SkippedFile skippedFile(const QString &source, const QString &reason)
{
    SkippedFile skipped;
    skipped.source = source;
    skipped.subject = source;
    skipped.reason = reason;
    return skipped;
}

} // namespace

class TestRunReport : public QObject {
    Q_OBJECT

private slots:
    // Five reasons at the most, files before folders; the rest only counted.
    void reasonsBeyondTheFifthAreCounted()
    {
        RunSummary summary;
        summary.ran = true;
        summary.imaged = 1;
        for (int i = 1; i <= 6; ++i)
            summary.skippedFiles.append(skippedFile(QStringLiteral("D:\\a\\f%1.txt").arg(i), QStringLiteral("Grund")));
        summary.skipped = summary.skippedFiles.size();
        const std::vector<UnreadableFolder> unread{
            {QStringLiteral("D:\\Gesperrt"), 70, QStringLiteral("Keine Berechtigung")}};
        QVERIFY(runLeftSomethingUndone(summary, unread));
        QCOMPARE(runReportText(summary, unread, {QStringLiteral("C:\\s\\skipped.txt"), {}, {}}),
                 QStringLiteral("1 Datei(en) abgebildet, 6 Datei(en) übersprungen.\n"
                                "1 Verzeichnis(se) nicht lesbar.\n\n"
                                "f1.txt: Grund\nf2.txt: Grund\nf3.txt: Grund\nf4.txt: Grund\nf5.txt: Grund\n"
                                "… und 2 weitere\n\n"
                                "Die vollständige Liste steht in:\nC:\\s\\skipped.txt   "));
        QCOMPARE(undoneList(summary, unread).count('\n'), 7);
    }

    // A run that said why itself, or was ended by a signal, gets no second box.
    void whetherTheRunSaysMore_data()
    {
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("listing");
        QTest::addColumn<bool>("box");
        QTest::newRow("refused before writing") << "Nicht genug Platz   " << 0 << false << false;
        QTest::newRow("stopped by a signal") << QString() << 15 << false << false;
        QTest::newRow("listing with a folder not read") << QString() << 0 << true << true;
    }

    void whetherTheRunSaysMore()
    {
        QFETCH(QString, refusal);
        QFETCH(int, signal);
        QFETCH(bool, listing);
        QFETCH(bool, box);
        RunSummary summary;
        summary.ran = true;
        summary.listing = listing;
        summary.found = 4;
        summary.preflight.refusal = refusal;
        summary.stopSignal = signal;
        std::vector<UnreadableFolder> unread;
        if (listing)
            unread.push_back({QStringLiteral("D:\\Gesperrt"), 70, QStringLiteral("Keine Berechtigung")});
        else
            summary.skippedFiles.append(skippedFile(QStringLiteral("D:\\gross.iso"), QStringLiteral("Datei zu groß")));
        summary.skipped = summary.skippedFiles.size();
        QCOMPARE(runLeftSomethingUndone(summary, unread), box);
        if (listing)
            QVERIFY(runReportText(summary, unread, {})
                        .startsWith(QStringLiteral(
                            "4 Datei(en) gefunden.\n1 Verzeichnis(se) nicht lesbar.\n\nGesperrt: Keine Berechtigung")));
    }
};

QTEST_APPLESS_MAIN(TestRunReport)
#include "tst_runreport.moc"
