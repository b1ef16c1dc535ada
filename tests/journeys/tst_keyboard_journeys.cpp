// The main window's keyboard as a user meets it: Tab and Space on the built
// program under a window manager. Where the focus is, is read from the
// screen the way a user reads it: each Tab takes the focus mark off one
// control and puts it on the next, and the changed pixels say which.
#include "desktop.h"
#include "xwdimage.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

const QString MainTitle = QStringLiteral("Brannick Quorvane");
const QString Then = QStringLiteral(" > "); // between the stops of a walk, for whole walks in a failure

// A control of the main window as the control table places it: its
// frame's Left and Top (0 for the window itself) and its own, in twips.
struct Control {
    QString name;
    int frameLeft, frameTop, left, top, width, height;
};

// A focus mark changes hundreds of pixels; fewer are something else.
constexpr int MarkPixels = 20;

int pixels(int twips)
{
    return qRound(twips / 15.0);
}

QRect pixelRect(const Control &c)
{
    return QRect(pixels(c.frameLeft) + pixels(c.left), pixels(c.frameTop) + pixels(c.top), pixels(c.width),
                 pixels(c.height));
}

// The controls that can take the focus. The narrow layout hides "Rekursiv"
// and "Quell-Dateien löschen !" and gives their room to the source list.
QList<Control> controls(bool narrow)
{
    QList<Control> list{
        {QStringLiteral("Command1"), 0, 0, 120, 2880, 2295, 795},
        {QStringLiteral("Drive1"), 0, 0, 120, 360, 2295, 315},
        {QStringLiteral("Dir1"), 0, 0, 120, 720, 2295, narrow ? 2055 : 1830},
        {QStringLiteral("Check1(0)"), 2520, 120, 240, 360, 735, 255},
        {QStringLiteral("Check1(1)"), 2520, 120, 240, 720, 3135, 255},
        {QStringLiteral("Check1(2)"), 2520, 120, 240, 1080, 3135, 255},
        {QStringLiteral("Check1(3)"), 2520, 120, 240, 1440, 3150, 255},
        {QStringLiteral("Check1(4)"), 2520, 120, 240, 1800, 3045, 255},
        {QStringLiteral("Check1(5)"), 2520, 120, 240, 2160, 1575, 255},
        {QStringLiteral("Text1"), 2520, 120, 1800, 2130, 1455, 285},
        {QStringLiteral("Check1(6)"), 2520, 120, 1800, 360, 1095, 255},
        {QStringLiteral("Option1"), 2520, 2820, 180, 210, 1035, 255},
        {QStringLiteral("Option2"), 2520, 2820, 1620, 210, 1215, 255},
        {QStringLiteral("Option3"), 2520, 2820, 3120, 240, 2715, 195},
        {QStringLiteral("Check3"), 2520, 2820, 195, 540, 1260, 195},
        {QStringLiteral("Check6"), 2520, 2820, 3135, 540, 2535, 195},
        {QStringLiteral("Drive2"), 0, 0, 6180, 360, 2295, 315},
        {QStringLiteral("Dir2"), 0, 0, 6180, 720, 2295, 1605},
        {QStringLiteral("Command2"), 0, 0, 6180, 2400, 2295, 315},
    };
    if (!narrow) {
        list.append({QStringLiteral("Check4"), 2520, 2820, 1635, 540, 975, 195});
        list.append({QStringLiteral("Check5"), 0, 0, 120, 2580, 1995, 255});
    }
    return list;
}

// Points on a control's mark, in twips of the client area.
constexpr QPoint TextListing{2520 + 180 + 120, 2820 + 210 + 127};
constexpr QPoint DirectoryImage{2520 + 1620 + 120, 2820 + 210 + 127};

// What the narrow layout hides or cuts off, as the wide one shows it.
const QStringList CutOff{QStringLiteral("Check4"),  QStringLiteral("Check5"), QStringLiteral("Option3"),
                         QStringLiteral("Check6"),  QStringLiteral("Drive2"), QStringLiteral("Dir2"),
                         QStringLiteral("Command2")};

QStringList checkBoxes(int first, int last)
{
    QStringList names;
    for (int i = first; i <= last; ++i)
        names << QStringLiteral("Check1(%1)").arg(i);
    return names;
}

} // namespace

class TestKeyboardJourneys : public QObject {
    Q_OBJECT

private:
    QString at(const QString &relative) const { return m_dir->filePath(relative); }
    bool launch();
    bool chooseLayout(QPoint option, bool narrow);
    void parkPointer() const;
    QImage picture() const;
    QImage still(QImage now) const;
    QImage nextPicture(const QImage &before) const;
    QString focusMovedTo(const QImage &before, const QImage &after, const QString &from, bool narrow) const;
    QStringList walk(int presses, const QString &from, bool narrow,
                     const std::function<bool(const QString &)> &atEachStop = {});
    bool pressSpaceOn(const QString &stop);

