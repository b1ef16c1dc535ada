// Every control of the main window draws inside the rectangle the control
// table gives it, at the scales users run it with: marks and captions whole
// and clear of the controls beside them, frame lines and titles clear of
// the controls inside. A scale is fixed for a process (QT_SCALE_FACTOR), so
// the other scales run this test again in a child of their own.
#include "form1fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

using namespace quorvane;

namespace {

// The device pixels a logical rectangle touches, and those it covers
// completely. At 1.5 times a control may begin in the middle of a pixel.
QRect touched(const QRectF &logical, qreal scale)
{
    const QRectF d(logical.topLeft() * scale, logical.size() * scale);
    return QRect(QPoint(qFloor(d.left()), qFloor(d.top())), QPoint(qCeil(d.right()) - 1, qCeil(d.bottom()) - 1));
}

QRect covered(const QRectF &logical, qreal scale)
{
    const QRectF d(logical.topLeft() * scale, logical.size() * scale);
    return QRect(QPoint(qCeil(d.left()), qCeil(d.top())), QPoint(qFloor(d.right()) - 1, qFloor(d.bottom()) - 1));
}

// What of a control the user sees, in window coordinates: its rectangle
// inside every frame around it, less what a later control of the same frame
// covers on its right (the pattern field over "Benutzerdefiniert:").
QRect visiblePart(const QWidget &control)
{
    const QWidget *window = control.window();
    QRect part(control.mapTo(window, QPoint(0, 0)), control.size());
    for (const QWidget *w = control.parentWidget(); w; w = w->parentWidget())
        part &= QRect(w->mapTo(window, QPoint(0, 0)), w->size());
    const QObjectList &siblings = control.parentWidget()->children();
    for (qsizetype i = siblings.indexOf(&control) + 1; i < siblings.size(); ++i) {
        const auto *above = qobject_cast<const QWidget *>(siblings[i]);
        if (!above || !above->isVisible() || !above->geometry().intersects(control.geometry()))
            continue;
        const QRect covers(above->mapTo(window, QPoint(0, 0)), above->size());
        if (covers.left() > part.left())
            part.setRight(qMin(part.right(), covers.left() - 1));
    }
    return part;
}

qreal requestedScale()
{
    return qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble() : 1.0;
}

} // namespace

class TestForm1Fit : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Form1Fixture> f;

    QWidget *control(const QString &name) const
    {
        const Form1 &w = *f->form;
        for (int i = 0; i < 7; ++i) {
            if (name == QStringLiteral("Check1(%1)").arg(i))
                return w.Check1[i];
        }
        const std::pair<const char *, QWidget *> named[] = {
            {"Check3", w.Check3},     {"Check4", w.Check4},   {"Check5", w.Check5},   {"Check6", w.Check6},
            {"Option1", w.Option1},   {"Option2", w.Option2}, {"Option3", w.Option3}, {"Label1", w.Label1},
            {"Label2", w.Label2},     {"Frame1", w.Frame1},   {"Frame2", w.Frame2},   {"Command1", w.Command1},
            {"Command2", w.Command2},
        };
        for (const auto &[n, widget] : named) {
            if (name == QLatin1String(n))
                return widget;
        }
        return nullptr;
    }

