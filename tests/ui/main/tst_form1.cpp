// The main window driven with real clicks and keys: start state, layouts,
// interlocks, drive lists, dragging, closing and Esc on the start button.
#include "form1fixture.h"

#include "platform/widgets/dirlist.h"
#include "platform/widgets/drivelist.h"
#include "platform/widgets/twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace quorvane;

class TestForm1 : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Form1Fixture> f;

    void click(QAbstractButton *b) { QTest::mouseClick(b, Qt::LeftButton); }

    // What the two layouts decide, for one comparison per layout.
    QString layout() const
    {
        const Form1 &w = *f->form;
        return QStringLiteral("width %1 frame %2 dir1 %3 check3 %4 check4 %5 check5 %6 column %7")
            .arg(w.outerWidthTwips())
            .arg(w.Frame2->width())
            .arg(w.Dir1->height())
            .arg(w.Check3->isEnabled() ? "on" : "off")
            .arg(w.Check4->isVisible() ? "shown" : "hidden")
            .arg(w.Check5->isVisible() ? "shown" : "hidden")
            .arg(w.Dir2->geometry().left() < w.width() ? "inside" : "outside");
    }

private slots:
    void init()
    {
        f = std::make_unique<Form1Fixture>();
        QVERIFY(f->setUp());
    }
    void cleanup() { f.reset(); }

    void startState()
    {
        QVERIFY(f->showWindow());
        Form1 &w = *f->form;
        QCOMPARE(w.windowTitle(), QStringLiteral("Brannick Quorvane"));
        QCOMPARE(w.outerWidthTwips(), 8710);
        const int frame = w.frameGeometry().width() - w.width();
        QCOMPARE(w.width(), 581 - frame); // 8710 twips
        QCOMPARE(w.height(), 271);        // 4065 twips
        QVERIFY(w.Option2->isChecked());
        QVERIFY(!w.Option1->isChecked() && !w.Option3->isChecked());
        QCOMPARE(QApplication::focusWidget(), w.Command1);
        QCOMPARE(w.Drive1->drive(), QStringLiteral("C:"));
        QCOMPARE(w.Dir1->path(), QStringLiteral("C:\\Prog"));
        QCOMPARE(w.Drive2->drive(), QStringLiteral("C:"));
        QCOMPARE(w.Dir2->path(), QStringLiteral("C:\\"));
        QCOMPARE(w.Text1->text(), QStringLiteral("*.cdr;*.scr"));
        QVERIFY(!w.Text1->isEnabled());
        QVERIFY(w.Command2->isVisible());
        QVERIFY(!w.Text2->isVisible());
        QCOMPARE(w.Text2->text(), QStringLiteral("Neues Vezeichnis"));
        for (QCheckBox *b : w.Check1)
            QVERIFY(!b->isChecked());
        QCOMPARE(w.Check5->toolTip(), QStringLiteral("Vorsicht !"));
        QCOMPARE(w.Check3->toolTip(), QStringLiteral("Dateien als NULL-Byte Attrappen kopieren"));
        QCOMPARE(w.Check1[4]->text(), QStringLiteral("Textdateien PDF, RTF, TXT, DOC. "));
        QCOMPARE(w.Command1->font().pointSizeF(), 14.25);
        QVERIFY(w.Command1->font().bold());
        // Check2 lies below the client area: never seen.
        QVERIFY(w.Check2->geometry().top() >= w.height());
        // Placed by CenterForm on the 1024 x 768 screen: left 3325 twips.
        // and top 4896 - h / 2 for a window h twips high.
        QCOMPARE(w.frameGeometry().left(), 222);
        const int h = w.outerSizeTwips().height();
        QCOMPARE(w.frameGeometry().top(), qRound((4896 - h / 2) / 15.0));
    }

    // The controls Tab visits, in the order of the control table, from the
    // start button round to the last one.
    QList<QWidget *> tabStops(bool narrow) const
    {
        const Form1 &w = *f->form;
        QList<QWidget *> stops{w.Command1, w.Drive1, w.Dir1->focusProxy()};
        for (QCheckBox *box : w.Check1)
            stops << box;
        stops << w.Option1 << w.Option2;
        if (!narrow) {
            stops << w.Check3 << w.Dir2->focusProxy() << w.Drive2 << w.Command2 << w.Check4 << w.Check5 << w.Option3
                  << w.Check6;
        }
        return stops;
    }

    void tabRing_data()
    {
        QTest::addColumn<bool>("narrow");
        QTest::addColumn<bool>("forward");
        QTest::newRow("wide, Tab") << false << true;
        QTest::newRow("wide, Shift+Tab") << false << false;
        QTest::newRow("narrow, Tab") << true << true;
        QTest::newRow("narrow, Shift+Tab") << true << false;
    }

    // Twice round the ring: the disabled pattern field, the box below the
    // window and, in the narrow layout, everything the window cuts off are
    // passed over.
    void tabRing()
    {
        QFETCH(bool, narrow);
        QFETCH(bool, forward);
        QVERIFY(f->showWindow());
        Form1 &w = *f->form;
        if (narrow)
            click(w.Option1);
        w.Command1->setFocus();
        const QList<QWidget *> stops = tabStops(narrow);
        for (int step = 1; step <= 2 * stops.size(); ++step) {
            QTest::keyClick(QApplication::focusWidget(), forward ? Qt::Key_Tab : Qt::Key_Backtab);
            const int at = forward ? step % stops.size() : (stops.size() - step % stops.size()) % stops.size();
            QCOMPARE(QApplication::focusWidget(), stops[at]);
        }
    }

    // What the narrow layout cuts off takes no keys: a click on the part that
    // still shows leaves the focus where it was, and the arrows of the
    // option buttons stop at the last one that can be seen.
    void keysPassCutOffControls()
    {
        QVERIFY(f->showWindow());
        Form1 &w = *f->form;
        click(w.Option1);
        w.Option2->setFocus();
        QTest::keyClick(w.Option2, Qt::Key_Right);
        QTest::keyClick(w.Option2, Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), w.Option2);
        click(w.Check6);
        QVERIFY(w.Check6->isChecked());
        QCOMPARE(QApplication::focusWidget(), w.Option2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QVERIFY(w.Check6->isChecked());
        QVERIFY(!w.Option3->isChecked());
        QVERIFY(w.Option2->isChecked()); // the key went to the option the user sees

        // Wide again: the arrows reach the third option, and the selection goes along.
        QTest::keyClick(w.Option2, Qt::Key_Right);
        QCOMPARE(QApplication::focusWidget(), w.Option3);
        QVERIFY(w.Option3->isChecked());
        QTest::keyClick(w.Option3, Qt::Key_Left);
        QTest::keyClick(w.Option2, Qt::Key_Left);
        QCOMPARE(QApplication::focusWidget(), w.Option1);
        QVERIFY(w.Option1->isChecked());
    }

    void layoutsKeepCheckStates()
    {
        QVERIFY(f->showWindow());
        Form1 &w = *f->form;
        const QString wide =
            QStringLiteral("width 8710 frame %1 dir1 %2 check3 on check4 shown check5 shown column inside")
                .arg(397)
                .arg(122); // 5955 and 1830 twips
        const QString narrow =
            QStringLiteral("width 6235 frame %1 dir1 %2 check3 off check4 hidden check5 hidden column outside")
                .arg(233)
                .arg(137); // 3495 and 2055 twips
        QCOMPARE(layout(), wide);
        click(w.Check4);
        click(w.Check5);
        QVERIFY(w.Check4->isChecked() && w.Check5->isChecked());

        click(w.Option1);
        QCOMPARE(layout(), narrow);
        const int frame = w.frameGeometry().width() - w.width();
        QCOMPARE(w.width(), 416 - frame); // 6235 twips
        QVERIFY(w.Check4->isChecked() && w.Check5->isChecked());

        // The third option changes nothing of the layout.
        click(w.Option3);
        QVERIFY(w.Option3->isChecked() && !w.Option1->isChecked());
        QCOMPARE(layout(), narrow);

        click(w.Option2);
        QCOMPARE(layout(), wide);
        QVERIFY(w.Check4->isChecked() && w.Check5->isChecked());
        QVERIFY(w.readJob().Recursive == Checked && w.readJob().DeleteSources == Checked);
    }

    void nullByteLocksDeleteSources()
    {
        QVERIFY(f->showWindow());
        Form1 &w = *f->form;
        // Delete first, then NULL-Byte: the delete box is cleared and disabled.
        click(w.Check5);
        QVERIFY(w.Check5->isChecked());
        click(w.Check3);
        QVERIFY(!w.Check5->isChecked());
        QVERIFY(!w.Check5->isEnabled());
        // A click on the disabled box changes nothing.
        click(w.Check5);
        QVERIFY(!w.Check5->isChecked());
        // NULL-Byte off: enabled again, still clear.
        click(w.Check3);
        QVERIFY(w.Check5->isEnabled());
        QVERIFY(!w.Check5->isChecked());
        QCOMPARE(w.readJob().NullByte, int(Unchecked));
    }

    void ownPatternsFieldFollowsItsBox()
    {
        Form1 &w = *f->form;
        w.setPatternText(QStringLiteral("*.abc"));
        QVERIFY(f->showWindow());
        click(w.Check1[5]);
        QVERIFY(w.Text1->isEnabled());
        click(w.Check1[0]); // another box: the field goes by box 5 alone
        QVERIFY(w.Text1->isEnabled());
        click(w.Check1[5]);
        QVERIFY(!w.Text1->isEnabled());
        QCOMPARE(w.Text1->text(), QStringLiteral("*.abc"));
    }

    void jobReadsTheControls()
    {
        QVERIFY(f->showWindow());
        Form1 &w = *f->form;
        QVERIFY(w.Dir1->setPath(QStringLiteral("C:\\Daten\\sub\\")).ok());
        click(w.Check1[1]);
        click(w.Check1[6]);
        click(w.Check6);
        JobOptions job = w.readJob();
        QCOMPARE(job.SourceDir, QStringLiteral("C:\\Daten\\sub"));
        QCOMPARE(job.TargetDir, QStringLiteral("C:\\"));
        QCOMPARE(job.ImageGroup, int(Checked));
        QCOMPARE(job.AllTypes, int(Checked));
        QCOMPARE(job.ExeGroup, int(Unchecked));
        QCOMPARE(job.TopLevelOnly, int(Checked));
        QVERIFY(!job.TextListing && !job.StructureOnly);
        click(w.Option3);
        job = w.readJob();
        QVERIFY(job.StructureOnly && !job.TextListing);
        click(w.Option1);
        job = w.readJob();
        QVERIFY(!job.StructureOnly && job.TextListing);
    }

    void driveChanges_data()
    {
        QTest::addColumn<QString>("drive");
        QTest::addColumn<QString>("folder");
        QTest::newRow("readable drive: the list moves") << "D:"
                                                        << "D:\\";
        QTest::newRow("drive without medium: the list stays") << "E:"
                                                              << "C:\\";
    }

    void driveChanges()
    {
        QFETCH(QString, drive);
        QFETCH(QString, folder);
        Form1 &w = *f->form;
        QVERIFY(f->e.remove()); // E: stays listed, but there is nothing behind it
        QVERIFY(f->showWindow());
        QVERIFY(w.Dir1->setPath(QStringLiteral("C:\\")).ok());
        for (platform::DriveList *list : {w.Drive1, w.Drive2}) {
            const int row = list->findData(drive);
            QVERIFY(row >= 0);
            list->setCurrentIndex(row); // as the user's pick does
            QCOMPARE(list->drive(), drive);
        }
        QCOMPARE(w.Dir1->path(), folder);
        QCOMPARE(w.Dir2->path(), folder);
    }

    void dragging_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QPoint>("moved");
        QTest::newRow("left button moves by the pointer's travel") << int(Qt::LeftButton) << QPoint(30, 20);
        QTest::newRow("right button does nothing") << int(Qt::RightButton) << QPoint(0, 0);
        QTest::newRow("middle button does nothing") << int(Qt::MiddleButton) << QPoint(0, 0);
    }

    void dragging()
    {
        QFETCH(int, button);
        QFETCH(QPoint, moved);
        QVERIFY(f->showWindow());
        Form1 &w = *f->form;
        // Between the left column and the file-type frame: the bare surface.
        const QPoint surface(165, 100); // 2470, 1500 twips
        QCOMPARE(w.childAt(surface), nullptr);
        const QPoint before = w.pos();
        QTest::mousePress(&w, Qt::MouseButton(button), {}, surface);
        QCOMPARE(w.MStartX, int(platform::pixelsToTwips(surface.x())));
        QCOMPARE(w.MStartY, int(platform::pixelsToTwips(surface.y())));
        QTest::mouseMove(&w, surface + QPoint(30, 20));
        QTest::mouseRelease(&w, Qt::MouseButton(button), {}, surface + QPoint(30, 20));
        QCOMPARE(w.pos() - before, moved);
        QCOMPARE(w.size(), QSize(581 - (w.frameGeometry().width() - w.width()), 271));
    }

    void pressOnALabelIsNotThePressOnTheSurface()
    {
        QVERIFY(f->showWindow());
        Form1 &w = *f->form;
        QTest::mousePress(&w, Qt::LeftButton, {}, QPoint(165, 100));
        const int x = w.MStartX;
        QTest::mouseRelease(&w, Qt::LeftButton);
        QTest::mousePress(w.Label1, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseRelease(w.Label1, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(w.MStartX, x);
    }

    void closeWritesTheSettings()
    {
        QVERIFY(f->showWindow());
        Form1 &w = *f->form;
        w.Text1->setText(QStringLiteral("*.neu;*.alt"));
        QVERIFY(w.close());
        QCOMPARE(f->programEnds, 1);
        QCOMPARE(f->immediateEnds, 0);
        QFile ini(f->host(QStringLiteral("Prog/Quorvane.ini")));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QByteArray content = ini.readAll();
        QVERIFY2(content.contains("[Brannick Quorvane]"), content.constData());
        QVERIFY2(content.contains("UserDef=*.neu;*.alt"), content.constData());
    }

    void escOnStartEndsWithoutSettings_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::newRow("plain Esc") << 0;
        QTest::newRow("Shift+Esc") << int(Qt::ShiftModifier);
        QTest::newRow("Ctrl+Esc") << int(Qt::ControlModifier);
    }

    void escOnStartEndsWithoutSettings()
    {
        QFETCH(int, modifiers);
        QVERIFY(f->showWindow());
        Form1 &w = *f->form;
        QTest::keyClick(w.Command1, Qt::Key_A);
        QCOMPARE(f->immediateEnds, 0); // other keys do nothing here
        QTest::keyClick(w.Command1, Qt::Key_Escape, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(f->immediateEnds, 1);
        QCOMPARE(f->programEnds, 0);
        QVERIFY(!QFile::exists(f->host(QStringLiteral("Prog/Quorvane.ini"))));
    }

    // A list being written when Esc ends the program is dropped: the old
    // file stays whole and nothing else is left beside it.
    void escOnStartDropsOpenOutput()
    {
        QVERIFY(f->showWindow());
        QFile old(f->host(QStringLiteral("Daten/liste.txt")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("alt\r\n");
        old.close();
        platform::FileSystem &fs = platform::fileSystem();
        const int number = fs.freeFile();
        QVERIFY(fs.openForOutput(number, QStringLiteral("C:\\Daten\\liste.txt")).ok());
        QVERIFY(fs.printLine(number, QStringLiteral("neu")).ok());
        QTest::keyClick(f->form->Command1, Qt::Key_Escape);
        QCOMPARE(f->immediateEnds, 1);
        // Were it still open, closing it now would put the new text in place.
        QVERIFY(!fs.closeFile(number).ok());
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("alt\r\n"));
        QCOMPARE(
            QDir(f->host(QStringLiteral("Daten"))).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList({QStringLiteral("liste.txt"), QStringLiteral("sub")}));
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