    Desktop m_desk;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_main;

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void tabGoesRoundTheWideLayout();
    void tabGoesRoundTheNarrowLayout();
    void keysInTheNarrowLayoutLeaveCutOffControls();
};

void TestKeyboardJourneys::initTestCase()
{
    const QString why = m_desk.start();
    QVERIFY2(why.isEmpty(), qPrintable(why));
    QVERIFY2(QFile::exists(m_desk.screenFile()), "the X server keeps no screen file");
}

void TestKeyboardJourneys::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    for (const char *folder : {"app", "src"})
        QVERIFY(QDir().mkpath(at(QLatin1String(folder))));
}

void TestKeyboardJourneys::cleanup()
{
    m_desk.stop();
}

bool TestKeyboardJourneys::launch()
{
    m_main = m_desk.launch(at(QStringLiteral("app")), QStringLiteral("D=%1").arg(at(QStringLiteral("src"))),
                           {at(QStringLiteral("src/x"))}, at(QStringLiteral("src")),
                           {QStringLiteral("XDG_STATE_HOME=") + at(QStringLiteral("state"))});
    if (m_main.isEmpty())
        return false;
    parkPointer();
    return true;
}

// A click on an option of "Ziel:"; true once the window has the width of that layout.
bool TestKeyboardJourneys::chooseLayout(QPoint option, bool narrow)
{
    m_desk.click(m_main, option);
    parkPointer();
    return QTest::qWaitFor([&] { return (m_desk.clientArea(m_main).width() < pixels(7000)) == narrow; }, 5000);
}

// Away from the window: no control shows the pointer over it.
void TestKeyboardJourneys::parkPointer() const
{
    m_desk.xdotool({QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("0")});
}

QImage TestKeyboardJourneys::picture() const
{
    return readXwdArea(m_desk.screenFile(), m_desk.clientArea(m_main));
}

// The picture once the window has stopped drawing.
QImage TestKeyboardJourneys::still(QImage now) const
{
    const QDeadlineTimer deadline(5000);
    for (;;) {
        QThread::msleep(60);
        const QImage again = picture();
        if (again == now || deadline.hasExpired())
            return again;
        now = again;
    }
}

// The next still picture that differs from before; the same one when nothing changes.
QImage TestKeyboardJourneys::nextPicture(const QImage &before) const
{
    const QDeadlineTimer deadline(3000);
    QImage now = picture();
    while (now == before && !deadline.hasExpired()) {
        QThread::msleep(30);
        now = picture();
    }
    return still(now);
}

// The control the focus mark went to: where pixels changed, apart from the
// control it left.
QString TestKeyboardJourneys::focusMovedTo(const QImage &before, const QImage &after, const QString &from,
                                           bool narrow) const
{
    if (before.isNull() || before.size() != after.size())
        return QStringLiteral("<the window changed>");
    // Smallest first: a pixel belongs to the smallest control around it.
    QList<Control> table = controls(narrow);
    const auto area = [](const Control &c) { return pixelRect(c).width() * pixelRect(c).height(); };
    std::sort(table.begin(), table.end(), [&](const Control &a, const Control &b) { return area(a) < area(b); });
    QMap<QString, int> changed;
    int elsewhere = 0;
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            if (before.pixel(x, y) == after.pixel(x, y))
                continue;
            const auto owner = std::find_if(table.cbegin(), table.cend(),
                                            [&](const Control &c) { return pixelRect(c).contains(x, y); });
            if (owner != table.cend())
                ++changed[owner->name];
            else
                ++elsewhere;
        }
    }
    changed.remove(from);
    // A few pixels can be the rounded corner of a field letting through the box beneath it.
    changed.removeIf([](auto it) { return it.value() < MarkPixels; });
    if (changed.isEmpty())
        return elsewhere ? QStringLiteral("<outside every control>") : QStringLiteral("<no control seen>");
    QString to = changed.firstKey();
    for (auto it = changed.cbegin(); it != changed.cend(); ++it) {
        if (it.value() > changed.value(to))
            to = it.key();
    }
    QStringList also = changed.keys();
    also.removeOne(to);
    return also.isEmpty() ? to : to + QLatin1Char('+') + also.join(QLatin1Char('+'));
}

// Presses Tab that many times from the control that has the focus; the
// controls the focus went to. Before each press atEachStop may act on the
// control the focus is on; false ends the walk.
QStringList TestKeyboardJourneys::walk(int presses, const QString &from, bool narrow,
                                       const std::function<bool(const QString &)> &atEachStop)
{
    QStringList stops;
    QString stop = from;
    QImage before = still(picture());
    for (int i = 0; i < presses; ++i) {
        if (atEachStop) {
            if (!atEachStop(stop))
                break;
            before = still(picture());
        }
        m_desk.keys({QStringLiteral("Tab")});
        const QImage after = nextPicture(before);
        stop = focusMovedTo(before, after, stop, narrow);
        stops << stop;
        before = after;
    }
    return stops;
}