private slots:
    void init()
    {
        f = std::make_unique<Form1Fixture>();
        QVERIFY(f->setUp());
        QVERIFY(f->showWindow());
        QCOMPARE(f->form->devicePixelRatioF(), requestedScale());
    }
    void cleanup() { f.reset(); }

    void marksAndCaptionsFit_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"Check1(0)", "Check1(1)", "Check1(2)", "Check1(3)", "Check1(4)", "Check1(5)",
                                 "Check1(6)", "Check5", "Check3", "Check4", "Check6", "Option1", "Option2", "Option3",
                                 "Label1", "Label2", "Command1", "Command2"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    // In the wide layout, where every one of them is meant to be seen.
    void marksAndCaptionsFit()
    {
        QFETCH(QString, name);
        QWidget *widget = control(name);
        QVERIFY(widget);
        const qreal scale = widget->devicePixelRatioF();
        const QRect seen = visiblePart(*widget);
        const QPoint at = widget->mapTo(widget->window(), QPoint(0, 0));
        QStyle *style = widget->style();

        QStyleOptionButton option;
        option.initFrom(widget);
        QRect captionArea = widget->contentsRect();
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
        QString caption;
        if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            caption = button->text();
            option.text = caption;
            const bool radio = qobject_cast<QRadioButton *>(button);
            if (qobject_cast<QPushButton *>(button)) {
                captionArea = style->subElementRect(QStyle::SE_PushButtonContents, &option, widget);
                alignment = Qt::AlignCenter;
            } else {
                captionArea = style->subElementRect(
                    radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, widget);
                const QRect mark = style->subElementRect(
                    radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option, widget);
                QVERIFY2(touched(seen, scale).contains(touched(mark.translated(at), scale)),
                         qPrintable(QStringLiteral("mark %1 of %2 seen").arg(toString(mark), toString(seen))));
            }
        } else {
            caption = static_cast<QLabel *>(widget)->text();
        }
        const QFontMetricsF metrics(widget->font());
        const QSizeF text(metrics.horizontalAdvance(caption), metrics.height());
        const QRectF drawn = QStyle::alignedRect(Qt::LeftToRight, alignment, text.toSize(), captionArea);
        QVERIFY2(touched(seen, scale).contains(touched(drawn.translated(at), scale)),
                 qPrintable(QStringLiteral("caption %1 of %2 seen").arg(toString(drawn.toRect()), toString(seen))));
    }

    void framesClearTheirControls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("Dateitypen:") << QStringLiteral("Frame1");
        QTest::newRow("Ziel:") << QStringLiteral("Frame2");
    }

    // The frame alone, its controls left out: under each of them it paints
    // one even colour, no line and no letter of its title.
    void framesClearTheirControls()
    {
        QFETCH(QString, name);
        auto *frame = static_cast<QGroupBox *>(control(name));
        QVERIFY(frame);
        const qreal scale = frame->devicePixelRatioF();
        QImage image(frame->size() * scale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        image.fill(Qt::transparent);
        frame->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        for (const QWidget *inside : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (!inside->isVisible())
                continue;
            const QRect under = covered(inside->geometry(), scale) & image.rect();
            QSet<QRgb> colours;
            for (int y = under.top(); y <= under.bottom(); ++y) {
                for (int x = under.left(); x <= under.right(); ++x)
                    colours.insert(image.pixel(x, y));
            }
            const auto *button = qobject_cast<const QAbstractButton *>(inside);
            const QString what = button ? button->text() : QString::fromLatin1(inside->metaObject()->className());
            QVERIFY2(colours.size() == 1,
                     qPrintable(QStringLiteral("%1 colours under %2").arg(colours.size()).arg(what)));
        }
    }

    void otherScales_data()
    {
        QTest::addColumn<QString>("scale");
        QTest::newRow("1.5x") << QStringLiteral("1.5");
        QTest::newRow("2x") << QStringLiteral("2");
    }

    void otherScales()
    {
        QFETCH(QString, scale);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("marksAndCaptionsFit"), QStringLiteral("framesClearTheirControls")});
        QVERIFY(child.waitForFinished(60000));
        // The child's failures, each with its details.
        QStringList failures;
        for (const QString &line : QString::fromUtf8(child.readAll()).split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("FAIL!")) || (!failures.isEmpty() && line.startsWith(QLatin1Char(' '))))
                failures << line;
        }
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                 qPrintable(failures.join(QLatin1Char('\n'))));
    }

private:
    static QString toString(const QRect &r)
    {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    }
};

QTEST_MAIN(TestForm1Fit)
#include "tst_form1fit.moc"
