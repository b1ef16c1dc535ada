#include "frmeditor.h"

#include "linepane.h"
#include "panetext.h"
#include "placement.h"
#include "platform/services.h"
#include "platform/widgets/twips.h"
#include "viewerstate.h"

#include <QAction>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

namespace quorvane {

using platform::pixelsToTwips;
using platform::twipsToPixels;

namespace {

bool evenAdvance(const QFont &font)
{
    const QFontMetricsF metrics(font);
    return metrics.horizontalAdvance(QStringLiteral("iiii")) == metrics.horizontalAdvance(QStringLiteral("WWWW"));
}

// The designed font is a fixed-pitch system font at 9 pt; take the host's
// own. Where that resolves to a proportional face, any installed
// fixed-pitch family will do. The rendered advance decides, not the font's
// declared spacing, which some fixed-pitch families do not state.
QFont paneFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(9);
    if (evenAdvance(font))
        return font;
    const QStringList families = QFontDatabase::families();
    for (const QString &family : families) {
        QFont candidate(family);
        candidate.setPointSizeF(9);
        if (QFontDatabase::isFixedPitch(family) && evenAdvance(candidate))
            return candidate;
    }
    return font;
}

LinePane *makePane(QWidget *parent)
{
    auto *pane = new LinePane(parent);
    pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane->setFont(paneFont());
    return pane;
}

QLabel *makeHeading(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont font = label->font();
    font.setPointSizeF(9.75);
    font.setBold(true);
    label->setFont(font);
    return label;
}

void place(QWidget *widget, const TwipsRect &r)
{
    platform::place(widget, r.left, r.top, r.width, r.height);
}

} // namespace

frmEditor::frmEditor(QWidget *parent) : QMainWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Quorvane"));

    m_client = new QWidget(this);
    setCentralWidget(m_client);
    m_txtEdit = makePane(m_client);
    m_Text1 = makePane(m_client);
    m_Label1 = makeHeading(QStringLiteral("Dateien:"), m_client);
    m_Label2 = makeHeading(QStringLiteral("Verzeichnisse:"), m_client);
    setTabOrder(m_txtEdit, m_Text1);
    applyGeometry();
    m_client->installEventFilter(this);

    buildMenus();

    resize(twipsToPixels(ViewerDesignWidth), twipsToPixels(ViewerDesignHeight) + menuBar()->sizeHint().height());
}

frmEditor::~frmEditor() = default;

void frmEditor::buildMenus()
{
    // No shortcuts and no separators; the texts carry no "&", so no mnemonics either.
    m_mnuDatei = menuBar()->addMenu(QStringLiteral("Dateiliste"));
    m_mnuKomplett = m_mnuDatei->addAction(QStringLiteral("kompletter Pfadname"));
    m_mnuKomplett->setCheckable(true);
    m_mnuFileItem = m_mnuDatei->addAction(QStringLiteral("Dateiliste speichern unter..."));
    m_mnuDirlist = menuBar()->addAction(QStringLiteral("Verzeichnisliste speichern unter..."));

    connect(m_mnuKomplett, &QAction::triggered, this, [this] {
        // The check mark follows the rebuild, not the click.
        m_mnuKomplett->setChecked(m_komplettChecked);
        mnuKomplett_Click();
    });
    connect(m_mnuFileItem, &QAction::triggered, this, [this] { emit mnuFileItemClicked(this); });
    connect(m_mnuDirlist, &QAction::triggered, this, [this] { emit mnuDirlistClicked(this); });
}

LinePane &frmEditor::pane(Pane which) const
{
    return which == Pane::Files ? *m_txtEdit : *m_Text1;
}

QString frmEditor::paneText(Pane which) const
{
    return quorvane::paneText(pane(which));
}

void frmEditor::Form_Load()
{
    placeAtScreenCentre(*this);
}

void frmEditor::Form_Resize()
{
    layoutViewer(m_geometry, float(pixelsToTwips(m_client->width())), float(pixelsToTwips(m_client->height())));
    applyGeometry();
}

void frmEditor::applyGeometry()
{
    place(m_txtEdit, m_geometry.txtEdit);
    place(m_Text1, m_geometry.Text1);
    place(m_Label1, m_geometry.Label1);
    place(m_Label2, m_geometry.Label2);
}

bool frmEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client && event->type() == QEvent::Resize)
        Form_Resize();
    return QMainWindow::eventFilter(watched, event);
}

void frmEditor::setKomplettChecked(bool checked)
{
    m_komplettChecked = checked;
    m_mnuKomplett->setChecked(checked);
}

void frmEditor::mnuKomplett_Click()
{
    // A second click while the first waits would show a list twice.
    if (m_unloaded || !m_lists || m_waitingForLists)
        return;
    // A listing that has just ended may still be making the complete names.
    m_waitingForLists = true;
    QPointer<frmEditor> self(this);
    m_lists->settleFoundListsYielding();
    if (!self)
        return;
    m_waitingForLists = false;
    if (m_unloaded || !m_lists)
        return;
    const bool switchingOff = FullPathShown == 1;
    Begin &lists = *m_lists;
    // Every click shows the whole list again, so edits in the pane are gone.
    m_txtEdit->showList(switchingOff ? lists.lstFoundFiles : lists.lstFullPathName);
    setKomplettChecked(!switchingOff);
    FullPathShown = switchingOff ? 0 : 1;
}

void frmEditor::closeEvent(QCloseEvent *event)
{
    // A disabled window takes no input, its close box included.
    if (!isEnabled() && !m_forceUnload) {
        event->ignore();
        return;
    }
    event->accept();
    unload();
}

void frmEditor::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    FullPathShown = 0;
    emit unloaded(this);
}

void frmEditor::unloadNow()
{
    m_forceUnload = true;
    close();
}

void frmEditor::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        // Keep the user from resizing a disabled window as well; a maximised
        // or minimised one has no edges to drag.
        const bool normal = !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
        if (!isEnabled() && normal) {
            m_minimumBeforeDisable = minimumSize();
            m_maximumBeforeDisable = maximumSize();
            setFixedSize(size());
        } else if (isEnabled() && m_maximumBeforeDisable.isValid()) {
            setMinimumSize(m_minimumBeforeDisable);
            setMaximumSize(m_maximumBeforeDisable);
            m_maximumBeforeDisable = QSize();
        }
    }
    QMainWindow::changeEvent(event);
}

} // namespace quorvane
