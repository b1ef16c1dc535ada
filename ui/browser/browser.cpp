#include "ui/browser/browser.h"

#include "paths/pathhelpers.h"
#include "platform/fslog.h"
#include "platform/services.h"
#include "platform/widgets/dirlist.h"
#include "platform/widgets/drivelist.h"
#include "platform/widgets/filelist.h"
#include "platform/widgets/keyfilter.h"
#include "platform/widgets/twips.h"
#include "ui/viewer/frmeditor.h"
#include "ui/viewer/listexport.h"
#include "ui/viewer/placement.h"
#include "ui/viewer/savecommands.h"
#include "ui/viewer/viewerlayout.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quorvane {

using platform::logFailure;
using platform::place;
using platform::twipsToPixels;

namespace {

constexpr double ClientWidth = 5775;
constexpr double ClientHeight = 4425;

void makeWhite(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, Qt::white);
    widget->setPalette(palette);
}

QFont boldFont(const QWidget *widget, double points)
{
    QFont font = widget->font();
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

QPushButton *makeButton(const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setFont(boldFont(button, 9.75));
    // Neither button answers Enter or Esc on its own.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

QString nameWithoutLastFour(const QString &fileName)
{
    return fileName.size() >= 4 ? fileName.left(fileName.size() - 4) : QString();
}

Browser::Browser(QWidget *viewer)
    : QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_viewer(viewer)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twipsToPixels(ClientWidth), twipsToPixels(ClientHeight));

    // The lists start at the program's current drive and folder.
    m_Drive1 = new platform::DriveList(this);
    m_Dir1 = new platform::DirList(this);
    m_File1 = new platform::FileList(this);
    logFailure(m_Drive1->setDrive(platform::fileSystem().currentDrive()), QStringLiteral("Laufwerk wählen"));
    logFailure(m_Dir1->setPath(platform::fileSystem().currentDirectory()), QStringLiteral("Verzeichnis wählen"));
    logFailure(m_File1->setPath(m_Dir1->path()), QStringLiteral("Dateien auflisten"));

    m_Text2 = new QLineEdit(this);
    m_Text2->setFont(boldFont(m_Text2, 8.25));
    m_Text2->installEventFilter(this);
    m_Label1 = new QLabel(QStringLiteral(".txt"), this);
    m_Command1 = makeButton(QStringLiteral("Übernehmen"), this);
    m_Command2 = makeButton(QStringLiteral("Abbrechen"), this);

    place(m_Drive1, 120, 120, 2415, 315);
    place(m_Dir1, 120, 480, 2415, 2955);
    place(m_File1, 2640, 120, 3015, 3210);
    place(m_Text2, 105, 3600, 5295, 285);
    place(m_Label1, 5415, 3645, 330, 240);
    place(m_Command1, 3000, 3960, 2655, 375);
    place(m_Command2, 120, 3960, 2655, 375);
    for (QWidget *white : {static_cast<QWidget *>(m_Drive1), static_cast<QWidget *>(m_Dir1),
                           static_cast<QWidget *>(m_File1), static_cast<QWidget *>(m_Text2)})
        makeWhite(white);

    setTabOrder(m_Drive1, m_Dir1);
    setTabOrder(m_Dir1, m_File1);
    setTabOrder(m_File1, m_Text2);
    setTabOrder(m_Text2, m_Command1);
    setTabOrder(m_Command1, m_Command2);
    m_Label1->setFocusPolicy(Qt::NoFocus);

    connect(m_Drive1, &platform::DriveList::driveChanged, this, &Browser::Drive1_Change);
    connect(m_Dir1, &platform::DirList::pathChanged, this, &Browser::Dir1_Change);
    connect(m_File1, &platform::FileList::fileClicked, this, &Browser::File1_Click);
    connect(m_Command1, &QPushButton::clicked, this, &Browser::Command1_Click);
    connect(m_Command2, &QPushButton::clicked, this, &Browser::Command2_Click);
}

Browser::~Browser() = default;

void Browser::Form_Load()
{
    placeAtScreenCentre(*this);
}

void Browser::Drive1_Change(const QString &drive)
{
    // An unreadable drive leaves the folder list where it was.
    logFailure(m_Dir1->setPath(drive), QStringLiteral("Laufwerk lesen"));
}

void Browser::Dir1_Change(const QString &path)
{
    logFailure(m_File1->setPath(path), QStringLiteral("Dateien auflisten"));
}

void Browser::File1_Click(const QString &name)
{
    m_Text2->setText(nameWithoutLastFour(name));
}

void Browser::Command1_Click()
{
    if (m_Text2->text().isEmpty() || m_writing)
        return;
    QString folder = m_File1->path();
    AddBackslash(folder);
    const QString target = folder + m_Text2->text() + QStringLiteral(".txt");
    // The writer asks, warns and names its reasons itself; the window closes
    // whatever it did.
    m_writing = true;
    QPointer<Browser> self(this);
    (void)WriteTextFile(target, ExportText);
    if (!self)
        return;
    m_writing = false;
    enableViewer();
    close();
}

void Browser::Command2_Click()
{
    if (m_writing)
        return;
    enableViewer();
    close();
}

void Browser::closeEvent(QCloseEvent *event)
{
    if (m_writing) {
        event->ignore();
        return;
    }
    enableViewer();
    // The lines may share a listing of a million names with the viewer.
    ExportText.clear();
    event->accept();
}

bool Browser::eventFilter(QObject *watched, QEvent *event)
{
    // Single key presses only: text pasted into the field is not filtered.
    if (watched == m_Text2 && event->type() == QEvent::KeyPress && keyDroppedByFilter(*static_cast<QKeyEvent *>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

void Browser::enableViewer()
{
    if (m_viewer)
        m_viewer->setEnabled(true);
}

Browser *OpenBrowser(frmEditor *viewer)
{
    auto *browser = new Browser(viewer);
    browser->Form_Load();
    browser->show();
    // A window manager may leave the keyboard with the viewer, as openbox
    // does with a tool window: typing would go nowhere until a click.
    browser->activateWindow();
    return browser;
}

void InstallSaveAsBrowser(ViewerHost &host)
{
    setSaveAsOpener([](frmEditor *viewer) -> QWidget * { return OpenBrowser(viewer); });
    connectSaveCommands(host);
}

} // namespace quorvane
