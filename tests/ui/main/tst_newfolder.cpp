// The new-folder entry below the target list: its two states, the names
// typed, pasted and filtered, and what Enter creates.
#include "form1fixture.h"

#include "platform/widgets/dirlist.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

using namespace quorvane;

namespace {

// The lines logged in the category "quorvane.fs" while it lives.
struct FsLogLines {
    static inline QStringList *s_lines = nullptr;
    QStringList lines;
    QtMessageHandler m_previous;

    FsLogLines()
    {
        s_lines = &lines;
        m_previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &context, const QString &text) {
            if (s_lines && QLatin1String(context.category) == QLatin1String("quorvane.fs"))
                s_lines->append(text);
        });
    }
    ~FsLogLines()
    {
        qInstallMessageHandler(m_previous);
        s_lines = nullptr;
    }
};

} // namespace

class TestNewFolder : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Form1Fixture> f;

    void openEntry()
    {
        QTest::mouseClick(f->form->Command2, Qt::LeftButton);
        QVERIFY(f->form->Text2->isVisible());
        QVERIFY(!f->form->Command2->isVisible());
        QCOMPARE(QApplication::focusWidget(), f->form->Text2);
    }

    // Types text key by key; letters beyond ASCII go as the key of their
    // upper-case form with the character as text, as a keyboard sends them.
    static void type(QWidget *w, const QString &text)
    {
        for (const QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClick(w, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, w, Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
        }
    }

    bool isFolder(const QString &relative) const { return QFileInfo(f->host(relative)).isDir(); }

private slots:
    void init()
    {
        f = std::make_unique<Form1Fixture>();
        QVERIFY(f->setUp());
        QVERIFY(f->showWindow());
    }
    void cleanup() { f.reset(); }

    void firstOpeningSelectsTheDefaultText()
    {
        openEntry();
        QCOMPARE(f->form->Text2->selectedText(), QStringLiteral("Neues Vezeichnis"));
        QTest::keyClicks(f->form->Text2, QStringLiteral("Neu"));
        QCOMPARE(f->form->Text2->text(), QStringLiteral("Neu"));
    }

    void enterCreates_data()
    {
        QTest::addColumn<QString>("start"); // Dir2's folder
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("created"); // host folder below C:, empty for none
        QTest::addColumn<QString>("after");   // Dir2's folder afterwards
        QTest::newRow("in the drive root") << "C:\\"
                                           << "Neu"
                                           << "Neu"
                                           << "C:\\Neu";
        QTest::newRow("in a folder without backslash") << "C:\\Daten"
                                                       << "A"
                                                       << "Daten/A"
                                                       << "C:\\Daten\\A";
        QTest::newRow("umlauts and blanks pass")
            << "C:\\Daten" << QString::fromUtf8("Bälle & Co") << QString::fromUtf8("Daten/Bälle & Co")
            << QString::fromUtf8("C:\\Daten\\Bälle & Co");
        QTest::newRow("filtered characters are never typed") << "C:\\Daten"
                                                             << "a.b,c:d*e"
                                                             << "Daten/abcde"
                                                             << "C:\\Daten\\abcde";
        QTest::newRow("empty name creates nothing") << "C:\\Daten"
                                                    << ""
                                                    << ""
                                                    << "C:\\Daten";
    }

    void enterCreates()
    {
        QFETCH(QString, start);
        QFETCH(QString, typed);
        QFETCH(QString, created);
        QFETCH(QString, after);
        Form1 &w = *f->form;
        QVERIFY(w.Dir2->setPath(start).ok());
        const QStringList before = QDir(f->c->host()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        openEntry();
        QTest::keyClick(w.Text2, Qt::Key_A, Qt::ControlModifier); // select all
        QTest::keyClick(w.Text2, Qt::Key_Backspace);
        type(w.Text2, typed);
        QTest::keyClick(w.Text2, Qt::Key_Return);
        QVERIFY(!w.Text2->isVisible());
        QVERIFY(w.Command2->isVisible());
        if (!created.isEmpty())
            QVERIFY2(isFolder(created), qPrintable(created));
        else
            QCOMPARE(QDir(f->c->host()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QCOMPARE(w.Dir2->path(), after);
    }

    void newFolderShowsInTheListAfterwards()
    {
        Form1 &w = *f->form;
        QVERIFY(w.Dir2->setPath(QStringLiteral("C:\\Daten")).ok());
        openEntry();
        QTest::keyClicks(w.Text2, QStringLiteral("Kind"));
        QTest::keyClick(w.Text2, Qt::Key_Enter); // the keypad's Enter as well
        QCOMPARE(w.Dir2->path(), QStringLiteral("C:\\Daten\\Kind"));
        // Back up one level: the parent lists the new folder.
        QVERIFY(w.Dir2->setPath(QStringLiteral("C:\\Daten")).ok());
        QVERIFY(w.Dir2->count() >= 2);
        bool listed = false;
        for (qsizetype i = 0; i < w.Dir2->count(); ++i)
            listed |= w.Dir2->item(i) == QStringLiteral("C:\\Daten\\Kind");
        QVERIFY(listed);
    }

    void pastedNameWithBackslashCreatesBothLevels()
    {
        Form1 &w = *f->form;
        QVERIFY(w.Dir2->setPath(QStringLiteral("C:\\Daten")).ok());
        QApplication::clipboard()->setText(QStringLiteral("Oben\\Unten"));
        openEntry();
        QTest::keyClick(w.Text2, Qt::Key_V, Qt::ControlModifier); // pasted text is not filtered
        QCOMPARE(w.Text2->text(), QStringLiteral("Oben\\Unten"));
        QTest::keyClick(w.Text2, Qt::Key_Return);
        QVERIFY(isFolder(QStringLiteral("Daten/Oben/Unten")));
        QCOMPARE(w.Dir2->path(), QStringLiteral("C:\\Daten\\Oben\\Unten"));
    }

    void escKeepsTheTextAndCreatesNothing()
    {
        Form1 &w = *f->form;
        QVERIFY(w.Dir2->setPath(QStringLiteral("C:\\Daten")).ok());
        openEntry();
        QTest::keyClicks(w.Text2, QStringLiteral("Entwurf"));
        QTest::keyClick(w.Text2, Qt::Key_Escape);
        QVERIFY(!w.Text2->isVisible());
        QVERIFY(w.Command2->isVisible());
        QVERIFY(!isFolder(QStringLiteral("Daten/Entwurf")));
        QCOMPARE(w.Dir2->path(), QStringLiteral("C:\\Daten"));
        QCOMPARE(f->immediateEnds + f->programEnds, 0); // Esc in the field ends nothing
        // Shown again next time, with the selection starting where it stood.
        openEntry();
        QCOMPARE(w.Text2->text(), QStringLiteral("Entwurf"));
        QCOMPARE(w.Text2->selectedText(), QString());
    }

    void leavingWithTabKeepsTheEntry()
    {
        Form1 &w = *f->form;
        openEntry();
        QTest::keyClick(w.Text2, Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != w.Text2);
        QVERIFY(w.Text2->isVisible());
        QVERIFY(!w.Command2->isVisible());
    }

    void failedCreationClosesTheFieldAndKeepsTheFolder()
    {
        Form1 &w = *f->form;
        QVERIFY(w.Dir2->setPath(QStringLiteral("C:\\Daten")).ok());
        // A file stands where the folder would go.
        QFile blocker(f->host(QStringLiteral("Daten/belegt")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        openEntry();
        QTest::keyClicks(w.Text2, QStringLiteral("belegt"));
        FsLogLines log;
        QTest::keyClick(w.Text2, Qt::Key_Return);
        QVERIFY(!w.Text2->isVisible());
        QVERIFY(QFileInfo(f->host(QStringLiteral("Daten/belegt"))).isFile());
        QCOMPARE(w.Dir2->path(), QStringLiteral("C:\\Daten"));
        QVERIFY(f->toolkit.boxes().empty()); // no message
        // The reason the window keeps to itself is in the log.
        QVERIFY2(log.lines.join(QLatin1Char('\n')).contains(QStringLiteral("Neues Verzeichnis anlegen (Fehler ")),
                 qPrintable(log.lines.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TestNewFolder)
#include "tst_newfolder.moc"
