#include "ui/main/form1.h"

#include "engine/run/imagingrun.h"
#include "engine/placement/pathcreation.h"
#include "paths/pathhelpers.h"
#include "paths/shared.h"
#include "platform/fslog.h"
#include "platform/services.h"
#include "platform/widgets/dirlist.h"
#include "platform/widgets/drivelist.h"
#include "platform/widgets/keyfilter.h"
#include "platform/widgets/twips.h"
#include "platform/widgets/windowframe.h"
#include "startup/settingslocation.h"
#include "ui/main/centerform.h"
#include "ui/main/runreport.h"
#include "ui/main/tabring.h"
#include "ui/viewer/viewerhost.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWindow>

#include <cstdlib>

namespace quorvane {

namespace {

using platform::logFailure;
using platform::pixelsToTwips;
using platform::twipsToPixels;

constexpr int ClientHeightTwips = 4065;

int checkValue(const QCheckBox *box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return Checked;
    case Qt::PartiallyChecked:
        return Grayed;
    default:
        return Unchecked;
    }
}

} // namespace

Form1::Form1(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_programEnd([this] { endProgram(); }),
      m_immediateEnd([] { std::_Exit(0); })
{
    setAttribute(Qt::WA_QuitOnClose, false); // the unload handler ends the program itself
    createControls();
    connectHandlers();
    Form_Load();
}

void Form1::connectHandlers()
{
    for (int i = 0; i < 7; ++i)
        connect(Check1[i], &QCheckBox::toggled, this, [this, i] { Check1_Click(i); });
    connect(Check3, &QCheckBox::toggled, this, [this] { Check3_Click(); });
    // An option button's handler runs when it becomes selected.
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option1_Click();
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option2_Click();
    });
    connect(Drive1, &platform::DriveList::driveChanged, this, [this] { Drive1_Change(); });
    connect(Drive2, &platform::DriveList::driveChanged, this, [this] { Drive2_Change(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    Command1->installEventFilter(this);
    Text2->installEventFilter(this);
    for (QRadioButton *option : {Option1, Option2, Option3})
        option->installEventFilter(this);
    Frame2->installEventFilter(this); // its width decides which options can be seen
    // A closed viewer leaves the lists of its listing to nobody.
    connect(&viewerHost(), &ViewerHost::viewerGone, this, [this] { m_run.releaseLists(); });
}

Form1::~Form1()
{
    // A viewer that outlives the window must not read the lists that go with it.
    viewerHost().setLists(nullptr);
}

void Form1::Form_Load()
{
    // A step that fails leaves its control as it was; the later steps still run.
    setWindowTitle(AppTitle);
    logFailure(Drive1->setDrive(AppPath.left(2)), QStringLiteral("Quell-Laufwerk wählen"));
    logFailure(Dir1->setPath(AppPath), QStringLiteral("Quell-Verzeichnis wählen"));
    logFailure(Drive2->setDrive(QStringLiteral("c:")), QStringLiteral("Ziel-Laufwerk wählen"));
    logFailure(Dir2->setPath(QStringLiteral("C:\\")), QStringLiteral("Ziel-Verzeichnis wählen"));
    Option2_Click();
    Option2->setChecked(true);
    CenterForm(*this, outerSizeTwips());
    Command1->setFocus();
}

// ---- Form1Port -------------------------------------------------------------

platform::Status Form1::setSourceDrive(const QString &drive)
{
    return Drive1->setDrive(drive);
}

platform::Status Form1::setSourceDirectory(const QString &path)
{
    return Dir1->setPath(path);
}

void Form1::setPatternText(const QString &text)
{
    Text1->setText(text);
}

void Form1::show()
{
    QWidget::show();
}

JobOptions Form1::readJob() const
{
    JobOptions job;
    job.SourceDir = Dir1->path();
    job.TargetDir = Dir2->path();
    job.ExeGroup = checkValue(Check1[0]);
    job.ImageGroup = checkValue(Check1[1]);
    job.SoundGroup = checkValue(Check1[2]);
    job.VideoGroup = checkValue(Check1[3]);
    job.TextGroup = checkValue(Check1[4]);
    job.UserGroup = checkValue(Check1[5]);
    job.AllTypes = checkValue(Check1[6]);
    job.UserPatterns = Text1->text();
    job.TextListing = Option1->isChecked();
    job.Recursive = checkValue(Check4);
    job.NullByte = checkValue(Check3);
    job.DeleteSources = checkValue(Check5);
    job.TopLevelOnly = checkValue(Check6);
    job.StructureOnly = Option3->isChecked();
    job.JournalMoves = true; // every move can be undone: quorvane-cli undo --last
    return job;
}

// ---- Size ------------------------------------------------------------------

QSize Form1::outerSizeTwips() const
{
    const int frameHeight = m_frame.top() + m_frame.bottom();
    return QSize(m_outerWidthTwips, ClientHeightTwips + static_cast<int>(pixelsToTwips(frameHeight)));
}

void Form1::setOuterWidthTwips(int twips)
{
    m_outerWidthTwips = twips;
    applyClientSize();
}

// The client area is the outer width less the frame the window system
// reports; before the window is shown that frame is not known yet, and the
// size is set again once it is.
void Form1::applyClientSize()
{
    const int frameWidth = m_frame.left() + m_frame.right();
    const int width = qMax(1, twipsToPixels(m_outerWidthTwips) - frameWidth);
    const int height = twipsToPixels(ClientHeightTwips);
    if (size() != QSize(width, height) || minimumSize() != maximumSize())
        setFixedSize(width, height);
}

void Form1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    takeFrame();
}

// The window system reports the frame with the first moves after showing.
void Form1::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    takeFrame();
}

