// The controls of the main window with their places, texts and looks.
#include "ui/main/form1.h"

#include "platform/widgets/dirlist.h"
#include "platform/widgets/drivelist.h"
#include "platform/widgets/twips.h"
#include "platform/widgets/twipsstyle.h"
#include "ui/main/tabring.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <map>

namespace quorvane {

namespace {

using platform::place;

// A named font, or the nearest sans-serif of the same size where it is missing.
QFont namedFont(const QString &family, double points, bool bold)
{
    QFont f;
    f.setFamilies({family, QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    f.setStyleHint(QFont::SansSerif);
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

void setBackground(QWidget *w, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::Base, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void setWhiteBase(QWidget *w)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, Qt::white);
    w->setPalette(p);
}

// Each control's place in the keyboard's tab chain.
using TabOrder = std::map<int, QWidget *>;

// The left column: where the files come from, and the start button.
void createSourceColumn(Form1 &w, TabOrder &tabOrder)
{
    w.Label1 = new QLabel(QStringLiteral("Quell-Hauptverzeichnis:"), &w);
    place(w.Label1, 120, 120, 1935, 255);

    w.Drive1 = new platform::DriveList(&w);
    place(w.Drive1, 120, 360, 2295, 315);
    setWhiteBase(w.Drive1);
    tabOrder[1] = w.Drive1;

    w.Dir1 = new platform::DirList(&w);
    place(w.Dir1, 120, 720, 2295, 1830);
    setWhiteBase(w.Dir1);
    tabOrder[2] = w.Dir1;

    w.Check5 = new QCheckBox(QStringLiteral("Quell-Dateien löschen !"), &w);
    place(w.Check5, 120, 2580, 1995, 255);
    QPalette warning = w.Check5->palette();
    warning.setColor(QPalette::WindowText, QColor(128, 0, 0));
    warning.setColor(QPalette::ButtonText, QColor(128, 0, 0));
    w.Check5->setPalette(warning);
    w.Check5->setToolTip(QStringLiteral("Vorsicht !"));
    tabOrder[24] = w.Check5;

    w.Command1 = new QPushButton(QStringLiteral("S T A R T"), &w);
    place(w.Command1, 120, 2880, 2295, 795);
    w.Command1->setFont(namedFont(QStringLiteral("Arial"), 14.25, true));
    w.Command1->setAutoDefault(false);
    tabOrder[0] = w.Command1;
}

// The frame "Dateitypen:" with its seven boxes and the own patterns.
void createTypeFrame(Form1 &w, TabOrder &tabOrder)
{
    w.Frame1 = new QGroupBox(QStringLiteral("Dateitypen:"), &w);
    place(w.Frame1, 2520, 120, 3495, 2595);

    struct Box {
        const char *caption;
        int left, top, width;
        int tab;
    };
    static const Box boxes[7] = {
        {"EXE", 240, 360, 735, 4},
        {"Bilddateien JPG, GIF, BMP, TIF, WMF.", 240, 720, 3135, 5},
        {"Sounddateien MP3, WAV, MID, MOD.", 240, 1080, 3135, 6},
        {"Videodateien MPG, AVI, MOV, WMV.", 240, 1440, 3150, 7},
        {"Textdateien PDF, RTF, TXT, DOC. ", 240, 1800, 3045, 8},
        {"Benutzerdefiniert:", 240, 2160, 1575, 9},
        {"Alles ( *.* )", 1800, 360, 1095, 11},
    };
    for (int i = 0; i < 7; ++i) {
        w.Check1[i] = new QCheckBox(QString::fromUtf8(boxes[i].caption), w.Frame1);
        place(w.Check1[i], boxes[i].left, boxes[i].top, boxes[i].width, 255);
        tabOrder[boxes[i].tab] = w.Check1[i];
    }

    w.Text1 = new QLineEdit(QStringLiteral("*.cdr;*.scr"), w.Frame1);
    place(w.Text1, 1800, 2130, 1455, 285);
    w.Text1->setFont(namedFont(QStringLiteral("MS Sans Serif"), 8.25, true));
    setWhiteBase(w.Text1);
    w.Text1->setEnabled(false);
    tabOrder[10] = w.Text1;

    // Below the client area: never seen, so never a stop of the tab ring.
    w.Check2 = new QCheckBox(QStringLiteral("Verzeichnisnamen auflisten"), &w);
    place(w.Check2, 120, 6120, 2355, 255);
    setBackground(w.Check2, QColor(192, 192, 192));
    tabOrder[12] = w.Check2;
}

// The frame "Ziel:": the kind of output and its options.
void createOutputFrame(Form1 &w, TabOrder &tabOrder)
{
    w.Frame2 = new QGroupBox(QStringLiteral("Ziel:"), &w);
    place(w.Frame2, 2520, 2820, 5955, 855);

    w.Option1 = new QRadioButton(QStringLiteral("Textdatei"), w.Frame2);
    place(w.Option1, 180, 210, 1035, 255);
    tabOrder[14] = w.Option1;
    w.Option2 = new QRadioButton(QStringLiteral("Verzeichnis"), w.Frame2);
    place(w.Option2, 1620, 210, 1215, 255);
    tabOrder[15] = w.Option2;
    w.Option3 = new QRadioButton(QStringLiteral("Nur Verzeichnisstruktur spiegeln"), w.Frame2);
    place(w.Option3, 3120, 240, 2715, 195);
    tabOrder[25] = w.Option3;

    w.Check3 = new QCheckBox(QStringLiteral("NULL-Byte"), w.Frame2);
    place(w.Check3, 195, 540, 1260, 195);
    w.Check3->setToolTip(QStringLiteral("Dateien als NULL-Byte Attrappen kopieren"));
    tabOrder[16] = w.Check3;
    w.Check4 = new QCheckBox(QStringLiteral("Rekursiv"), w.Frame2);
    place(w.Check4, 1635, 540, 975, 195);
    tabOrder[23] = w.Check4;
    w.Check6 = new QCheckBox(QStringLiteral("Nur oberste Ebene bearbeiten"), w.Frame2);
    place(w.Check6, 3135, 540, 2535, 195);
    tabOrder[26] = w.Check6;
}

// The right column: where the image goes, and the new-folder entry.
void createTargetColumn(Form1 &w, TabOrder &tabOrder)
{
    w.Label2 = new QLabel(QStringLiteral("Ziel-Verzeichnis:"), &w);
    place(w.Label2, 6180, 120, 1395, 255);

    w.Drive2 = new platform::DriveList(&w);
    place(w.Drive2, 6180, 360, 2295, 315);
    setWhiteBase(w.Drive2);
    tabOrder[19] = w.Drive2;

    w.Dir2 = new platform::DirList(&w);
    place(w.Dir2, 6180, 720, 2295, 1605);
    setWhiteBase(w.Dir2);
    tabOrder[18] = w.Dir2;

    w.Command2 = new QPushButton(QStringLiteral("Neues Verzeichnis erstellen"), &w);
    place(w.Command2, 6180, 2400, 2295, 315);
    w.Command2->setAutoDefault(false);
    tabOrder[22] = w.Command2;

    w.Text2 = new QLineEdit(QStringLiteral("Neues Vezeichnis"), &w);
    place(w.Text2, 6180, 2400, 2295, 285);
    setWhiteBase(w.Text2);
    w.Text2->setCursorPosition(0); // the first opening selects the whole default text
    w.Text2->hide();
    tabOrder[21] = w.Text2;
}

// The sunken strip along the bottom.
void createStrip(Form1 &w)
{
    w.Picture1 = new QFrame(&w);
    place(w.Picture1, 90, 3780, 8385, 210);
    w.Picture1->setFrameShape(QFrame::Panel);
    w.Picture1->setFrameShadow(QFrame::Sunken);

    w.Label3 = new QLabel(w.Picture1);
    place(w.Label3, 0, 0, 1815, 165);
    setBackground(w.Label3, QColor(0, 0, 128));
}

} // namespace

void Form1::createControls()
{
    // The window's standard font: a proportional sans-serif of 8.25 pt.
    setFont(namedFont(QStringLiteral("MS Sans Serif"), 8.25, false));

    TabOrder tabOrder;
    createSourceColumn(*this, tabOrder);
    createTypeFrame(*this, tabOrder);
    createOutputFrame(*this, tabOrder);
    createTargetColumn(*this, tabOrder);
    createStrip(*this);

    // Presses on labels, frames and the strip belong to them, not to the
    // window's surface, so they do not drag the window.
    for (QWidget *w : std::initializer_list<QWidget *>{Label1, Label2, Label3, Frame1, Frame2, Picture1, Check2})
        w->setAttribute(Qt::WA_NoMousePropagation);

    // The table's boxes are lower than the marks of the usual styles.
    platform::TwipsStyle::applyTo(*this);

    QList<QWidget *> ring;
    for (const auto &[tab, w] : tabOrder)
        ring.append(w);
    m_tabRing = std::make_unique<TabRing>(*this, ring);
}

} // namespace quorvane
