// The Qt toolkit on the offscreen platform: message boxes with German
// buttons, the default button from the style, the answers, the cursor.
#include "platform/widgets/qttoolkit.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace quorvane::platform;

class TestQtToolkit : public QObject {
    Q_OBJECT

private slots:
    void messageBoxes_data();
    void messageBoxes();
    void busyCursorBalanced();
    void screenSize();

private:
    // Runs a box and, once it shows, records it and presses a key or button.
    int answerBox(QtToolkit &tk, int style, const QString &press, QStringList *buttons, QString *defaultText,
                  QMessageBox::Icon *icon);
};

int TestQtToolkit::answerBox(QtToolkit &tk, int style, const QString &press, QStringList *buttons, QString *defaultText,
                             QMessageBox::Icon *icon)
{
    // Polls until the box is up: it shows only inside messageBox's own loop.
    auto *poll = new QTimer(this);
    poll->setInterval(10);
    connect(poll, &QTimer::timeout, this, [=] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->stop();
        poll->deleteLater();
        for (QAbstractButton *b : box->buttons())
            buttons->append(b->text());
        buttons->sort();
        *defaultText = box->defaultButton() ? box->defaultButton()->text() : QString();
        *icon = box->icon();
        if (press == QLatin1String("<Enter>")) {
            QTest::keyClick(box, Qt::Key_Return);
        } else if (press == QLatin1String("<Esc>")) {
            QTest::keyClick(box, Qt::Key_Escape);
        } else {
            for (QAbstractButton *b : box->buttons()) {
                if (b->text() == press)
                    b->click();
            }
        }
    });
    poll->start();
    return tk.messageBox(QStringLiteral("Datei existiert. Ersetzen?"), style, QStringLiteral("Titel"));
}

void TestQtToolkit::messageBoxes_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("press");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("defaultButton");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("answer");
    QTest::newRow("OK information") << 64 << "<Enter>" << QStringList{"OK"} << "OK" << int(QMessageBox::Information)
                                    << 1;
    QTest::newRow("OK critical") << 16 << "OK" << QStringList{"OK"} << "OK" << int(QMessageBox::Critical) << 1;
    QTest::newRow("warning") << 48 << "<Esc>" << QStringList{"OK"} << "OK" << int(QMessageBox::Warning) << 1;
    QTest::newRow("Yes/No, first default")
        << 4 + 32 << "<Enter>" << QStringList{"Ja", "Nein"} << "Ja" << int(QMessageBox::Question) << 6;
    QTest::newRow("Yes/No, second default")
        << 4 + 32 + 256 << "<Enter>" << QStringList{"Ja", "Nein"} << "Nein" << int(QMessageBox::Question) << 7;
    QTest::newRow("Yes/No clicked No") << 4 + 48 << "Nein" << QStringList{"Ja", "Nein"} << "Ja"
                                       << int(QMessageBox::Warning) << 7;
    QTest::newRow("Yes/No escaped") << 4 << "<Esc>" << QStringList{"Ja", "Nein"} << "Ja" << int(QMessageBox::NoIcon)
                                    << 7;
    QTest::newRow("Yes/No/Cancel third") << 3 + 512 << "<Enter>" << QStringList{"Abbrechen", "Ja", "Nein"}
                                         << "Abbrechen" << int(QMessageBox::NoIcon) << 2;
}

void TestQtToolkit::messageBoxes()
{
    QFETCH(int, style);
    QFETCH(QString, press);
    QFETCH(QStringList, buttons);
    QFETCH(QString, defaultButton);
    QFETCH(int, icon);
    QFETCH(int, answer);
    QtToolkit tk;
    QStringList shown;
    QString shownDefault;
    QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
    QCOMPARE(answerBox(tk, style, press, &shown, &shownDefault, &shownIcon), answer);
    QCOMPARE(shown, buttons);
    QCOMPARE(shownDefault, defaultButton);
    QCOMPARE(int(shownIcon), icon);
}

void TestQtToolkit::busyCursorBalanced()
{
    QVERIFY(!QApplication::overrideCursor());
    {
        QtToolkit tk;
        tk.setBusyCursor();
        tk.setBusyCursor(); // a nested run sets it again
        QVERIFY(QApplication::overrideCursor());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        tk.setDefaultCursor();
        QVERIFY(!QApplication::overrideCursor());
        tk.setDefaultCursor();
        QVERIFY(!QApplication::overrideCursor());
        tk.setBusyCursor();
    }
    // A toolkit that goes away takes its cursor with it.
    QVERIFY(!QApplication::overrideCursor());
}

void TestQtToolkit::screenSize()
{
    QtToolkit tk;
    const QSize pixels = QGuiApplication::primaryScreen()->size();
    QCOMPARE(tk.screenSizeTwips(), QSize(pixels.width() * 15, pixels.height() * 15));
}

QTEST_MAIN(TestQtToolkit)
#include "tst_qttoolkit.moc"