void Form1::takeFrame()
{
    if (!isVisible())
        return;
    const QMargins frame = platform::knownFrame(*this);
    if (!frame.isNull() && frame != m_frame) {
        // The load handler centred the window before its frame was known;
        // once it is, the window is centred by its real outer size.
        m_frame = frame;
        applyClientSize();
        if (!m_dragged)
            CenterForm(*this, outerSizeTwips());
    }
}

// ---- Option interlocks -----------------------------------------------------

void Form1::Check1_Click(int)
{
    Text1->setEnabled(Check1[5]->checkState() == Qt::Checked);
}

void Form1::Check3_Click()
{
    if (Check3->checkState() == Qt::Checked) {
        Check5->setChecked(false);
        Check5->setEnabled(false);
    } else {
        Check5->setEnabled(true);
    }
}

void Form1::Option1_Click()
{
    Frame2->resize(twipsToPixels(3495), Frame2->height());
    Check4->hide();
    setOuterWidthTwips(6235);
    Check3->setEnabled(false);
    Dir1->resize(Dir1->width(), twipsToPixels(2055));
    Check5->hide();
}

void Form1::Option2_Click()
{
    Check3->setEnabled(true);
    Check4->show();
    setOuterWidthTwips(8710);
    Frame2->resize(twipsToPixels(5955), Frame2->height());
    Dir1->resize(Dir1->width(), twipsToPixels(1830));
    Check5->show();
}

// ---- Drive lists -----------------------------------------------------------

// A drive that cannot be read leaves the folder list where it was.
void Form1::Drive1_Change()
{
    logFailure(Dir1->setPath(Drive1->drive()), QStringLiteral("Quell-Laufwerk lesen"));
}

void Form1::Drive2_Change()
{
    logFailure(Dir2->setPath(Drive2->drive()), QStringLiteral("Ziel-Laufwerk lesen"));
}

// ---- Start button ----------------------------------------------------------

void Form1::Command1_Click()
{
    // The job is read once: changes made while the run yields take effect at
    // the next one.
    viewerHost().setLists(&m_run.lists());
    if (!m_strip) {
        m_strip = std::make_unique<ProgressStrip>(Picture1, Label3);
        m_run.onProgress = [this](const RunProgress &progress) { m_strip->show(progress); };
    }
    const RunSummary summary = m_run.RunJob(readJob(), &viewerHost());
    m_strip->reset();
    // The folders an image made belong in the target list before the user reads the box.
    if (summary.ran && !summary.listing)
        logFailure(Dir2->refresh(), QStringLiteral("Ziel-Verzeichnis auffrischen"));
    reportRun(summary);
}

bool Form1::Command1_KeyDown(int keyCode)
{
    if (keyCode != Qt::Key_Escape)
        return false;
    // Ends at once: no unload handler, the settings stay as they were. Output
    // still open is dropped first, so no part of it is left under any name.
    abandonOpenOutput();
    m_immediateEnd();
    return true;
}

void Form1::abandonOpenOutput()
{
    platform::FileSystem &fs = platform::fileSystem();
    // File numbers run from 1 to 511; abandoning one that holds no output does nothing.
    for (int number = 1; number <= 511; ++number)
        fs.abandonOutput(number);
}

