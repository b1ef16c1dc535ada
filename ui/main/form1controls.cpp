// The controls of the main window with their places, texts and looks.
#include "ui/main/form1.h"

#include "platform/widgets/dirlist.h"
#include "platform/widgets/drivelist.h"
#include "platform/widgets/twips.h"

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

using platform::twipsToPixels;

// Left, top, width and height in twips, from the container's inside top-left.
void place(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                   twipsToPixels(height));
}

// A named font, or the nearest sans-serif of the same size where it is missing.
QFont namedFont(const QString &family, double points, bool bold)
{
    QFont f;
    f.setFamilies({family, QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                   QStringLiteral("DejaVu Sans")});
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

} // namespace

void Form1::createControls()
{
    // The window's standard font: a proportional sans-serif of 8.25 pt.
    setFont(namedFont(QStringLiteral("MS Sans Serif"), 8.25, false));

    std::map<int, QWidget *> tabOrder;

    Label1 = new QLabel(QStringLiteral("Quell-Hauptverzeichnis:"), this);
    place(Label1, 120, 120, 1935, 255);

    Drive1 = new platform::DriveList(this);
    place(Drive1, 120, 360, 2295, 315);
    setWhiteBase(Drive1);
    tabOrder[1] = Drive1;

    Dir1 = new platform::DirList(this);
    place(Dir1, 120, 720, 2295, 1830);
    setWhiteBase(Dir1);
    tabOrder[2] = Dir1;

    Check5 = new QCheckBox(QStringLiteral("Quell-Dateien löschen !"), this);
    place(Check5, 120, 2580, 1995, 255);
    {
        QPalette p = Check5->palette();
        p.setColor(QPalette::WindowText, QColor(128, 0, 0));
        p.setColor(QPalette::ButtonText, QColor(128, 0, 0));
        Check5->setPalette(p);
    }
    Check5->setToolTip(QStringLiteral("Vorsicht !"));
    tabOrder[24] = Check5;

    Command1 = new QPushButton(QStringLiteral("S T A R T"), this);
    place(Command1, 120, 2880, 2295, 795);
    Command1->setFont(namedFont(QStringLiteral("Arial"), 14.25, true));
    Command1->setAutoDefault(false);
    tabOrder[0] = Command1;

    Frame1 = new QGroupBox(QStringLiteral("Dateitypen:"), this);
    place(Frame1, 2520, 120, 3495, 2595);

    struct Box { const char *caption; int left, top, width; int tab; };
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
        Check1[i] = new QCheckBox(QString::fromUtf8(boxes[i].caption), Frame1);
        place(Check1[i], boxes[i].left, boxes[i].top, boxes[i].width, 255);
        tabOrder[boxes[i].tab] = Check1[i];
    }

    Text1 = new QLineEdit(QStringLiteral("*.cdr;*.scr"), Frame1);
    place(Text1, 1800, 2130, 1455, 285);
    Text1->setFont(namedFont(QStringLiteral("MS Sans Serif"), 8.25, true));
    setWhiteBase(Text1);
    Text1->setEnabled(false);
    tabOrder[10] = Text1;

    // Below the client area: the window never shows it, and the keyboard
    // does not reach it either, so the focus cannot vanish into it.
    Check2 = new QCheckBox(QStringLiteral("Verzeichnisnamen auflisten"), this);
    place(Check2, 120, 6120, 2355, 255);
    setBackground(Check2, QColor(192, 192, 192));
    Check2->setFocusPolicy(Qt::NoFocus);

    Frame2 = new QGroupBox(QStringLiteral("Ziel:"), this);
    place(Frame2, 2520, 2820, 5955, 855);

    Option1 = new QRadioButton(QStringLiteral("Textdatei"), Frame2);
    place(Option1, 180, 210, 1035, 255);
    tabOrder[14] = Option1;
    Option2 = new QRadioButton(QStringLiteral("Verzeichnis"), Frame2);
    place(Option2, 1620, 210, 1215, 255);
    tabOrder[15] = Option2;
    Option3 = new QRadioButton(QStringLiteral("Nur Verzeichnisstruktur spiegeln"), Frame2);
    place(Option3, 3120, 240, 2715, 195);
    tabOrder[25] = Option3;

    Check3 = new QCheckBox(QStringLiteral("NULL-Byte"), Frame2);
    place(Check3, 195, 540, 1260, 195);
    Check3->setToolTip(QStringLiteral("Dateien als NULL-Byte Attrappen kopieren"));
    tabOrder[16] = Check3;
    Check4 = new QCheckBox(QStringLiteral("Rekursiv"), Frame2);
    place(Check4, 1635, 540, 975, 195);
    tabOrder[23] = Check4;
    Check6 = new QCheckBox(QStringLiteral("Nur oberste Ebene bearbeiten"), Frame2);
    place(Check6, 3135, 540, 2535, 195);
    tabOrder[26] = Check6;

    Label2 = new QLabel(QStringLiteral("Ziel-Verzeichnis:"), this);
    place(Label2, 6180, 120, 1395, 255);

    Drive2 = new platform::DriveList(this);
    place(Drive2, 6180, 360, 2295, 315);
    setWhiteBase(Drive2);
    tabOrder[19] = Drive2;

    Dir2 = new platform::DirList(this);
    place(Dir2, 6180, 720, 2295, 1605);
    setWhiteBase(Dir2);
    tabOrder[18] = Dir2;

    Command2 = new QPushButton(QStringLiteral("Neues Verzeichnis erstellen"), this);
    place(Command2, 6180, 2400, 2295, 315);
    Command2->setAutoDefault(false);
    tabOrder[22] = Command2;

    Text2 = new QLineEdit(QStringLiteral("Neues Vezeichnis"), this);
    place(Text2, 6180, 2400, 2295, 285);
    setWhiteBase(Text2);
    Text2->setCursorPosition(0); // the first opening selects the whole default text
    Text2->hide();
    tabOrder[21] = Text2;

    Picture1 = new QFrame(this);
    place(Picture1, 90, 3780, 8385, 210);
    Picture1->setFrameShape(QFrame::Panel);
    Picture1->setFrameShadow(QFrame::Sunken);

    Label3 = new QLabel(Picture1);
    place(Label3, 0, 0, 1815, 165);
    setBackground(Label3, QColor(0, 0, 128));

    // Presses on labels, frames and the strip belong to them, not to the
    // window's surface, so they do not drag the window.
    for (QWidget *w : std::initializer_list<QWidget *>{Label1, Label2, Label3, Frame1, Frame2,
                                                      Picture1, Check2})
        w->setAttribute(Qt::WA_NoMousePropagation);

    // The folder lists take the focus in their inner view; the chain links
    // the widgets that really hold it.
    QWidget *previous = nullptr;
    for (const auto &[tab, w] : tabOrder) {
        QWidget *target = w->focusProxy() ? w->focusProxy() : w;
        if (previous)
            setTabOrder(previous, target);
        previous = target;
    }
}

} // namespace quorvane