// Space as a user presses it on each stop, and what follows from it: the
// start button's box that says no file type was chosen is answered, the
// drive list's drop-down closed again.
bool TestKeyboardJourneys::pressSpaceOn(const QString &stop)
{
    const QStringList before = m_desk.programWindows();
    m_desk.keys({QStringLiteral("space")});
    if (stop == QLatin1String("Command1")) {
        const QString box = m_desk.waitForWindow(MainTitle, {m_main});
        if (box.isEmpty() || !m_desk.waitForFocus(box))
            return false;
        m_desk.keys({QStringLiteral("Return")});
        return m_desk.waitUntilGone(box) && m_desk.waitForFocus(m_main);
    }
    if (stop == QLatin1String("Drive1")) {
        const QString dropDown = m_desk.waitForNewWindow(before);
        if (dropDown.isEmpty())
            return false;
        m_desk.keys({QStringLiteral("Escape")});
        return m_desk.waitUntilGone(dropDown);
    }
    return true;
}

// From the start button through the source side, the file types, the
// options, the target side and the options the narrow layout leaves out,
// then back to the start button and on.
void TestKeyboardJourneys::tabGoesRoundTheWideLayout()
{
    QVERIFY(launch());
    const QStringList expected = QStringList{QStringLiteral("Drive1"), QStringLiteral("Dir1")} + checkBoxes(0, 6)
        + QStringList{QStringLiteral("Option1"), QStringLiteral("Option2"),  QStringLiteral("Check3"),
                      QStringLiteral("Dir2"),    QStringLiteral("Drive2"),   QStringLiteral("Command2"),
                      QStringLiteral("Check4"),  QStringLiteral("Check5"),   QStringLiteral("Option3"),
                      QStringLiteral("Check6"),  QStringLiteral("Command1"), QStringLiteral("Drive1")};
    QCOMPARE(walk(int(expected.size()), QStringLiteral("Command1"), false).join(Then), expected.join(Then));
}

// "Textdatei" narrows the window: Tab goes round what is left of it and
// passes over the disabled "NULL-Byte".
void TestKeyboardJourneys::tabGoesRoundTheNarrowLayout()
{
    QVERIFY(launch());
    QVERIFY(chooseLayout(TextListing, true));
    const QStringList expected = QStringList{QStringLiteral("Option2"), QStringLiteral("Command1"),
                                             QStringLiteral("Drive1"), QStringLiteral("Dir1")}
        + checkBoxes(0, 6) + QStringList{QStringLiteral("Option1"), QStringLiteral("Option2")};
    QCOMPARE(walk(int(expected.size()), QStringLiteral("Option1"), true).join(Then), expected.join(Then));
}

// Space on every stop of the narrow layout, and the arrows on the last
// option it shows, change nothing the layout hides or cuts off. Ticking
// "Benutzerdefiniert:" opens its pattern field, which becomes a stop; Space
// on "Verzeichnis" at the end brings the wide layout back to look.
void TestKeyboardJourneys::keysInTheNarrowLayoutLeaveCutOffControls()
{
    QVERIFY(launch());
    QVERIFY(chooseLayout(DirectoryImage, false));
    const QImage wide = still(picture());
    QVERIFY(chooseLayout(TextListing, true));
    QCOMPARE(walk(2, QStringLiteral("Option1"), true).join(Then), QStringLiteral("Option2 > Command1"));

    const QStringList expected = QStringList{QStringLiteral("Drive1"), QStringLiteral("Dir1")} + checkBoxes(0, 5)
        + QStringList{QStringLiteral("Text1"), QStringLiteral("Check1(6)"), QStringLiteral("Option1"),
                      QStringLiteral("Option2")};
    QString failed;
    const QStringList stops = walk(int(expected.size()), QStringLiteral("Command1"), true, [&](const QString &stop) {
        if (!pressSpaceOn(stop))
            failed = stop;
        return failed.isEmpty();
    });
    QVERIFY2(failed.isEmpty(), qPrintable(QStringLiteral("Space on %1 had no answer").arg(failed)));
    QCOMPARE(stops.join(Then), expected.join(Then));

    m_desk.keys({QStringLiteral("Right"), QStringLiteral("Down"), QStringLiteral("space")});
    QVERIFY2(QTest::qWaitFor([&] { return m_desk.clientArea(m_main).width() >= pixels(7000); }, 5000),
             "Space after the arrows did not reach \"Verzeichnis\": the window stayed narrow");
    parkPointer();
    const QImage now = still(picture());
    QCOMPARE(now.size(), wide.size());
    QStringList changed;
    for (const Control &c : controls(false)) {
        if (CutOff.contains(c.name) && wide.copy(pixelRect(c)) != now.copy(pixelRect(c)))
            changed << c.name;
    }
    QCOMPARE(changed, QStringList());
}

QTEST_GUILESS_MAIN(TestKeyboardJourneys)
#include "tst_keyboard_journeys.moc"