// ---- New-folder entry ------------------------------------------------------

void Form1::Command2_Click()
{
    Command2->hide();
    Text2->show();
    Text2->setFocus();
    // The selection starts where it stands and reaches over the text's length.
    const int start = Text2->hasSelectedText() ? Text2->selectionStart() : Text2->cursorPosition();
    Text2->setSelection(start, Text2->text().size());
}

bool Form1::Text2_KeyDown(int keyCode)
{
    if (keyCode != Qt::Key_Escape)
        return false;
    Text2->hide();
    Command2->show();
    return true;
}

bool Form1::Text2_KeyPress(QKeyEvent &event)
{
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) {
        // A folder that cannot be made is not shown; the field closes anyway.
        QString s = Dir2->path();
        AddBackslash(s);
        s += Text2->text();
        logFailure(createPathLevels(s), QStringLiteral("Neues Verzeichnis anlegen"));
        Text2->hide();
        Command2->show();
        logFailure(Dir2->setPath(s), QStringLiteral("Neues Verzeichnis zeigen"));
        logFailure(Dir2->refresh(), QStringLiteral("Ziel-Verzeichnis auffrischen"));
        return true;
    }
    return keyDroppedByFilter(event);
}

// ---- Window events ---------------------------------------------------------

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (watched == Command1)
            return Command1_KeyDown(key->key());
        if (watched == Text2)
            return Text2_KeyDown(key->key()) || Text2_KeyPress(*key);
        if (auto *option = qobject_cast<QRadioButton *>(watched))
            return optionArrowKey(*option, key->key());
    }
    if (event->type() == QEvent::Resize && watched == Frame2)
        m_tabRing->fitFocusToView();
    return QWidget::eventFilter(watched, event);
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_tabRing->fitFocusToView();
}

// Tab, Shift+Tab and the arrows of the check boxes go round the ring of the
// control table, past every control the user cannot see.
bool Form1::focusNextPrevChild(bool next)
{
    QWidget *stop = m_tabRing->next(focusWidget(), next);
    if (!stop)
        return false;
    stop->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

// Left and right (up and down) move between the option buttons of a frame,
// and the selection goes along when it was on the one left. Qt would go by
// position to any button of the frame, the cut-off ones included.
bool Form1::optionArrowKey(QRadioButton &option, int key)
{
    bool forward = true;
    switch (key) {
    case Qt::Key_Right:
    case Qt::Key_Down:
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        forward = false;
        break;
    default:
        return false;
    }
    if (QAbstractButton *to = m_tabRing->nextOption(&option, forward)) {
        to->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        if (option.isChecked())
            to->click();
    }
    return true;
}

void Form1::closeEvent(QCloseEvent *event)
{
    WriteUserPatterns(Text1->text());
    event->accept();
    m_programEnd();
}

// Every other window goes with the main window, without handlers of its
// own. A run that is yielding finishes its current work with no window
// left, so no file is left half copied; then the event loop ends.
void Form1::endProgram()
{
    viewerHost().unloadViewer();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        if (w != this)
            w->hide();
    }
    QCoreApplication::exit(0);
}

void Form1::mousePressEvent(QMouseEvent *event)
{
    MStartX = static_cast<int>(pixelsToTwips(qRound(event->position().x())));
    MStartY = static_cast<int>(pixelsToTwips(qRound(event->position().y())));
    m_compositorDrags = false;
    event->accept();
}

void Form1::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() != Qt::LeftButton)
        return;
    if (platform::compositorPlacesWindows()) {
        // The compositor ignores a move of our own; asked once, it keeps the
        // pressed point under the pointer until the button is released.
        if (!m_compositorDrags && windowHandle())
            m_compositorDrags = windowHandle()->startSystemMove();
        m_dragged = true;
        return;
    }
    // The window lags behind a fast pointer: a position relative to the
    // window would count that lag again with every move. The pressed point
    // belongs under the pointer's place on the screen, the outer frame the
    // frame's width further out.
    const QPoint screen = event->globalPosition().toPoint();
    const QPoint frame = geometry().topLeft() - pos();
    const int left = static_cast<int>(pixelsToTwips(screen.x() - frame.x())) - MStartX;
    const int top = static_cast<int>(pixelsToTwips(screen.y() - frame.y())) - MStartY;
    m_dragged = true;
    move(twipsToPixels(left), twipsToPixels(top));
}

} // namespace quorvane
